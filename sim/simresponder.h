#pragma once

#include "controllerbus.h"
#include "replyaction.h"
#include "simoptions.h"
#include "strikeschedule.h"

#include <QByteArray>
#include <QList>

// The simulator's answer to one request frame, free of any I/O: the controllers on the bus
// act, then the faults asked for on the command line (a lost or cut reply, a broken checksum, a
// reply in pieces...) shape what goes back. zu42sim and the tests' in-process transport share it.
class SimResponder
{
public:
    explicit SimResponder(const SimOptions &options);

    struct Result
    {
        bool crcOk = false;        // a request whose frame and check digits were right
        QByteArray logged;         // the command text, or the whole frame when it was none
        QList<ReplyAction> replies; // in the order the controllers answered
    };

    // connection: a TCP connection, which is hung up on a cut reply; a line instead falls silent.
    Result handle(const QByteArray &frame, bool connection);

    const ControllerBus &bus() const { return m_bus; }

private:
    ReplyAction shaped(const QByteArray &command, QByteArray reply) const;
    static ReplyAction collided(const QList<ControllerBus::Answer> &answers);
    const SimFault *faultFor(const QByteArray &command) const;

    SimOptions m_options;
    ControllerBus m_bus;
    StrikeSchedule m_lose;
    StrikeSchedule m_cut;
    qint64 m_requestCount = 0; // a soak run may outlast an int
    int m_silentLeft = 0;      // requests still to meet a restarting controller
};
