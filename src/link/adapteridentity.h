#pragma once

#include "link/serialportentry.h"

#include <QList>
#include <QString>
#include <optional>

// What the link settings remember of the adapter a port name stood for, so that the adapter is
// found again when it comes back under another name (ttyUSB0 becomes ttyUSB1 when it is
// plugged in after another one). The stable path says it where the system keeps one; the USB
// serial number says it elsewhere (Windows), as long as no second adapter carries the same one.
struct AdapterIdentity
{
    QString stablePath;
    QString serialNumber;

    // What port tells of its adapter; a built-in port has neither and is remembered by name.
    static AdapterIdentity of(const SerialPortEntry &port);

    bool isEmpty() const { return stablePath.isEmpty() && serialNumber.isEmpty(); }

    // The entry of present that is this adapter: the one with its stable path, else the one
    // and only with its serial number; nothing when neither tells it (absent, or two alike
    // adapters sharing a serial number).
    std::optional<SerialPortEntry> findIn(const QList<SerialPortEntry> &present) const;

    struct Choice
    {
        QString portName;   // what to open
        bool moved = false; // the adapter was found under another name than portName
    };
    // The port to open for an operation on portName, which this adapter was remembered with:
    // the adapter's present name wherever it is, portName itself when it is not found.
    Choice portFor(const QString &portName, const QList<SerialPortEntry> &present) const;

    bool operator==(const AdapterIdentity &) const = default;
};
