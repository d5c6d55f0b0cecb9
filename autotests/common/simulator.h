#pragma once

#include "inprocesssim.h"
#include "link/linksettings.h"
#include "simprocess.h"

#include <QMetaType>
#include <memory>

// The simulated controller a test talks to, wherever it runs: in the test's own process (a
// transport straight onto the simulator's model, no socket, no waiting) or as a zu42sim process
// reached over loopback TCP or its pseudo-terminal. The arguments are zu42sim's either way;
// what it received reads the same.
class Simulator
{
public:
    enum class Wiring { InProcess, Tcp, Pty };

    explicit Simulator(const QStringList &arguments = {}, Wiring wiring = Wiring::InProcess);

    bool start();
    // The controller goes away: the next open is refused.
    void stop();

    Wiring wiring() const { return m_wiring; }
    bool inProcess() const { return m_wiring == Wiring::InProcess; }
    // Why this wiring cannot be had here (empty when it can): for a QSKIP.
    static QString unavailable(Wiring wiring);

    // The command texts received, in order, without framing, and whether each frame was right.
    QList<QByteArray> requests() const;
    QList<bool> requestsCrcOk() const;
    void clearRequests();

    // What the tool's link needs: the settings that reach it and, in-process, the transport
    // (empty for a process: the real serial port or TCP connection).
    LinkSettings linkSettings() const;
    ControllerLink::TransportFactory factory() const;
    quint16 port() const;
    QString ptyPath() const;

    // The in-process simulator (nullptr for a process), for what only it can do or tell.
    InProcessSim *model() const { return m_model.get(); }
    SimProcess *process() const { return m_process.get(); }

private:
    Wiring m_wiring;
    QStringList m_arguments;
    std::shared_ptr<InProcessSim> m_model;
    std::unique_ptr<SimProcess> m_process;
};

Q_DECLARE_METATYPE(Simulator::Wiring)
