#include "controller/jigphrase.h"

QString JigPhrase::english() const
{
    switch (m_kind) {
    case Kind::Text:
        return arg(0);
    case Kind::StepIdentify:
        return QStringLiteral("Identify");
    case Kind::StepSetClock:
        return QStringLiteral("Set clock");
    case Kind::StepClockKept:
        return QStringLiteral("Clock kept");
    case Kind::StepOutputAlone:
        return QStringLiteral("%1 alone").arg(arg(0));
    case Kind::StepAllOff:
        return QStringLiteral("All off");
    case Kind::StepEnd:
        return QStringLiteral("End");
    case Kind::AnsweringId:
        return QStringLiteral("a controller answering ID %1").arg(arg(0));
    case Kind::Answered:
        return QStringLiteral("answered");
    case Kind::AnsweredAt:
        return QStringLiteral("answered (%1)").arg(arg(0));
    case Kind::WithinSeconds:
        return QStringLiteral("within %1 s of the PC").arg(arg(0));
    case Kind::Inputs:
        return m_args.join(QLatin1Char(' '));
    case Kind::NoInputs:
        return QStringLiteral("none");
    case Kind::UnitIdentity:
        return QStringLiteral("%1 S/N %2 ID %3").arg(arg(0), arg(1), arg(2));
    case Kind::NotIdentified:
        return QStringLiteral("not identified");
    case Kind::NoValidClock:
        return QStringLiteral("no valid clock");
    case Kind::ClockOffset:
        return QStringLiteral("%1 (%2 s)").arg(arg(0), arg(1));
    case Kind::ReplyVerdict:
        return verdictName(Verdict(arg(0).toInt()));
    case Kind::ReplyLength:
        return QStringLiteral("reply of %1 bytes").arg(arg(0));
    }
    return QString();
}
