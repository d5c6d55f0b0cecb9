// The bus scan: one exchange for each silent ID and nothing more, each answering ID with its
// model and serial number, a reply credited only to the ID it names, cancel between IDs and in
// the wait of one; then
// against the simulator, in-process and as zu42sim over TCP and a pseudo-terminal.
#include "controller/busscan.h"
#include "exchangerecorder.h"
#include "controllerscript.h"
#include "simprocess.h"
#include "simulator.h"

#include <QElapsedTimer>
#include <QTest>

namespace {

// Controllers by ID, each with its version; any other ID is silent.
std::shared_ptr<ControllerScript> line(const QMap<QByteArray, QByteArray> &versions, const QByteArray &replyId = {})
{
    auto script = std::make_shared<ControllerScript>();
    script->answer = [versions, replyId](const QByteArray &command) -> QByteArray {
        const QByteArray id = command.left(3);
        if (!versions.contains(id))
            return QByteArray();
        const QByteArray from = replyId.isEmpty() ? id : replyId;
        if (command.mid(3) == "AS")
            return CommandFrame::encodeReply(from, "AS", "2401" + id.rightJustified(4, '0'));
        if (command.mid(3) == "AV")
            return CommandFrame::encodeReply(from, "AV", versions.value(id));
        return QByteArray();
    };
    return script;
}

// Records how long each read was allowed to wait: the limits the exchange applied.
class TimedTransport : public SimTransport
{
public:
    TimedTransport(const std::shared_ptr<ControllerScript> &script, const LinkSettings &settings, QList<int> *waits)
        : SimTransport(script->playedOn(), settings)
        , m_waits(waits)
    {
    }
    IoResult read(char *buffer, qsizetype capacity, int timeoutMs) override
    {
        m_waits->append(timeoutMs);
        return SimTransport::read(buffer, capacity, timeoutMs);
    }

private:
    QList<int> *m_waits;
};

LinkSettings linkTo(const SimProcess &sim)
{
    return sim.ptyPath().isEmpty() ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                   : LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"));
}

} // namespace

class BusScanTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldListEachAnsweringIdWithModelAndSerial()
    {
        auto script = line({ { "003", "ZO425V05" }, { "007", "RO426V0500000000" } });
        ControllerLink link(ControllerScript::factory(script));
        QVERIFY(link.open(LinkSettings::serial(QStringLiteral("scripted"), QStringLiteral("19200,e,8,1"))));
        BusScan scan(link);
        QVERIFY(scan.setRange(0, 9));
        QList<int> pauses;
        scan.setPause([&](int ms) { pauses.append(ms); });
        QList<QByteArray> progress;
        scan.setProgress([&](int done, int total, const BusScan::Found *found) {
            QCOMPARE(total, 10);
            QCOMPARE(done, progress.size() + 1);
            progress.append(found ? found->id : QByteArray("-"));
        });

        const BusScan::Result result = scan.run();
        QCOMPARE(result.scanned, 10);
        QVERIFY(!result.cancelled);
        QCOMPARE(result.found.size(), 2);
        QCOMPARE(result.found[0].id, QByteArray("003"));
        QCOMPARE(result.found[0].serialNumber, QByteArray("24010003"));
        QCOMPARE(result.found[0].model, QByteArray("ZO425"));
        QCOMPARE(result.found[0].versionText, QStringLiteral("RO420DA ZO425V05"));
        QCOMPARE(result.found[1].model, QByteArray("RO426"));
        QCOMPARE(progress, (QList<QByteArray> { "-", "-", "-", "003", "-", "-", "-", "007", "-", "-" }));
        // Ten scans and two versions; a pause after each answer's version (before it, the scan's
        // exchange listened on for a second answer), none for silence.
        QCOMPARE(script->sent.size(), 12);
        QCOMPARE(script->sent[4], QByteArray("003AV"));
        QCOMPARE(pauses.size(), 2);
    }

    // A reply that names another ID is a late or stray answer, not this ID's.
    void shouldCreditAReplyOnlyToTheIdItNames()
    {
        auto script = line({ { "004", "ZO425V05" }, { "005", "ZO425V05" } }, "005");
        ControllerLink link(ControllerScript::factory(script));
        QVERIFY(link.open(LinkSettings::serial(QStringLiteral("scripted"), QStringLiteral("19200,e,8,1"))));
        BusScan scan(link);
        scan.setPause([](int) {});
        scan.setRange(0, 9);
        const BusScan::Result result = scan.run();
        QCOMPARE(result.found.size(), 1);
        QCOMPARE(result.found[0].id, QByteArray("005"));
    }

    void shouldStopBetweenIdsWhenCancelled()
    {
        auto script = line({});
        ControllerLink link(ControllerScript::factory(script));
        QVERIFY(link.open(LinkSettings::serial(QStringLiteral("scripted"), QStringLiteral("19200,e,8,1"))));
        BusScan scan(link);
        int asked = 0;
        // Asked before each ID and after its scan: the seventh ask comes before the fourth ID.
        scan.setCancelled([&] { return ++asked > 6; });
        const BusScan::Result result = scan.run();
        QVERIFY(result.cancelled);
        QCOMPARE(result.scanned, 3);
        QCOMPARE(script->sent, (QList<QByteArray> { "000AS", "001AS", "002AS" }));
    }

    // Cancel during the exchange with 000 cuts its listening for a second controller short:
    // what answered there is not reported (it may be a conflict), and nothing more is sent.
    void shouldLeaveTheIdInHandOutWhenCancelledInItsWait()
    {
        auto script = line({ { "000", "RO420DA ZO425V05" } });
        ControllerLink link(ControllerScript::factory(script));
        QVERIFY(link.open(LinkSettings::serial(QStringLiteral("scripted"), QStringLiteral("19200,e,8,1"))));
        const auto cancelled = [&] { return !script->sent.isEmpty(); };
        link.setInterrupt(cancelled);
        BusScan scan(link);
        scan.setCancelled(cancelled);
        const BusScan::Result result = scan.run();
        QVERIFY(result.cancelled);
        QCOMPARE(result.scanned, 0);
        QVERIFY(result.found.isEmpty());
        QCOMPARE(script->sent, QList<QByteArray> { "000AS" });
    }

    // A silent ID costs one exchange at the link's limit, or at the scan's shorter wait.
    void shouldWaitTheLimitOnceForEachSilentId_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<int>("wait");
        QTest::addColumn<int>("limit");
        QTest::newRow("serial line") << false << 0 << ExchangeLimits::SerialIdleMs;
        QTest::newRow("TCP") << true << 0 << ExchangeLimits::NetReplyMs;
        QTest::newRow("serial line, shorter wait") << false << 40 << 40;
        QTest::newRow("TCP, shorter wait") << true << 150 << 150;
    }

    void shouldWaitTheLimitOnceForEachSilentId()
    {
        QFETCH(bool, tcp);
        QFETCH(int, wait);
        QFETCH(int, limit);
        auto script = line({});
        QList<int> waits;
        ControllerLink link([&](const LinkSettings &settings) { return std::make_unique<TimedTransport>(script, settings, &waits); });
        QVERIFY(link.open(tcp ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("1"))
                              : LinkSettings::serial(QStringLiteral("scripted"), QStringLiteral("19200,e,8,1"))));
        BusScan scan(link);
        int pauses = 0;
        scan.setPause([&](int) { ++pauses; });
        scan.setScanWaitMs(wait);
        scan.setRange(250, 255);
        const BusScan::Result result = scan.run();
        QCOMPARE(result.scanned, 6);
        QVERIFY(result.found.isEmpty());
        QCOMPARE(script->sent.size(), 6);
        QCOMPARE(waits.size(), 6);
        for (const int w : waits)
            QVERIFY2(w <= limit && w > limit - 50, qPrintable(QString::number(w)));
        QCOMPARE(pauses, 0);
        // The shorter wait was for the scan alone.
        waits.clear();
        link.exchange("250AS");
        QVERIFY(waits.first() > (tcp ? ExchangeLimits::NetReplyMs : ExchangeLimits::SerialIdleMs) - 50);
    }

    void shouldReadTheRangeAsAPersonWritesIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("first"); // -1: refused
        QTest::addColumn<int>("last");
        QTest::newRow("whole default") << "000-255" << 0 << 255;
        QTest::newRow("one ID") << "17" << 17 << 17;
        QTest::newRow("blanks") << " 5 - 9 " << 5 << 9;
        QTest::newRow("three digits at most") << "0-999" << 0 << 999;
        QTest::newRow("backwards") << "9-5" << -1 << -1;
        QTest::newRow("four digits") << "0-1000" << -1 << -1;
        QTest::newRow("negative") << "-5-9" << -1 << -1;
        QTest::newRow("letters") << "a-b" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
        QTest::newRow("open end") << "5-" << -1 << -1;
    }

    void shouldReadTheRangeAsAPersonWritesIt()
    {
        QFETCH(QString, text);
        QFETCH(int, first);
        QFETCH(int, last);
        const auto range = BusScan::parseRange(text);
        QCOMPARE(range.has_value(), first >= 0);
        if (range) {
            QCOMPARE(range->first, first);
            QCOMPARE(range->second, last);
        }
    }

    void shouldFindExactlyTheSimulatorsControllers_data()
    {
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QStringList>("found"); // ID model serial
        const QStringList bus { "--bus", "012,015:RO420,019:RO426" };
        const QStringList busFound { "012 ZO425 24010042", "015 RO420 24010045", "019 RO426 24010049" };
        QTest::newRow("a bus over TCP") << Simulator::Wiring::Tcp << bus << "010-020" << busFound;
        QTest::newRow("a bus on the serial line") << Simulator::Wiring::Pty << bus << "010-020" << busFound;
        // The ends of the default range are IDs like any other, and an ID above 255 is one too.
        QTest::newRow("the whole default range") << Simulator::Wiring::InProcess << QStringList { "--bus", "000,300,999" } << "000-999"
                                                 << QStringList { "000 ZO425 24010042", "300 ZO425 24010342", "999 ZO425 24011041" };
        // A controller that answers every ID, each time with its own: listed once, under its ID.
        QTest::newRow("answers every ID") << Simulator::Wiring::InProcess << QStringList { "--id", "015", "--any-id" } << "010-020"
                                          << QStringList { "015 ZO425 24010042" };
    }

    void shouldFindExactlyTheSimulatorsControllers()
    {
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QStringList, simArgs);
        QFETCH(QString, range);
        QFETCH(QStringList, found);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        Simulator sim(simArgs, wiring);
        QVERIFY(sim.start());
        ExchangeRecorder recorder;
        ControllerLink link;
        link.setTransportFactory(sim.factory());
        link.addObserver(&recorder);
        QVERIFY2(link.open(sim.linkSettings()), qPrintable(link.openFailureText()));
        BusScan scan(link);
        const auto ids = BusScan::parseRange(range);
        scan.setRange(ids->first, ids->second);
        // The simulator answers within milliseconds (tens under a sanitizer): a short wait keeps
        // the silent IDs quick.
        scan.setScanWaitMs(100);
        const BusScan::Result result = scan.run();
        link.close();
        QStringList listed;
        for (const BusScan::Found &f : result.found)
            listed.append(QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(f.id), QString::fromLatin1(f.model),
                                                         QString::fromLatin1(f.serialNumber)));
        QCOMPARE(listed, found);
        // One scan per ID, one version per controller found. (Counted as sent: a simulator slowed
        // down, by a sanitizer say, may not have read a silent ID's request before the next
        // exchange flushes the line.)
        QCOMPARE(recorder.exchanges().size(), ids->second - ids->first + 1 + found.size());
    }

    // Two controllers at one ID, heard either way, make a conflict there: never a controller
    // (its serial number would be either's) and never a free ID (an address given to a third).
    void shouldReportAConflictWhereTwoControllersAnswer_data()
    {
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<bool>("collide");
        QTest::addColumn<bool>("quick");
        QTest::newRow("mixed, in process") << Simulator::Wiring::InProcess << true << false;
        QTest::newRow("run together, in process") << Simulator::Wiring::InProcess << false << true;
        QTest::newRow("mixed, TCP") << Simulator::Wiring::Tcp << true << true;
        QTest::newRow("run together, serial line") << Simulator::Wiring::Pty << false << false;
    }

    void shouldReportAConflictWhereTwoControllersAnswer()
    {
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(bool, collide);
        QFETCH(bool, quick);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        QStringList args { "--bus", "011-013", "--twin", "012" };
        if (collide)
            args << "--collide";
        Simulator sim(args, wiring);
        QVERIFY(sim.start());
        ControllerLink link;
        link.setTransportFactory(sim.factory());
        QVERIFY2(link.open(sim.linkSettings()), qPrintable(link.openFailureText()));
        BusScan scan(link);
        scan.setRange(10, 14);
        if (quick)
            scan.setSpeed(BusScan::Speed::Quick);
        else
            scan.setScanWaitMs(100);
        QList<QByteArray> seen;
        scan.setConflictSeen([&](const BusScan::Conflict &c) { seen.append(c.id); });
        const BusScan::Result result = scan.run();
        link.close();
        QCOMPARE(seen, QList<QByteArray> { "012" });
        QCOMPARE(result.conflicts.size(), 1);
        QVERIFY2(result.conflicts.first().why.contains(collide ? QStringLiteral("check digits") : QStringLiteral("run together")),
                 qPrintable(result.conflicts.first().why));
        QList<QByteArray> found;
        for (const BusScan::Found &f : result.found)
            found.append(f.id);
        QCOMPARE(found, (QList<QByteArray> { "011", "013" }));
    }

    // The quick scan's wait: twice the wire time of request and reply at the line's speed and
    // framing, plus the slowest turnaround heard, within 50 ms and the link's own limit.
    void shouldWaitWhatTheLineNeedsInAQuickScan_data()
    {
        QTest::addColumn<bool>("tcp");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("turnaround");
        QTest::addColumn<int>("wait");
        QTest::newRow("19200 baud, none heard") << false << "19200,e,8,1" << 0 << 50;
        QTest::newRow("19200 baud, a slow controller") << false << "19200,e,8,1" << 30 << 2 * 19 + 30;
        QTest::newRow("2400 baud, 10 bits a character") << false << "2400,n,8,1" << 0 << 2 * 134;
        QTest::newRow("1200 baud: the idle limit") << false << "1200,e,8,2" << 0 << ExchangeLimits::SerialIdleMs;
        QTest::newRow("TCP, fast") << true << "" << 3 << 50;
        QTest::newRow("TCP, a converter that takes its time") << true << "" << 400 << 400;
        QTest::newRow("TCP: the reply limit") << true << "" << 5000 << ExchangeLimits::NetReplyMs;
    }

    void shouldWaitWhatTheLineNeedsInAQuickScan()
    {
        QFETCH(bool, tcp);
        QFETCH(QString, line);
        QFETCH(int, turnaround);
        QFETCH(int, wait);
        const LinkSettings settings = tcp ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003"))
                                          : LinkSettings::serial(QStringLiteral("ttyS0"), line);
        QCOMPARE(BusScan::quickWaitMs(settings, turnaround), wait);
    }

    // A line where nothing answers: 8 IDs at the serial idle limit end after 8 x 300 ms; the
    // bound allows for a busy machine, and catches a retry or pause per ID (which would double it).
    void shouldEndASilentLineWithinItsLimits()
    {
        SimProcess sim({ "--fault", "*:noreply" }, true);
        QVERIFY(sim.start());
        ExchangeRecorder recorder;
        ControllerLink link;
        link.addObserver(&recorder);
        QVERIFY(link.open(linkTo(sim)));
        BusScan scan(link);
        scan.setRange(0, 7);
        QElapsedTimer clock;
        clock.start();
        const BusScan::Result result = scan.run();
        const qint64 elapsed = clock.elapsed();
        link.close();
        QVERIFY(result.found.isEmpty());
        QCOMPARE(recorder.exchanges().size(), 8);
        for (const ExchangeEvent &e : recorder.exchanges()) {
            QCOMPARE(e.verdict, Verdict::NoReply);
            QVERIFY(e.roundTripUs >= 1000 * (ExchangeLimits::SerialIdleMs - 5));
        }
        QVERIFY2(elapsed < 8 * ExchangeLimits::SerialIdleMs * 3 / 2, qPrintable(QString::number(elapsed)));
    }
};

QTEST_GUILESS_MAIN(BusScanTest)
#include "busscantest.moc"
