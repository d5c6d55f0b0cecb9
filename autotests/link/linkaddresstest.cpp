#include "link/linkaddress.h"

#include <QTest>

class LinkAddressTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldFindDeviceOfPortName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
#ifdef Q_OS_WIN
        // Windows opens a port by its own name; QSerialPort adds the \\.\ prefix itself.
        QTest::newRow("COM1") << "COM1" << "COM1";
        QTest::newRow("COM12") << "COM12" << "COM12";
        QTest::newRow("device namespace") << "\\\\.\\COM10" << "\\\\.\\COM10";
        QTest::newRow("lowercase com1") << "com1" << "com1";
        QTest::newRow("Unix path as it stands") << "/dev/ttyS0" << "/dev/ttyS0";
        return;
#endif
        QTest::newRow("COM1") << "COM1" << "/dev/ttyS0";
        QTest::newRow("COM12") << "COM12" << "/dev/ttyS11";
        QTest::newRow("device path") << "/dev/x" << "/dev/x";
        QTest::newRow("pts path") << "/dev/pts/7" << "/dev/pts/7";
        QTest::newRow("ttyUSB0") << "ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("COM alone") << "COM" << "/dev/COM";
        QTest::newRow("COM0 is no COM port") << "COM0" << "/dev/COM0";
        QTest::newRow("COM with letters") << "COMX" << "/dev/COMX";
        QTest::newRow("COM+1") << "COM+1" << "/dev/COM+1";
        QTest::newRow("lowercase com1") << "com1" << "/dev/com1";
    }
    void shouldFindDeviceOfPortName()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(LinkAddress::serialDevicePath(name), path);
    }

    void shouldReadPortTextAsAtolCutTo16Bits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("5003") << "5003" << 5003;
        QTest::newRow("70000") << "70000" << 4464;
        QTest::newRow("65536") << "65536" << 0;
        QTest::newRow("digits then letter") << "5003x" << 5003;
        QTest::newRow("blank then digits") << " 5003" << 5003;
        QTest::newRow("tab and newline first") << "\t\n5003" << 5003;
        QTest::newRow("plus sign") << "+5003" << 5003;
        QTest::newRow("letters only") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("minus one") << "-1" << 65535;
        QTest::newRow("minus 65535") << "-65535" << 1;
        QTest::newRow("sign without digits") << "-x5" << 0;
        QTest::newRow("blank inside") << "50 03" << 50;
        QTest::newRow("overflow clamps to LONG_MAX") << "99999999999999999999999" << int(std::uint16_t(LONG_MAX));
        QTest::newRow("underflow clamps to LONG_MIN") << "-99999999999999999999999" << int(std::uint16_t(LONG_MIN));
    }
    void shouldReadPortTextAsAtolCutTo16Bits()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(int(LinkAddress::tcpPort(text)), port);
        // Where the C library can say it without undefined behaviour, it agrees.
        const QByteArray bytes = text.toLatin1();
        if (bytes.size() < 15)
            QCOMPARE(int(std::uint16_t(std::atol(bytes.constData()))), port);
    }

    void shouldReadAddressAsInetAddr_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<quint32>("address");
        QTest::newRow("dotted") << "192.168.1.101" << true << 0xC0A80165u;
        QTest::newRow("loopback") << "127.0.0.1" << true << 0x7F000001u;
        QTest::newRow("two parts") << "127.1" << true << 0x7F000001u;
        QTest::newRow("three parts") << "10.1.258" << true << 0x0A010102u;
        QTest::newRow("one number") << "2130706433" << true << 0x7F000001u;
        QTest::newRow("hexadecimal") << "0x7f.0.0.1" << true << 0x7F000001u;
        QTest::newRow("octal") << "0177.0.0.01" << true << 0x7F000001u;
        QTest::newRow("octet too big") << "999.1.1.1" << false << 0u;
        QTest::newRow("broadcast equals INADDR_NONE") << "255.255.255.255" << false << 0u;
        QTest::newRow("five parts") << "1.2.3.4.5" << false << 0u;
        QTest::newRow("empty") << "" << false << 0u;
        QTest::newRow("name") << "localhost" << false << 0u;
        QTest::newRow("bad octal digit") << "08.0.0.1" << false << 0u;
        QTest::newRow("NUL inside") << QString::fromLatin1("127.0.0.1\0x", 11) << false << 0u;
    }
    void shouldReadAddressAsInetAddr()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(quint32, address);
        const auto parsed = LinkAddress::ipv4Address(text);
        QCOMPARE(bool(parsed), accepted);
        if (accepted)
            QCOMPARE(*parsed, address);
    }
};

QTEST_GUILESS_MAIN(LinkAddressTest)
#include "linkaddresstest.moc"
