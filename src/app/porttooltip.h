#pragma once

#include "link/serialportentry.h"

#include <QString>

// What the port list says about a port when the pointer rests on it: the adapter's own
// description, then its maker, serial number and device, each line only when the system told
// it. A name the system did not list (the fallback names) says nothing.
class PortToolTip
{
public:
    static QString text(const SerialPortEntry &port, int languageIndex);
};
