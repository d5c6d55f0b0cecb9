#include "protocol/commandframe.h"
#include "controller/readback.h"

#include <QTest>

namespace {

// The 21 bytes from 0x000A as the controller sends them; each argument is two characters.
QByteArray firstData(const char *language = "00", const char *encoding = "02", const char *hour = "00",
                     const char *title = "01", const char *date = "00", const char *cardType = "01",
                     const char *cardBits = "18", const char *sameCard = "0A")
{
    QByteArray d;
    d += language;
    d += encoding;
    d += hour;
    d += title;
    d += date;
    d += "ZZZZZZZZZZZZ"; // 0x000F..0x0014: not applied, so not even required to be hexadecimal
    d += cardType;
    d += cardBits;
    d += sameCard;
    d += "02010100000000"; // 0x0018..0x001E
    return d;
}

// The 8 bytes from 0x0086.
QByteArray secondData(const char *force = "00", const char *time = "14", const char *timeout = "01",
                      const char *log = "01", const char *ext = "00", const char *di = "01")
{
    return QByteArray(force) + time + timeout + "ZZ" + "ZZ" + log + ext + di;
}

QByteArray reply(const QByteArray &data)
{
    return CommandFrame::encodeReply("001", "AP", data);
}

} // namespace

class ReadBackTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadTheTwoRanges();
    void shouldApplyFirstRead();
    void shouldApplyFieldValues_data();
    void shouldApplyFieldValues();
    void shouldCompareCardBitsAsText_data();
    void shouldCompareCardBitsAsText();
    void shouldApplySecondRead();
    void shouldRefuseOtherLengths_data();
    void shouldRefuseOtherLengths();
    void shouldFailWholeReadOnNonHexField_data();
    void shouldFailWholeReadOnNonHexField();
    void shouldReadDisplayFieldsWithoutFailingOnThem_data();
    void shouldReadDisplayFieldsWithoutFailingOnThem();
};

void ReadBackTest::shouldReadTheTwoRanges()
{
    QCOMPARE(ReadBack::firstCommand(), QByteArray("AP000A15"));
    QCOMPARE(ReadBack::secondCommand(), QByteArray("AP008608"));
    QCOMPARE(reply(firstData()).size(), ReadBack::FirstReplyLength);
    QCOMPARE(reply(secondData()).size(), ReadBack::SecondReplyLength);
}

void ReadBackTest::shouldApplyFirstRead()
{
    const QByteArray r = reply(firstData("02", "01", "01", "02", "02", "03", "20", "FF"));
    const auto f = ReadBack::parseFirst(r, int(r.size()));
    QVERIFY(f);
    QCOMPARE(f->language, 2);
    QCOMPARE(f->encoding, 1);
    QCOMPARE(f->hourType, 1);
    QCOMPARE(f->titleCount, 2);
    QCOMPARE(f->dateType, 2);
    QCOMPARE(f->cardTypeIndex, 2);
    QCOMPARE(f->cardBitsIndex, 1);
    QCOMPARE(f->sameCardText, QStringLiteral("255"));
}

void ReadBackTest::shouldApplyFieldValues_data()
{
    QTest::addColumn<QByteArray>("hourByte");
    QTest::addColumn<QByteArray>("cardTypeByte");
    QTest::addColumn<QByteArray>("sameCardByte");
    QTest::addColumn<int>("hourType");
    QTest::addColumn<int>("cardTypeIndex");
    QTest::addColumn<QString>("sameCardText");

    QTest::newRow("defaults") << QByteArray("00") << QByteArray("01") << QByteArray("0A") << 0 << 0 << "10";
    QTest::newRow("hour 10 is sixteen") << QByteArray("10") << QByteArray("03") << QByteArray("00") << 16 << 2
                                        << "0";
    QTest::newRow("card type 00 gives -1") << QByteArray("01") << QByteArray("00") << QByteArray("ff") << 1 << -1
                                           << "255";
    QTest::newRow("lowercase digits") << QByteArray("0a") << QByteArray("ff") << QByteArray("7f") << 10 << 254
                                      << "127";
}

void ReadBackTest::shouldApplyFieldValues()
{
    QFETCH(QByteArray, hourByte);
    QFETCH(QByteArray, cardTypeByte);
    QFETCH(QByteArray, sameCardByte);
    QFETCH(int, hourType);
    QFETCH(int, cardTypeIndex);
    QFETCH(QString, sameCardText);

    const QByteArray r = reply(firstData("00", "02", hourByte.constData(), "01", "00", cardTypeByte.constData(), "18",
                                         sameCardByte.constData()));
    const auto f = ReadBack::parseFirst(r, int(r.size()));
    QVERIFY(f);
    QCOMPARE(f->hourType, hourType);
    QCOMPARE(f->cardTypeIndex, cardTypeIndex);
    QCOMPARE(f->sameCardText, sameCardText);
}

void ReadBackTest::shouldCompareCardBitsAsText_data()
{
    QTest::addColumn<QByteArray>("bits");
    QTest::addColumn<int>("index");

    QTest::newRow("20 is 32 bits") << QByteArray("20") << 1;
    QTest::newRow("18 is 24 bits") << QByteArray("18") << 0;
    QTest::newRow("xx is 24 bits") << QByteArray("xx") << 0;
    QTest::newRow("02 is 24 bits") << QByteArray("02") << 0;
    QTest::newRow("blank pair is 24 bits") << QByteArray("  ") << 0;
}

void ReadBackTest::shouldCompareCardBitsAsText()
{
    QFETCH(QByteArray, bits);
    QFETCH(int, index);
    const QByteArray r = reply(firstData("00", "02", "00", "01", "00", "01", bits.constData()));
    const auto f = ReadBack::parseFirst(r, int(r.size()));
    QVERIFY(f); // the card bits never make the read fail
    QCOMPARE(f->cardBitsIndex, index);
}

void ReadBackTest::shouldApplySecondRead()
{
    const QByteArray r = reply(secondData("01", "FF", "00", "00", "01", "03"));
    const auto s = ReadBack::parseSecond(r, int(r.size()));
    QVERIFY(s);
    QCOMPARE(s->doorForce, 1);
    QCOMPARE(s->timeoutTimeText, QStringLiteral("255"));
    QCOMPARE(s->doorTimeout, 0);
    QCOMPARE(s->doorLog, 0);
    QCOMPARE(s->extReader, 1);
    QCOMPARE(s->diMode, 3);

    const QByteArray d = reply(secondData());
    QCOMPARE(ReadBack::parseSecond(d, int(d.size()))->timeoutTimeText, QStringLiteral("20"));
}

void ReadBackTest::shouldRefuseOtherLengths_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("first");

    QTest::newRow("first 53") << firstData().chopped(1) << true;
    QTest::newRow("first 55") << firstData() + "0" << true;
    QTest::newRow("first ack") << QByteArray() << true;
    QTest::newRow("second 27") << secondData().chopped(1) << false;
    QTest::newRow("second 29") << secondData() + "0" << false;
    QTest::newRow("first reply to second read") << firstData() << false;
    QTest::newRow("second reply to first read") << secondData() << true;
}

void ReadBackTest::shouldRefuseOtherLengths()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, first);
    const QByteArray r = reply(data);
    if (first)
        QVERIFY(!ReadBack::parseFirst(r, int(r.size())));
    else
        QVERIFY(!ReadBack::parseSecond(r, int(r.size())));
}

void ReadBackTest::shouldFailWholeReadOnNonHexField_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("first");

    QTest::newRow("language") << firstData("0G") << true;
    QTest::newRow("encoding") << firstData("00", "x1") << true;
    QTest::newRow("hour") << firstData("00", "02", " 1") << true;
    QTest::newRow("title") << firstData("00", "02", "00", "-1") << true;
    QTest::newRow("date") << firstData("00", "02", "00", "01", "+0") << true;
    QTest::newRow("card type") << firstData("00", "02", "00", "01", "00", "$1") << true;
    QTest::newRow("same card delay") << firstData("00", "02", "00", "01", "00", "01", "20", "1 ") << true;
    QTest::newRow("door force") << secondData("??") << false;
    QTest::newRow("timeout time") << secondData("00", "1.") << false;
    QTest::newRow("door timeout") << secondData("00", "14", "0x") << false;
    QTest::newRow("door log") << secondData("00", "14", "01", "GG") << false;
    QTest::newRow("ext reader") << secondData("00", "14", "01", "01", "\xB2" "0") << false;
    QTest::newRow("DI mode") << secondData("00", "14", "01", "01", "00", "0z") << false;
}

void ReadBackTest::shouldFailWholeReadOnNonHexField()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, first);
    const QByteArray r = reply(data);
    if (first) {
        QCOMPARE(r.size(), ReadBack::FirstReplyLength);
        QVERIFY(!ReadBack::parseFirst(r, int(r.size())));
    } else {
        QCOMPARE(r.size(), ReadBack::SecondReplyLength);
        QVERIFY(!ReadBack::parseSecond(r, int(r.size())));
    }
}

// The display fields (0x001B..0x001D) and the reader type (0x008A) are read for the profiles;
// a malformed one is missing, and the read the window applies still counts.
void ReadBackTest::shouldReadDisplayFieldsWithoutFailingOnThem_data()
{
    QTest::addColumn<QByteArray>("display"); // 0x001B..0x001D, six characters
    QTest::addColumn<QByteArray>("reader");  // 0x008A, two characters
    QTest::addColumn<int>("cardDisplay");    // -1: missing
    QTest::addColumn<int>("showStatus");
    QTest::addColumn<int>("useStatus");
    QTest::addColumn<int>("readerType");

    QTest::newRow("all read") << QByteArray("030100") << QByteArray("01") << 3 << 1 << 0 << 1;
    QTest::newRow("beyond the lists still read") << QByteArray("FF0a07") << QByteArray("7f") << 255 << 10 << 7 << 127;
    QTest::newRow("malformed display field") << QByteArray("0G0101") << QByteArray("00") << -1 << 1 << 1 << 0;
    QTest::newRow("malformed status fields") << QByteArray("02 1x1") << QByteArray("ZZ") << 2 << -1 << -1 << -1;
}

void ReadBackTest::shouldReadDisplayFieldsWithoutFailingOnThem()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, reader);
    QFETCH(int, cardDisplay);
    QFETCH(int, showStatus);
    QFETCH(int, useStatus);
    QFETCH(int, readerType);
    const auto orMissing = [](const std::optional<int> &v) { return v.value_or(-1); };

    QByteArray first = firstData();
    first.replace(2 * (0x1B - 0x0A), 6, display);
    const QByteArray r1 = reply(first);
    const auto f = ReadBack::parseFirst(r1, int(r1.size()));
    QVERIFY(f);
    QCOMPARE(orMissing(f->cardDisplay), cardDisplay);
    QCOMPARE(orMissing(f->showStatus), showStatus);
    QCOMPARE(orMissing(f->useStatus), useStatus);
    QCOMPARE(f->sameCardText, QStringLiteral("10"));

    QByteArray second = secondData();
    second.replace(2 * (0x8A - 0x86), 2, reader);
    const QByteArray r2 = reply(second);
    const auto s = ReadBack::parseSecond(r2, int(r2.size()));
    QVERIFY(s);
    QCOMPARE(orMissing(s->readerType), readerType);
    QCOMPARE(s->doorLog, 1);
}

QTEST_APPLESS_MAIN(ReadBackTest)
#include "readbacktest.moc"
