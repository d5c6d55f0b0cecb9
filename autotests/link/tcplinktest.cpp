#include "exchangerecorder.h"
#include "link/controllerlink.h"
#include "link/exchange.h"
#include "protocol/commandframe.h"
#include "protocol/crc16arc.h"
#include "simprocess.h"
#include "stopwatch.h"

#include <QTcpServer>
#include <QThread>
#include <QTest>

Q_DECLARE_METATYPE(Verdict)

namespace {

LinkSettings tcpAt(quint16 port, const QString &address = QStringLiteral("127.0.0.1"))
{
    return LinkSettings::tcp(address, QString::number(port));
}

// A loopback port that nothing listens on (taken and given back at once).
quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

const QByteArray AsReply = CommandFrame::encodeReply("000", "AS", "24010042");

} // namespace

class TcpLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldExchangeTheWorkedFrameWithTheController()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        const Reply reply = link.exchange("000AS");
        QCOMPARE(reply.verdict, Verdict::Answered);
        QCOMPARE(reply.requestCrc, std::uint16_t(0x11B7));
        QCOMPARE(reply.bytes, AsReply);
        QCOMPARE(reply.length(), 20);
        link.close();
        QCOMPARE(sim.requests(), QList<QByteArray> { "000AS" });
        QCOMPARE(sim.requestsCrcOk(), QList<bool> { true });
    }

    void shouldJudgeTheRepliesAControllerMaySend_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QByteArray>("lastReply");

        QTest::newRow("noise before ETX") << QStringList { "--fault", "AS:noise" } << Verdict::Answered << AsReply;
        QTest::newRow("trailing bytes dropped") << QStringList { "--fault", "AS:trailing" } << Verdict::Answered << AsReply;
        QTest::newRow("split into TCP chunks") << QStringList { "--fault", "AS:split:3:40" } << Verdict::Answered << AsReply;
        QTest::newRow("bad CRC") << QStringList { "--fault", "AS:badcrc" } << Verdict::BadCheckDigits << QByteArray();
        QTest::newRow("lowercase digits") << QStringList { "--fault", "AS:lowercase" } << Verdict::BadCheckDigits << QByteArray();
        QTest::newRow("no EOT") << QStringList { "--fault", "AS:noeot" } << Verdict::BadCheckDigits << QByteArray();
        QTest::newRow("no reply") << QStringList { "--fault", "AS:noreply" } << Verdict::NoReply << QByteArray();
        // 1612 bytes: more than the buffer holds, so it is dropped and the limit ends the wait.
        QTest::newRow("reply past the buffer")
            << QStringList { "--reply", "AS=" + QString(1600, QLatin1Char('7')) } << Verdict::NoReply << QByteArray();

        // Right digits for the bytes up to the first EOT, then two more bytes before the CR.
        const QByteArray head = "\x03" "000AS24010042\x04";
        const QByteArray extraData = "24010042\\x04" + Crc16Arc::digits(Crc16Arc::checksum(head)) + "zz";
        QTest::newRow("extra bytes before CR")
            << QStringList { "--reply", "AS=" + QString::fromLatin1(extraData) } << Verdict::Answered << QByteArray();
    }
    void shouldJudgeTheRepliesAControllerMaySend()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(Verdict, verdict);
        QFETCH(QByteArray, lastReply);

        SimProcess sim(simArgs);
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        const Reply reply = link.exchange("000AS");
        QCOMPARE(reply.verdict, verdict);
        if (reply.ok()) {
            QCOMPARE(reply.bytes.front(), '\x03');
            QCOMPARE(reply.bytes.back(), '\r');
            if (!lastReply.isEmpty())
                QCOMPARE(reply.bytes, lastReply);
            else // the longer reply counts its extra bytes, so callers expecting 20 reject it
                QCOMPARE(reply.length(), 20 + 4 + 2 + 1);
        }
        link.close();
    }

    // The whole reply must be there 1200 ms after the send.
    void shouldHoldReplyLimitFromTheSend_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<bool>("result");
        QTest::newRow("900 ms") << 900 << true;
        QTest::newRow("1300 ms") << 1300 << false;
    }
    void shouldHoldReplyLimitFromTheSend()
    {
        QFETCH(int, delayMs);
        QFETCH(bool, result);
        SimProcess sim({ "--fault", QStringLiteral("AS:delay:%1").arg(delayMs) });
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        StopWatch watch;
        const Reply reply = link.exchange("000AS");
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        QCOMPARE(reply.ok(), result);
        if (result) {
            QVERIFY2(wall >= delayMs - 50, qPrintable(QString::number(wall)));
        } else {
            QCOMPARE(reply.verdict, Verdict::NoReply);
            QVERIFY2(wall >= 1190 && wall < 1600, qPrintable(QString::number(wall)));
        }
        // The wait sleeps in the system: a spinning loop would burn the whole time.
        QVERIFY2(cpu < wall * 0.1, qPrintable(QStringLiteral("cpu %1 ms in %2 ms").arg(cpu).arg(wall)));
        link.close();
    }

    // The late answer to one request must not pass for the answer to the next, whether an
    // event loop has run in between (Qt has read it) or not (it waits in the system).
    void shouldNotTakeLateReplyForTheNextAnswer_data()
    {
        QTest::addColumn<bool>("eventLoop");
        QTest::newRow("window idle in between") << true;
        QTest::newRow("no event loop in between") << false;
    }
    void shouldNotTakeLateReplyForTheNextAnswer()
    {
        QFETCH(bool, eventLoop);
        SimProcess sim({ "--fault", "AS:delay:1300" });
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        QVERIFY(!link.exchange("000AS").ok());
        // The late AS reply has arrived by the end of this.
        if (eventLoop)
            QTest::qWait(300);
        else
            QThread::msleep(300);
        const Reply reply = link.exchange("000AV");
        QVERIFY(reply.ok());
        QCOMPARE(reply.bytes, CommandFrame::encodeReply("000", "AV", "ZO425V05"));
        link.close();
    }

    // A controller that drops the connection mid-reply: nothing more can come, so no waiting.
    void shouldFailAtOnceWhenControllerCloses()
    {
        SimProcess sim({ "--fault", "AS:hangup" });
        QVERIFY(sim.start());
        ControllerLink link;
        ExchangeRecorder recorder;
        link.addObserver(&recorder);
        QVERIFY(link.open(tcpAt(sim.port())));
        StopWatch watch;
        // Half the reply came before the connection closed.
        QCOMPARE(link.exchange("000AS").verdict, Verdict::CutOff);
        QVERIFY2(watch.wallMs() < 300, qPrintable(QString::number(watch.wallMs())));
        QVERIFY2(watch.cpuMs() < 30, qPrintable(QString::number(watch.cpuMs())));
        watch.restart();
        // On a new connection, which the simulator drops the same way.
        QVERIFY(!link.exchange("000AS").ok());
        QVERIFY(watch.wallMs() < 100);
        link.close();
        QCOMPARE(recorder.opens(), 2);
        QCOMPARE(recorder.closes(), 2);
    }

    // The link is the operation's: after the controller closed the connection, the operation's
    // next exchange goes out on a new one, whether anybody watches the link or not.
    void shouldConnectAgainAfterControllerClosed_data()
    {
        QTest::addColumn<bool>("watched");
        QTest::newRow("watched") << true;
        QTest::newRow("unwatched") << false;
    }
    void shouldConnectAgainAfterControllerClosed()
    {
        QFETCH(bool, watched);
        SimProcess sim({ "--fault", "AS:hangup" });
        QVERIFY(sim.start());
        ControllerLink link;
        ExchangeRecorder recorder;
        if (watched)
            link.addObserver(&recorder);
        QVERIFY(link.open(tcpAt(sim.port())));
        QCOMPARE(link.exchange("000AS").verdict, Verdict::CutOff);
        QVERIFY(!link.isOpen());

        const Reply reply = link.exchange("000AV");
        QVERIFY2(reply.ok(), qPrintable(reply.detail));
        QCOMPARE(reply.bytes, CommandFrame::encodeReply("000", "AV", "ZO425V05"));
        QVERIFY(link.isOpen());
        QVERIFY(link.exchange("000AV").ok());
        link.close();
        QCOMPARE(sim.requests(), (QList<QByteArray>{ "000AS", "000AV", "000AV" }));
        if (!watched)
            return;
        using Kind = ExchangeEvent::Kind;
        QList<Kind> kinds;
        for (const ExchangeEvent &e : recorder.events)
            kinds.append(e.kind);
        QCOMPARE(kinds, (QList<Kind>{ Kind::LinkOpened, Kind::Exchange, Kind::LinkClosed, Kind::LinkOpened,
                                      Kind::Exchange, Kind::Exchange, Kind::LinkClosed }));
        QVERIFY(recorder.events[2].detail.contains(QStringLiteral("closed by the controller")));
    }

    // A controller gone for good: each exchange tries once to connect and says why it could not.
    void shouldFailWithoutSendingWhenControllerIsGoneAfterClose()
    {
        SimProcess sim({ "--fault", "AS:hangup" });
        QVERIFY(sim.start());
        ControllerLink link;
        ExchangeRecorder recorder;
        link.addObserver(&recorder);
        QVERIFY(link.open(tcpAt(sim.port())));
        QCOMPARE(link.exchange("000AS").verdict, Verdict::CutOff);
        sim.stop();
        for (int i = 0; i < 2; ++i) {
            const Reply reply = link.exchange("000AV");
            QCOMPARE(reply.verdict, Verdict::LinkFailed);
            QVERIFY2(reply.detail.contains(QStringLiteral("refused"), Qt::CaseInsensitive), qPrintable(reply.detail));
        }
        link.close();
        QCOMPARE(recorder.opens(), 1);
        QCOMPARE(recorder.closes(), 1);
        const QList<ExchangeEvent> exchanges = recorder.exchanges();
        QCOMPARE(exchanges.size(), 3);
        QCOMPARE(exchanges[1].verdict, Verdict::LinkFailed);
        QCOMPARE(exchanges[2].verdict, Verdict::LinkFailed);
    }

    void shouldReadPortTextAsAtolDoes_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::newRow("digits then letter") << "%1x";
        QTest::newRow("blank first") << " %1";
        QTest::newRow("plus sign") << "+%1";
    }
    void shouldReadPortTextAsAtolDoes()
    {
        QFETCH(QString, pattern);
        SimProcess sim;
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY2(link.open(LinkSettings::tcp(QStringLiteral("127.0.0.1"), pattern.arg(sim.port()))),
                 qPrintable(link.openFailureText()));
        QVERIFY(link.exchange("000AS").ok());
        link.close();
    }

    void shouldCutPortAbove65535To16Bits()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY2(link.open(LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port() + 65536))),
                 qPrintable(link.openFailureText()));
        QVERIFY(link.exchange("000AS").ok());
        link.close();
    }

    void shouldConnectToAddressInAnyInetAddrForm_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("two parts") << "127.1";
        QTest::newRow("one number") << "2130706433";
        QTest::newRow("hexadecimal") << "0x7f.0.0.1";
        QTest::newRow("octal") << "0177.0.0.1";
    }
    void shouldConnectToAddressInAnyInetAddrForm()
    {
        QFETCH(QString, address);
        SimProcess sim;
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY2(link.open(tcpAt(sim.port(), address)), qPrintable(link.openFailureText()));
        QVERIFY(link.exchange("000AS").ok());
        link.close();
    }

    void shouldRefuseAddressOrPortItCannotRead_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("port");
        QTest::newRow("port letters only") << "127.0.0.1" << "abc";
        QTest::newRow("port empty") << "127.0.0.1" << "";
        QTest::newRow("port 65536 is 0") << "127.0.0.1" << "65536";
        QTest::newRow("octet 999") << "999.1.1.1" << "5003";
        QTest::newRow("address empty") << "" << "5003";
        QTest::newRow("host name") << "localhost" << "5003";
    }
    void shouldRefuseAddressOrPortItCannotRead()
    {
        QFETCH(QString, address);
        QFETCH(QString, port);
        ControllerLink link;
        const int fds = ProcessProbe::openDescriptors();
        QVERIFY(!link.open(LinkSettings::tcp(address, port)));
        QCOMPARE(link.openFailure(), OpenFailure::BadAddress);
        QVERIFY(!link.isOpen());
        QCOMPARE(ProcessProbe::openDescriptors(), fds);
        QCOMPARE(link.exchange("000AS").verdict, Verdict::LinkFailed);
    }

    void shouldReportRefusedConnectionQuickly()
    {
        ControllerLink link;
        StopWatch watch;
        QVERIFY(!link.open(tcpAt(closedPort())));
        QCOMPARE(link.openFailure(), OpenFailure::ConnectionRefused);
        QVERIFY2(watch.wallMs() < 1000, qPrintable(QString::number(watch.wallMs())));
        QVERIFY(!link.isOpen());
    }

    void shouldRefuseCommandTooLongWithoutSending_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("sent");
        QTest::newRow("1493 fills the frame") << 1493 << true;
        QTest::newRow("1494") << 1494 << false;
        QTest::newRow("5000") << 5000 << false;
    }
    void shouldRefuseCommandTooLongWithoutSending()
    {
        QFETCH(int, length);
        QFETCH(bool, sent);
        SimProcess sim;
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        const QByteArray command = "000" + QByteArray(length - 3, 'Q');
        const Reply reply = link.exchange(command);
        QCOMPARE(reply.verdict != Verdict::Refused, sent);
        // An exchange after it shows the simulator has read everything that went out.
        QVERIFY(link.exchange("000AS").ok());
        link.close();
        const QList<QByteArray> expected = sent ? QList<QByteArray> { command, "000AS" } : QList<QByteArray> { "000AS" };
        QCOMPARE(sim.requests(), expected);
    }

    // The operator's Cancel: once asked, nothing goes out; a wait in hand takes a reply already
    // on its way but does not wait out a late one (3 s late, beyond the 1200 ms limit too, so a
    // wait not cut would end in a plain "No answer").
    void shouldEndTheExchangeAtTheInterrupt_data()
    {
        QTest::addColumn<int>("stopFromAsk"); // the first ask answered true (1: before the send)
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<Verdict>("verdict");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<bool>("sent");
        QTest::newRow("before the send") << 1 << 0 << Verdict::Refused << ControllerLink::interruptedBeforeSending() << false;
        QTest::newRow("reply on its way") << 2 << 0 << Verdict::Answered << QString() << true;
        QTest::newRow("reply late") << 2 << 3000 << Verdict::NoReply << Exchange::interruptedDetail() << true;
    }
    void shouldEndTheExchangeAtTheInterrupt()
    {
        QFETCH(int, stopFromAsk);
        QFETCH(int, delayMs);
        QFETCH(Verdict, verdict);
        QFETCH(QString, detail);
        QFETCH(bool, sent);
        SimProcess sim({ "--fault", QStringLiteral("AS:delay:%1").arg(delayMs) });
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(tcpAt(sim.port())));
        int asked = 0;
        link.setInterrupt([&] { return ++asked >= stopFromAsk; });
        const Reply reply = link.exchange("000AS");
        QCOMPARE(reply.verdict, verdict);
        QCOMPARE(reply.detail, detail);
        // Once stopped, the next exchange sends nothing either.
        QCOMPARE(link.exchange("001AS").verdict, Verdict::Refused);
        link.setInterrupt({});
        QVERIFY(link.exchange("000AV").verdict != Verdict::Refused);
        link.close();
        QCOMPARE(sim.requests(), sent ? (QList<QByteArray> { "000AS", "000AV" }) : QList<QByteArray> { "000AV" });
    }

    void shouldLeaveNoDescriptorOpen()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        const quint16 refused = closedPort();
        auto cycle = [&] {
            ControllerLink good;
            ExchangeRecorder recorder;
            good.addObserver(&recorder);
            QVERIFY(good.open(tcpAt(sim.port())));
            QVERIFY(good.exchange("000AS").ok());
            good.close();
            QCOMPARE(recorder.opens(), 1);
            QCOMPARE(recorder.closes(), 1);
            ControllerLink bad;
            QVERIFY(!bad.open(tcpAt(refused)));
            // A link dropped while open closes itself.
            ControllerLink dropped;
            QVERIFY(dropped.open(tcpAt(sim.port())));
        };
        cycle(); // whatever Qt sets up once for sockets is there from now on
        const int before = ProcessProbe::openDescriptors();
        for (int i = 0; i < 10; ++i)
            cycle();
        QCOMPARE(ProcessProbe::openDescriptors(), before);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tcplinktest.moc"
