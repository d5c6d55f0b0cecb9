// Names that last: an adapter is found again by its stable path or serial number under another
// port name. The device lists are made up; the stable paths are real links in a scratch folder.
#include "link/adapteridentity.h"
#include "link/serialportlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString pathA = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

// An FTDI adapter: its serial number, the port it is on, and its stable path unless none.
SerialPortEntry ftdi(const QString &serial, const QString &name, bool stable = true)
{
    return { name, "/dev/" + name, "FT232R USB UART", "FTDI", serial,
             stable ? "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_" + serial + "-if00-port0" : QString() };
}

} // namespace

Q_DECLARE_METATYPE(AdapterIdentity)

class StableNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldChooseThePortOfTheRememberedAdapter_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<AdapterIdentity>("remembered");
        QTest::addColumn<QList<SerialPortEntry>>("present");
        QTest::addColumn<QString>("chosen"); // moved when it is not the written one
        const AdapterIdentity a { pathA, "A50285BI" };
        const AdapterIdentity serialOnly { {}, "A50285BI" };
        SerialPortEntry twin = ftdi("A9K3QX01", "ttyUSB0");
        twin.serialNumber = "A50285BI";
        QTest::newRow("where it was") << "ttyUSB0" << a << QList { ftdi("A50285BI", "ttyUSB0"), ftdi("A9K3QX01", "ttyUSB1") } << "ttyUSB0";
        QTest::newRow("back under another name") << "ttyUSB0" << a << QList { ftdi("A50285BI", "ttyUSB1") } << "ttyUSB1";
        QTest::newRow("swapped with an alike adapter")
            << "ttyUSB0" << a << QList { ftdi("A9K3QX01", "ttyUSB0"), ftdi("A50285BI", "ttyUSB1") } << "ttyUSB1";
        QTest::newRow("not plugged in") << "ttyUSB0" << a << QList { ftdi("A9K3QX01", "ttyUSB0") } << "ttyUSB0";
        QTest::newRow("no stable paths (Windows)")
            << "COM3" << serialOnly << QList { ftdi("A9K3QX01", "COM3", false), ftdi("A50285BI", "COM7", false) } << "COM7";
        QTest::newRow("stable path gone, serial number alone") << "ttyUSB0" << a << QList { ftdi("A50285BI", "ttyUSB2", false) } << "ttyUSB2";
        QTest::newRow("one serial number on two: neither")
            << "COM3" << serialOnly << QList { ftdi("A50285BI", "COM5", false), ftdi("A50285BI", "COM6", false) } << "COM3";
        QTest::newRow("one serial number on two, the stable path tells")
            << "ttyUSB0" << a << QList { twin, ftdi("A50285BI", "ttyUSB1") } << "ttyUSB1";
        QTest::newRow("nothing remembered (a built-in port)") << "ttyS0" << AdapterIdentity {} << QList { ftdi("A50285BI", "ttyUSB0") } << "ttyS0";
    }
    void shouldChooseThePortOfTheRememberedAdapter()
    {
        QFETCH(QString, written);
        QFETCH(AdapterIdentity, remembered);
        QFETCH(QList<SerialPortEntry>, present);
        QFETCH(QString, chosen);
        const AdapterIdentity::Choice choice = remembered.portFor(written, present);
        QCOMPARE(choice.portName, chosen);
        QCOMPARE(choice.moved, chosen != written);
    }

    // Each port gets the first link by name that leads to its device; a link whose device is
    // gone leads nowhere.
    void shouldFindEachPortsStablePath()
    {
#ifdef Q_OS_WIN
        QSKIP("the system keeps no folder of stable names here");
#endif
        QTemporaryDir scratch;
        QVERIFY(QDir(scratch.path()).mkpath("by-id"));
        QList<SerialPortEntry> present;
        for (const QString name : { "ttyUSB0", "ttyUSB1", "ttyUSB2" }) {
            QFile device(scratch.filePath(name));
            QVERIFY(device.open(QIODevice::WriteOnly));
            present.append({ name, device.fileName(), {}, {}, {}, {} });
        }
        for (const auto &[link, device] : { std::pair { "usb-Z", "ttyUSB0" }, { "usb-A", "ttyUSB0" }, { "usb-B", "ttyUSB1" }, { "usb-C", "ttyUSB7" } })
            QVERIFY(QFile::link(scratch.filePath(device), scratch.filePath(QStringLiteral("by-id/") + link)));
        const QList<SerialPortEntry> found = SerialPortList::withStablePaths(present, scratch.filePath("by-id"));
        QCOMPARE(found.at(0).stablePath, scratch.filePath("by-id/usb-A"));
        QCOMPARE(found.at(1).stablePath, scratch.filePath("by-id/usb-B"));
        QCOMPARE(found.at(2).stablePath, QString());
    }
};

QTEST_GUILESS_MAIN(StableNamesTest)
#include "stablenamestest.moc"
