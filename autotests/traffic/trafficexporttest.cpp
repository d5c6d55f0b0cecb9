// The monitor's rows out of the program: a CSV file that any RFC 4180 reader gives back field
// for field, a text line that stays one line with its fields apart, and the fixed English
// words in both.
#include "trafficevents.h"
#include "traffic/trafficexport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace TrafficEvents;

namespace {

// A strict reader: a quote inside an unquoted field, or text after a closing quote, is a
// fault of the writer and reads as nothing.
QList<QStringList> readCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, wasQuoted = false;
    qsizetype i = 0;
    auto endField = [&] {
        row.append(field);
        field.clear();
        wasQuoted = false;
    };
    while (i < text.size()) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    i += 2;
                    continue;
                }
                quoted = false;
                wasQuoted = true;
            } else {
                field += c;
            }
            ++i;
            continue;
        }
        if (c == u'"') {
            if (!field.isEmpty() || wasQuoted)
                return {};
            quoted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            endField();
            rows.append(row);
            row.clear();
            ++i;
        } else if (wasQuoted) {
            return {};
        } else {
            field += c;
        }
        ++i;
    }
    if (quoted || !row.isEmpty() || !field.isEmpty())
        return {}; // the last row must end in CR LF
    return rows;
}

} // namespace

class TrafficExportTest : public QObject
{
    Q_OBJECT

    static int column(const char *name) { return int(TrafficExport::csvHeader().indexOf(QLatin1String(name))); }

    void awkwardRows()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("detailInCsv");
        QTest::addColumn<QString>("replyShown");
        QTest::newRow("plain") << "127.0.0.1:5003" << "" << QByteArray("\x03" "000\x04" "FFFF\r") << ""
                               << QString::fromUtf8(u8"␃000␄FFFF␍");
        QTest::newRow("commas in the serial line") << "ttyUSB0 19200,e,8,1" << "" << QByteArray() << "" << "";
        QTest::newRow("quotes") << "127.0.0.1:5003" << "The controller said \"E12\", twice" << QByteArray("\"\"")
                                << "The controller said \"E12\", twice" << "\"\"";
        QTest::newRow("line ends in the detail") << "127.0.0.1:5003" << "line one\r\nline two\nthree" << QByteArray()
                                                 << "line one\r\nline two\nthree" << "";
        QTest::newRow("blanks at both ends") << " 127.0.0.1:5003 " << "  padded  " << QByteArray(" ") << "  padded  " << " ";
        QTest::newRow("tab and bell") << "127.0.0.1:5003" << "a\tb\x07" << QByteArray("\t") << QString::fromUtf8(u8"a\tb␇")
                                      << QString::fromUtf8(u8"␉");
        QTest::newRow("Chinese") << QString::fromUtf8(u8"串口 COM3") << QString::fromUtf8(u8"连接无法打开") << QByteArray()
                                 << QString::fromUtf8(u8"连接无法打开") << "";
        QTest::newRow("noise, comma and quote in the reply")
            << "127.0.0.1:5003" << "" << QByteArray("zq\x03" "0,\"\x04" "F\r") << "" << QString::fromUtf8(u8"zq␃0,\"␄F␍");
        QTest::newRow("reply of line ends") << "127.0.0.1:5003" << "" << QByteArray("\r\n\r\n") << ""
                                            << QString::fromUtf8(u8"␍␊␍␊");
    }

private Q_SLOTS:
    void shouldReadBackEveryFieldOfTheCsv_data() { awkwardRows(); }
    void shouldReadBackEveryFieldOfTheCsv()
    {
        QFETCH(QString, link);
        QFETCH(QString, detail);
        QFETCH(QByteArray, reply);
        QFETCH(QString, detailInCsv);
        QFETCH(QString, replyShown);
        ExchangeEvent e = exchange(Verdict::BadCheckDigits, frame("000AS"), reply, detail, 1234);
        e.link = link;
        e.time = QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0, 5), QTimeZone(3600));
        const QList<TrafficRow> rows { { 7, e }, { 8, e } };

        const QByteArray csv = TrafficExport::csv(rows);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> read = readCsv(QString::fromUtf8(csv.mid(3)));
        QCOMPARE(read.size(), 3);
        QCOMPARE(read[0], TrafficExport::csvHeader());
        for (const QStringList &fields : read.mid(1)) {
            QCOMPARE(fields.size(), TrafficExport::csvHeader().size());
            QCOMPARE(fields[column("link")], link);
            QCOMPARE(fields[column("detail")], detailInCsv);
            QCOMPARE(fields[column("reply")], replyShown);
            QCOMPARE(fields[column("request")], QString::fromUtf8(u8"␁000AS␂1A2B␍"));
            QCOMPARE(QByteArray::fromHex(fields[column("reply_hex")].toLatin1()), reply);
            QCOMPARE(fields[column("verdict")], QStringLiteral("check digits wrong"));
            QCOMPARE(fields[column("round_trip_ms")], QStringLiteral("1.234"));
            QCOMPARE(fields[column("time")], QStringLiteral("2026-12-07 10:00:00.005 +01:00"));
        }
        QCOMPARE(read[1][column("number")], QStringLiteral("7"));
        QCOMPARE(read[2][column("number")], QStringLiteral("8"));
    }

    void shouldKeepATextLineOnOneLine_data() { awkwardRows(); }
    void shouldKeepATextLineOnOneLine()
    {
        QFETCH(QString, link);
        QFETCH(QString, detail);
        QFETCH(QByteArray, reply);
        QFETCH(QString, replyShown);
        ExchangeEvent e = exchange(Verdict::NoReply, frame("000IE"), reply, detail, 1200000);
        e.link = link;
        e.time = QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 999), QTimeZone(8 * 3600));
        const QString line = TrafficExport::textLine(e);
        QVERIFY(!line.contains(u'\n') && !line.contains(u'\r'));
        const QStringList fields = line.split(u'\t');
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields[0], QStringLiteral("2026-12-07 23:59:59.999 +08:00"));
        QCOMPARE(fields[2], QStringLiteral("no reply"));
        QCOMPARE(fields[3], QStringLiteral("1200.000 ms"));
        QCOMPARE(fields[4], QString::fromUtf8(u8"␁000IE␂1A2B␍"));
        QCOMPARE(fields[5], replyShown);
        QCOMPARE(fields[6].size(), detail.size());
        QCOMPARE(fields[1].size(), link.size());
        const QByteArray text = TrafficExport::text({ { 1, e }, { 2, e } });
        QCOMPARE(text, (line + u'\n' + line + u'\n').toUtf8());
    }

    void shouldWriteTheSameEnglishWordsInEveryForm_data()
    {
        QTest::addColumn<ExchangeEvent>("event");
        QTest::addColumn<QString>("word");
        QTest::newRow("answered") << exchange(Verdict::Answered, frame("000AS")) << "answered";
        QTest::newRow("cut off") << exchange(Verdict::CutOff, frame("000AS")) << "reply cut off";
        QTest::newRow("hung up") << exchange(Verdict::HungUp, frame("000AS")) << "line hung up";
        QTest::newRow("refused") << exchange(Verdict::Refused, QByteArray()) << "refused before sending";
        QTest::newRow("link failed") << exchange(Verdict::LinkFailed, QByteArray()) << "link did not open";
        QTest::newRow("opened") << linkEvent(ExchangeEvent::Kind::LinkOpened) << "link opened";
        QTest::newRow("closed") << linkEvent(ExchangeEvent::Kind::LinkClosed) << "link closed";
    }
    void shouldWriteTheSameEnglishWordsInEveryForm()
    {
        QFETCH(ExchangeEvent, event);
        QFETCH(QString, word);
        QCOMPARE(TrafficExport::textLine(event).split(u'\t').value(2), word);
        const QList<QStringList> read = readCsv(QString::fromUtf8(TrafficExport::csv({ { 1, event } }).mid(3)));
        QCOMPARE(read.value(1).value(column("verdict")), word);
        // Nothing was sent: no round trip.
        if (event.roundTripUs < 0)
            QVERIFY(read.value(1).value(column("round_trip_ms")).isEmpty());
    }

    void shouldReplaceTheFileOrSayWhyNot()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.csv"));
        QString error;
        QVERIFY(TrafficExport::save(path, "first", &error));
        QVERIFY(TrafficExport::save(path, "second", &error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("second"));

        // A folder that is a file: even an administrator cannot write there.
        QVERIFY(TrafficExport::save(dir.filePath(QStringLiteral("blocker")), "x", &error));
        QVERIFY(!TrafficExport::save(dir.filePath(QStringLiteral("blocker/traffic.csv")), "x", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TrafficExportTest)
#include "trafficexporttest.moc"
