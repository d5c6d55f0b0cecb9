#pragma once

#include <QStringList>

// The names the port box offers: the serial ports present, as the system lists them.
class SerialPortList
{
public:
    // The ports present now, in the order the system gives them, neither sorted nor cleared
    // of duplicates; COM1 to COM16 when there are none.
    static QStringList names();
    // The same rule applied to a given listing.
    static QStringList namesOrFallback(const QStringList &present);
};
