#pragma once

#include <QByteArray>
#include <QList>
#include <optional>

// The parameter command "AP": address as four hexadecimal digits, byte count as two, then
// (writes only) each byte as two; all digits uppercase.
class ParameterCommand
{
public:
    // Nothing for no bytes or more than the count can say (255).
    static std::optional<QByteArray> write(quint16 address, const QList<quint8> &bytes);
    static QByteArray read(quint16 address, quint8 count);
};
