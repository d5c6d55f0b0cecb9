#include "link/serialportlist.h"

#include <QSerialPortInfo>

QStringList SerialPortList::names()
{
    QStringList present;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        present.append(port.portName().trimmed());
    return namesOrFallback(present);
}

QStringList SerialPortList::namesOrFallback(const QStringList &present)
{
    if (!present.isEmpty())
        return present;
    // A machine without a listing still gets the names operators type most.
    QStringList fallback;
    for (int i = 1; i <= 16; ++i)
        fallback.append(QStringLiteral("COM%1").arg(i));
    return fallback;
}
