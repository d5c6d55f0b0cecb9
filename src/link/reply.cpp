#include "link/reply.h"

QString verdictName(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Answered: return QStringLiteral("answered");
    case Verdict::NoReply: return QStringLiteral("no reply");
    case Verdict::BadCheckDigits: return QStringLiteral("check digits wrong");
    case Verdict::CutOff: return QStringLiteral("reply cut off");
    case Verdict::HungUp: return QStringLiteral("line hung up");
    case Verdict::Refused: return QStringLiteral("refused before sending");
    case Verdict::LinkFailed: return QStringLiteral("link did not open");
    }
    return QString();
}

QString Reply::why(const QString &expected) const
{
    if (!ok())
        return detail;
    // A valid reply of the wrong kind: say what came instead.
    if (!expected.isEmpty())
        return QStringLiteral("Reply of %1 bytes where %2 were expected").arg(length()).arg(expected);
    return QStringLiteral("Unexpected reply of %1 bytes").arg(length());
}
