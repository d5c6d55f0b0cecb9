#include "link/serialportlist.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

QString SerialPortList::stableFolder()
{
    return QStringLiteral("/dev/serial/by-id");
}

QList<SerialPortEntry> SerialPortList::entries()
{
    QList<SerialPortEntry> present;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        // USB string descriptors often come padded with spaces.
        present.append({ port.portName().trimmed(), port.systemLocation().trimmed(), port.description().trimmed(),
                         port.manufacturer().trimmed(), port.serialNumber().trimmed(), {} });
    }
    return entriesOrFallback(withStablePaths(present, stableFolder()));
}

QList<SerialPortEntry> SerialPortList::entriesOrFallback(const QList<SerialPortEntry> &present)
{
    if (!present.isEmpty())
        return present;
    // A machine without a listing still gets the names operators type most.
    QList<SerialPortEntry> fallback;
    for (int i = 1; i <= 16; ++i)
        fallback.append({ QStringLiteral("COM%1").arg(i), {}, {}, {}, {}, {} });
    return fallback;
}

QList<SerialPortEntry> SerialPortList::withStablePaths(QList<SerialPortEntry> present, const QString &folder)
{
    // The links are followed to the device each names; a link whose device is gone leads
    // nowhere and is left out.
    QHash<QString, QString> linkOfDevice;
    const QFileInfoList links = QDir(folder).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty() && !linkOfDevice.contains(device))
            linkOfDevice.insert(device, link.absoluteFilePath());
    }
    for (SerialPortEntry &port : present) {
        const QString device = QFileInfo(port.location).canonicalFilePath();
        if (!device.isEmpty())
            port.stablePath = linkOfDevice.value(device);
    }
    return present;
}

QStringList SerialPortList::names()
{
    QStringList names;
    for (const SerialPortEntry &port : entries())
        names.append(port.name);
    return names;
}
