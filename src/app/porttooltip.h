#pragma once

#include "link/serialportentry.h"

#include <QString>

// What the port list says about a port when the pointer rests on it: the adapter's own
// description, then its maker, serial number, device and stable name, each line only when the
// system told it. A name the system did not list (the fallback names) says nothing.
class PortToolTip
{
public:
    static QString text(const SerialPortEntry &port, int languageIndex);
    // What the open list shows beside the port's name, in the system's own words: maker,
    // model and serial number, then the stable path; empty when the system told none of them.
    static QString beside(const SerialPortEntry &port);
    // The adapter in a few words for a sentence: maker, model and serial number, else the
    // stable path, else the device.
    static QString adapter(const SerialPortEntry &port);
};
