#pragma once

#include "link/exchangelimits.h"
#include "link/openfailure.h"

#include <QByteArrayView>
#include <QString>

// A byte channel to one controller: a serial line or a TCP connection. It knows nothing of
// frames or replies; the one exchange loop (Exchange) drives it. Every wait blocks in the
// system with the time it is given.
class Transport
{
public:
    enum class Io : std::uint8_t {
        Ok,       // done (a read may have got no bytes, e.g. after a signal: ask again)
        TimedOut, // nothing within the time given
        Closed,   // the line or connection went away; the transport has let go of it
    };
    struct IoResult
    {
        Io status = Io::Ok;
        qsizetype count = 0; // bytes read or written
        QString detail;      // the system's words, for Closed
    };

    virtual ~Transport() = default;

    // False with the reason in *failure and the system's words in *detail.
    virtual bool open(OpenFailure *failure, QString *detail) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Why the transport let go of its channel by itself while open (a serial adapter pulled
    // out); None while it holds it, after a close asked for, and where a channel that goes is
    // ordinary (a TCP connection, connected again).
    virtual OpenFailure lostBecause() const { return OpenFailure::None; }

    // The limits this kind of link is held to.
    virtual ExchangeLimits defaultLimits() const = 0;
    // What is in force ("ttyUSB0 57600,n,8,1", "127.0.0.1:5003"); before an open, what is asked.
    virtual QString description() const = 0;

    // Drops whatever arrived before the request, so that a late reply to an earlier command
    // cannot pass for the answer to this one.
    virtual IoResult discardInput() = 0;
    // Writes all of data, waiting at most timeoutMs for the channel to take it.
    virtual IoResult write(QByteArrayView data, int timeoutMs) = 0;
    // Waits at most timeoutMs for bytes and reads what is there, up to capacity.
    virtual IoResult read(char *buffer, qsizetype capacity, int timeoutMs) = 0;
};
