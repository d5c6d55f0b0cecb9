#pragma once

#include <QString>
#include <optional>

// The integer form of the small edit fields (and of the hexadecimal read-back fields):
// leading blanks, an optional '-' or '+', then decimal digits, or hexadecimal digits of
// either case after a "$" or "0x"/"0X" prefix. Nothing may follow the digits.
class IntegerText
{
public:
    // Nothing for any other form and for values outside the 64-bit range.
    static std::optional<qint64> parse(const QString &text);
    // Only the values of one parameter byte, 0 to 255.
    static std::optional<quint8> parseByte(const QString &text);
};
