#pragma once

#include "link/serialportentry.h"

#include <QList>
#include <QStringList>

// The ports the port box offers: the serial ports present, as the system lists them.
class SerialPortList
{
public:
    // The ports present now, in the order the system gives them, neither sorted nor cleared
    // of duplicates; COM1 to COM16, with nothing known about them, when there are none.
    static QList<SerialPortEntry> entries();
    // The same rule applied to a given listing.
    static QList<SerialPortEntry> entriesOrFallback(const QList<SerialPortEntry> &present);
    // The names of entries().
    static QStringList names();
};
