#pragma once

#include "link/controllerlink.h"
#include "simoptions.h"
#include "simresponder.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The controllers of zu42sim, with its command line and its faults, in the test's own process:
// the links a test opens on it (see SimTransport) share one bus, as the connections to one
// simulator process do. It keeps what it received, so a test can tell what was sent and that
// nothing was.
class InProcessSim : public std::enable_shared_from_this<InProcessSim>
{
public:
    // zu42sim's arguments (without the program); nothing, with *error, when they are wrong.
    static std::shared_ptr<InProcessSim> create(const QStringList &arguments, QString *error = nullptr);
    // The same, with what only the in-process simulator can be asked for set by adjust on the
    // parsed options (see the last fields of SimOptions).
    static std::shared_ptr<InProcessSim> create(const QStringList &arguments,
                                                const std::function<void(SimOptions &)> &adjust, QString *error = nullptr);
    explicit InProcessSim(const SimOptions &options);

    // A transport on this bus for every open, whatever the settings name.
    ControllerLink::TransportFactory factory();

    // The controller went away: later opens are refused, as by a port nobody listens on.
    void stop() { m_stopped = true; }
    // The controller is back: opens are taken again.
    void restart() { m_stopped = false; }
    bool stopped() const { return m_stopped; }

    // Byte-exact misbehaviour the command line cannot ask for: given the command text (ID
    // included) and the reply the controllers would give (empty for none), the bytes that go
    // back instead. Unset, the reply goes as the bus and its faults make it.
    using Rewrite = std::function<QByteArray(const QByteArray &command, const QByteArray &reply)>;
    void setRewrite(Rewrite rewrite) { m_rewrite = std::move(rewrite); }
    const Rewrite &rewrite() const { return m_rewrite; }

    // The line goes away once the reply to one of these commands (letters after the ID) is out,
    // whole or not: a controller that resets or a cable pulled at a given point of a procedure.
    void setHangUpAfter(const QList<QByteArray> &commands) { m_hangUpAfter = commands; }
    bool hangsUpAfter(const QByteArray &command) const { return m_hangUpAfter.contains(command.mid(3)); }

    // The adapter is pulled out on the n-th request from now (counted over the simulator's
    // life, as zu42sim's --vanish-after counts them): that request goes unanswered, the line is
    // lost as a serial device that went away, and opens are refused until plugBackIn().
    void setVanishAfter(int nthRequest) { m_vanishAfter = m_requestsSeen + nthRequest; }
    bool vanishesOn() { return m_vanishAfter > 0 && ++m_requestsSeen == m_vanishAfter && (m_unplugged = true); }
    bool unplugged() const { return m_unplugged; }
    void plugBackIn() { m_unplugged = false; }

    SimResponder &responder() { return m_responder; }
    const SimOptions &options() const { return m_options; }

    // What arrived, as the simulator's request log has it: command texts, in order, without
    // framing, and for each whether its frame and check digits were right.
    void logged(bool crcOk, const QByteArray &command) { m_log.append({ command, crcOk }); }
    QList<QByteArray> requests() const;
    QList<bool> requestsCrcOk() const;
    void clearRequests() { m_log.clear(); }

    // Every byte written to the bus, frames or not; the opens and closes of its transports.
    qint64 bytesReceived() const { return m_bytesReceived; }
    void received(qint64 count) { m_bytesReceived += count; }
    int opens = 0;
    int closes = 0;

private:
    SimOptions m_options;
    SimResponder m_responder;
    Rewrite m_rewrite;
    QList<QByteArray> m_hangUpAfter;
    QList<QPair<QByteArray, bool>> m_log;
    qint64 m_bytesReceived = 0;
    bool m_stopped = false;
    bool m_unplugged = false;
    qint64 m_vanishAfter = 0;
    qint64 m_requestsSeen = 0;
};
