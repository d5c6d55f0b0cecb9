#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// How the texts of the link settings become what the system opens.
class LinkAddress
{
public:
    // The device a serial port name stands for: "/dev/x" as it stands; "COMn" is the n-th
    // standard serial port (/dev/ttyS(n-1)); any other name lives in /dev. A Windows build
    // passes names through.
    static QString serialDevicePath(const QString &portName);

    // The TCP port as C's atol reads the text (leading white space, optional sign, digits up to
    // the first other character, 0 without digits, clamped to the range of long), cut to 16 bits.
    static std::uint16_t tcpPort(const QString &text);

    // The IPv4 address as inet_addr reads dotted text (also its short and octal/hexadecimal
    // forms), in host byte order; nothing when inet_addr gives INADDR_NONE.
    static std::optional<std::uint32_t> ipv4Address(const QString &text);
};
