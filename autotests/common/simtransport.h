#pragma once

#include "link/linksettings.h"
#include "link/transport.h"
#include "replyaction.h"
#include "requestassembler.h"

#include <QByteArray>
#include <QList>
#include <memory>

class InProcessSim;

// A link to the in-process simulator: what the test's code writes goes to its bus at once, and
// the replies come back on a clock of the transport's own. A reply the simulator would send
// late, in pieces or never is timed on that clock, so that a wait the exchange would lose
// returns as a time-out at once, and a reply within the limits comes at once: the verdicts are
// the line's, the waiting is not. A TCP settings' link hangs up on a cut reply; a serial one
// falls silent, as zu42sim's connection and pseudo-terminal do.
class SimTransport : public Transport
{
public:
    SimTransport(std::shared_ptr<InProcessSim> sim, const LinkSettings &settings);
    ~SimTransport() override;

    bool open(OpenFailure *failure, QString *detail) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    OpenFailure lostBecause() const override { return m_vanished ? OpenFailure::DeviceRemoved : OpenFailure::None; }
    ExchangeLimits defaultLimits() const override;
    QString description() const override;
    IoResult discardInput() override;
    IoResult write(QByteArrayView data, int timeoutMs) override;
    IoResult read(char *buffer, qsizetype capacity, int timeoutMs) override;

private:
    // Bytes due on the transport's clock, counted from the last write.
    struct Due
    {
        qint64 atMs = 0;
        QByteArray bytes;
        bool hangUp = false;  // the connection goes here instead
        bool endless = false; // part of a reply that never ends; the next request ends it
    };
    void schedule(const ReplyAction &action);
    void add(const Due &due);

    std::shared_ptr<InProcessSim> m_sim;
    LinkSettings m_settings;
    RequestAssembler m_requests;
    QList<Due> m_due;       // in time order
    qint64 m_nowMs = 0;     // since the last write
    qint64 m_horizonMs = -1; // the exchange's overall limit, once known
    bool m_open = false;
    bool m_closing = false; // hung up mid-reply: answers nothing more
    bool m_vanished = false; // the adapter was pulled out (InProcessSim::setVanishAfter)
};
