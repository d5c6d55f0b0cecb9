#include "protocol/commandframe.h"
#include "protocol/crc16arc.h"

#include <QTest>

namespace {

// The CRC computed bit by bit, as the polynomial defines it, to hold the table against.
std::uint16_t bitwiseCrc(QByteArrayView data)
{
    std::uint16_t reg = 0;
    for (char c : data) {
        reg ^= std::uint8_t(c);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg & 1) ? std::uint16_t((reg >> 1) ^ 0xA001) : std::uint16_t(reg >> 1);
    }
    return reg;
}

// A reply frame put together by hand, so that the frame code is not checked against itself.
QByteArray handReply(const QByteArray &body, const QByteArray &afterDigits = {})
{
    const QByteArray upToEot = "\x03" + body + "\x04";
    const QByteArray digits = QByteArray::number(bitwiseCrc(upToEot), 16).rightJustified(4, '0').toUpper();
    return upToEot + digits + afterDigits + "\r";
}

} // namespace

class CommandFrameTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldGiveTheCheckValueForTheNineDigits()
    {
        QCOMPARE(Crc16Arc::checksum("123456789"), std::uint16_t(0xBB3D));
        QCOMPARE(Crc16Arc::CheckValue, std::uint16_t(0xBB3D));
    }

    void shouldAgreeWithTheBitwiseCrc_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("soh stx") << QByteArray("\x01\x02");
        QTest::newRow("every byte value") << [] {
            QByteArray all;
            for (int i = 0; i < 256; ++i)
                all.append(char(i));
            return all;
        }();
        QTest::newRow("high bytes") << QByteArray("\xff\xfe\x80\x7f\x00\x01", 6);
    }
    void shouldAgreeWithTheBitwiseCrc()
    {
        QFETCH(QByteArray, data);
        QCOMPARE(Crc16Arc::checksum(data), bitwiseCrc(data));
    }

    void shouldWriteCrcDigitsInUppercaseHighByteFirst_data()
    {
        QTest::addColumn<int>("crc");
        QTest::addColumn<QByteArray>("digits");
        QTest::newRow("0x11B7") << 0x11B7 << QByteArray("11B7");
        QTest::newRow("0x0000") << 0x0000 << QByteArray("0000");
        QTest::newRow("0xABCD") << 0xABCD << QByteArray("ABCD");
        QTest::newRow("0x00F0") << 0x00F0 << QByteArray("00F0");
    }
    void shouldWriteCrcDigitsInUppercaseHighByteFirst()
    {
        QFETCH(int, crc);
        QFETCH(QByteArray, digits);
        QCOMPARE(Crc16Arc::digits(std::uint16_t(crc)), digits);
    }

    void shouldFrameCommandText_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("frameHex");
        QTest::addColumn<int>("crc");
        QTest::newRow("000AS") << QByteArray("000AS") << QByteArray("01303030415302313142370d") << 0x11B7;
        QTest::newRow("empty text") << QByteArray() << QByteArray("0102353138300d") << 0x5180;
        QTest::newRow("cut at NUL") << QByteArray("000AS\0junk", 10) << QByteArray("01303030415302313142370d") << 0x11B7;
    }
    void shouldFrameCommandText()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, frameHex);
        QFETCH(int, crc);
        std::uint16_t sum = 0;
        const auto frame = CommandFrame::encodeRequest(command, &sum);
        QVERIFY(frame);
        QCOMPARE(frame->toHex(), frameHex);
        QCOMPARE(int(sum), crc);
    }

    void shouldRefuseCommandTooLongForTheFrame_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("fits");
        QTest::newRow("1493 fills the frame") << 1493 << true;
        QTest::newRow("1494") << 1494 << false;
        QTest::newRow("64 KiB") << 65536 << false;
    }
    void shouldRefuseCommandTooLongForTheFrame()
    {
        QFETCH(int, length);
        QFETCH(bool, fits);
        const auto frame = CommandFrame::encodeRequest(QByteArray(length, 'A'));
        QCOMPARE(bool(frame), fits);
        if (fits)
            QCOMPARE(frame->size(), qsizetype(CommandFrame::BufferSize));
    }

    void shouldJudgeReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("valid");
        const QByteArray ok = handReply("000AS24010042");
        QTest::newRow("valid") << ok << true;
        QTest::newRow("plain acknowledgement") << handReply("000AJ") << true;
        QByteArray lower = ok;
        const qsizetype eot = lower.indexOf('\x04');
        for (qsizetype i = eot + 1; i < eot + 5; ++i)
            lower[i] = char(std::tolower(lower[i]));
        QVERIFY2(lower != ok, "the reply's CRC must hold a letter for this case");
        QTest::newRow("lowercase digits") << lower << false;
        QByteArray wrong = ok;
        wrong[eot + 4] = wrong[eot + 4] == '0' ? '1' : '0';
        QTest::newRow("wrong last digit") << wrong << false;
        QByteArray noEot = ok;
        noEot[eot] = 'X';
        QTest::newRow("no EOT") << noEot << false;
        QTest::newRow("digits cut short") << QByteArray("\x03" "000AS\x04" "12\r") << false;
        QTest::newRow("EOT at the end") << QByteArray("\x03\x04") << false;
        QTest::newRow("extra bytes before CR") << handReply("000AS24010042", "zz") << true;
        QByteArray dataChanged = ok;
        dataChanged[8] = 'X';
        QTest::newRow("data changed after CRC") << dataChanged << false;
        // Only the bytes up to the first EOT count; a second EOT is data after the digits.
        QTest::newRow("second EOT after digits") << handReply("000AS1", "\x04" "FFFF") << true;
    }
    void shouldJudgeReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        QCOMPARE(CommandFrame::isValidReply(reply), valid);
    }

    void shouldBuildRepliesThatTheValidationAccepts()
    {
        const QByteArray reply = CommandFrame::encodeReply("001", "AV", "RO426V05");
        QCOMPARE(reply, handReply("001AVRO426V05"));
        QCOMPARE(reply.size(), qsizetype(8 + CommandFrame::AckLength));
        QVERIFY(!CommandFrame::isValidReply(CommandFrame::encodeReply("001", "AV", "RO426V05", false, true)));
    }

    void shouldDecodeRequest_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("framed");
        QTest::addColumn<bool>("crcOk");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("000AS") << QByteArray::fromHex("01303030415302313142370d") << true << true << QByteArray("000AS");
        QTest::newRow("empty text") << QByteArray::fromHex("0102353138300d") << true << true << QByteArray();
        QTest::newRow("wrong CRC") << QByteArray::fromHex("01303030415302313142380d") << true << false << QByteArray("000AS");
        QTest::newRow("lowercase CRC") << QByteArray::fromHex("01303030415302313162370d") << true << false << QByteArray("000AS");
        QTest::newRow("no SOH") << QByteArray::fromHex("00303030415302313142370d") << false << false << QByteArray();
        QTest::newRow("no CR") << QByteArray::fromHex("01303030415302313142370a") << false << false << QByteArray();
        QTest::newRow("STX missing") << QByteArray::fromHex("01303030415303313142370d") << false << false << QByteArray();
        QTest::newRow("six bytes") << QByteArray::fromHex("010235313830") << false << false << QByteArray();
        QTest::newRow("nothing") << QByteArray() << false << false << QByteArray();
    }
    void shouldDecodeRequest()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, framed);
        QFETCH(bool, crcOk);
        QFETCH(QByteArray, command);
        bool sumOk = false;
        const auto decoded = CommandFrame::decodeRequest(frame, &sumOk);
        QCOMPARE(bool(decoded), framed);
        if (framed) {
            QCOMPARE(*decoded, command);
            QCOMPARE(sumOk, crcOk);
        }
    }
};

QTEST_GUILESS_MAIN(CommandFrameTest)
#include "commandframetest.moc"
