#include "traffic/trafficrow.h"

TrafficRow::Outcome TrafficRow::outcomeOf(const ExchangeEvent &event)
{
    switch (event.kind) {
    case ExchangeEvent::Kind::LinkOpened: return Outcome::LinkOpened;
    case ExchangeEvent::Kind::LinkClosed: return Outcome::LinkClosed;
    case ExchangeEvent::Kind::Exchange: break;
    }
    switch (event.verdict) {
    case Verdict::Answered: return Outcome::Answered;
    case Verdict::NoReply: return Outcome::NoReply;
    case Verdict::BadCheckDigits: return Outcome::BadCheckDigits;
    case Verdict::CutOff: return Outcome::CutOff;
    case Verdict::HungUp: return Outcome::HungUp;
    case Verdict::Refused: return Outcome::Refused;
    case Verdict::LinkFailed: return Outcome::LinkFailed;
    }
    return Outcome::NoReply;
}

QString TrafficRow::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Answered: return verdictName(Verdict::Answered);
    case Outcome::NoReply: return verdictName(Verdict::NoReply);
    case Outcome::BadCheckDigits: return verdictName(Verdict::BadCheckDigits);
    case Outcome::CutOff: return verdictName(Verdict::CutOff);
    case Outcome::HungUp: return verdictName(Verdict::HungUp);
    case Outcome::Refused: return verdictName(Verdict::Refused);
    case Outcome::LinkFailed: return verdictName(Verdict::LinkFailed);
    case Outcome::LinkOpened: return QStringLiteral("link opened");
    case Outcome::LinkClosed: return QStringLiteral("link closed");
    }
    return QString();
}
