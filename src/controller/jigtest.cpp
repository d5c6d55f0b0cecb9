#include "controller/jigtest.h"

#include "controller/autotestcommands.h"
#include "controller/autotestreplies.h"
#include "controller/controllersession.h"
#include "controller/pauses.h"

#include <array>
#include <cstdlib>

namespace {

const QString ClockFormat = QStringLiteral("yyyy/MM/dd  HH:mm:ss");

JigTest::Step begin(const JigPhrase &name, const JigPhrase &expected)
{
    JigTest::Step step;
    step.setName(name);
    step.setExpected(expected);
    return step;
}

JigMap::Output outputAt(int index)
{
    return JigMap::Output(index);
}

} // namespace

// One run: the steps so far and whether to go on.
class JigTest::Run
{
public:
    Run(ControllerSession &session, const Options &options, const std::function<void(const Step &)> &stepDone)
        : m_session(session)
        , m_options(options)
        , m_stepDone(stepDone)
    {
    }

    bool goOn() const { return m_failed == 0 || !m_options.stopAtFirstFailure; }
    bool anyFailed() const { return m_failed > 0; }

    void add(Step step)
    {
        if (!step.passed)
            ++m_failed;
        if (m_stepDone)
            m_stepDone(step);
        m_steps.append(std::move(step));
        // Between steps the window repaints and shows the step just ended.
        m_session.processMessages();
    }

    // An exchange whose reply is not judged beyond its arrival; a failure names the step.
    bool exchange(const QByteArray &command, Step &step)
    {
        const Reply reply = m_session.send(command);
        if (reply.ok())
            return true;
        step.passed = false;
        if (step.measured.isEmpty())
            step.setMeasured(JigPhrase::replyVerdict(reply.verdict));
        step.why = QStringLiteral("%1: %2").arg(QString::fromLatin1(command), reply.why());
        step.linkLost = linkLost(reply);
        return false;
    }

    // The six inputs: "IE" then "DF", each with the length it must have. With a clock to fill,
    // only "IE" is read: it carries the clock.
    std::optional<JigMap::InputStates> readInputs(Step &step, std::optional<QDateTime> *clock = nullptr)
    {
        m_session.pause(Pauses::Step);
        const Reply ie = m_session.send(AutoTestCommands::readInputs());
        const auto inputs = ie.ok() ? AutoTestReplies::inputs(ie.bytes, ie.length()) : std::nullopt;
        if (!inputs)
            return failRead(step, "IE", ie, QStringLiteral("%1 or %2").arg(AutoTestReplies::InputsLength).arg(AutoTestReplies::InputsWithRecordLength));
        if (clock) {
            *clock = QDateTime::fromString(inputs->clockText, ClockFormat);
            return JigMap::inputStates(inputs->lit, {});
        }
        m_session.pause(Pauses::Step);
        const Reply df = m_session.send(AutoTestCommands::readExtraInputs());
        const auto extra = df.ok() ? AutoTestReplies::extraInputs(df.bytes, df.length()) : std::nullopt;
        if (!extra)
            return failRead(step, "DF", df, QString::number(AutoTestReplies::ExtraInputsLength));
        return JigMap::inputStates(inputs->lit, *extra);
    }

    QList<Step> steps() const { return m_steps; }

    // A reply that says nothing of the unit: the line or connection is gone, or was never there.
    // A silent unit or a garbled reply is the unit's (the link is still open after it).
    bool linkLost(const Reply &reply) const
    {
        return reply.verdict == Verdict::HungUp || reply.verdict == Verdict::LinkFailed || !m_session.link().isOpen();
    }

private:
    std::optional<JigMap::InputStates> failRead(Step &step, const char *command, const Reply &reply, const QString &expected)
    {
        step.passed = false;
        step.setMeasured(reply.ok() ? JigPhrase(JigPhrase::Kind::ReplyLength, { QString::number(reply.length()) })
                                    : JigPhrase::replyVerdict(reply.verdict));
        step.why = QStringLiteral("%1: %2").arg(QLatin1String(command), reply.why(expected));
        step.linkLost = linkLost(reply);
        return std::nullopt;
    }

    ControllerSession &m_session;
    const Options &m_options;
    const std::function<void(const Step &)> &m_stepDone;
    QList<Step> m_steps;
    int m_failed = 0;
};

JigTest::JigTest(ControllerSession &session, const JigMap &map, const Options &options)
    : m_session(session)
    , m_map(map)
    , m_options(options)
{
}

bool JigTest::Result::passed() const
{
    if (!unit.ok() || steps.isEmpty())
        return false;
    for (const Step &step : steps)
        if (!step.passed)
            return false;
    return true;
}

bool JigTest::Result::linkLost() const
{
    for (const Step &step : steps)
        if (!step.passed && step.linkLost)
            return true;
    return false;
}

const JigTest::Step *JigTest::Result::firstFailure() const
{
    for (const Step &step : steps)
        if (!step.passed)
            return &step;
    return nullptr;
}

void JigTest::Step::setName(const JigPhrase &phrase)
{
    namePhrase = phrase;
    name = phrase.english();
}

void JigTest::Step::setExpected(const JigPhrase &phrase)
{
    expectedPhrase = phrase;
    expected = phrase.english();
}

void JigTest::Step::setMeasured(const JigPhrase &phrase)
{
    measuredPhrase = phrase;
    measured = phrase.english();
}

JigPhrase JigTest::inputsPhrase(const JigMap::InputStates &states)
{
    QStringList lit;
    for (int i = 0; i < JigMap::InputCount; ++i)
        if (states[std::size_t(i)])
            lit << JigMap::inputName(JigMap::Input(i));
    return lit.isEmpty() ? JigPhrase(JigPhrase::Kind::NoInputs) : JigPhrase(JigPhrase::Kind::Inputs, lit);
}

QString JigTest::inputsText(const JigMap::InputStates &states)
{
    return inputsPhrase(states).english();
}

QList<JigPhrase> JigTest::stepPhrases()
{
    QList<JigPhrase> steps { JigPhrase::Kind::StepIdentify, JigPhrase::Kind::StepSetClock, JigPhrase::Kind::StepClockKept };
    for (int i = 0; i < JigMap::OutputCount; ++i)
        steps << JigPhrase(JigPhrase::Kind::StepOutputAlone, { JigMap::outputName(outputAt(i)) });
    steps << JigPhrase(JigPhrase::Kind::StepAllOff) << JigPhrase(JigPhrase::Kind::StepEnd);
    return steps;
}

QStringList JigTest::stepNames()
{
    QStringList names;
    for (const JigPhrase &step : stepPhrases())
        names << step.english();
    return names;
}

JigTest::Result JigTest::run(const std::function<void(const Step &)> &stepDone)
{
    Result result;
    result.start = QDateTime::currentDateTimeUtc();
    Run run(m_session, m_options, stepDone);

    // Identify: the record belongs to the unit the controller says it is.
    {
        Step step = begin(JigPhrase::Kind::StepIdentify, JigPhrase(JigPhrase::Kind::AnsweringId, { m_options.scanId }));
        result.unit = m_session.identify(m_options.scanId);
        step.passed = result.unit.ok();
        if (step.passed) {
            step.setMeasured(JigPhrase(JigPhrase::Kind::UnitIdentity,
                                       { QString::fromLatin1(result.unit.version->model), QString::fromLatin1(result.unit.serial->serialNumber),
                                         QString::fromLatin1(result.unit.deviceId) }));
        } else {
            step.setMeasured(JigPhrase::Kind::NotIdentified);
            step.why = result.unit.why;
            step.linkLost = !m_session.link().isOpen();
        }
        run.add(step);
    }
    // Without an ID there is nothing to address; every other step needs one.
    if (!result.unit.ok()) {
        result.end = QDateTime::currentDateTimeUtc();
        result.steps = run.steps();
        return result;
    }

    // Set clock, then read it back: a unit whose clock does not keep the time set fails here.
    if (run.goOn()) {
        Step step = begin(JigPhrase::Kind::StepSetClock, JigPhrase::Kind::Answered);
        const QDateTime now = QDateTime::currentDateTime();
        m_session.pause(Pauses::Step);
        step.passed = run.exchange(AutoTestCommands::setClock(now), step);
        if (step.passed)
            step.setMeasured(JigPhrase(JigPhrase::Kind::AnsweredAt, { now.toString(ClockFormat) }));
        run.add(step);
    }
    if (run.goOn()) {
        Step step = begin(JigPhrase::Kind::StepClockKept, JigPhrase(JigPhrase::Kind::WithinSeconds, { QString::number(m_options.clockToleranceS) }));
        std::optional<QDateTime> clock;
        if (run.readInputs(step, &clock)) {
            // Both to the second, as the controller's clock shows it.
            QDateTime pc = QDateTime::currentDateTime();
            pc.setTime(QTime(pc.time().hour(), pc.time().minute(), pc.time().second()));
            if (!clock || !clock->isValid()) {
                step.setMeasured(JigPhrase::Kind::NoValidClock);
            } else {
                const qint64 off = pc.secsTo(*clock);
                step.setMeasured(JigPhrase(JigPhrase::Kind::ClockOffset,
                                           { clock->toString(ClockFormat), (off >= 0 ? QStringLiteral("+") : QString()) + QString::number(off) }));
                step.passed = std::llabs(off) <= m_options.clockToleranceS;
            }
        }
        run.add(step);
    }

    // Each output alone, then back off. A command whose answer is lost may have been carried
    // out all the same, so an output counts as possibly on from its "on" until an "off" is
    // answered; whatever may be on is switched off before the unit leaves the jig.
    std::array<bool, JigMap::OutputCount> mayBeOn {};
    for (int i = 0; i < JigMap::OutputCount && run.goOn(); ++i) {
        const JigMap::Output output = outputAt(i);
        const JigMap::InputStates expected = m_map.expectedWhenAlone(output);
        Step step = begin(JigPhrase(JigPhrase::Kind::StepOutputAlone, { JigMap::outputName(output) }), inputsPhrase(expected));
        m_session.pause(Pauses::Step);
        mayBeOn[std::size_t(i)] = true;
        const QByteArray off = *AutoTestCommands::switchOutput(i + 1, false);
        if (run.exchange(*AutoTestCommands::switchOutput(i + 1, true), step)) {
            m_session.pause(m_options.settleMs);
            if (const auto measured = run.readInputs(step)) {
                step.setMeasured(inputsPhrase(*measured));
                step.passed = *measured == expected;
            }
            // Switching it off belongs to the step: an output left on would spoil the next one.
            m_session.pause(Pauses::Step);
            if (run.exchange(off, step))
                mayBeOn[std::size_t(i)] = false;
        } else {
            // The step has failed already; the "off" is sent only so as not to leave it on.
            m_session.pause(Pauses::Step);
            if (m_session.send(off).ok())
                mayBeOn[std::size_t(i)] = false;
        }
        run.add(step);
    }

    if (run.goOn()) {
        Step step = begin(JigPhrase::Kind::StepAllOff, inputsPhrase(JigMap::expectedAllOff()));
        if (const auto measured = run.readInputs(step)) {
            step.setMeasured(inputsPhrase(*measured));
            step.passed = *measured == JigMap::expectedAllOff();
        }
        run.add(step);
    }

    if (run.goOn()) {
        Step step = begin(JigPhrase::Kind::StepEnd, JigPhrase::Kind::Answered);
        m_session.pause(Pauses::Step);
        step.passed = run.exchange(AutoTestCommands::endTest(), step);
        if (step.passed)
            step.setMeasured(JigPhrase::Kind::Answered);
        run.add(step);
    } else {
        // Stopped early: leave the unit as the end of a test would, without judging it.
        for (int i = 0; i < JigMap::OutputCount; ++i)
            if (mayBeOn[std::size_t(i)])
                m_session.send(*AutoTestCommands::switchOutput(i + 1, false));
        m_session.send(AutoTestCommands::endTest());
    }

    result.steps = run.steps();
    result.end = QDateTime::currentDateTimeUtc();
    return result;
}
