#include "controller/parametercommand.h"

namespace {

QByteArray hex(uint value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

} // namespace

std::optional<QByteArray> ParameterCommand::write(quint16 address, const QList<quint8> &bytes)
{
    if (bytes.isEmpty() || bytes.size() > 0xFF)
        return std::nullopt;
    QByteArray text = read(address, quint8(bytes.size()));
    for (const quint8 b : bytes)
        text += hex(b, 2);
    return text;
}

QByteArray ParameterCommand::read(quint16 address, quint8 count)
{
    return "AP" + hex(address, 4) + hex(count, 2);
}
