#pragma once

#include <QString>
#include <cstdint>

// Why a link did not open, for the operator's tool tip and the command line.
enum class OpenFailure : std::uint8_t {
    None,
    NoSuchPort,
    PortBusy,
    PermissionDenied,
    PortError,
    BadAddress,
    ConnectionRefused,
    NoAnswer,     // the connect ran out of time
    NetworkError,
    DeviceRemoved, // open, then the device went away (an adapter pulled out): the link stays closed
};

// The reason in plain English; detail (the system's own words, a path) follows in brackets. A
// permission denied on a device that belongs to a group (detail: its path) says which group and
// how to join it.
QString openFailureText(OpenFailure failure, const QString &detail = QString());
