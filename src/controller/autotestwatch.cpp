#include "controller/autotestwatch.h"

#include "controller/autotestcommands.h"

#include <chrono>

AutoTestWatch::AutoTestWatch(Clock clock)
    : m_clock(std::move(clock))
{
}

std::int64_t AutoTestWatch::now() const
{
    if (m_clock)
        return m_clock();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void AutoTestWatch::passEnded(bool inputsAnswered, bool extraInputsAnswered, const QString &why)
{
    ++m_passes;
    m_inputsMissed = inputsAnswered ? 0 : m_inputsMissed + 1;
    m_extraMissed = extraInputsAnswered ? 0 : m_extraMissed + 1;
    m_lastPassAnswered = inputsAnswered || extraInputsAnswered;
    if (inputsAnswered && extraInputsAnswered)
        m_why.clear();
    else if (!why.isEmpty())
        m_why = why;
}

QStringList AutoTestWatch::silentCommands() const
{
    QStringList commands;
    if (inputsUnknown())
        commands << QString::fromLatin1(AutoTestCommands::readInputs());
    if (extraInputsUnknown())
        commands << QString::fromLatin1(AutoTestCommands::readExtraInputs());
    return commands;
}

bool AutoTestWatch::reopenDue() const
{
    return !m_lastReopen || now() - *m_lastReopen >= ReopenIntervalMs;
}

void AutoTestWatch::reopenTried()
{
    m_lastReopen = now();
}
