#include "link/linkaddress.h"

#include <QtEndian>
#include <climits>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <arpa/inet.h>
#endif

QString LinkAddress::serialDevicePath(const QString &portName)
{
#ifdef Q_OS_WIN
    return portName;
#else
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    if (portName.size() > 3 && portName.startsWith(QLatin1String("COM"))) {
        bool ok = false;
        const int n = portName.mid(3).toInt(&ok, 10);
        if (ok && n >= 1 && portName.at(3).isDigit())
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    return QStringLiteral("/dev/") + portName;
#endif
}

std::uint16_t LinkAddress::tcpPort(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    qsizetype i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < bytes.size() && isSpace(bytes[i]))
        ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) {
        negative = bytes[i] == '-';
        ++i;
    }
    // long is 64 bits on Linux and 32 bits on Windows; clamp as strtol does.
    constexpr long long Max = LONG_MAX;
    constexpr long long Min = LONG_MIN;
    long long value = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        const int digit = bytes[i] - '0';
        if (!negative)
            value = value > (Max - digit) / 10 ? Max : value * 10 + digit;
        else
            value = value < (Min + digit) / 10 ? Min : value * 10 - digit;
    }
    return static_cast<std::uint16_t>(static_cast<unsigned long long>(value) & 0xFFFF);
}

std::optional<std::uint32_t> LinkAddress::ipv4Address(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    if (bytes.contains('\0'))
        return std::nullopt;
    const auto network = static_cast<std::uint32_t>(inet_addr(bytes.constData()));
    if (network == static_cast<std::uint32_t>(INADDR_NONE))
        return std::nullopt;
    return qFromBigEndian(network);
}
