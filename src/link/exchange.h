#pragma once

#include "link/exchangelimits.h"
#include "link/reply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

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

    // With an interrupt, the waits for the reply are cut into slices of at most this...
    static constexpr int InterruptSliceMs = 20;
    // ...and once it says stop, a reply already on its way is given this much more to end (a
    // write acknowledged is worth knowing); one later than that is not waited for.
    static constexpr int InterruptGraceMs = 100;
    // The detail of a wait cut short by the interrupt.
    static QString interruptedDetail();

    // *received (if given) gets every byte that arrived, up to ReceivedKeep. `interrupted` (if
    // given) is asked between the slices of every wait; the request itself always goes out whole.
    static Reply run(Transport &transport, QByteArrayView command, const ExchangeLimits &limits,
                     QByteArray *request = nullptr, QByteArray *received = nullptr,
                     const std::function<bool()> &interrupted = {});
};
