// The site window over a simulated line: an action over the selected rows going on past the unit
// that does not come back from its restart, the main window held off while Cancel stays live,
// "run again on the failed" on that unit alone, a new unit addressed; its texts in three languages.
#include "app/toollook.h"
#include "app/sitewindow.h"
#include "i18n/texttable.h"
#include "operationprobe.h"
#include "simulator.h"
#include "windowcontrols.h"

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

    void shouldShowItsTextsInEveryLanguage_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("language");
        QTest::newRow("English") << "mnuEnglish" << int(TextTable::English);
        QTest::newRow("Simplified Chinese") << "mnuSimplified" << int(TextTable::SimplifiedChinese);
        QTest::newRow("Traditional Chinese") << "mnuTraditional" << int(TextTable::TraditionalChinese);
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
