#include "controller/linkrecovery.h"

#include "controller/controllersession.h"

#include <QThread>

bool LinkRecovery::lost(const ControllerSession &session)
{
    return session.link().openFailure() == OpenFailure::DeviceRemoved;
}

AdapterIdentity LinkRecovery::identityOf(const QString &portName, const QList<SerialPortEntry> &ports)
{
    for (const SerialPortEntry &port : ports)
        if (port.name == portName || port.location == portName || (!port.stablePath.isEmpty() && port.stablePath == portName))
            return AdapterIdentity::of(port);
    return {};
}

std::optional<QString> LinkRecovery::lookFor(const QString &portName, const AdapterIdentity &adapter,
                                             const QList<SerialPortEntry> &ports)
{
    if (adapter.isEmpty())
        return portName;
    const std::optional<SerialPortEntry> found = adapter.findIn(ports);
    if (!found)
        return std::nullopt;
    // A port given by its stable path keeps it: that name lasts.
    if (portName == adapter.stablePath)
        return portName;
    return found->name;
}

LinkRecovery::Result LinkRecovery::recover(ControllerSession &session, const AdapterIdentity &adapter, const Hooks &hooks)
{
    Result result;
    LinkSettings settings = session.link().settings();
    const QString portName = settings.portName;
    session.close();
    // The waits are counted, not timed: a pause that took longer (a window repainting) only
    // makes the minute a little longer.
    for (int waitedMs = 0; waitedMs <= WithinMs; waitedMs += LookEveryMs) {
        // The device list only for an adapter it can tell apart: listing the ports costs more than an open.
        const QList<SerialPortEntry> ports = adapter.isEmpty() || !hooks.ports ? QList<SerialPortEntry>() : hooks.ports();
        if (const std::optional<QString> port = lookFor(portName, adapter, ports)) {
            settings.portName = *port;
            // A device just listed may not open yet; the next look tries again.
            if (session.open(settings)) {
                result.port = *port;
                break;
            }
            session.close();
        }
        if (waitedMs == WithinMs || !hooks.pause(LookEveryMs))
            return result;
    }
    if (result.port.isEmpty())
        return result;
    result.asked = true;
    result.resumed = hooks.goOn && hooks.goOn(result.port);
    if (!result.resumed)
        session.close();
    return result;
}

bool LinkRecovery::sleep(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
    return true;
}
