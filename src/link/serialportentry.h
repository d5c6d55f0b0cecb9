#pragma once

#include <QString>

// One serial port as the system lists it, with what tells two adapters apart: two alike USB
// adapters differ only in their serial numbers, and a built-in port has no maker at all. The
// port's name changes with the order adapters are plugged in; the stable path does not.
struct SerialPortEntry
{
    QString name;         // what the port box offers and the link opens: ttyUSB0, COM3
    QString location;     // the device: /dev/ttyUSB0, \\.\COM3
    QString description;  // the adapter's own words: "FT232R USB UART"
    QString manufacturer;
    QString serialNumber;
    QString stablePath;   // the name the system keeps for this adapter: /dev/serial/by-id/usb-FTDI_...

    bool operator==(const SerialPortEntry &) const = default;
};
