#pragma once

#include "link/serialportentry.h"

#include <QList>
#include <QStringList>

// The ports the port box offers: the serial ports present, as the system lists them.
class SerialPortList
{
public:
    // Where Linux keeps a link to each USB serial device under a name built from the adapter's
    // maker, model and serial number.
    static QString stableFolder();

    // The ports present now, in the order the system gives them, neither sorted nor cleared
    // of duplicates, each with its stable path where stableFolder() has one; COM1 to COM16,
    // with nothing known about them, when there are none.
    static QList<SerialPortEntry> entries();
    // The same rule applied to a given listing.
    static QList<SerialPortEntry> entriesOrFallback(const QList<SerialPortEntry> &present);
    // present with the stable path of each port whose device a link in folder leads to (the
    // first such link by name); a folder that is missing changes nothing.
    static QList<SerialPortEntry> withStablePaths(QList<SerialPortEntry> present, const QString &folder);
    // The names of entries().
    static QStringList names();
};
