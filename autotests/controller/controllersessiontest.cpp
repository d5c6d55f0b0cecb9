#include "controller/controllersession.h"
#include "controller/writeplans.h"
#include "exchangerecorder.h"
#include "controllerscript.h"

#include <QTest>

using Switches = std::array<bool, 4>;
Q_DECLARE_METATYPE(std::shared_ptr<ControllerScript>)
Q_DECLARE_METATYPE(CommandPlan)
Q_DECLARE_METATYPE(Switches)

namespace {

// A 42-character reply of the first read-back range (21 bytes) and 16 of the second (8 bytes).
const QByteArray FirstRange = "000200010000000000000000000000011810000000";
const QByteArray SecondRange = "0114000000010100";

// The session on a scripted controller, with its pauses and message points counted instead of
// waited and processed.
struct Bench
{
    explicit Bench(std::shared_ptr<ControllerScript> s)
        : script(std::move(s))
        , session(ControllerScript::factory(script))
    {
        session.setPause([this](int ms) { pauses.append(ms); });
        session.setProcessMessages([this] { ++processed; });
        session.link().addObserver(&recorder);
        session.open(LinkSettings::serial(QStringLiteral("ttyS0"), QStringLiteral("19200,e,8,1")));
        session.setDeviceId("000");
    }

    std::shared_ptr<ControllerScript> script;
    ExchangeRecorder recorder; // outlives the session, which reports its last close
    ControllerSession session;
    QList<int> pauses;
    int processed = 0;
};

// Answers the n-th request (1-based) with silence, every other one as `base` does.
std::shared_ptr<ControllerScript> silentAt(std::shared_ptr<ControllerScript> base, int n)
{
    auto inner = base->answer;
    auto count = std::make_shared<int>(0);
    base->answer = [inner, count, n](const QByteArray &command) {
        return ++*count == n ? QByteArray() : inner(command);
    };
    return base;
}

class RecordingPanel : public AutoTestPanel
{
public:
    std::array<bool, 4> switches {};
    QStringList shown;
    std::array<bool, 4> outputs() const override { return switches; }
    void showInputs(const AutoTestReplies::Inputs &inputs) override
    {
        QString lamps;
        for (bool lit : inputs.lit)
            lamps += lit ? QLatin1Char('1') : QLatin1Char('0');
        shown.append(QStringLiteral("inputs %1 %2").arg(lamps, inputs.clockText));
    }
    void showRecord(const QString &text) override { shown.append(QStringLiteral("record ") + text); }
    void showExtraInputs(const std::array<bool, 2> &states) override
    {
        shown.append(QStringLiteral("extra %1%2").arg(int(states[0])).arg(int(states[1])));
    }
    void showInputsUnknown() override { shown.append(QStringLiteral("inputs unknown")); }
    void showExtraInputsUnknown() override { shown.append(QStringLiteral("extra unknown")); }
    void showSilence(const AutoTestWatch &watch) override
    {
        shown.append(QStringLiteral("silent %1").arg(watch.silentCommands().join(u' ')));
    }
};

} // namespace

class ControllerSessionTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldIdentifyTheController_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<bool>("ro426");
        QTest::newRow("short version") << QByteArray("ZO425V05") << "RO420DA ZO425V05" << false;
        QTest::newRow("long version") << QByteArray("ZO425V0563ABCDEF") << "ZO425V0563ABCDEF" << false;
        QTest::newRow("RO426") << QByteArray("RO426V01") << "RO420DA RO426V01" << true;
    }
    void shouldIdentifyTheController()
    {
        QFETCH(QByteArray, version);
        QFETCH(QString, panel);
        QFETCH(bool, ro426);
        Bench b(ControllerScript::withReplies({ { "AS", "24010042" }, { "AV", version } }, "007"));
        b.session.setDeviceId(QByteArray());
        QStringList steps;
        ControllerSession::IdentifyHooks hooks;
        hooks.found = [&](const QByteArray &id) { steps << QStringLiteral("found ") + QString::fromLatin1(id); };
        hooks.versionRead = [&](const IdentifyReplies::Version &v) { steps << QStringLiteral("version ") + v.panelText; };

        const Identification result = b.session.identify(QStringLiteral(" 7 "), hooks);
        QVERIFY2(result.ok(), qPrintable(result.why));
        QCOMPARE(b.script->sent, (QList<QByteArray> { "7AS", "007AV", "007AS" }));
        QCOMPARE(b.pauses, (QList<int> { 100, 20, 20 }));
        QCOMPARE(steps, (QStringList { "found 007", "version " + panel }));
        QCOMPARE(b.session.deviceId(), QByteArray("007"));
        QCOMPARE(b.session.serialNumber(), QByteArray("24010042"));
        QCOMPARE(result.version->isRo426, ro426);
        QCOMPARE(result.serial->panelText, QStringLiteral("S/N:24010042   ID:007"));
    }

    void shouldSayHowFarTheConnectGot_data()
    {
        QTest::addColumn<std::shared_ptr<ControllerScript>>("script");
        QTest::addColumn<QString>("scanId");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QString>("why");
        const auto good = [] { return ControllerScript::withReplies({ { "AS", "24010042" }, { "AV", "ZO425V05" } }); };
        using S = Identification::Stage;
        QTest::newRow("nobody answers") << ControllerScript::withReplies({ { "AS", QByteArray() } }) << "000"
                                        << int(S::NotFound) << 3 << "No answer";
        QTest::newRow("scan reply of another length")
            << ControllerScript::withReplies({ { "AS", "123" } }) << "000" << int(S::NotFound) << 3 << "15 bytes where 20";
        QTest::newRow("found at the third try") << silentAt(silentAt(good(), 1), 1) << "000" << int(S::Done) << 5 << "";
        QTest::newRow("ID holds a frame delimiter") << good() << "0\x02" "0" << int(S::NotFound) << 0 << "delimiter";
        QTest::newRow("version unanswered") << silentAt(good(), 2) << "000" << int(S::NoVersion) << 2 << "No answer";
        QTest::newRow("version of another length")
            << ControllerScript::withReplies({ { "AS", "24010042" }, { "AV", "123" } }) << "000" << int(S::NoVersion) << 2
            << "15 bytes where 20 or 28";
        QTest::newRow("serial unanswered") << silentAt(good(), 3) << "000" << int(S::NoSerial) << 3 << "No answer";
        QTest::newRow("reply ID holds a frame delimiter")
            << ControllerScript::withReplies({ { "AS", "24010042" } }, "\x01" "00") << "\x01" "00" << int(S::BadId) << 1
            << "delimiter";
    }
    void shouldSayHowFarTheConnectGot()
    {
        QFETCH(std::shared_ptr<ControllerScript>, script);
        QFETCH(QString, scanId);
        QFETCH(int, stage);
        QFETCH(int, requests);
        QFETCH(QString, why);
        Bench b(script);
        b.session.setDeviceId("999");
        QList<int> retries;
        ControllerSession::IdentifyHooks hooks;
        hooks.retrying = [&](int left) { retries.append(left); };
        const Identification result = b.session.identify(scanId, hooks);
        QCOMPARE(int(result.stage), stage);
        QCOMPARE(b.script->sent.size(), requests);
        QVERIFY2(result.why.contains(why), qPrintable(result.why));
        if (result.stage == Identification::Stage::NotFound) {
            QCOMPARE(retries, (QList<int> { 3, 2, 1 }));
            // The ID learned before stays: nothing was found to replace it.
            QCOMPARE(b.session.deviceId(), QByteArray("999"));
        }
        if (requests == 0) // refused before sending: the traffic record still shows why
            QCOMPARE(b.recorder.exchanges().first().verdict, Verdict::Refused);
    }

    void shouldCountOnlyTheAcknowledgement_data()
    {
        QTest::addColumn<int>("which"); // 0 reboot, 1 reboot over the network, 2 set initial
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("why");
        QTest::newRow("reboot") << 0 << QByteArray("") << QByteArray("000AJ") << true << "";
        QTest::newRow("reboot on the network") << 1 << QByteArray("") << QByteArray("000AJ99") << true << "";
        QTest::newRow("set initial") << 2 << QByteArray("") << QByteArray("000AI") << true << "";
        QTest::newRow("reply with data") << 0 << QByteArray("12345678") << QByteArray("000AJ") << false
                                         << "Reply of 20 bytes where 12 were expected";
        QTest::newRow("no reply") << 2 << QByteArray() << QByteArray("000AI") << false << "No answer";
    }
    void shouldCountOnlyTheAcknowledgement()
    {
        QFETCH(int, which);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, sent);
        QFETCH(bool, ok);
        QFETCH(QString, why);
        Bench b(ControllerScript::withReplies({ { "A", data } }));
        const Outcome outcome = which == 2 ? b.session.setInitial() : b.session.reboot(which == 1);
        QCOMPARE(outcome.ok, ok);
        QCOMPARE(outcome.why, why);
        QCOMPARE(b.script->sent, QList<QByteArray> { sent });
        QCOMPARE(b.pauses, QList<int> { 100 });
        QCOMPARE(b.processed, 1);
    }

    void shouldSendTheFreeCommandAsItIs()
    {
        Bench b(ControllerScript::withReplies({ { "AB", "HELLO" } }));
        const Reply reply = b.session.freeCommand("ABHELLO");
        QVERIFY(reply.ok());
        QCOMPARE(reply.bytes, CommandFrame::encodeReply("000", "AB", "HELLO"));
        QCOMPARE(b.script->sent, QList<QByteArray> { "000ABHELLO" });
        QCOMPARE(b.pauses, QList<int> { 100 });
    }

    void shouldSendAPlanInOrderUntilOneFails_data()
    {
        QTest::addColumn<int>("silentRequest");
        QTest::addColumn<int>("sent");
        QTest::addColumn<bool>("ok");
        QTest::newRow("all answered") << 0 << 3 << true;
        QTest::newRow("second unanswered") << 2 << 2 << false;
        QTest::newRow("first unanswered") << 1 << 1 << false;
    }
    void shouldSendAPlanInOrderUntilOneFails()
    {
        QFETCH(int, silentRequest);
        QFETCH(int, sent);
        QFETCH(bool, ok);
        Bench b(silentAt(ControllerScript::withReplies({}), silentRequest));
        const Outcome outcome = b.session.run(WritePlans::title(2, QStringLiteral("Door 1"), QStringLiteral("Hall"), 1,
                                                                QStringLiteral("ASCII + BIG5")));
        QCOMPARE(outcome.ok, ok);
        const QList<QByteArray> all { "000AT02", "000AT1Door 1", "000AT2Hall" };
        QCOMPARE(b.script->sent, all.mid(0, sent));
        QCOMPARE(b.pauses, QList<int>(sent, 100));
        QCOMPARE(b.processed, sent);
        if (!ok)
            QCOMPARE(outcome.why, QStringLiteral("No answer"));
    }

    void shouldSendNothingOfARefusedPlan()
    {
        Bench b(ControllerScript::withReplies({}));
        const CommandPlan plan = WritePlans::setId(QStringLiteral("0\u00041"), 1, QStringLiteral("ASCII + BIG5"));
        QVERIFY(plan.refused());
        const Outcome outcome = b.session.run(plan);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.reply.verdict, Verdict::Refused);
        QVERIFY(b.script->sent.isEmpty());
        QCOMPARE(b.recorder.exchanges().size(), 1);
        QCOMPARE(b.recorder.exchanges().first().detail, plan.refusal);
    }

    void shouldBuildThePlansOfTheWriteButtons_data()
    {
        QTest::addColumn<CommandPlan>("plan");
        QTest::addColumn<QList<QByteArray>>("commands");
        QTest::addColumn<QString>("refusal");
        const QString big5 = QStringLiteral("ASCII + BIG5");
        QTest::newRow("language restarts") << WritePlans::language(2, 1) << QList<QByteArray> { "AP000A020201", "AJ" } << "";
        QTest::newRow("display restarts") << WritePlans::show(3, true, false) << QList<QByteArray> { "AP001B03030100", "AJ" }
                                          << "";
        QTest::newRow("baud without leading zero") << WritePlans::baud(17) << QList<QByteArray> { "AE11" } << "";
        QTest::newRow("no title lines still sends both")
            << WritePlans::title(0, QString(), QString(), 1, big5) << QList<QByteArray> { "AT00", "AT1", "AT2" } << "";
        QTest::newRow("title count not chosen")
            << WritePlans::title(-1, QString(), QString(), 1, big5) << QList<QByteArray>() << WritePlans::ChooseFromList;
        QTest::newRow("three master pairs")
            << WritePlans::masters({ "11", "22", "33" }, { "1", "2", "3" }, 1, big5)
            << QList<QByteArray> { "BA10011" "1", "BA20022" "2", "BA30033" "3" } << "";
        QTest::newRow("PIN's reason wins when both fail")
            << WritePlans::masters({ "\u00e9", "", "" }, { "\u4e2d\u6587", "", "" }, -1, QString()) << QList<QByteArray>()
            << "Master PIN 1 is not plain ASCII: choose a text encoding first";
        QTest::newRow("second title line refused")
            << WritePlans::title(2, QStringLiteral("ok"), QStringLiteral("a\rb"), 0, QStringLiteral("UNICODE"))
            << QList<QByteArray>() << "Title line 2 holds a character that UNICODE cannot carry, or a control character";
    }
    void shouldBuildThePlansOfTheWriteButtons()
    {
        QFETCH(CommandPlan, plan);
        QFETCH(QList<QByteArray>, commands);
        QFETCH(QString, refusal);
        QCOMPARE(plan.commands, commands);
        QCOMPARE(plan.refusal, refusal);
    }

    void shouldReadEachRangeOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<bool>("hasFirst");
        QTest::addColumn<bool>("hasSecond");
        QTest::addColumn<QString>("why");
        QTest::newRow("both") << FirstRange << SecondRange << true << true << "";
        QTest::newRow("second unanswered") << FirstRange << QByteArray() << true << false << "";
        QTest::newRow("first unanswered") << QByteArray() << SecondRange << false << true << "";
        QTest::newRow("first malformed, second short") << QByteArray(FirstRange).replace(0, 2, "zz") << QByteArray("01")
                                                       << false << false << "Unexpected reply of 14 bytes";
    }
    void shouldReadEachRangeOnItsOwn()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, hasFirst);
        QFETCH(bool, hasSecond);
        QFETCH(QString, why);
        Bench b(ControllerScript::withReplies({ { "AP000A", first }, { "AP0086", second } }));
        int toldOfFirst = 0;
        const auto result = b.session.readBack([&](const ReadBack::First &) { ++toldOfFirst; });
        QCOMPARE(b.script->sent, (QList<QByteArray> { "000AP000A15", "000AP008608" }));
        QCOMPARE(bool(result.first), hasFirst);
        QCOMPARE(bool(result.second), hasSecond);
        QCOMPARE(toldOfFirst, hasFirst ? 1 : 0);
        QCOMPARE(result.ok(), hasFirst || hasSecond);
        QCOMPARE(result.why, why);
        QCOMPARE(b.pauses, (QList<int> { 100, 100 }));
    }

    void shouldRunAnAutomaticTestPass_data()
    {
        QTest::addColumn<Switches>("lastSent");
        QTest::addColumn<Switches>("switches");
        QTest::addColumn<QByteArray>("ieData");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<QStringList>("shown");
        const QByteArray clock = "20240315142530";
        const QByteArray ie = clock + "00" + "1001";
        const QString clockText = QStringLiteral("2024/03/15  14:25:30");
        QTest::newRow("nothing switched")
            << Switches {} << Switches {} << ie << QList<QByteArray> { "000IE", "000DF" }
            << QStringList { "inputs 1001 " + clockText, "extra 10" };
        QTest::newRow("DO2 on, DO4 off") << Switches { false, false, false, true }
                                         << Switches { false, true, false, false } << ie
                                         << QList<QByteArray> { "000JD21", "000JD40", "000IE", "000DF" }
                                         << QStringList { "inputs 1001 " + clockText, "extra 10" };
        QTest::newRow("a record") << Switches {} << Switches {}
                                  << ie + "ABCDEFGHIJKLMNWXYZPQ" << QList<QByteArray> { "000IE", "000IB", "000DF" }
                                  << QStringList { "inputs 1001 " + clockText, "record ABCDEFGHIJKLMN (WXYZ) (PQ)", "extra 10" };
        QTest::newRow("inputs of another length leave the panel")
            << Switches {} << Switches {} << QByteArray("1") << QList<QByteArray> { "000IE", "000DF" }
            << QStringList { "extra 10" };
    }
    void shouldRunAnAutomaticTestPass()
    {
        QFETCH(Switches, lastSent);
        QFETCH(Switches, switches);
        QFETCH(QByteArray, ieData);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(QStringList, shown);
        Bench b(ControllerScript::withReplies({ { "IE", ieData }, { "DF", "10" } }));
        RecordingPanel panel;
        panel.switches = switches;
        AutoTestWatch watch;
        b.session.autoTestPass(lastSent, watch, panel);
        QCOMPARE(b.script->sent, sent);
        QCOMPARE(panel.shown, shown);
        QVERIFY(lastSent == switches);
        // A second pass with nothing changed switches nothing.
        b.script->sent.clear();
        b.session.autoTestPass(lastSent, watch, panel);
        QVERIFY(!b.script->sent.first().contains("JD"));
    }

    // The line goes away after an "IE", the controller is gone, then back: the lamps of what
    // went unanswered are given up after two passes, the link is tried again once a second and
    // nothing is sent meanwhile, an output switched meanwhile goes out when the link is back.
    void shouldOpenALostLinkAgainOnceASecondAndSendNothingMeanwhile()
    {
        auto script = ControllerScript::withReplies({ { "IE", "20240315142530001001" }, { "DF", "10" } });
        script->hangUpAfter = { "IE" };
        Bench b(script);
        qint64 now = 0;
        AutoTestWatch watch([&now] { return now; });
        RecordingPanel panel;
        std::array<bool, 4> lastSent {};
        const auto pass = [&](qint64 at) {
            now = at;
            panel.shown.clear();
            b.script->sent.clear();
            b.session.autoTestPass(lastSent, watch, panel);
        };

        pass(0); // "IE" answered, then the line goes: "DF" meets it gone
        QCOMPARE(b.script->sent, (QList<QByteArray> { "000IE" }));
        QVERIFY(!b.session.link().isOpen());
        b.script->sim->stop();
        b.script->hangUpAfter.clear();
        const int opens = b.script->sim->opens;

        pass(100); // tried again at once, refused; "DF" waits for the next second
        QCOMPARE(panel.shown, (QStringList { "extra unknown", "silent DF" }));
        panel.switches[1] = true;
        pass(200); // nothing tried, nothing sent, the switch kept for later
        QCOMPARE(panel.shown, (QStringList { "inputs unknown", "silent IE DF" }));
        QVERIFY(lastSent == Switches {});
        pass(1099);
        pass(1100); // a second after the last try
        QCOMPARE(b.recorder.exchanges().size(), 2 + 2); // "IE", "DF", two tries that failed
        QCOMPARE(b.script->sim->opens, opens);
        QVERIFY(b.script->sent.isEmpty());
        QVERIFY(!watch.lastPassAnswered());

        b.script->sim->restart();
        pass(1900); // not yet due
        QVERIFY(b.script->sent.isEmpty());
        pass(2100);
        QCOMPARE(b.script->sent, (QList<QByteArray> { "000JD21", "000IE", "000DF" }));
        QCOMPARE(panel.shown, (QStringList { "inputs 1001 2024/03/15  14:25:30", "extra 10", "silent " }));
        QVERIFY(watch.lastPassAnswered());
        QCOMPARE(b.script->sim->opens, opens + 1);
        for (const ExchangeEvent &e : b.recorder.exchanges().mid(2, 2))
            QCOMPARE(e.verdict, Verdict::LinkFailed);
    }

    void shouldTellObserversOfEveryExchangeOnce()
    {
        auto script = ControllerScript::withReplies({ { "AS", "24010042" }, { "AV", QByteArray() } });
        script->hangUpAfter = { "IE" };
        script->answer = [inner = script->answer](const QByteArray &command) {
            return command.endsWith("IE") ? QByteArray("\x03" "000IE2024") : inner(command);
        };
        Bench b(script);
        b.session.send("AS");
        b.session.send("AV");
        b.session.send("IE");
        b.session.close();
        const QList<ExchangeEvent> events = b.recorder.events;
        QCOMPARE(events.size(), 5);
        QCOMPARE(events[0].kind, ExchangeEvent::Kind::LinkOpened);
        QCOMPARE(events[1].verdict, Verdict::Answered);
        QCOMPARE(events[1].request, *CommandFrame::encodeRequest("000AS"));
        QCOMPARE(events[1].reply, CommandFrame::encodeReply("000", "AS", "24010042"));
        QVERIFY(events[1].roundTripUs >= 0);
        QCOMPARE(events[2].verdict, Verdict::NoReply);
        QCOMPARE(events[3].verdict, Verdict::CutOff);
        QCOMPARE(events[3].reply, QByteArray("\x03" "000IE2024"));
        QCOMPARE(events[4].kind, ExchangeEvent::Kind::LinkClosed);
        QCOMPARE(b.script->sim->opens, b.script->sim->closes);
    }

    void shouldReportALinkThatDoesNotOpen()
    {
        auto script = ControllerScript::withReplies({});
        script->openFails = true;
        ExchangeRecorder recorder;
        ControllerSession session(ControllerScript::factory(script));
        session.link().addObserver(&recorder);
        QVERIFY(!session.open(LinkSettings::serial(QStringLiteral("ttyS9"), QString())));
        QCOMPARE(session.link().openFailure(), OpenFailure::NoSuchPort);
        QCOMPARE(recorder.events.size(), 1);
        QCOMPARE(recorder.events.first().verdict, Verdict::LinkFailed);
        QCOMPARE(session.send("AS").verdict, Verdict::LinkFailed);
        QVERIFY(script->sent.isEmpty());
    }
};

QTEST_GUILESS_MAIN(ControllerSessionTest)
#include "controllersessiontest.moc"
