// Ports a person can tell apart: each entry of the port box is the port's name and carries, as
// its tool tip, what the system says of the adapter, in the window's language. The listing is
// handed in, so no adapter needs to be plugged in.
#include "app/portitemdelegate.h"
#include "app/portlistrefresher.h"
#include "app/porttooltip.h"
#include "i18n/texttable.h"
#include "link/serialportlist.h"
#include "settings/settingskey.h"
#include "storefile.h"
#include "windowcontrols.h"

#include <QAbstractItemView>
#include <QAction>
#include <QHelpEvent>
#include <QToolTip>

namespace {

const SerialPortEntry ftdiA { "ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI", {} };
const SerialPortEntry ftdiB { "ttyUSB1", "/dev/ttyUSB1", "FT232R USB UART", "FTDI", "A9K3QX01", {} };
const QString stableA = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
const SerialPortEntry ftdiAStable { "ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI", stableA };
const SerialPortEntry builtIn { "ttyS0", "/dev/ttyS0", {}, {}, {}, {} };

void openList(QComboBox *box)
{
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
}

// The port box of the shown window, its list taken from source; nullptr when the window did not show.
QComboBox *portBox(WindowHarness &h, const PortListRefresher::Source &source)
{
    h.window->show();
    if (!QTest::qWaitForWindowExposed(h.window.get()))
        return nullptr;
    auto *box = h.find<QComboBox>("cmbPort");
    box->findChild<PortListRefresher *>()->setSource(source);
    return box;
}

} // namespace

Q_DECLARE_METATYPE(SerialPortEntry)

class PortListTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldDescribeWhatTheSystemToldOfAPort_data()
    {
        QTest::addColumn<SerialPortEntry>("port");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("tip");
        QTest::newRow("USB adapter, English")
            << ftdiA << int(TextTable::English)
            << "FT232R USB UART\nMaker: FTDI\nSerial number: A50285BI\nDevice: /dev/ttyUSB0";
        QTest::newRow("USB adapter, Simplified Chinese")
            << ftdiA << int(TextTable::SimplifiedChinese)
            << "FT232R USB UART\n制造商: FTDI\n序列号: A50285BI\n设备: /dev/ttyUSB0";
        QTest::newRow("USB adapter, Traditional Chinese")
            << ftdiA << int(TextTable::TraditionalChinese)
            << "FT232R USB UART\n製造商: FTDI\n序號: A50285BI\n裝置: /dev/ttyUSB0";
        QTest::newRow("USB adapter with a stable name")
            << ftdiAStable << int(TextTable::English)
            << "FT232R USB UART\nMaker: FTDI\nSerial number: A50285BI\nDevice: /dev/ttyUSB0\nStable name: " + stableA;
        QTest::newRow("built-in port: the device only") << builtIn << int(TextTable::English) << "Device: /dev/ttyS0";
        QTest::newRow("adapter without a description")
            << SerialPortEntry { "ttyACM0", "/dev/ttyACM0", {}, {}, "0042", {} } << int(TextTable::English)
            << "Serial number: 0042\nDevice: /dev/ttyACM0";
        QTest::newRow("a name nobody listed") << SerialPortEntry { "COM3", {}, {}, {}, {}, {} } << int(TextTable::English)
                                              << QString();
    }
    void shouldDescribeWhatTheSystemToldOfAPort()
    {
        QFETCH(SerialPortEntry, port);
        QFETCH(int, language);
        QFETCH(QString, tip);
        QCOMPARE(PortToolTip::text(port, language), tip);
    }

    // The settings remember the adapter of ttyUSB0, which is back as ttyUSB1: the connect opens it
    // there, says so in the banner's tool tip, and the settings keep the new name with the adapter.
    void shouldConnectToTheRememberedAdapterUnderItsNewName()
    {
        WindowHarness h([](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"ComPortName\"=\"ttyUSB0\"\n\"ComPortStablePath\"=\""
                                                                + stableA.toUtf8() + "\"")));
        });
        Simulator sim;
        QVERIFY(sim.start());
        h.window->setTransportFactory(sim.factory());
        SerialPortEntry back = ftdiAStable;
        back.name = "ttyUSB1";
        auto *box = h.find<QComboBox>("cmbPort");
        box->findChild<PortListRefresher *>()->setSource([=] { return QList<SerialPortEntry> { ftdiB, back }; });

        h.click("btnConnect");

        QVERIFY(h.find("pcMain")->isEnabled());
        QCOMPARE(box->currentText(), QStringLiteral("ttyUSB1"));
        QCOMPARE(h.find("pnMsg")->toolTip(), TextTable::text(TextTable::AdapterMovedTip, TextTable::English)
                                                  .arg("FTDI FT232R USB UART A50285BI", "ttyUSB1", "ttyUSB0"));
        const auto key = StoreFile::open(h.configDir());
        QCOMPARE(key->readString("ComPortName").value_or(QString()), QStringLiteral("ttyUSB1"));
        QCOMPARE(key->readString("ComPortSerialNumber").value_or(QString()), QStringLiteral("A50285BI"));
    }

    // The open list shows the adapter beside the name and grows for it; the closed box does not.
    void shouldWidenTheOpenListForTheWordsBesideTheNames()
    {
        WindowHarness h;
        auto *box = portBox(h, [] { return QList<SerialPortEntry> { ftdiAStable, builtIn }; });
        QVERIFY(box);
        const QSize closed = box->size();
        openList(box);
        QAbstractItemView *view = box->view();
        QCOMPARE(box->itemData(0, PortItemDelegate::BesideRole).toString(), "FTDI FT232R USB UART A50285BI  " + stableA);
        QCOMPARE(box->itemData(1, PortItemDelegate::BesideRole).toString(), QString());
        QVERIFY(view->width() >= view->sizeHintForColumn(0));
        QVERIFY(view->width() > closed.width());
        QCOMPARE(box->size(), closed);
        box->hidePopup();
    }

    // Two alike adapters differ in the window only by their tool tips; the entries stay the names.
    void shouldTellTwoAlikeAdaptersApartInTheWindowsPortList()
    {
        WindowHarness h;
        auto *box = portBox(h, [] { return QList<SerialPortEntry> { ftdiA, ftdiB, builtIn }; });
        QVERIFY(box);

        openList(box);
        QCOMPARE(itemsOf(box), (QStringList { "ttyUSB0", "ttyUSB1", "ttyS0" }));
        QCOMPARE(itemsOf(box, Qt::ToolTipRole), (QStringList { PortToolTip::text(ftdiA, TextTable::English), PortToolTip::text(ftdiB, TextTable::English),
                                                              PortToolTip::text(builtIn, TextTable::English) }));

        // What the pointer resting on the second entry of the open list shows.
        QAbstractItemView *view = box->view();
        QVERIFY(view->isVisible());
        const QRect second = view->visualRect(view->model()->index(1, 0));
        QHelpEvent help(QEvent::ToolTip, second.center(), view->viewport()->mapToGlobal(second.center()));
        QCoreApplication::sendEvent(view->viewport(), &help);
        QVERIFY2(QToolTip::text().contains(QLatin1String("A9K3QX01")), qPrintable(QToolTip::text()));
        QToolTip::hideText();
        box->hidePopup();

        // Both adapters unplugged: the names operators type most, and no tool tip left over.
        box->findChild<PortListRefresher *>()->setSource([] { return SerialPortList::entriesOrFallback({}); });
        openList(box);
        QCOMPARE(box->count(), 16);
        QCOMPARE(itemsOf(box, Qt::ToolTipRole), QStringList(16, QString()));
        box->hidePopup();
    }

    void shouldDescribeThePortsInTheLanguageInForceWhenTheListOpens()
    {
        WindowHarness h;
        auto *box = portBox(h, [] { return QList<SerialPortEntry> { ftdiA }; });
        QVERIFY(box);
        for (const auto &[entry, language] : { std::pair { "mnuTraditional", TextTable::TraditionalChinese }, { "mnuSimplified", TextTable::SimplifiedChinese } }) {
            h.find<QAction>(entry)->trigger();
            openList(box);
            QCOMPARE(itemsOf(box, Qt::ToolTipRole), QStringList { PortToolTip::text(ftdiA, language) });
            box->hidePopup();
        }
    }
};

QTEST_MAIN(PortListTest)
#include "portlisttest.moc"
