// The automatic product test in the real window against the simulator: what goes out in each pass,
// what the lamps and the panel show, and how a run ends however it is ended.
#include "i18n/texttable.h"
#include "windowharness.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTimer>

#include <algorithm>

namespace {

const QColor Yellow(255, 255, 0);
const QColor White(255, 255, 255);
const char *const InputLamps[] = { "shDI1", "shDI2", "shDI3", "shDI4", "shDI5", "shDI6" };
const char *const OutputBoxes[] = { "chkDO1", "chkDO2", "chkDO3", "chkDO4" };
const QRegularExpression ClockText(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d:\\d\\d$"));

// The requests of the run, without the controller ID.
QList<QByteArray> commands(const Simulator &sim)
{
    QList<QByteArray> out;
    for (const QByteArray &request : sim.requests())
        out.append(request.mid(3));
    return out;
}

int countOf(const QList<QByteArray> &log, const QByteArray &command)
{
    return int(log.count(command));
}

int countStarting(const QList<QByteArray> &log, const QByteArray &head)
{
    return int(std::count_if(log.cbegin(), log.cend(), [&](const QByteArray &c) { return c.startsWith(head); }));
}

QList<QByteArray> outputCommands(const QList<QByteArray> &log)
{
    QList<QByteArray> out;
    for (const QByteArray &c : log)
        if (c.startsWith("JD"))
            out.append(c);
    return out;
}

// The simulator started and the window connected to it.
bool connected(WindowHarness &h, Simulator &sim)
{
    return sim.start() && h.connectTo(sim);
}

// The explicit enabled state of every push button of the window.
QMap<QString, bool> buttonStates(const WindowHarness &h)
{
    QMap<QString, bool> states;
    for (QPushButton *b : h.window->findChildren<QPushButton *>())
        states.insert(b->objectName(), !b->testAttribute(Qt::WA_ForceDisabled));
    return states;
}

// The buttons whose handlers talk to the controller; btnAuto is not among them.
const char *const ControllerButtons[] = {
    "btnConnect", "btnReboot", "btnInitial", "btnLanguage", "btnSetMaster", "btnSetTitle", "btnSetBaud",
    "btnSetID", "btnSetShow", "btnReboot2", "btnCardType", "btnCardByte", "btnCardByte120", "btnSameCard",
    "btnDateType", "btnHourType", "btnSetExtReader", "btnDoorLog", "btnDoorForce", "btnDoorTimeout",
    "btnDoorTimeoutTime", "btnDI_3_4Mode", "btnSetReaderType", "btnGetParameter", "btnCommand",
};

} // namespace

// Runs the test through its button. The step is called at the run's message-processing points,
// with what the simulator has received since the run started; it acts as the operator would and
// cancels when it has seen enough. A run that goes on too long is cancelled and fails the test.
class AutoTestRun
{
public:
    using Step = std::function<void(const QList<QByteArray> &log)>;

    AutoTestRun(WindowHarness &h, Simulator &sim)
        : m_h(h)
        , m_sim(sim)
    {
    }

    bool run(const Step &step, int limitMs = 15000)
    {
        m_sim.clearRequests();
        QElapsedTimer elapsed;
        elapsed.start();
        bool overran = false;
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] { step(commands(m_sim)); });
        // A timer of its own: a run started from inside the step never lets the ticker fire.
        QTimer watchdog;
        watchdog.setInterval(50);
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            if (elapsed.elapsed() > limitMs) {
                overran = true;
                m_h.window->cancelAutoTest();
            }
        });
        watchdog.start();
        ticker.start();
        m_h.click("btnAuto");
        ticker.stop();
        watchdog.stop();
        log = commands(m_sim);
        return !overran;
    }

    void cancel() { m_h.click("btnAuto"); }

    QList<QByteArray> log;

private:
    WindowHarness &m_h;
    Simulator &m_sim;
};

class AutoTestTest : public QObject
{
    Q_OBJECT

private:
    // Runs the test until the given number of passes has ended, then reads the six lamps and
    // the clock panel, cancels, and says whether every lamp was lit exactly as expected.
    static bool lampsMatchAfterPasses(WindowHarness &h, AutoTestRun &run, int passes, const QList<bool> &lit,
                                      QString *panel)
    {
        QList<QColor> seen;
        const bool ran = run.run([&](const QList<QByteArray> &log) {
            if (!seen.isEmpty() || countOf(log, "DF") < passes)
                return;
            for (const char *lamp : InputLamps)
                seen.append(h.lamp(lamp));
            *panel = h.find<QLabel>("pnAuto")->text();
            run.cancel();
        });
        if (!ran || seen.size() != lit.size()) {
            qWarning("run ended: %d, lamps read: %lld", ran, static_cast<long long>(seen.size()));
            return false;
        }
        for (qsizetype i = 0; i < seen.size(); ++i) {
            if (seen[i] != (lit[i] ? Yellow : White)) {
                qWarning("lamp %lld is %s", static_cast<long long>(i + 1), qPrintable(seen[i].name()));
                return false;
            }
        }
        return true;
    }

    void checkEndedOk(const WindowHarness &h, const QList<QByteArray> &log)
    {
        QVERIFY(!log.isEmpty());
        QCOMPARE(log.last(), QByteArray("JE"));
        QCOMPARE(h.banner(), TextTable::text(TextTable::CommandOk, 0));
        QCOMPARE(h.lamp("shComm"), Yellow);
        QVERIFY(!h.tone->played.isEmpty());
        QCOMPARE(h.tone->played.last().frequencyHz, 1000);
        QVERIFY(!h.window->session().link().isOpen());
        QVERIFY(!h.window->autoTestRunning());
        QCOMPARE(h.find<QPushButton>("btnAuto")->text(), TextTable::text(TextTable::AutoTestButton, 0));
        auto pages = h.find<QTabWidget>("pcMain");
        QVERIFY(pages->isTabVisible(pages->indexOf(h.find("tsCommand"))));
        for (const char *lamp : InputLamps)
            QCOMPARE(h.lamp(lamp), White);
        for (const char *box : OutputBoxes)
            QVERIFY(!h.find<QCheckBox>(box)->isChecked());
    }

    // The end of a run whose last pass went unanswered: a failed operation, the lamps cleared.
    void checkEndedNotAnswering(const WindowHarness &h)
    {
        QCOMPARE(h.banner(), TextTable::text(TextTable::CommandError, 0));
        QCOMPARE(h.lamp("shComm"), QColor(255, 0, 0));
        QVERIFY(!h.tone->played.isEmpty());
        QCOMPARE(h.tone->played.last().frequencyHz, 300);
        QVERIFY2(h.find<QLabel>("pnMsg")->toolTip().contains(TextTable::text(TextTable::NotAnsweringTip, 0).arg("IE, DF")),
                 qPrintable(h.find<QLabel>("pnMsg")->toolTip()));
        QVERIFY(!h.window->session().link().isOpen());
        QVERIFY(!h.window->autoTestRunning());
        QCOMPARE(h.find<QPushButton>("btnAuto")->text(), TextTable::text(TextTable::AutoTestButton, 0));
        for (const char *lamp : InputLamps) {
            QCOMPARE(h.lamp(lamp), White);
            QVERIFY(!h.find(lamp)->property("unknown").toBool());
        }
    }

private Q_SLOTS:
    void shouldFinishThePassInProgressWhenCancelled()
    {
        Simulator sim({ "--jig" });
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        bool cancelled = false;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (cancelled)
                return;
            if (countOf(log, "IE") == 1)
                h.find<QCheckBox>("chkDO1")->setChecked(true);
            // In the third pass or a later one (a busy machine may show the step the log only
            // once the pass has gone on), with DO1 on and its lamp lit.
            if (countOf(log, "IE") >= 3) {
                QCOMPARE(h.lamp("shDI1"), Yellow);
                run.cancel();
                cancelled = true;
                QVERIFY(!h.window->autoTestRunning());
            }
        }));
        QVERIFY(cancelled);
        QCOMPARE(run.log.mid(run.log.lastIndexOf("IE")), (QList<QByteArray> { "IE", "DF", "JE" }));
        checkEndedOk(h, run.log);
    }

    void shouldSendOnlyInputReadsWhileNoBoxChanges()
    {
        Simulator sim;
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        const QDateTime started = QDateTime::currentDateTime();
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            // From the third pass's "IE" on: the pass ends, no further one starts.
            if (countOf(log, "IE") >= 3 && h.window->autoTestRunning())
                run.cancel();
        }));
        // Nothing but the input reads, pass after pass, and the end.
        QList<QByteArray> expected;
        for (qsizetype pass = 0; pass < std::max<qsizetype>(3, countOf(run.log, "IE")); ++pass)
            expected << "IE" << "DF";
        expected << "JE";
        QCOMPARE(run.log.mid(1), expected);
        // "AA" carries the PC's local time.
        QVERIFY(run.log.first().startsWith("AA"));
        const QDateTime sent = QDateTime::fromString(QString::fromLatin1(run.log.first().mid(2)), "yyyyMMddHHmmss");
        QVERIFY(sent.isValid());
        QVERIFY(qAbs(started.secsTo(sent)) <= 2);
        QVERIFY(h.find<QLabel>("pnAuto")->text().contains(ClockText));
    }

    void shouldSendEachOutputChangeOnce_data()
    {
        QTest::addColumn<QList<int>>("ticked");     // boxes ticked before the run starts
        QTest::addColumn<QList<QList<int>>>("plan"); // boxes ticked after each pass
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process

        QTest::newRow("box 2 ticked, kept, cleared") << QList<int> {} << QList<QList<int>> { { 2 }, { 2 }, { 2 }, {} }
                                                     << QList<QByteArray> { "JD21", "JD20" } << Simulator::Wiring::Tcp;
        QTest::newRow("two boxes in one pass go out in order")
            << QList<int> {} << QList<QList<int>> { { 4, 1 }, { 1, 4 }, {} }
            << QList<QByteArray> { "JD11", "JD41", "JD10", "JD40" } << Simulator::Wiring::InProcess;
        QTest::newRow("each box tracked by itself") << QList<int> {} << QList<QList<int>> { { 1 }, { 1, 3 }, { 3 }, { 3 } }
                                                    << QList<QByteArray> { "JD11", "JD31", "JD10" } << Simulator::Wiring::InProcess;
        QTest::newRow("a box ticked before the run goes out in the first pass")
            << QList<int> { 2 } << QList<QList<int>> { { 2 }, { 2 } } << QList<QByteArray> { "JD21" } << Simulator::Wiring::InProcess;
    }

    void shouldSendEachOutputChangeOnce()
    {
        QFETCH(QList<int>, ticked);
        QFETCH(QList<QList<int>>, plan);
        QFETCH(QList<QByteArray>, expected);
        QFETCH(Simulator::Wiring, wiring);

        Simulator sim({}, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        auto tick = [&](const QList<int> &boxes) {
            for (int n = 1; n <= 4; ++n)
                h.find<QCheckBox>(OutputBoxes[n - 1])->setChecked(boxes.contains(n));
        };
        tick(ticked);
        AutoTestRun run(h, sim);
        int applied = 0;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            const int passes = countOf(log, "DF");
            if (passes > applied && applied < plan.size() && log.last() == "DF") {
                tick(plan[applied]);
                applied = passes;
            } else if (applied >= plan.size() && passes > plan.size() && h.window->autoTestRunning()) {
                run.cancel();
            }
        }));
        QCOMPARE(outputCommands(run.log), expected);
        // Unchecking at the end sends nothing: "JE" follows the last pass directly.
        QCOMPARE(run.log.mid(run.log.size() - 2), (QList<QByteArray> { "DF", "JE" }));
        checkEndedOk(h, run.log);
    }

    // Which bit lights which lamp is AutoTestReplies'; here the window's lamps through each wiring.
    void shouldShowTheInputsOnTheLamps_data()
    {
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QList<bool>>("lit");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("1001, DI7 and DI8 on") << "100111" << QList<bool> { true, false, false, true, true, true } << Simulator::Wiring::Tcp;
        QTest::newRow("0110, DI7 on") << "011010" << QList<bool> { false, true, true, false, true, false } << Simulator::Wiring::InProcess;
    }

    void shouldShowTheInputsOnTheLamps()
    {
        QFETCH(QString, inputs);
        QFETCH(QList<bool>, lit);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({ "--inputs", inputs }, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        QString panel;
        QVERIFY(lampsMatchAfterPasses(h, run, 2, lit, &panel));
        QVERIFY2(panel.contains(ClockText), qPrintable(panel));
        checkEndedOk(h, run.log);
    }

    void shouldShowTheRecordThenAcknowledgeIt()
    {
        Simulator sim({ "--record-every", "2", "--inputs", "010100" });
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        QString beforeAck, afterAck, shDI2AtRecord;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            const auto panel = [&] { return h.find<QLabel>("pnAuto")->text(); };
            // Between the long reply and "IB".
            if (countOf(log, "IE") == 2 && log.last() == "IE" && beforeAck.isEmpty()) {
                beforeAck = panel();
                shDI2AtRecord = h.lamp("shDI2").name();
            }
            // After the following short reply.
            if (countOf(log, "IE") == 3 && log.last() == "IE" && afterAck.isEmpty()) {
                afterAck = panel();
                run.cancel();
            }
        }));
        QCOMPARE(beforeAck, QStringLiteral("12345678901234 (DOOR) (01)"));
        QCOMPARE(shDI2AtRecord, Yellow.name());
        QVERIFY2(afterAck.contains(ClockText), qPrintable(afterAck));
        const QList<QByteArray> expected { "IE", "DF", "IE", "IB", "DF", "IE", "DF", "JE" };
        QCOMPARE(run.log.mid(1), expected);
    }

    void shouldIgnoreRepliesOfOtherLengths_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QList<bool>>("lit");
        QTest::addColumn<bool>("clockShown");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        // Each wrong reply would light its lamps if it were read. Which lengths are wrong is
        // AutoTestReplies' to say; here each reply once, through each wiring.
        QTest::newRow("IE of 31 bytes") << "IE=2024031514253000111" << QList<bool> { false, false, false, false, true, true } << false << Simulator::Wiring::Tcp;
        QTest::newRow("DF of 13 bytes") << "DF=1" << QList<bool> { true, true, true, true, false, false } << true << Simulator::Wiring::InProcess;
    }

    void shouldIgnoreRepliesOfOtherLengths()
    {
        QFETCH(QString, reply);
        QFETCH(QList<bool>, lit);
        QFETCH(bool, clockShown);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({ "--inputs", "111111", "--reply", reply }, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        QString panel;
        QVERIFY(lampsMatchAfterPasses(h, run, 3, lit, &panel));
        QCOMPARE(panel.contains(ClockText), clockShown);
        if (!clockShown)
            QVERIFY(panel.isEmpty());
        QCOMPARE(countOf(run.log, "IB"), 0);
        checkEndedOk(h, run.log);
    }

    void shouldRestoreEveryControlWhenTheLinkCannotOpen()
    {
        Simulator sim;
        WindowHarness h;
        QVERIFY(connected(h, sim));
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 deadPort = closed.serverPort();
        closed.close();
        h.useRealLinks();
        h.useTcp(deadPort);
        const QMap<QString, bool> before = buttonStates(h);
        const QString caption = h.find<QPushButton>("btnAuto")->text();
        sim.clearRequests();

        h.click("btnAuto");

        QCOMPARE(h.banner(), TextTable::text(TextTable::ConnectDeviceError, 0));
        QCOMPARE(h.tone->played.last().frequencyHz, 300);
        QCOMPARE(buttonStates(h), before);
        QCOMPARE(h.find<QPushButton>("btnAuto")->text(), caption);
        auto pages = h.find<QTabWidget>("pcMain");
        QVERIFY(pages->isTabVisible(pages->indexOf(h.find("tsCommand"))));
        QVERIFY(!h.window->autoTestRunning());
        QVERIFY(h.window->isEnabled());
        QVERIFY(sim.requests().isEmpty());

        // The window is ready for the next run.
        h.use(sim);
        AutoTestRun run(h, sim);
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (countOf(log, "DF") == 1 && h.window->autoTestRunning())
                run.cancel();
        }));
        checkEndedOk(h, run.log);
    }

    // No pass answered: the lamps are given up after two passes (never lit), and the run is no
    // success.
    void shouldEndWithAnErrorWhenEveryExchangeFails()
    {
        Simulator sim;
        QVERIFY(sim.start());
        // Inputs all on, so that any reply taken for valid would light the lamps.
        Simulator broken({ "--inputs", "111111", "--fault", "*:badcrc" });
        QVERIFY(broken.start());
        WindowHarness h;
        QVERIFY(h.connectTo(sim));
        h.use(broken);
        AutoTestRun run(h, broken);
        bool lampLit = false;
        QStringList unknownAfterTwo;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            for (const char *lamp : InputLamps)
                lampLit = lampLit || h.lamp(lamp) == Yellow;
            // At or after the third pass's "IE": a busy machine may let the step see the log
            // only once that pass has gone on, and no reply of it is valid either.
            if (countOf(log, "IE") >= 3 && h.window->autoTestRunning() && unknownAfterTwo.isEmpty()) {
                for (const char *lamp : InputLamps)
                    if (h.find(lamp)->property("unknown").toBool())
                        unknownAfterTwo << QString::fromLatin1(lamp);
                run.cancel();
            }
        }));
        QVERIFY(!lampLit);
        QCOMPARE(unknownAfterTwo.size(), 6);
        QVERIFY(h.find<QLabel>("pnAuto")->text().isEmpty());
        QCOMPARE(run.log, (QList<QByteArray> { run.log.first(), "IE", "DF", "IE", "DF", "IE", "DF", "JE" }));
        QVERIFY(run.log.first().startsWith("AA"));
        checkEndedNotAnswering(h);
    }

    // The controller stops answering during a run: after two silent passes the six lamps show
    // that their inputs are not known and the banner's tool tip says why; the run then ends as a
    // failure. A lost link is tried again, not hammered.
    void shouldShowTheLampsUnknownWhenTheControllerStopsAnswering_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QString>("tipSays");
        QTest::newRow("falls silent") << "silent" << Simulator::Wiring::InProcess << "No answer";
        QTest::newRow("simulator process stopped") << "stopped" << Simulator::Wiring::Tcp << "refused";
    }
    void shouldShowTheLampsUnknownWhenTheControllerStopsAnswering()
    {
        QFETCH(QString, how);
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QString, tipSays);
        Simulator sim({ "--inputs", "111111" }, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        bool stopped = false, litBefore = false;
        QStringList unknown;
        QString tip;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (!stopped && countOf(log, "DF") == 2 && log.last() == "DF") {
                litBefore = h.lamp("shDI1") == Yellow && h.lamp("shDI6") == Yellow;
                stopped = true;
                if (how == "silent")
                    sim.model()->setRewrite([](const QByteArray &, const QByteArray &) { return QByteArray(); });
                sim.stop();
                return;
            }
            if (!stopped || !unknown.isEmpty() || h.find<QLabel>("pnMsg")->toolTip().isEmpty())
                return;
            for (const char *lamp : InputLamps)
                if (h.find(lamp)->property("unknown").toBool())
                    unknown << QString::fromLatin1(lamp);
            tip = h.find<QLabel>("pnMsg")->toolTip();
            QCOMPARE(h.banner(), TextTable::text(TextTable::DidoTestBanner, 0));
            run.cancel();
        }));
        QVERIFY(litBefore);
        QCOMPARE(unknown.size(), 6);
        QVERIFY2(tip.startsWith(TextTable::text(TextTable::NotAnsweringTip, 0).arg("IE, DF")), qPrintable(tip));
        QVERIFY2(tip.contains(tipSays, Qt::CaseInsensitive), qPrintable(tip));
        checkEndedNotAnswering(h);
        QCOMPARE(h.traffic.opens(), h.traffic.closes());
    }

    void shouldKeepEveryOtherControllerButtonUnavailableDuringARun()
    {
        Simulator sim;
        WindowHarness h;
        QVERIFY(connected(h, sim));
        // A button already disabled stays so after the run.
        h.find<QPushButton>("btnSetShow")->setEnabled(false);
        const QMap<QString, bool> before = buttonStates(h);
        AutoTestRun run(h, sim);
        QStringList usable;
        bool tabHidden = false, boxesUsable = false, autoUsable = false, looked = false;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (looked || countOf(log, "DF") < 1)
                return;
            looked = true;
            for (const char *name : ControllerButtons) {
                QPushButton *b = h.find<QPushButton>(name);
                if (b->isEnabled())
                    usable << QString::fromLatin1(name);
                b->click(); // refused while the run holds the link
            }
            auto pages = h.find<QTabWidget>("pcMain");
            tabHidden = !pages->isTabVisible(pages->indexOf(h.find("tsCommand")));
            boxesUsable = h.find<QCheckBox>("chkDO4")->isEnabled();
            autoUsable = h.find<QPushButton>("btnAuto")->isEnabled();
            run.cancel();
        }));
        QVERIFY2(usable.isEmpty(), qPrintable(usable.join(u' ')));
        QVERIFY(tabHidden);
        QVERIFY(boxesUsable);
        QVERIFY(autoUsable);
        // Only the test's own commands reached the controller.
        for (const QByteArray &c : run.log)
            QVERIFY2(c.startsWith("AA") || c == "IE" || c == "DF" || c == "JE", c.constData());
        QCOMPARE(buttonStates(h), before);
        checkEndedOk(h, run.log);
    }

    void shouldNotStartASecondRunWhenClickedAgainAfterCancel_data()
    {
        QTest::addColumn<bool>("sameMoment");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("right after the cancel") << true << Simulator::Wiring::Tcp;
        QTest::newRow("later in the same pass") << false << Simulator::Wiring::InProcess;
    }

    void shouldNotStartASecondRunWhenClickedAgainAfterCancel()
    {
        QFETCH(bool, sameMoment);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({}, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        int stage = 0;
        int ieAtCancel = 0;
        bool inSamePass = false;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            // Between the first pass's "IE" and its "DF"; the pass is told by its "IE".
            if (stage == 0 && countOf(log, "IE") == 1 && log.last() == "IE") {
                run.cancel();
                ieAtCancel = countOf(log, "IE");
                stage = 1;
                if (!sameMoment)
                    return;
            }
            if (stage == 1) {
                inSamePass = countOf(log, "IE") == ieAtCancel;
                run.cancel();
                stage = 2;
            }
        }, 5000));
        QVERIFY(inSamePass);
        QCOMPARE(countStarting(run.log, "AA"), 1);
        QCOMPARE(countOf(run.log, "JE"), 1);
        checkEndedOk(h, run.log);
        // The next click after the finish starts a run again.
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (countOf(log, "DF") == 1 && h.window->autoTestRunning())
                run.cancel();
        }));
        QCOMPARE(countStarting(run.log, "AA"), 1);
        checkEndedOk(h, run.log);
    }

    void shouldEndTheRunAndThenCloseWhenTheWindowIsClosed()
    {
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        QVERIFY(h.connectTo(sim));
        AutoTestRun run(h, sim);
        bool closeRequested = false, visibleAfterRequest = false;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (!closeRequested && countOf(log, "DF") == 2) {
                closeRequested = true;
                h.window->close();
                visibleAfterRequest = h.window->isVisible();
            }
        }));
        QVERIFY(closeRequested);
        // The run ended first, as a cancel ends it.
        QVERIFY(visibleAfterRequest);
        QCOMPARE(run.log.mid(run.log.size() - 3), (QList<QByteArray> { "IE", "DF", "JE" }));
        QCOMPARE(h.traffic.opens(), h.traffic.closes());
        // Then the window closes.
        QTRY_VERIFY(!h.window->isVisible());
        QVERIFY(!h.window->autoTestRunning());
        QVERIFY(!h.window->session().link().isOpen());
        const qsizetype sent = sim.requests().size();
        QTest::qWait(200);
        QCOMPARE(sim.requests().size(), sent);
    }

    // The caption follows a language chosen during a run, and the one put back at its end is in
    // the language in force then, also when the change and the cancel come together.
    void shouldCaptionTheButtonInTheLanguageInForce_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("cancelAtOnce");
        QTest::newRow("chosen during the run") << "mnuSimplified" << int(TextTable::SimplifiedChinese) << false;
        QTest::newRow("chosen as the run is cancelled") << "mnuTraditional" << int(TextTable::TraditionalChinese) << true;
    }
    void shouldCaptionTheButtonInTheLanguageInForce()
    {
        QFETCH(QString, entry);
        QFETCH(int, language);
        QFETCH(bool, cancelAtOnce);
        Simulator sim;
        WindowHarness h;
        QVERIFY(connected(h, sim));
        auto button = h.find<QPushButton>("btnAuto");
        QString before, during;
        AutoTestRun run(h, sim);
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            if (before.isEmpty() && countOf(log, "DF") == 1) {
                before = h.window->autoTestCaption();
                h.window->findChild<QAction *>(entry)->trigger();
                during = button->text();
                if (cancelAtOnce)
                    run.cancel();
            } else if (!before.isEmpty() && h.window->autoTestRunning()) {
                run.cancel();
            }
        }));
        QCOMPARE(before, TextTable::text(TextTable::CancelAutoTestButton, TextTable::English));
        QCOMPARE(h.window->languageIndex(), language);
        QCOMPARE(during, TextTable::text(TextTable::CancelAutoTestButton, language));
        QCOMPARE(button->text(), TextTable::text(TextTable::AutoTestButton, language));
        QCOMPARE(h.window->autoTestCaption(), button->text());
        QCOMPARE(run.log.last(), QByteArray("JE"));
    }

    // The jig's wiring is the simulator's; here one output to one input and one to two.
    void shouldLightTheInputOfATickedOutputWithinOnePassOnTheJig_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("lamps");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("DO1 lights DI1") << "chkDO1" << QStringList { "shDI1" } << Simulator::Wiring::Tcp;
        QTest::newRow("DO3 lights DI3 and DI7") << "chkDO3" << QStringList { "shDI3", "shDI5" } << Simulator::Wiring::InProcess;
    }

    void shouldLightTheInputOfATickedOutputWithinOnePassOnTheJig()
    {
        QFETCH(QString, box);
        QFETCH(QStringList, lamps);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({ "--jig" }, wiring);
        WindowHarness h;
        QVERIFY(connected(h, sim));
        AutoTestRun run(h, sim);
        const QByteArray switchOn = "JD" + box.right(1).toLatin1() + "1";
        bool ticked = false, looked = false;
        QStringList litAfterOnePass, litBefore;
        QVERIFY(run.run([&](const QList<QByteArray> &log) {
            const auto litLamps = [&] {
                QStringList lit;
                for (const char *lamp : InputLamps)
                    if (h.lamp(lamp) == Yellow)
                        lit << QString::fromLatin1(lamp);
                return lit;
            };
            if (!ticked && countOf(log, "DF") == 1) {
                litBefore = litLamps();
                h.find<QCheckBox>(box.toLatin1().constData())->setChecked(true);
                ticked = true;
                return;
            }
            // The first moment after the pass that switched the output has ended.
            const qsizetype switched = log.indexOf(switchOn);
            if (ticked && !looked && switched >= 0 && log.indexOf("DF", switched) >= 0) {
                looked = true;
                litAfterOnePass = litLamps();
                run.cancel();
            }
        }));
        QCOMPARE(countOf(run.log, switchOn), 1);
        QVERIFY(litBefore.isEmpty());
        QCOMPARE(litAfterOnePass, lamps);
        checkEndedOk(h, run.log);
    }
};

QTEST_MAIN(AutoTestTest)
#include "autotesttest.moc"
