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
};

// The reason in plain English; detail (the system's own words, a path) follows in brackets.
QString openFailureText(OpenFailure failure, const QString &detail = QString());
