#pragma once

#include "link/reply.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// One thing that happened on the link, reported once when it has ended: an exchange (or one
// that could not take place: refused before sending, link not open), a link opened, closed,
// or that would not open.
struct ExchangeEvent
{
    enum class Kind : std::uint8_t { Exchange, LinkOpened, LinkClosed };

    Kind kind = Kind::Exchange;
    QDateTime time;        // local time at the start, with its offset from UTC (LocalClock)
    QString link;          // "ttyUSB0 19200,e,8,1" or "127.0.0.1:5003": what was in force
    QByteArray request;    // the request frame as sent (SOH .. CR); a refused command's text
    QByteArray reply;      // every byte that arrived during the exchange, noise included
    qint64 roundTripUs = -1; // from the send to the verdict; -1 when nothing was sent
    Verdict verdict = Verdict::Answered; // for Exchange; LinkFailed for a link that would not open
    QString detail;        // why, in plain English
};

// Told of every event on a link, on the thread of the exchange, after it has ended. An
// observer must be quick: the next exchange waits for it.
class ExchangeObserver
{
public:
    virtual ~ExchangeObserver() = default;
    virtual void exchangeEnded(const ExchangeEvent &event) = 0;
};
