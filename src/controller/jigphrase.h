#pragma once

#include "link/reply.h"

#include <QString>
#include <QStringList>

// One of the jig test's texts as what it says rather than as words: a step's name, what it
// expects, what it measured. The records and the command line keep the English (english());
// a window says the same in its own language from the kind and the arguments, so the core
// needs no language of its own.
class JigPhrase
{
public:
    enum class Kind {
        Text,            // a text of no known kind, shown as it is: args[0]
        StepIdentify,
        StepSetClock,
        StepClockKept,
        StepOutputAlone, // args[0]: the output, "DO1"
        StepAllOff,
        StepEnd,
        AnsweringId,     // args[0]: the ID scanned for
        Answered,
        AnsweredAt,      // args[0]: the time set
        WithinSeconds,   // args[0]: the tolerance in seconds
        Inputs,          // args: the lit inputs ("DI1", "DI7"), at least one
        NoInputs,
        UnitIdentity,    // args: model, serial number, ID
        NotIdentified,
        NoValidClock,
        ClockOffset,     // args: the clock read, the signed offset in seconds ("+0", "-3")
        ReplyVerdict,    // args[0]: the number of the link's Verdict
        ReplyLength,     // args[0]: the bytes of a reply of the wrong length
    };

    JigPhrase() = default;
    JigPhrase(Kind kind, const QStringList &args = {})
        : m_kind(kind)
        , m_args(args)
    {
    }

    static JigPhrase text(const QString &text) { return JigPhrase(Kind::Text, { text }); }
    static JigPhrase replyVerdict(Verdict verdict) { return JigPhrase(Kind::ReplyVerdict, { QString::number(int(verdict)) }); }

    Kind kind() const { return m_kind; }
    QStringList args() const { return m_args; }
    QString arg(int index) const { return m_args.value(index); }
    // Nothing said: a step made without phrases (its texts are only strings).
    bool isEmpty() const { return m_kind == Kind::Text && m_args.isEmpty(); }

    // The words the records and the command line have always had.
    QString english() const;

    friend bool operator==(const JigPhrase &, const JigPhrase &) = default;

private:
    Kind m_kind = Kind::Text;
    QStringList m_args;
};
