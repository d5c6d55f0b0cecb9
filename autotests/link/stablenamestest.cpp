// Names that last: a USB serial adapter is found again by its stable path or its serial number
// when it comes back under another port name. The device lists are made up (no adapter needs
// to be plugged in); the stable paths are real links in a scratch folder.
#include "link/adapteridentity.h"
#include "link/serialportlist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#define ZU42_NO_STABLE_FOLDER 1
#endif

namespace {

const QString pathA = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
const QString pathB = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9K3QX01-if00-port0");

SerialPortEntry adapterA(const QString &name, const QString &stablePath = pathA)
{
    return { name, "/dev/" + name, "FT232R USB UART", "FTDI", "A50285BI", stablePath };
}

SerialPortEntry adapterB(const QString &name, const QString &stablePath = pathB)
{
    return { name, "/dev/" + name, "FT232R USB UART", "FTDI", "A9K3QX01", stablePath };
}

SerialPortEntry builtIn(const QString &name)
{
    return { name, "/dev/" + name, {}, {}, {}, {} };
}

} // namespace

Q_DECLARE_METATYPE(SerialPortEntry)
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
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("moved");

        const AdapterIdentity a { pathA, "A50285BI" };
        QTest::newRow("where it was") << "ttyUSB0" << a << QList { adapterA("ttyUSB0"), adapterB("ttyUSB1") }
                                      << "ttyUSB0" << false;
        QTest::newRow("back under another name") << "ttyUSB0" << a << QList { builtIn("ttyS0"), adapterA("ttyUSB1") }
                                                 << "ttyUSB1" << true;
        QTest::newRow("swapped with an alike adapter")
            << "ttyUSB0" << a << QList { adapterB("ttyUSB0"), adapterA("ttyUSB1") } << "ttyUSB1" << true;
        QTest::newRow("not plugged in: the written name") << "ttyUSB0" << a << QList { adapterB("ttyUSB0") }
                                                          << "ttyUSB0" << false;
        QTest::newRow("no stable paths (Windows): its serial number")
            << "COM3" << AdapterIdentity { {}, "A50285BI" } << QList { adapterB("COM3", {}), adapterA("COM7", {}) }
            << "COM7" << true;
        QTest::newRow("stable path gone, serial number alone")
            << "ttyUSB0" << a << QList { adapterA("ttyUSB2", {}) } << "ttyUSB2" << true;
        SerialPortEntry twin = adapterB("ttyUSB1", {});
        twin.serialNumber = "A50285BI";
        QTest::newRow("two adapters with one serial number: neither")
            << "COM3" << AdapterIdentity { {}, "A50285BI" } << QList { adapterA("COM5", {}), twin } << "COM3" << false;
        SerialPortEntry twinWithPath = adapterB("ttyUSB0");
        twinWithPath.serialNumber = "A50285BI";
        QTest::newRow("one serial number, the stable path tells")
            << "ttyUSB0" << a << QList { twinWithPath, adapterA("ttyUSB1") } << "ttyUSB1" << true;
        QTest::newRow("nothing remembered (a built-in port)")
            << "ttyS0" << AdapterIdentity {} << QList { adapterA("ttyUSB0") } << "ttyS0" << false;
    }
    void shouldChooseThePortOfTheRememberedAdapter()
    {
        QFETCH(QString, written);
        QFETCH(AdapterIdentity, remembered);
        QFETCH(QList<SerialPortEntry>, present);
        QFETCH(QString, chosen);
        QFETCH(bool, moved);
        const AdapterIdentity::Choice choice = remembered.portFor(written, present);
        QCOMPARE(choice.portName, chosen);
        QCOMPARE(choice.moved, moved);
    }

    // links: name in the folder -> device it leads to ("" for a device that is gone).
    void shouldFindEachPortsStablePath_data()
    {
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QStringList>("expected"); // stable link name of ttyUSB0, ttyUSB1
        QTest::newRow("one link each") << QStringList { "usb-A=ttyUSB0", "usb-B=ttyUSB1" }
                                       << QStringList { "usb-A", "usb-B" };
        QTest::newRow("a port without a link") << QStringList { "usb-B=ttyUSB1" } << QStringList { "", "usb-B" };
        QTest::newRow("two links to one device: the first by name")
            << QStringList { "usb-Z=ttyUSB0", "usb-A-port0=ttyUSB0" } << QStringList { "usb-A-port0", "" };
        QTest::newRow("a link to a device that is gone") << QStringList { "usb-C=ttyUSB7" } << QStringList { "", "" };
        QTest::newRow("no folder") << QStringList {} << QStringList { "", "" };
    }
    void shouldFindEachPortsStablePath()
    {
        QFETCH(QStringList, links);
        QFETCH(QStringList, expected);
#ifdef ZU42_NO_STABLE_FOLDER
        QSKIP("the system keeps no folder of stable names here");
#endif
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString dev = scratch.filePath("dev");
        const QString byId = scratch.filePath("by-id");
        QVERIFY(QDir().mkpath(dev));
        QList<SerialPortEntry> present;
        for (const QString name : { "ttyUSB0", "ttyUSB1" }) {
            QFile device(dev + '/' + name);
            QVERIFY(device.open(QIODevice::WriteOnly));
            present.append({ name, device.fileName(), {}, {}, {}, {} });
        }
        if (!links.isEmpty())
            QVERIFY(QDir().mkpath(byId));
        for (const QString &link : links) {
            const QStringList parts = link.split('=');
            QVERIFY(QFile::link(dev + '/' + parts.at(1), byId + '/' + parts.at(0)));
        }

        const QList<SerialPortEntry> found = SerialPortList::withStablePaths(present, byId);
        QCOMPARE(found.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(found.at(i).stablePath, expected.at(i).isEmpty() ? QString() : byId + '/' + expected.at(i));
            QCOMPARE(found.at(i).name, present.at(i).name);
        }
    }
};

QTEST_GUILESS_MAIN(StableNamesTest)
#include "stablenamestest.moc"
