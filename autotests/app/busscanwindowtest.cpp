// The bus scan window against the simulator's bus on the serial line: the IDs that answer with
// model and serial number, a double-click that makes one the ID to connect to, Cancel, and the
// operation bracket around it all; its texts in the three languages.
#include "app/toollook.h"
#include "i18n/texttable.h"
#include "operationprobe.h"
#include "windowcontrols.h"

#include <QComboBox>
#include <QProgressBar>
#include <QSpinBox>
#include <QTableWidget>

namespace {

QWidget *openScanWindow(WindowHarness &h)
{
    h.find<QAction>("mnuBusScan")->trigger();
    return h.window->findChild<QWidget *>(QStringLiteral("frmBusScan"));
}

template<typename T>
T *in(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

QStringList rows(QWidget *window)
{
    auto *table = in<QTableWidget>(window, "tblScanFound");
    QStringList out;
    for (int r = 0; r < table->rowCount(); ++r)
        out << table->item(r, 0)->text() + QLatin1Char(' ') + table->item(r, 1)->text() + QLatin1Char(' ')
                + table->item(r, 2)->text();
    return out;
}

} // namespace

class BusScanWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldListTheBusAndConnectToTheIdChosen()
    {
        SimProcess sim({ "--bus", "003,005:RO420" }, true);
        QVERIFY(sim.start());
        WindowHarness h;
        h.useSerial(sim.ptyPath());
        QWidget *scan = openScanWindow(h);
        QVERIFY(scan && scan->isVisible());
        in<QSpinBox>(scan, "edScanFrom")->setValue(2);
        in<QSpinBox>(scan, "edScanTo")->setValue(7);

        // While it runs the main window is held off, its lamp blinking, and Cancel can be pressed.
        QTimer during;
        int heldOffWithCancel = 0;
        QObject::connect(&during, &QTimer::timeout, [&] {
            const auto blink = h.window->findChild<QTimer *>(QStringLiteral("tmrBusy"));
            if (!h.window->isEnabled() && blink->isActive() && in<QPushButton>(scan, "btnScanCancel")->isEnabled())
                ++heldOffWithCancel;
        });
        during.start(0);
        in<QPushButton>(scan, "btnScanStart")->click();
        during.stop();
        QVERIFY(heldOffWithCancel > 0);
        checkEnding(h, TextTable::text(TextTable::CommandOk, TextTable::English), true);

        QCOMPARE(rows(scan), (QStringList { "003 ZO425 24010042", "005 RO420 24010044" }));
        QCOMPARE(in<QProgressBar>(scan, "pbScan")->value(), 6);
        QCOMPARE(in<QLabel>(scan, "lblScanStatus")->text(), QStringLiteral("2 of 6 IDs answered"));
        QCOMPARE(sim.requests().count(), 6 + 2);
        // The scan's clock: all of it elapsed, nothing left.
        QVERIFY2(in<QLabel>(scan, "lblScanTime")->text().endsWith(QStringLiteral("remaining 0:00")),
                 qPrintable(in<QLabel>(scan, "lblScanTime")->text()));

        // A double-click on 005 connects to it, as the hint says.
        auto *table = in<QTableWidget>(scan, "tblScanFound");
        Q_EMIT table->cellDoubleClicked(1, 2);
        QCOMPARE(h.find<QLineEdit>("edScanId")->text(), QStringLiteral("005"));
        QCOMPARE(h.find<QScrollBar>("sbScanId")->value(), 5);
        QVERIFY(h.find<QLabel>("pnSN")->text().endsWith(QStringLiteral("ID:005")));
        QVERIFY(h.find<QWidget>("pcMain")->isEnabled());
    }

    // Two controllers at one ID: a row that says so, in the error colour, that connects to nothing.
    void shouldShowAConflictAsNoController()
    {
        SimProcess sim({ "--bus", "003,004", "--twin", "004", "--collide" }, true);
        QVERIFY(sim.start());
        WindowHarness h;
        h.useSerial(sim.ptyPath());
        QWidget *scan = openScanWindow(h);
        in<QSpinBox>(scan, "edScanFrom")->setValue(3);
        in<QSpinBox>(scan, "edScanTo")->setValue(5);
        in<QPushButton>(scan, "btnScanStart")->click();
        const QString conflict = TextTable::text(TextTable::ScanConflict, TextTable::English);
        QCOMPARE(rows(scan), (QStringList { "003 ZO425 24010042", "004 " + conflict + " " }));
        auto *table = in<QTableWidget>(scan, "tblScanFound");
        QCOMPARE(table->item(1, 1)->foreground().color(), ToolLook::colour(ToolLook::ErrorText));
        const qsizetype sent = sim.requests().count();
        Q_EMIT table->cellDoubleClicked(1, 0);
        QCOMPARE(sim.requests().count(), sent);
        QVERIFY(!h.find<QWidget>("pcMain")->isEnabled());
    }

    void shouldStopWhenCancelled()
    {
        SimProcess sim({ "--bus", "250" }, true);
        QVERIFY(sim.start());
        WindowHarness h;
        h.useSerial(sim.ptyPath());
        QWidget *scan = openScanWindow(h);
        // At the line's own limit, 300 ms an ID.
        in<QComboBox>(scan, "cmbScanSpeed")->setCurrentIndex(1);
        // Cancel a moment after the start, from the scan window while the scan runs.
        QTimer::singleShot(700, in<QPushButton>(scan, "btnScanCancel"), &QPushButton::click);
        in<QPushButton>(scan, "btnScanStart")->click();
        checkEnding(h, TextTable::text(TextTable::CommandOk, TextTable::English), true);
        const int scanned = int(sim.requests().count());
        QVERIFY2(scanned >= 1 && scanned < 10, qPrintable(QString::number(scanned)));
        QCOMPARE(in<QLabel>(scan, "lblScanStatus")->text(), QStringLiteral("Scan cancelled after %1 IDs").arg(scanned));
        QVERIFY(rows(scan).isEmpty());
        QVERIFY(in<QPushButton>(scan, "btnScanStart")->isEnabled());
        QVERIFY(!in<QPushButton>(scan, "btnScanCancel")->isEnabled());
    }

    void shouldSayWhenTheLinkDoesNotOpen()
    {
        WindowHarness h;
        h.useSerial(QStringLiteral("/dev/zu42-no-such-port"));
        QWidget *scan = openScanWindow(h);
        in<QPushButton>(scan, "btnScanStart")->click();
        checkEnding(h, TextTable::text(TextTable::ConnectDeviceError, TextTable::English), false);
        QVERIFY2(in<QLabel>(scan, "lblScanStatus")->text().startsWith(QStringLiteral("Connect device error! No such port")),
                 qPrintable(in<QLabel>(scan, "lblScanStatus")->text()));
        QCOMPARE(in<QLabel>(scan, "lblScanStatus")->palette().color(QPalette::WindowText), ToolLook::colour(ToolLook::ErrorText));
        QVERIFY(in<QPushButton>(scan, "btnScanStart")->isEnabled());
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
        QWidget *scan = openScanWindow(h);
        h.find<QAction>(menu.toLatin1().constData())->trigger();
        const auto text = [language](int id) { return TextTable::text(id, language); };
        QCOMPARE(scan->windowTitle(), text(TextTable::BusScanTitle));
        QCOMPARE(in<QLabel>(scan, "lblScanFrom")->text(), text(TextTable::ScanFromLabel));
        QCOMPARE(in<QPushButton>(scan, "btnScanStart")->text(), text(TextTable::ScanButton));
        QCOMPARE(in<QPushButton>(scan, "btnScanCancel")->text(), text(TextTable::CancelButton));
        QCOMPARE(in<QTableWidget>(scan, "tblScanFound")->horizontalHeaderItem(2)->text(), text(TextTable::SerialNumberColumn));
        QCOMPARE(in<QLabel>(scan, "lblScanHint")->text(), text(TextTable::ScanHint));
        QCOMPARE(scan->font().families(), ToolLook::families(language));
    }
};

QTEST_MAIN(BusScanWindowTest)
#include "busscanwindowtest.moc"
