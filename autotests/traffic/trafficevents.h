#pragma once

// Events as the link reports them, for the tests of the monitor's parts.

#include "link/exchangeevent.h"

#include <QTimeZone>

namespace TrafficEvents {

inline QDateTime at(const QString &isoLocal)
{
    return QDateTime::fromString(isoLocal, Qt::ISODateWithMs);
}

inline ExchangeEvent exchange(Verdict verdict, const QByteArray &request, const QByteArray &reply = QByteArray(),
                              const QString &detail = QString(), qint64 roundTripUs = 500)
{
    ExchangeEvent e;
    e.kind = ExchangeEvent::Kind::Exchange;
    e.time = at(QStringLiteral("2026-12-07T10:00:00.000"));
    e.link = QStringLiteral("127.0.0.1:5003");
    e.request = request;
    e.reply = reply;
    e.verdict = verdict;
    e.detail = detail;
    e.roundTripUs = verdict == Verdict::Refused || verdict == Verdict::LinkFailed ? -1 : roundTripUs;
    return e;
}

// The frame of a command text, with made-up check digits: the monitor shows what was sent.
inline QByteArray frame(const QByteArray &command)
{
    return "\x01" + command + "\x02" "1A2B\r";
}

inline ExchangeEvent linkEvent(ExchangeEvent::Kind kind)
{
    ExchangeEvent e;
    e.kind = kind;
    e.time = at(QStringLiteral("2026-12-07T10:00:00.000"));
    e.link = QStringLiteral("127.0.0.1:5003");
    return e;
}

// The number-th event of a run of answered exchanges: its command carries the number.
inline ExchangeEvent numbered(int number)
{
    return exchange(Verdict::Answered, frame("000AS" + QByteArray::number(number)), "\x03" "000ok\x04" "FFFF\r");
}

} // namespace TrafficEvents
