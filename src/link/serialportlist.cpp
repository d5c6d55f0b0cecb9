#include "link/serialportlist.h"

#include <QSerialPortInfo>

QList<SerialPortEntry> SerialPortList::entries()
{
    QList<SerialPortEntry> present;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        // USB string descriptors often come padded with spaces.
        present.append({ port.portName().trimmed(), port.systemLocation().trimmed(), port.description().trimmed(),
                         port.manufacturer().trimmed(), port.serialNumber().trimmed() });
    }
    return entriesOrFallback(present);
}

QList<SerialPortEntry> SerialPortList::entriesOrFallback(const QList<SerialPortEntry> &present)
{
    if (!present.isEmpty())
        return present;
    // A machine without a listing still gets the names operators type most.
    QList<SerialPortEntry> fallback;
    for (int i = 1; i <= 16; ++i)
        fallback.append({ QStringLiteral("COM%1").arg(i), {}, {}, {}, {} });
    return fallback;
}

QStringList SerialPortList::names()
{
    QStringList names;
    for (const SerialPortEntry &port : entries())
        names.append(port.name);
    return names;
}
