// The in-process simulator as the tool's link meets it: each fault of zu42sim's command line
// gives the verdict it gives on the wire, without the wait, and the same faults give the same
// verdicts and bytes as a zu42sim process over TCP and its pseudo-terminal.
#include "exchangerecorder.h"
#include "inprocesssim.h"
#include "link/controllerlink.h"
#include "protocol/commandframe.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QTest>

Q_DECLARE_METATYPE(Verdict)

namespace {

// The verdict and reply of each command, one link for all, as the tool's recorder saw them.
QList<QPair<Verdict, QByteArray>> exchanged(const Simulator &sim, const QList<QByteArray> &commands)
{
    ExchangeRecorder recorder;
    ControllerLink link;
    link.setTransportFactory(sim.factory());
    link.addObserver(&recorder);
    QList<QPair<Verdict, QByteArray>> out;
    if (!link.open(sim.linkSettings()))
        return out;
    for (const QByteArray &command : commands)
        link.exchange(command);
    link.close();
    for (const ExchangeEvent &e : recorder.exchanges())
        out.append({ e.verdict, e.reply });
    return out;
}

} // namespace

class SimTransportTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldGiveTheVerdictOfTheWireAtOnce_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<bool>("net");
        QTest::addColumn<Verdict>("verdict");
        const auto both = [](const char *name, const QStringList &args, Verdict verdict) {
            QTest::addRow("%s, tcp", name) << args << true << verdict;
            QTest::addRow("%s, serial", name) << args << false << verdict;
        };
        both("answered", {}, Verdict::Answered);
        both("no reply", { "--fault", "AS:noreply" }, Verdict::NoReply);
        both("request lost", { "--fail-nth", "1" }, Verdict::NoReply);
        both("check digits wrong", { "--fault", "AS:badcrc" }, Verdict::BadCheckDigits);
        both("no EOT", { "--fault", "AS:noeot" }, Verdict::BadCheckDigits);
        both("noise before the reply", { "--fault", "AS:noise" }, Verdict::Answered);
        both("junk after the reply", { "--fault", "AS:trailing" }, Verdict::Answered);
        both("in pieces within the limits", { "--fault", "AS:split:4:10" }, Verdict::Answered);
        both("late within the limits", { "--fault", "AS:delay:100" }, Verdict::Answered);
        both("later than the limits", { "--fault", "AS:delay:6000" }, Verdict::NoReply);
        both("never ending", { "--fault", "AS:endless" }, Verdict::CutOff);
        both("cut off", { "--cut-every", "1" }, Verdict::CutOff);
        QTest::newRow("hung up mid-reply, tcp") << QStringList { "--fault", "AS:hangup" } << true << Verdict::CutOff;
        // Gaps longer than the line's idle limit; on TCP the pieces outlast the whole limit.
        both("pieces too far apart", { "--fault", "AS:split:4:400" }, Verdict::CutOff);
    }
    void shouldGiveTheVerdictOfTheWireAtOnce()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(bool, net);
        QFETCH(Verdict, verdict);
        const auto sim = InProcessSim::create(simArgs);
        QVERIFY(sim);
        ControllerLink link(sim->factory());
        QVERIFY(link.open(net ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003"))
                              : LinkSettings::serial(QStringLiteral("ttyS0"), QStringLiteral("19200,e,8,1"))));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(link.exchange("000AS").verdict, verdict);
        QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sim->requests(), QList<QByteArray> { "000AS" });
    }

    void shouldCountWhatReachedIt()
    {
        const auto sim = InProcessSim::create({});
        QVERIFY(sim);
        ControllerLink link(sim->factory());
        QVERIFY(link.open(LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003"))));
        QCOMPARE(link.exchange(QByteArray(2000, 'B')).verdict, Verdict::Refused);
        QCOMPARE(sim->bytesReceived(), qint64(0));
        QVERIFY(link.exchange("000AS").ok());
        QCOMPARE(sim->bytesReceived(), qint64(CommandFrame::encodeRequest("000AS")->size()));
        link.close();
        QCOMPARE(sim->opens, 1);
        QCOMPARE(sim->closes, 1);
        sim->stop();
        QVERIFY(!link.open(LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003"))));
        QCOMPARE(link.openFailure(), OpenFailure::ConnectionRefused);
        QCOMPARE(sim->opens, 1);
    }

    void shouldAnswerAsTheProcessDoes_data()
    {
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::newRow("tcp") << Simulator::Wiring::Tcp;
        QTest::newRow("pseudo-terminal") << Simulator::Wiring::Pty;
    }
    void shouldAnswerAsTheProcessDoes()
    {
        QFETCH(Simulator::Wiring, wiring);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        // One fault for each command, and a bus, so that one process shows them all.
        const QStringList args { "--bus", "001,002", "--fault", "AS:badcrc", "--fault", "AV:lowercase", "--fault", "IE:noise",
                                 "--fault", "DF:trailing", "--fault", "AI:split:3:5", "--fault", "AJ:noreply",
                                 "--fault", "AB:noeot", "--reply", "AB=HELLO", "--fail-nth", "9" };
        const QList<QByteArray> commands { "001AS", "001AV", "002IE", "001DF", "002AI", "001AJ", "001AB",
                                           "002AP000A15", "001AS", "003AS", "002AV" };
        Simulator process(args, wiring);
        QVERIFY(process.start());
        Simulator inProcess(args);
        QVERIFY(inProcess.start());
        const auto onTheWire = exchanged(process, commands);
        const auto here = exchanged(inProcess, commands);
        QCOMPARE(onTheWire.size(), commands.size());
        for (qsizetype i = 0; i < commands.size(); ++i) {
            QVERIFY2(here[i].first == onTheWire[i].first, commands[i].constData());
            // The clock in IE moves on; the rest is byte for byte.
            if (!commands[i].endsWith("IE"))
                QCOMPARE(here[i].second, onTheWire[i].second);
        }
        QCOMPARE(inProcess.requests(), process.requests());
        QCOMPARE(inProcess.requestsCrcOk(), process.requestsCrcOk());
    }
};

QTEST_GUILESS_MAIN(SimTransportTest)
#include "simtransporttest.moc"
