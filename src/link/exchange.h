#pragma once

#include "link/exchangelimits.h"
#include "link/reply.h"

#include <QByteArray>
#include <QByteArrayView>

class Transport;

// The one request/reply exchange, on whichever transport: send the framed command, then
// feed what arrives to the receive step until a reply is complete or a limit runs out.
// The overall limit counts from the start of the send; the idle limit (serial lines) from the
// send or the last byte received.
class Exchange
{
public:
    // At most this much of what arrived is kept for the traffic record.
    static constexpr qsizetype ReceivedKeep = 4096;

    // *received (if given) gets every byte that arrived, up to ReceivedKeep.
    static Reply run(Transport &transport, QByteArrayView command, const ExchangeLimits &limits,
                     QByteArray *request = nullptr, QByteArray *received = nullptr);
};
