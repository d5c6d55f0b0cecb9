// The site window over a simulated line: an action over the selected rows going on past the unit
// that does not come back from its restart, the main window held off while Cancel stays live,
// "run again on the failed" on that unit alone, a new unit addressed; a failed unit replaced (and
// nothing given where two answer at 000); the site saved, opened (a damaged file refused whole)
// and reported through the window's file dialogs; its texts in three languages.
#include "app/toollook.h"
#include "app/sitewindow.h"
#include "i18n/texttable.h"
#include "dialoganswerer.h"
#include "operationprobe.h"
#include "site/sitefile.h"
#include "simulator.h"
#include "windowcontrols.h"

#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableWidget>

namespace {

SiteWindow *openSiteWindow(WindowHarness &h)
{
    h.find<QAction>("mnuSite")->trigger();
    return h.window->findChild<SiteWindow *>(QStringLiteral("frmSite"));
}

template<typename T>
T *in(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

QString cell(QWidget *window, int row, int column)
{
    const QTableWidgetItem *item = in<QTableWidget>(window, "tblSite")->item(row, column);
    return item ? item->text() : QString();
}

QString english(int id)
{
    return TextTable::text(id, TextTable::English);
}

// A site of two rows as a file: 005 and 007, each with its serial number.
Site twoUnits()
{
    Site site;
    site.name = QStringLiteral("Warehouse");
    site.link = LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003"));
    for (const auto &[id, serial] : { std::pair { "005", "24010046" }, std::pair { "007", "24010048" } }) {
        SiteUnit unit;
        unit.id = id;
        unit.serialNumber = serial;
        site.add(unit);
    }
    return site;
}

} // namespace

class SiteWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldApplyOverTheSelectedUnitsAndRunAgainOnTheFailed()
    {
        Simulator sim({ "--bus", "001-003", "--dead-after-restart", "002", "--new-units", "1" });
        QVERIFY(sim.start());
        WindowHarness h;
        h.use(sim);
        SiteWindow *site = openSiteWindow(h);
        QVERIFY(site && site->isVisible());
        for (int id = 1; id <= 3; ++id) {
            in<QSpinBox>(site, "edSiteAddId")->setValue(id);
            in<QPushButton>(site, "btnSiteAdd")->click();
        }
        site->site().profileName = QStringLiteral("p.json");
        site->site().profileModel = "ZO425";
        site->site().profileValues = { { QStringLiteral("same-card-delay"), QStringLiteral("30") },
                                       { QStringLiteral("language"), QStringLiteral("traditional-chinese") } };
        in<QTableWidget>(site, "tblSite")->selectAll();

        QTimer during;
        int heldOffWithCancel = 0;
        QObject::connect(&during, &QTimer::timeout, [&] {
            if (!h.window->isEnabled() && in<QPushButton>(site, "btnSiteCancel")->isEnabled() && site->isEnabled())
                ++heldOffWithCancel;
        });
        during.start(0);
        in<QPushButton>(site, "btnSiteApply")->click();
        during.stop();
        QVERIFY(heldOffWithCancel > 0);
        checkEnding(h, english(TextTable::CommandError), false);

        QCOMPARE(cell(site, 0, 7), english(TextTable::ResultOk));
        QVERIFY2(cell(site, 1, 7).startsWith(english(TextTable::ResultFailed).arg(QString())), qPrintable(cell(site, 1, 7)));
        QCOMPARE(cell(site, 2, 7), english(TextTable::ResultOk));
        QCOMPARE(cell(site, 2, 5), english(TextTable::ProfileMatches));
        QCOMPARE(cell(site, 2, 3), QStringLiteral("24010044"));
        QCOMPARE(in<QLabel>(site, "lblSiteStatus")->text(), english(TextTable::SiteDone).arg(3).arg(1));

        sim.clearRequests();
        QVERIFY(in<QPushButton>(site, "btnSiteRetry")->isEnabled());
        in<QPushButton>(site, "btnSiteRetry")->click();
        QVERIFY(!sim.requests().isEmpty());
        for (const QByteArray &request : sim.requests())
            QCOMPARE(request.left(3), QByteArray("002"));

        // The new unit at 000 takes the next free ID from 003 on: 004.
        in<QSpinBox>(site, "edSiteFrom")->setValue(3);
        in<QPushButton>(site, "btnSiteAddress")->click();
        QCOMPARE(cell(site, 3, 0), QStringLiteral("004"));
        QCOMPARE(cell(site, 3, 3), QStringLiteral("24015043"));
        QCOMPARE(in<QLabel>(site, "lblSiteStatus")->text(), english(TextTable::SiteAddressed).arg(QStringLiteral("004"), QStringLiteral("24015043")));
    }

    // A failed row whose unit is off the line: the new unit at 000 takes its ID and its values.
    // Where two answer at 000, nothing is given to either and the row stays as it was.
    void shouldReplaceAFailedUnit_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("new unit at 000") << QStringList { "--bus", "001", "--new-units", "1" } << true;
        QTest::newRow("two at 000") << QStringList { "--bus", "001,000", "--twin", "000", "--collide" } << false;
    }
    void shouldReplaceAFailedUnit()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(bool, replaced);
        Simulator sim(simArgs);
        QVERIFY(sim.start());
        WindowHarness h;
        h.use(sim);
        SiteWindow *site = openSiteWindow(h);
        SiteUnit old;
        old.id = "002";
        old.serialNumber = "24010043";
        old.model = "ZO425";
        old.values = { { QStringLiteral("same-card-delay"), QStringLiteral("45") } };
        site->site().add(old);
        site->refresh();
        in<QTableWidget>(site, "tblSite")->selectRow(0);
        in<QPushButton>(site, "btnSiteFailed")->click();
        QCOMPARE(cell(site, 0, 7), english(TextTable::MarkedFailed));
        sim.clearRequests();
        in<QPushButton>(site, "btnSiteReplace")->click();
        const QString status = in<QLabel>(site, "lblSiteStatus")->text();
        QList<QByteArray> idsGiven;
        for (const QByteArray &r : sim.requests())
            if (r.mid(3).startsWith("AC"))
                idsGiven.append(r);
        if (replaced) {
            QCOMPARE(cell(site, 0, 3), QStringLiteral("24015043"));
            QCOMPARE(status, english(TextTable::SiteReplaced).arg(QStringLiteral("002"), QStringLiteral("24015043"), QStringLiteral("24010043")));
            QCOMPARE(idsGiven, QList<QByteArray> { "000AC002" });
            QCOMPARE(site->site().units[0].replaced.size(), 1);
        } else {
            QCOMPARE(cell(site, 0, 3), QStringLiteral("24010043"));
            QVERIFY2(!status.isEmpty() && status != english(TextTable::SiteReplaced), qPrintable(status));
            QVERIFY(idsGiven.isEmpty());
            QVERIFY(site->site().units[0].failed);
        }
    }

    // Each file button through its dialog, as a person uses it: the file name typed, accepted.
    // A damaged site file is refused whole: its reason shown, the rows as they were.
    void shouldKeepTheSiteThroughItsFiles_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("damage"); // what the file to open holds after its first half, "" for whole
        QTest::newRow("save") << "btnSiteSave" << "site.json" << QByteArray();
        QTest::newRow("open") << "btnSiteOpen" << "site.json" << QByteArray();
        QTest::newRow("open a damaged file") << "btnSiteOpen" << "site.json" << QByteArray("\x00\x00garbage");
        QTest::newRow("report as PDF") << "btnSiteReport" << "report.pdf" << QByteArray();
        QTest::newRow("report as CSV") << "btnSiteReport" << "report.csv" << QByteArray();
    }
    void shouldKeepTheSiteThroughItsFiles()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QByteArray, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath(file);
        WindowHarness h;
        SiteWindow *site = openSiteWindow(h);
        const bool opening = button == QLatin1String("btnSiteOpen");
        if (opening) {
            QVERIFY(SiteFile::save(path, twoUnits(), QString()));
            if (!damage.isEmpty()) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadWrite));
                const QByteArray whole = f.readAll();
                f.resize(0);
                f.seek(0);
                f.write(whole.left(whole.size() / 2) + damage);
            }
            // What is shown already must stay when a file is refused.
            in<QSpinBox>(site, "edSiteAddId")->setValue(9);
            in<QPushButton>(site, "btnSiteAdd")->click();
        } else {
            site->setSite(twoUnits());
        }
        DialogAnswerer answerer([&](QWidget *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                QMetaObject::invokeMethod(files, "accept");
            }
        });
        in<QPushButton>(site, button.toLatin1().constData())->click();
        const QString status = in<QLabel>(site, "lblSiteStatus")->text();

        if (opening && !damage.isEmpty()) {
            QString why;
            QVERIFY(!SiteFile::load(path, &why));
            QCOMPARE(status, english(TextTable::SiteFileRefused) + QLatin1Char(' ') + why);
            QCOMPARE(in<QTableWidget>(site, "tblSite")->rowCount(), 1);
            QCOMPARE(cell(site, 0, 0), QStringLiteral("009"));
            return;
        }
        QCOMPARE(status, file);
        if (opening) {
            QCOMPARE(in<QTableWidget>(site, "tblSite")->rowCount(), 2);
            QCOMPARE(cell(site, 1, 0), QStringLiteral("007"));
            QCOMPARE(cell(site, 1, 3), QStringLiteral("24010048"));
            QCOMPARE(in<QLineEdit>(site, "edSiteName")->text(), QStringLiteral("Warehouse"));
            return;
        }
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        if (file.endsWith(QLatin1String(".json"))) {
            const std::optional<Site> back = SiteFile::load(path);
            QVERIFY(back);
            QCOMPARE(back->units, twoUnits().units);
        } else if (file.endsWith(QLatin1String(".pdf"))) {
            QVERIFY(bytes.startsWith("%PDF-"));
        } else {
            QVERIFY2(bytes.contains("\r\nID,Serial number,Model,Version,") && bytes.contains("007,24010048"), bytes.constData());
        }
    }

    void shouldShowItsTextsInEveryLanguage_data()
    {
        addLanguageRows();
    }

    void shouldShowItsTextsInEveryLanguage()
    {
        QFETCH(QString, menu);
        QFETCH(int, language);
        WindowHarness h;
        h.window->show();
        // Open before the language is chosen: the window follows the choice.
        QWidget *site = openSiteWindow(h);
        h.find<QAction>(menu.toLatin1().constData())->trigger();
        const auto text = [language](int id) { return TextTable::text(id, language); };
        QCOMPARE(h.find<QAction>("mnuSite")->text(), text(TextTable::SiteEntry));
        QCOMPARE(site->windowTitle(), text(TextTable::SiteTitle));
        QCOMPARE(in<QPushButton>(site, "btnSiteApply")->text(), text(TextTable::SiteApplyButton));
        QCOMPARE(in<QPushButton>(site, "btnSiteRetry")->text(), text(TextTable::SiteRetryButton));
        QCOMPARE(in<QLabel>(site, "lblSiteFrom")->text(), text(TextTable::ScanFromLabel));
        QCOMPARE(in<QTableWidget>(site, "tblSite")->horizontalHeaderItem(4)->text(), text(TextTable::ClockOffsetColumn));
        QCOMPARE(site->font().families(), ToolLook::families(language));
    }
};

QTEST_MAIN(SiteWindowTest)
#include "sitewindowtest.moc"
