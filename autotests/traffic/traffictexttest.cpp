// How a row's bytes, command, times and round trip read.
#include "traffic/traffictext.h"

#include <QTest>
#include <QTimeZone>

class TrafficTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldDrawEveryByteAsOneCharacter_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<QString>("hex");
        QTest::newRow("request frame") << QByteArray("\x01" "000AS\x02" "C1B3\r") << QString::fromUtf8(u8"␁000AS␂C1B3␍")
                                       << "01 30 30 30 41 53 02 43 31 42 33 0D";
        QTest::newRow("reply frame") << QByteArray("\x03" "000\x04" "FFFF\r") << QString::fromUtf8(u8"␃000␄FFFF␍")
                                     << "03 30 30 30 04 46 46 46 46 0D";
        QTest::newRow("nul, line feed, escape, delete") << QByteArray("\x00\n\x1b\x7f", 4) << QString::fromUtf8(u8"␀␊␛␡")
                                                        << "00 0A 1B 7F";
        // A byte past ASCII keeps its number as a Latin-1 character: no two bytes look alike.
        QTest::newRow("bytes past ASCII") << QByteArray("\xb4\xfa\xff") << QString::fromUtf8(u8"´úÿ") << "B4 FA FF";
        QTest::newRow("a real picture sign is not a byte") << QByteArray("\xe2\x90\x81") << QString::fromUtf8(u8"â\u0090\u0081")
                                                           << "E2 90 81";
        QTest::newRow("nothing") << QByteArray() << QString() << QString();
    }
    void shouldDrawEveryByteAsOneCharacter()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, pictures);
        QFETCH(QString, hex);
        QCOMPARE(TrafficText::pictures(bytes), pictures);
        QCOMPARE(TrafficText::pictures(bytes).size(), bytes.size());
        QCOMPARE(TrafficText::hex(bytes), hex);
    }

    void shouldFindTheCommandLetters_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("letters");
        QTest::newRow("identify") << QByteArray("\x01" "000AS\x02" "C1B3\r") << QByteArray("000AS") << QByteArray("AS");
        QTest::newRow("one-digit ID") << QByteArray("\x01" "5IE\x02" "0000\r") << QByteArray("5IE") << QByteArray("IE");
        QTest::newRow("with a value") << QByteArray("\x01" "000AA1000\x02" "0000\r") << QByteArray("000AA1000")
                                      << QByteArray("AA1000");
        QTest::newRow("frame without STX") << QByteArray("\x01" "000DF") << QByteArray("000DF") << QByteArray("DF");
        QTest::newRow("operator's text, no frame") << QByteArray("12 AB") << QByteArray("12 AB") << QByteArray("AB");
        QTest::newRow("only an ID") << QByteArray("\x01" "000\x02") << QByteArray("000") << QByteArray();
        QTest::newRow("nothing") << QByteArray() << QByteArray() << QByteArray();
    }
    void shouldFindTheCommandLetters()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, letters);
        QCOMPARE(TrafficText::commandText(request), text);
        QCOMPARE(TrafficText::commandLetters(request), letters);
    }

    void shouldWriteTheTimeWithItsOffset_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<QString>("full");
        QTest::addColumn<QString>("clock");
        const QDate day(2026, 12, 7);
        QTest::newRow("UTC") << QDateTime(day, QTime(9, 5, 7, 3), QTimeZone::utc()) << "2026-12-07 09:05:07.003 +00:00"
                             << "09:05:07.003";
        QTest::newRow("east") << QDateTime(day, QTime(23, 59, 59, 999), QTimeZone(8 * 3600))
                              << "2026-12-07 23:59:59.999 +08:00" << "23:59:59.999";
        QTest::newRow("west, half hour") << QDateTime(day, QTime(0, 0), QTimeZone(-(3 * 3600 + 1800)))
                                         << "2026-12-07 00:00:00.000 -03:30" << "00:00:00.000";
        QTest::newRow("as the link stamps it") << QDateTime(day, QTime(14, 41, 48, 687), Qt::OffsetFromUTC, 3600)
                                               << "2026-12-07 14:41:48.687 +01:00" << "14:41:48.687";
        QTest::newRow("a year of three digits") << QDateTime(QDate(987, 6, 5), QTime(4, 3, 2, 10), QTimeZone::utc())
                                                << "0987-06-05 04:03:02.010 +00:00" << "04:03:02.010";
        QTest::newRow("none") << QDateTime() << QString() << QString();
    }
    void shouldWriteTheTimeWithItsOffset()
    {
        QFETCH(QDateTime, time);
        QFETCH(QString, full);
        QFETCH(QString, clock);
        QCOMPARE(TrafficText::fullTime(time), full);
        QCOMPARE(TrafficText::clockTime(time), clock);
    }

    void shouldGiveTheRoundTripInMilliseconds_data()
    {
        QTest::addColumn<qint64>("microseconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing sent") << qint64(-1) << QString();
        QTest::newRow("zero") << qint64(0) << "0.000";
        QTest::newRow("loopback") << qint64(412) << "0.412";
        QTest::newRow("a few microseconds") << qint64(7) << "0.007";
        QTest::newRow("tens of microseconds") << qint64(1061) << "1.061";
        QTest::newRow("the TCP limit") << qint64(1200000) << "1200.000";
        QTest::newRow("odd") << qint64(1234567) << "1234.567";
    }
    void shouldGiveTheRoundTripInMilliseconds()
    {
        QFETCH(qint64, microseconds);
        QFETCH(QString, text);
        QCOMPARE(TrafficText::roundTripMs(microseconds), text);
    }
};

QTEST_GUILESS_MAIN(TrafficTextTest)
#include "traffictexttest.moc"
