#pragma once

#include <QString>
#include <cstdint>

// What an operation opens: the texts of the window's link page, as the operator typed them.
struct LinkSettings
{
    // The stored TYPE values: 0 serial line (COM), 1 TCP (NET).
    enum Mode : std::uint8_t { Com = 0, Net = 1 };

    std::uint8_t mode = Com; // any value other than Net is the serial line
    QString portName;        // "COM1", "ttyUSB0", "/dev/ttyS0"
    QString lineMode;        // "19200,e,8,1"
    QString hostAddress;     // dotted IPv4
    QString hostPort;        // decimal text, read as atol reads it

    bool isNet() const { return mode == Net; }

    static LinkSettings serial(const QString &portName, const QString &lineMode)
    {
        return { Com, portName, lineMode, QString(), QString() };
    }
    static LinkSettings tcp(const QString &hostAddress, const QString &hostPort)
    {
        return { Net, QString(), QString(), hostAddress, hostPort };
    }
};
