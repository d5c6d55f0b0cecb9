// The records window on a real SQLite store in the data folder, opened from the Tools menu: the
// tests page by page, a unit's history, the yield and the Pareto, an export, a certificate, and
// the language switch.
#include "app/recordswindow.h"
#include "app/tfrmmodule.h"
#include "datahome.h"
#include "records/recordstore.h"
#include "windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

UnitRecord test(const QString &serial, bool pass, const QDateTime &start)
{
    UnitRecord r;
    r.serialNumber = serial;
    r.controllerId = QStringLiteral("000");
    r.model = QStringLiteral("ZO425");
    r.version = QStringLiteral("V05");
    r.station = QStringLiteral("Line 2");
    r.operatorName = QStringLiteral("Li Wei");
    r.jigMapName = QStringLiteral("Simulator jig");
    r.start = start;
    r.steps = { { 0, QStringLiteral("Identify"), QStringLiteral("a controller"), serial, true, {} },
                { 0, QStringLiteral("DO2 alone"), QStringLiteral("DI2"), pass ? QStringLiteral("DI2") : QStringLiteral("none"), pass, {} } };
    r.finish(start.addSecs(20));
    return r;
}

} // namespace

class RecordsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowTheRecordsOfTheDay()
    {
        QTemporaryDir data;
        DataHome::set(data.path());
        // More tests than a page: the table fetches the rest as it is scrolled.
        const int count = 250;
        {
            RecordStore store(RecordStoreSettings::defaultSettings());
            const QDateTime morning(QDate::currentDate(), QTime(6, 0));
            for (int i = 0; i < count; ++i)
                QCOMPARE(store.write(test(QStringLiteral("S%1").arg(i % 200, 3, 10, QLatin1Char('0')), i % 10 != 0, morning.addSecs(60 * i))),
                         RecordStore::WriteResult::Stored);
        }
        {
            WindowHarness h;
            h.window->show();
            h.find<QAction>("mnuRecords")->trigger();
            auto *w = qobject_cast<RecordsWindow *>(h.window->recordsWindow());
            QVERIFY(w);
            QCOMPARE(w->objectName(), QStringLiteral("frmRecords"));
            auto *tests = w->findChild<QTableView *>(QStringLiteral("tblTests"));
            QCOMPARE(tests->model()->rowCount(), 200);
            QVERIFY(tests->model()->canFetchMore({}));
            tests->model()->fetchMore({});
            QCOMPARE(tests->model()->rowCount(), count);
            QVERIFY(!tests->model()->canFetchMore({}));
            // Newest first.
            QCOMPARE(tests->model()->index(0, 1).data().toString(), QStringLiteral("S049"));

            // S010 was tested twice: at 06:10 (failed, every tenth) and at 09:30.
            tests->setCurrentIndex(tests->model()->index(count - 1 - 10, 0));
            auto *history = w->findChild<QTreeWidget *>(QStringLiteral("treHistory"));
            QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lblHistory"))->text(), QStringLiteral("History of S010: 2 tests"));
            QCOMPARE(history->topLevelItemCount(), 2);
            QCOMPARE(history->topLevelItem(1)->text(3), QStringLiteral("FAIL"));
            QCOMPARE(history->topLevelItem(1)->child(1)->text(2), QStringLiteral("none"));

            auto *yield = w->findChild<QTableWidget *>(QStringLiteral("tblYield"));
            QCOMPARE(yield->rowCount(), 1);
            QCOMPARE(yield->item(0, 1)->text(), QString::number(count));
            QCOMPARE(yield->item(0, 2)->text(), QStringLiteral("200"));
            auto *pareto = w->findChild<QTableWidget *>(QStringLiteral("tblPareto"));
            QCOMPARE(pareto->item(0, 0)->text(), QStringLiteral("DO2 alone"));
            QCOMPARE(pareto->item(0, 2)->text(), QString::number(count / 10));

            if (qEnvironmentVariableIsSet("ZU42_KEEP_PICTURES")) {
                auto *tabs = w->findChild<QTabWidget *>(QStringLiteral("tabRecords"));
                for (int tab = 0; tab < tabs->count(); ++tab) {
                    tabs->setCurrentIndex(tab);
                    w->grab().save(QStringLiteral("%1/records-%2.png").arg(qEnvironmentVariable("ZU42_KEEP_PICTURES")).arg(tab));
                }
            }
            const QString csv = data.filePath(QStringLiteral("out.csv"));
            QVERIFY(w->exportCsv(csv));
            QVERIFY(QFile(csv).size() > 1000);
            const QString pdf = data.filePath(QStringLiteral("certificate.pdf"));
            QVERIFY(w->writeCertificate(pdf));
            QVERIFY(QFile(pdf).size() > 1000);

            // The language switch: captions, the tables' words and the history follow.
            h.find<QAction>("mnuSimplified")->trigger();
            QCOMPARE(w->windowTitle(), QStringLiteral("测试记录查询"));
            QCOMPARE(history->topLevelItem(1)->text(3), QStringLiteral("不合格"));
            QCOMPARE(tests->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("序号"));
            QCOMPARE(h.find<QAction>("mnuRecords")->text(), QStringLiteral("测试记录查询(&R)"));
        }
        DataHome::unset();
    }

    // A store that cannot be read says so in one line, the details in its tool tip.
    void shouldSayInOneLineWhyNothingIsShown()
    {
        QTemporaryDir data;
        DataHome::set(data.path());
        {
            WindowHarness h;
            h.find<QAction>("mnuRecords")->trigger();
            auto *w = qobject_cast<RecordsWindow *>(h.window->recordsWindow());
            w->findChild<QLineEdit *>(QStringLiteral("edRecordStore"))->setText(QStringLiteral("postgresql://line@127.0.0.1:1/records"));
            w->btnShowClick();
            auto *note = w->findChild<QLabel *>(QStringLiteral("lblNote"));
            QVERIFY2(!note->text().contains(QLatin1Char('\n')), qPrintable(note->text()));
            QVERIFY2(note->text().startsWith(QStringLiteral("The records cannot be read.")), qPrintable(note->text()));
            QVERIFY2(note->toolTip().contains(QStringLiteral("127.0.0.1")), qPrintable(note->toolTip()));
        }
        DataHome::unset();
    }
};

QTEST_MAIN(RecordsWindowTest)
#include "recordswindowtest.moc"
