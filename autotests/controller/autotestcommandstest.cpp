#include "controller/autotestcommands.h"
#include "link/linesettings.h"
#include "app/linkpresets.h"

#include <QTest>
#include <QTimeZone>

class AutoTestCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldSetClockToLocalTime();
    void shouldSetClockFromOtherZoneInLocalTime();
    void shouldSwitchEachOutput_data();
    void shouldSwitchEachOutput();
    void shouldPresetUsableLineSettings_data();
    void shouldPresetUsableLineSettings();
};

void AutoTestCommandsTest::shouldSetClockToLocalTime()
{
    const QDateTime now(QDate(2024, 3, 5), QTime(7, 8, 9));
    QCOMPARE(AutoTestCommands::setClock(now), QByteArray("AA20240305070809"));
    // Hours run 00 to 23.
    QCOMPARE(AutoTestCommands::setClock(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58))),
             QByteArray("AA19991231235958"));
}

void AutoTestCommandsTest::shouldSetClockFromOtherZoneInLocalTime()
{
    // A time handed over in UTC still goes out as the PC's local wall-clock time
    // (the local zone is fixed to UTC+2 in main below).
    const QDateTime utc(QDate(2024, 6, 1), QTime(23, 30, 0), QTimeZone::utc());
    QCOMPARE(AutoTestCommands::setClock(utc), QByteArray("AA20240602013000"));
}

void AutoTestCommandsTest::shouldSwitchEachOutput_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("on");
    QTest::addColumn<std::optional<QByteArray>>("expected");

    QTest::newRow("1 on") << 1 << true << std::optional<QByteArray>("JD11");
    QTest::newRow("1 off") << 1 << false << std::optional<QByteArray>("JD10");
    QTest::newRow("2 on") << 2 << true << std::optional<QByteArray>("JD21");
    QTest::newRow("3 off") << 3 << false << std::optional<QByteArray>("JD30");
    QTest::newRow("4 on") << 4 << true << std::optional<QByteArray>("JD41");
    QTest::newRow("4 off") << 4 << false << std::optional<QByteArray>("JD40");
    QTest::newRow("0 refused") << 0 << true << std::optional<QByteArray>();
    QTest::newRow("5 refused") << 5 << true << std::optional<QByteArray>();
    QTest::newRow("negative refused") << -1 << false << std::optional<QByteArray>();
}

void AutoTestCommandsTest::shouldSwitchEachOutput()
{
    QFETCH(int, output);
    QFETCH(bool, on);
    QFETCH(std::optional<QByteArray>, expected);
    QCOMPARE(AutoTestCommands::switchOutput(output, on), expected);
}

void AutoTestCommandsTest::shouldPresetUsableLineSettings_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<qint32>("baud");
    QTest::addColumn<QSerialPort::Parity>("parity");

    QTest::newRow("19200") << QString(LinkPresets::Line19200) << 19200 << QSerialPort::EvenParity;
    QTest::newRow("115200") << QString(LinkPresets::Line115200) << 115200 << QSerialPort::NoParity;
}

void AutoTestCommandsTest::shouldPresetUsableLineSettings()
{
    QFETCH(QString, preset);
    QFETCH(qint32, baud);
    QFETCH(QSerialPort::Parity, parity);

    const auto line = LineSettings::parse(preset);
    QVERIFY(line);
    QCOMPARE(line->baudRate, baud);
    QCOMPARE(line->parity, parity);
    QCOMPARE(line->toString(), preset);
}

int main(int argc, char *argv[])
{
    qputenv("TZ", "UTC-2"); // POSIX sign: two hours east of UTC, no daylight saving
    AutoTestCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "autotestcommandstest.moc"
