#include "controller/controllersession.h"
#include "controller/jigtest.h"
#include "controllerscript.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// A controller on a jig, played from a script: outputs switched by "JD", inputs wired as the map
// says, with the faults a production line meets.
struct JigController
{
    std::array<bool, 4> outputs {};
    int stuckOn = -1;        // input index 0..5 always lit
    int stuckOff = -1;       // input index never lit
    int deadOutput = -1;     // output that drives nothing
    qint64 clockOffsetS = 0; // what the clock shows beyond the time set
    QByteArray silentOn;     // a command that is never answered
    QByteArray lostAfterDoing; // a command carried out whose answer is lost
    QList<QByteArray> hangUpAfter; // commands after which the line goes away (the adapter pulled out)

    std::shared_ptr<ControllerScript> script(const JigMap &map)
    {
        auto s = std::make_shared<ControllerScript>();
        s->hangUpAfter = hangUpAfter;
        s->answer = [this, map](const QByteArray &command) -> QByteArray {
            const QByteArray letters = command.mid(3);
            if (!silentOn.isEmpty() && letters.startsWith(silentOn))
                return QByteArray();
            const QByteArray head = letters.left(2);
            if (head == "AS")
                return CommandFrame::encodeReply("000", head, "24010042");
            if (head == "AV")
                return CommandFrame::encodeReply("000", head, "ZO425V05");
            if (head == "JD" && letters.size() == 4) {
                outputs[std::size_t(letters[2] - '1')] = letters[3] == '1';
                if (!lostAfterDoing.isEmpty() && letters.startsWith(lostAfterDoing))
                    return QByteArray();
            }
            if (head == "IE" || head == "DF") {
                JigMap::InputStates lit {};
                for (int o = 0; o < 4; ++o)
                    if (outputs[std::size_t(o)] && o != deadOutput)
                        for (int i = 0; i < JigMap::InputCount; ++i)
                            lit[std::size_t(i)] = lit[std::size_t(i)] || map.drivenBy(JigMap::Output(o))[std::size_t(i)];
                if (stuckOn >= 0)
                    lit[std::size_t(stuckOn)] = true;
                if (stuckOff >= 0)
                    lit[std::size_t(stuckOff)] = false;
                auto c = [&](int i) { return lit[std::size_t(i)] ? '1' : '0'; };
                if (head == "DF")
                    return CommandFrame::encodeReply("000", head, QByteArray(1, c(4)) + c(5));
                const QByteArray clock = QDateTime::currentDateTime().addSecs(clockOffsetS).toString("yyyyMMddHHmmss").toLatin1();
                return CommandFrame::encodeReply("000", head, clock + "00" + c(0) + c(1) + c(2) + c(3));
            }
            return CommandFrame::encodeReply("000", head, QByteArray());
        };
        return s;
    }
};

struct Expected
{
    QString failingStep;    // empty: PASS
    QString measured;       // a pattern: the clock reads whole seconds
    QString reasonContains;
    bool linkLost = false;  // the station's fault, not the unit's
};

} // namespace

using Fault = std::function<void(JigController &)>;
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Expected)

class JigTestTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldJudgeEachStepOfAUnit_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Expected>("outcome");
        using F = std::function<void(JigController &)>;
        QTest::newRow("good unit") << F([](JigController &) {}) << Expected {};
        QTest::newRow("DI2 stuck on") << F([](JigController &c) { c.stuckOn = 1; })
                                      << Expected { "DO1 alone", "DI1 DI2", "" };
        QTest::newRow("DI7 stuck off") << F([](JigController &c) { c.stuckOff = 4; })
                                       << Expected { "DO3 alone", "DI3", "" };
        QTest::newRow("DO4 drives nothing") << F([](JigController &c) { c.deadOutput = 3; })
                                            << Expected { "DO4 alone", "none", "" };
        QTest::newRow("clock ahead by 5 s") << F([](JigController &c) { c.clockOffsetS = 5; })
                                            << Expected { "Clock kept", R"(\(\+[456] s\))", "" };
        QTest::newRow("clock behind by an hour") << F([](JigController &c) { c.clockOffsetS = -3600; })
                                                 << Expected { "Clock kept", R"(\(-(3599|3600|3601) s\))", "" };
        QTest::newRow("DF unanswered") << F([](JigController &c) { c.silentOn = "DF"; })
                                       << Expected { "DO1 alone", "no reply", "DF: No answer" };
        QTest::newRow("DO2 will not switch") << F([](JigController &c) { c.silentOn = "JD21"; })
                                             << Expected { "DO2 alone", "no reply", "JD21: No answer" };
        QTest::newRow("DO3 will not switch off") << F([](JigController &c) { c.silentOn = "JD30"; })
                                                 << Expected { "DO3 alone", "DI3 DI7", "JD30: No answer" };
        // Found by the soak: the relay closed, the answer lost; the output must not stay on.
        QTest::newRow("DO2 switched on, its answer lost") << F([](JigController &c) { c.lostAfterDoing = "JD21"; })
                                                          << Expected { "DO2 alone", "no reply", "JD21: No answer" };
        QTest::newRow("DO4 switched off, its answer lost") << F([](JigController &c) { c.lostAfterDoing = "JD40"; })
                                                           << Expected { "DO4 alone", "DI4 DI8", "JD40: No answer" };
        QTest::newRow("no unit on the jig") << F([](JigController &c) { c.silentOn = "AS"; })
                                            << Expected { "Identify", "not identified", "No answer" };
        QTest::newRow("line gone after DO2 on") << F([](JigController &c) { c.hangUpAfter = { "JD21" }; })
                                                << Expected { "DO2 alone", "", "The link is not open", true };
        QTest::newRow("line gone after the version") << F([](JigController &c) { c.hangUpAfter = { "AV" }; })
                                                     << Expected { "Identify", "not identified", "", true };
    }
    void shouldJudgeEachStepOfAUnit()
    {
        QFETCH(Fault, fault);
        QFETCH(Expected, outcome);
        JigController controller;
        fault(controller);
        const JigMap map = JigMap::defaultMap();
        auto script = controller.script(map);
        ControllerSession session(ControllerScript::factory(script));
        QList<int> pauses;
        session.setPause([&](int ms) { pauses.append(ms); });
        QVERIFY(session.open(LinkSettings::serial(QStringLiteral("ttyS0"), QString())));
        QStringList told;
        JigTest::Options options;
        const JigTest::Result result = JigTest(session, map, options).run([&](const JigTest::Step &s) { told << s.name; });

        QCOMPARE(result.passed(), outcome.failingStep.isEmpty());
        QCOMPARE(result.linkLost(), outcome.linkLost);
        QCOMPARE(told.size(), result.steps.size());
        // The texts the records keep are the English of the phrases a window says in its language.
        for (const JigTest::Step &s : result.steps) {
            QVERIFY(!s.namePhrase.isEmpty() && !s.expectedPhrase.isEmpty() && !s.measuredPhrase.isEmpty());
            QCOMPARE(QStringList({ s.name, s.expected, s.measured }),
                     QStringList({ s.namePhrase.english(), s.expectedPhrase.english(), s.measuredPhrase.english() }));
        }
        if (outcome.failingStep.isEmpty()) {
            QCOMPARE(told, JigTest::stepNames());
            QCOMPARE(result.steps[3].expected, QStringLiteral("DI1"));
            QCOMPARE(result.steps[5].measured, QStringLiteral("DI3 DI7"));
            QVERIFY(pauses.contains(options.settleMs));
        } else {
            const JigTest::Step *failed = result.firstFailure();
            QVERIFY(failed);
            QCOMPARE(failed->name, outcome.failingStep);
            QVERIFY2(failed->measured.contains(QRegularExpression(outcome.measured)), qPrintable(failed->measured));
            QVERIFY2(failed->why.contains(outcome.reasonContains), qPrintable(failed->why));
            // Stopped at the first failure, and the unit left as a test's end leaves it.
            QCOMPARE(result.steps.last().name, outcome.failingStep);
            if (outcome.failingStep != QStringLiteral("Identify") && !outcome.linkLost)
                QCOMPARE(script->sent.last(), QByteArray("000JE"));
        }
        // Every output is off at the end, whatever happened, unless nothing can reach it.
        QVERIFY(controller.outputs == (std::array<bool, 4> {}) || outcome.failingStep == QStringLiteral("DO3 alone") || outcome.linkLost);
    }

    void shouldRunEveryStepWhenAskedTo()
    {
        JigController controller;
        controller.stuckOn = 5; // DI8 lit all the time: every step but those expecting DI8 fails
        const JigMap map = JigMap::defaultMap();
        auto script = controller.script(map);
        ControllerSession session(ControllerScript::factory(script));
        session.setPause([](int) {});
        QVERIFY(session.open(LinkSettings::serial(QStringLiteral("ttyS0"), QString())));
        JigTest::Options options;
        options.stopAtFirstFailure = false;
        const JigTest::Result result = JigTest(session, map, options).run();
        QCOMPARE(result.steps.size(), JigTest::stepNames().size());
        QStringList failed;
        for (const JigTest::Step &s : result.steps)
            if (!s.passed)
                failed << s.name;
        QCOMPARE(failed, (QStringList { "DO1 alone", "DO2 alone", "DO3 alone", "All off" }));
        QVERIFY(!result.passed());
    }
};

QTEST_GUILESS_MAIN(JigTestTest)
#include "jigtesttest.moc"
