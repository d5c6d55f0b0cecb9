#include "link/adapteridentity.h"

AdapterIdentity AdapterIdentity::of(const SerialPortEntry &port)
{
    return { port.stablePath, port.serialNumber };
}

std::optional<SerialPortEntry> AdapterIdentity::findIn(const QList<SerialPortEntry> &present) const
{
    if (!stablePath.isEmpty()) {
        for (const SerialPortEntry &port : present)
            if (port.stablePath == stablePath)
                return port;
    }
    if (serialNumber.isEmpty())
        return std::nullopt;
    // Cheap adapters often share one serial number: then it names none of them.
    std::optional<SerialPortEntry> found;
    for (const SerialPortEntry &port : present) {
        if (port.serialNumber != serialNumber)
            continue;
        if (found)
            return std::nullopt;
        found = port;
    }
    return found;
}

AdapterIdentity::Choice AdapterIdentity::portFor(const QString &portName, const QList<SerialPortEntry> &present) const
{
    if (isEmpty())
        return { portName, false };
    const std::optional<SerialPortEntry> found = findIn(present);
    if (!found || found->name == portName)
        return { portName, false };
    return { found->name, true };
}
