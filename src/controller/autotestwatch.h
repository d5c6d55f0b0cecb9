#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

// Whether the controller still answers the automatic test, pass after pass, and when a link
// that went away may be opened again. It only decides: the session sends, the window shows.
//
// A reply counts as an answer when its frame and check digits are right, whatever its length
// (a reply of another length leaves the lamps as they are, as it always did). The lamps a
// command drives show that their inputs are not known once that command has had no answer for
// UnansweredPasses passes in a row; one answer makes them known again. A run whose last pass
// had no answer at all ends as a failed operation.
class AutoTestWatch
{
public:
    static constexpr int UnansweredPasses = 2;
    // A link that was refused or went away is opened again at most this often: a stopped
    // controller is not hammered, and the monitor gets one row a second instead of thirty.
    static constexpr int ReopenIntervalMs = 1000;

    // Milliseconds on a clock that only goes forward; the default is the system's steady clock.
    using Clock = std::function<std::int64_t()>;
    explicit AutoTestWatch(Clock clock = {});

    // What one pass got: whether "IE" and "DF" were answered, and why not (the last failure's
    // words, for the operator).
    void passEnded(bool inputsAnswered, bool extraInputsAnswered, const QString &why = QString());

    int passes() const { return m_passes; }
    // The lamps of "IE" (inputs 1 to 4) and of "DF" (the two further inputs).
    bool inputsUnknown() const { return m_inputsMissed >= UnansweredPasses; }
    bool extraInputsUnknown() const { return m_extraMissed >= UnansweredPasses; }
    bool notAnswering() const { return inputsUnknown() || extraInputsUnknown(); }
    // The commands that have gone unanswered long enough to say so ("IE", "DF").
    QStringList silentCommands() const;
    // Why the last unanswered exchange failed; empty while everything is answered.
    const QString &why() const { return m_why; }
    // False when the run's last pass had no answer at all (and true before any pass).
    bool lastPassAnswered() const { return m_lastPassAnswered; }

    // Whether a link that is not open may be tried again now, and that it was tried.
    bool reopenDue() const;
    void reopenTried();

private:
    std::int64_t now() const;

    Clock m_clock;
    int m_passes = 0;
    int m_inputsMissed = 0;
    int m_extraMissed = 0;
    bool m_lastPassAnswered = true;
    QString m_why;
    std::optional<std::int64_t> m_lastReopen;
};
