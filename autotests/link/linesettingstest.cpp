#include "link/linesettings.h"

#include <QTest>

Q_DECLARE_METATYPE(QSerialPort::Parity)
Q_DECLARE_METATYPE(QSerialPort::DataBits)
Q_DECLARE_METATYPE(QSerialPort::StopBits)

class LineSettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldReadModeString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud");
        QTest::addColumn<QSerialPort::Parity>("parity");
        QTest::addColumn<QSerialPort::DataBits>("dataBits");
        QTest::addColumn<QSerialPort::StopBits>("stopBits");
        QTest::newRow("19200,e,8,1") << "19200,e,8,1" << 19200 << QSerialPort::EvenParity << QSerialPort::Data8 << QSerialPort::OneStop;
        QTest::newRow("9600,n,7,2") << "9600,n,7,2" << 9600 << QSerialPort::NoParity << QSerialPort::Data7 << QSerialPort::TwoStop;
        QTest::newRow("upper O") << "115200,O,8,1" << 115200 << QSerialPort::OddParity << QSerialPort::Data8 << QSerialPort::OneStop;
        QTest::newRow("mark, 5 bits, 1.5") << "1200,m,5,1.5" << 1200 << QSerialPort::MarkParity << QSerialPort::Data5 << QSerialPort::OneAndHalfStop;
        QTest::newRow("space, 6 bits") << "2400,S,6,1" << 2400 << QSerialPort::SpaceParity << QSerialPort::Data6 << QSerialPort::OneStop;
        QTest::newRow("blanks around fields") << " 38400 , e , 8 , 1 " << 38400 << QSerialPort::EvenParity << QSerialPort::Data8 << QSerialPort::OneStop;
    }
    void shouldReadModeString()
    {
        QFETCH(QString, text);
        QFETCH(int, baud);
        QFETCH(QSerialPort::Parity, parity);
        QFETCH(QSerialPort::DataBits, dataBits);
        QFETCH(QSerialPort::StopBits, stopBits);
        const auto mode = LineSettings::parse(text);
        QVERIFY(mode);
        QCOMPARE(mode->baudRate, baud);
        QCOMPARE(mode->parity, parity);
        QCOMPARE(mode->dataBits, dataBits);
        QCOMPARE(mode->stopBits, stopBits);
        // What is written back reads the same.
        QCOMPARE(LineSettings::parse(mode->toString()), mode);
    }

    void shouldRejectMalformedModeString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters only") << "abc";
        QTest::newRow("three fields") << "19200,e,8";
        QTest::newRow("five fields") << "19200,e,8,1,1";
        QTest::newRow("bad parity") << "19200,x,8,1";
        QTest::newRow("parity word") << "19200,even,8,1";
        QTest::newRow("9 data bits") << "19200,e,9,1";
        QTest::newRow("4 data bits") << "19200,e,4,1";
        QTest::newRow("3 stop bits") << "19200,e,8,3";
        QTest::newRow("baud zero") << "0,e,8,1";
        QTest::newRow("negative baud") << "-9600,e,8,1";
        QTest::newRow("baud with letters") << "19200x,e,8,1";
        QTest::newRow("empty baud") << ",e,8,1";
        QTest::newRow("semicolons") << "19200;e;8;1";
    }
    void shouldRejectMalformedModeString()
    {
        QFETCH(QString, text);
        QVERIFY(!LineSettings::parse(text));
    }
};

QTEST_GUILESS_MAIN(LineSettingsTest)
#include "linesettingstest.moc"
