#include "protocol/commandframe.h"
#include "controller/identifyreplies.h"

#include <QTest>

class IdentifyRepliesTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldBuildScanFromTrimmedId_data();
    void shouldBuildScanFromTrimmedId();
    void shouldTakeDeviceIdFromReply();
    void shouldShowVersionByLength_data();
    void shouldShowVersionByLength();
    void shouldShowSerialNumberWithId();
    void shouldAcceptOnlyTheirLengths_data();
    void shouldAcceptOnlyTheirLengths();
};

void IdentifyRepliesTest::shouldBuildScanFromTrimmedId_data()
{
    QTest::addColumn<QString>("scanId");
    QTest::addColumn<std::optional<QByteArray>>("expected");

    QTest::newRow("default") << QStringLiteral("000") << std::optional<QByteArray>("000AS");
    QTest::newRow("blanks around") << QStringLiteral(" 5 ") << std::optional<QByteArray>("5AS");
    QTest::newRow("control chars around") << QStringLiteral("\t\r\n42\x01") << std::optional<QByteArray>("42AS");
    QTest::newRow("inner blank kept") << QStringLiteral(" 1 2 ") << std::optional<QByteArray>("1 2AS");
    QTest::newRow("empty") << QString() << std::optional<QByteArray>("AS");
    QTest::newRow("only blanks") << QStringLiteral("   ") << std::optional<QByteArray>("AS");
    QTest::newRow("inner STX refused") << QStringLiteral("0\x02" "1") << std::optional<QByteArray>();
    QTest::newRow("inner CR refused") << QStringLiteral("0\r1") << std::optional<QByteArray>();
    QTest::newRow("inner NUL refused") << QString::fromLatin1("0\0" "1", 3) << std::optional<QByteArray>();
}

void IdentifyRepliesTest::shouldBuildScanFromTrimmedId()
{
    QFETCH(QString, scanId);
    QFETCH(std::optional<QByteArray>, expected);
    QCOMPARE(IdentifyReplies::scanCommand(scanId), expected);
}

void IdentifyRepliesTest::shouldTakeDeviceIdFromReply()
{
    const QByteArray reply = CommandFrame::encodeReply("042", "AS", "12345678");
    QCOMPARE(reply.size(), IdentifyReplies::ScanReplyLength);
    QCOMPARE(IdentifyReplies::deviceIdFrom(reply), QByteArray("042"));
}

void IdentifyRepliesTest::shouldShowVersionByLength_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<bool>("ro426");

    QTest::newRow("short gets the RO420DA name") << QByteArray("V1.02.03")
                                                 << QStringLiteral("RO420DA V1.02.03") << QByteArray("V1.02") << false;
    QTest::newRow("long shown as sent") << QByteArray("ZO425 V2.10 2024") << QStringLiteral("ZO425 V2.10 2024")
                                        << QByteArray("ZO425") << false;
    QTest::newRow("long RO426") << QByteArray("RO426 V3.00 2024") << QStringLiteral("RO426 V3.00 2024")
                                << QByteArray("RO426") << true;
    QTest::newRow("short RO426") << QByteArray("RO426V01") << QStringLiteral("RO420DA RO426V01") << QByteArray("RO426")
                                 << true;
    QTest::newRow("model case matters") << QByteArray("ro426 V3.00 2024") << QStringLiteral("ro426 V3.00 2024")
                                        << QByteArray("ro426") << false;
}

void IdentifyRepliesTest::shouldShowVersionByLength()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, panel);
    QFETCH(QByteArray, model);
    QFETCH(bool, ro426);

    const QByteArray reply = CommandFrame::encodeReply("000", "AV", data);
    const auto version = IdentifyReplies::version(reply, int(reply.size()));
    QVERIFY(version);
    QCOMPARE(version->panelText, panel);
    QCOMPARE(version->model, model);
    QCOMPARE(version->isRo426, ro426);
}

void IdentifyRepliesTest::shouldShowSerialNumberWithId()
{
    const QByteArray reply = CommandFrame::encodeReply("007", "AS", "A1B2C3D4");
    const auto serial = IdentifyReplies::serial(reply, int(reply.size()), "007");
    QVERIFY(serial);
    QCOMPARE(serial->serialNumber, QByteArray("A1B2C3D4"));
    QCOMPARE(serial->panelText, QStringLiteral("S/N:A1B2C3D4   ID:007"));
}

void IdentifyRepliesTest::shouldAcceptOnlyTheirLengths_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("serialAccepted");
    QTest::addColumn<bool>("versionAccepted");

    QTest::newRow("ack") << QByteArray() << false << false;
    QTest::newRow("7 chars") << QByteArray("1234567") << false << false;
    QTest::newRow("8 chars") << QByteArray("12345678") << true << true;
    QTest::newRow("9 chars") << QByteArray("123456789") << false << false;
    QTest::newRow("15 chars") << QByteArray("123456781234567") << false << false;
    QTest::newRow("16 chars") << QByteArray("1234567812345678") << false << true;
    QTest::newRow("17 chars") << QByteArray("12345678123456789") << false << false;
}

void IdentifyRepliesTest::shouldAcceptOnlyTheirLengths()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, serialAccepted);
    QFETCH(bool, versionAccepted);

    const QByteArray reply = CommandFrame::encodeReply("000", "AS", data);
    QCOMPARE(IdentifyReplies::serial(reply, int(reply.size()), "000").has_value(), serialAccepted);
    QCOMPARE(IdentifyReplies::version(reply, int(reply.size())).has_value(), versionAccepted);
}

QTEST_APPLESS_MAIN(IdentifyRepliesTest)
#include "identifyrepliestest.moc"
