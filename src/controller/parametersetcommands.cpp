#include "controller/parametersetcommands.h"

#include "controller/integertext.h"
#include "controller/parameteraddress.h"
#include "controller/parametercommand.h"

namespace {

std::optional<QByteArray> writeByte(quint16 address, quint8 value)
{
    return ParameterCommand::write(address, { value });
}

std::optional<QByteArray> writeIndex(quint16 address, int index, int items, int offset = 0)
{
    if (index < 0 || index >= items)
        return std::nullopt;
    return writeByte(address, quint8(index + offset));
}

std::optional<QByteArray> writeText(quint16 address, const QString &text)
{
    const std::optional<quint8> value = IntegerText::parseByte(text);
    if (!value)
        return std::nullopt;
    return writeByte(address, *value);
}

} // namespace

std::optional<QByteArray> ParameterSetCommands::cardBits(int index)
{
    if (index == 1)
        return writeByte(ParameterAddress::CardBits, ParameterAddress::CardBits32);
    if (index == 0)
        return writeByte(ParameterAddress::CardBits, ParameterAddress::CardBits24);
    return std::nullopt;
}

std::optional<QByteArray> ParameterSetCommands::cardBits120(int index)
{
    if (index == 1)
        return QByteArrayLiteral("AF32");
    if (index == 0)
        return QByteArrayLiteral("AF24");
    return std::nullopt;
}

std::optional<QByteArray> ParameterSetCommands::cardType(int index)
{
    return writeIndex(ParameterAddress::CardType, index, CardTypeItems, 1);
}

std::optional<QByteArray> ParameterSetCommands::sameCard(const QString &text)
{
    return writeText(ParameterAddress::SameCardDelay, text);
}

std::optional<QByteArray> ParameterSetCommands::dateType(int index)
{
    return writeIndex(ParameterAddress::DateFormat, index, DateTypeItems);
}

std::optional<QByteArray> ParameterSetCommands::hourType(int index)
{
    return writeIndex(ParameterAddress::HourFormat, index, HourTypeItems);
}

std::optional<QByteArray> ParameterSetCommands::extReader(int index)
{
    return writeIndex(ParameterAddress::ExtReader, index, ExtReaderItems);
}

std::optional<QByteArray> ParameterSetCommands::doorLog(int index)
{
    return writeIndex(ParameterAddress::DoorLog, index, DisableEnableItems);
}

std::optional<QByteArray> ParameterSetCommands::doorForce(int index)
{
    return writeIndex(ParameterAddress::DoorForce, index, DisableEnableItems);
}

std::optional<QByteArray> ParameterSetCommands::doorTimeout(int index)
{
    return writeIndex(ParameterAddress::DoorTimeout, index, DisableEnableItems);
}

std::optional<QByteArray> ParameterSetCommands::doorTimeoutTime(const QString &text)
{
    return writeText(ParameterAddress::DoorTimeoutTime, text);
}

std::optional<QByteArray> ParameterSetCommands::diMode(int index)
{
    return writeIndex(ParameterAddress::DiMode, index, DiModeItems);
}

std::optional<QByteArray> ParameterSetCommands::readerType(int index)
{
    return writeIndex(ParameterAddress::ReaderType, index, ReaderTypeItems);
}
