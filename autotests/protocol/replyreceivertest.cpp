#include "protocol/commandframe.h"
#include "protocol/replyreceiver.h"

#include <QTest>

using Verdict = ReplyReceiver::Verdict;
Q_DECLARE_METATYPE(ReplyReceiver::Verdict)

namespace {

const QByteArray Reply = CommandFrame::encodeReply("000", "AS", "24010042");

QByteArray withLowercaseDigits(QByteArray reply)
{
    const qsizetype eot = reply.indexOf('\x04');
    for (qsizetype i = eot + 1; i < eot + 5; ++i)
        reply[i] = char(std::tolower(reply[i]));
    return reply;
}

// Feeds one byte at a time, as the serial line delivers them; stops at the first verdict.
Verdict feedBytes(ReplyReceiver &receiver, const QByteArray &stream, qsizetype *used)
{
    for (qsizetype i = 0; i < stream.size(); ++i) {
        const Verdict v = receiver.feed(stream[i]);
        if (v != Verdict::Incomplete) {
            *used = i + 1;
            return v;
        }
    }
    *used = stream.size();
    return Verdict::Incomplete;
}

} // namespace

class ReplyReceiverTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(withLowercaseDigits(Reply) != Reply, "the sample reply's CRC must hold a letter");
    }

    void shouldJudgeStreamFedByteByByte_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<qsizetype>("used");

        QTest::newRow("plain reply") << Reply << Verdict::Valid << Reply << Reply.size();
        QTest::newRow("noise before ETX") << "zq" + Reply << Verdict::Valid << Reply << Reply.size() + 2;
        QTest::newRow("CR in noise before ETX") << "ab\r\x04" + Reply << Verdict::Valid << Reply << Reply.size() + 4;
        QTest::newRow("second ETX restarts") << "\x03" "001AS" + Reply << Verdict::Valid << Reply << Reply.size() + 6;
        QTest::newRow("trailing bytes left unread") << Reply + "\x03" "999junk\r" << Verdict::Valid << Reply << Reply.size();
        QTest::newRow("lowercase digits") << withLowercaseDigits(Reply) << Verdict::Invalid << withLowercaseDigits(Reply)
                                          << Reply.size();
        QByteArray noEot = Reply;
        noEot[noEot.indexOf('\x04')] = 'X';
        QTest::newRow("no EOT") << noEot << Verdict::Invalid << noEot << noEot.size();
        QByteArray extra = Reply;
        extra.insert(extra.size() - 1, "xyz");
        QTest::newRow("extra bytes before CR") << extra << Verdict::Valid << extra << extra.size();
        QTest::newRow("no CR yet") << Reply.chopped(1) << Verdict::Incomplete << Reply.chopped(1) << Reply.size() - 1;
        QTest::newRow("only noise") << QByteArray("\r\r\x04\x01hello\r") << Verdict::Incomplete << QByteArray() << qsizetype(10);
        QTest::newRow("empty reply ETX CR") << QByteArray("\x03\r") << Verdict::Invalid << QByteArray("\x03\r") << qsizetype(2);
    }
    void shouldJudgeStreamFedByteByByte()
    {
        QFETCH(QByteArray, stream);
        QFETCH(Verdict, verdict);
        QFETCH(QByteArray, reply);
        QFETCH(qsizetype, used);

        ReplyReceiver receiver;
        qsizetype taken = -1;
        QCOMPARE(feedBytes(receiver, stream, &taken), verdict);
        QCOMPARE(taken, used);
        QCOMPARE(receiver.reply(), reply);
        QCOMPARE(receiver.length(), int(reply.size()));
        if (verdict == Verdict::Valid) {
            QCOMPARE(receiver.reply().front(), '\x03');
            QCOMPARE(receiver.reply().back(), '\r');
        }
    }

    // Chunks as TCP delivers them must give what single bytes give, whatever the cut.
    void shouldGiveSameVerdictForAnyChunking_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::newRow("noise and trailing") << "zq" + Reply + "\x03" "999junk\r";
        QTest::newRow("restart mid reply") << Reply.left(9) + Reply;
        QTest::newRow("lowercase") << withLowercaseDigits(Reply);
    }
    void shouldGiveSameVerdictForAnyChunking()
    {
        QFETCH(QByteArray, stream);
        ReplyReceiver single;
        qsizetype singleUsed = 0;
        const Verdict expected = feedBytes(single, stream, &singleUsed);
        for (qsizetype chunk = 1; chunk <= stream.size(); ++chunk) {
            ReplyReceiver receiver;
            Verdict v = Verdict::Incomplete;
            qsizetype offset = 0;
            while (offset < stream.size()) {
                qsizetype used = 0;
                v = receiver.feed(QByteArrayView(stream).sliced(offset, std::min(chunk, stream.size() - offset)), &used);
                offset += used;
                if (v != Verdict::Incomplete)
                    break;
            }
            QCOMPARE(v, expected);
            QCOMPARE(offset, singleUsed);
            QCOMPARE(receiver.reply(), single.reply());
        }
    }

    void shouldDiscardOverrunAndAcceptNextReply_data()
    {
        QTest::addColumn<int>("runLength");
        QTest::newRow("1499 bytes after ETX") << 1499;
        QTest::newRow("1500 bytes") << 1500;
        QTest::newRow("4000 bytes") << 4000;
    }
    void shouldDiscardOverrunAndAcceptNextReply()
    {
        QFETCH(int, runLength);
        // An ETX-started run that never ends; a CR once it has overrun must not complete
        // a reply out of the overwritten buffer.
        QByteArray run = "\x03" + QByteArray(runLength - 1, '7');
        ReplyReceiver receiver;
        qsizetype used = 0;
        QCOMPARE(feedBytes(receiver, run + "\r", &used), Verdict::Incomplete);
        QVERIFY(receiver.length() <= CommandFrame::MaxReplyLength);
        QCOMPARE(feedBytes(receiver, Reply, &used), Verdict::Valid);
        QCOMPARE(receiver.reply(), Reply);
    }

    void shouldAcceptTheLongestReplyThatFits_data()
    {
        QTest::addColumn<int>("replyLength");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("1499 bytes") << 1499 << Verdict::Valid;
        QTest::newRow("1500 bytes") << 1500 << Verdict::Incomplete;
    }
    void shouldAcceptTheLongestReplyThatFits()
    {
        QFETCH(int, replyLength);
        QFETCH(Verdict, verdict);
        const QByteArray reply = CommandFrame::encodeReply("000", "AS", QByteArray(replyLength - CommandFrame::AckLength, 'D'));
        QCOMPARE(reply.size(), qsizetype(replyLength));
        ReplyReceiver receiver;
        qsizetype used = 0;
        QCOMPARE(feedBytes(receiver, reply, &used), verdict);
        if (verdict == Verdict::Valid)
            QCOMPARE(receiver.length(), replyLength);
    }

    void shouldForgetEverythingOnReset()
    {
        ReplyReceiver receiver;
        receiver.feed(QByteArrayView(Reply).first(10));
        QVERIFY(receiver.collecting());
        receiver.reset();
        QCOMPARE(receiver.length(), 0);
        QVERIFY(!receiver.collecting());
        // The rest of the old reply is noise now: its CR has no ETX before it.
        QCOMPARE(receiver.feed(QByteArrayView(Reply).sliced(10)), Verdict::Incomplete);
        QCOMPARE(receiver.feed(Reply), Verdict::Valid);
    }
};

QTEST_GUILESS_MAIN(ReplyReceiverTest)
#include "replyreceivertest.moc"
