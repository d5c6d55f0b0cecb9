#include "controller/readback.h"

#include "controller/integertext.h"
#include "controller/parameteraddress.h"
#include "controller/parametercommand.h"
#include "protocol/replyfield.h"

namespace {

// The byte at the read's start address plus `offset`, from its two hexadecimal characters.
// A missing or malformed field clears `ok` and gives 0.
int hexByte(const QByteArray &reply, int offset, bool &ok)
{
    const QByteArray digits = ReplyField::mid(reply, ReplyField::DataPosition + 2 * offset, 2);
    // Two characters, so no sign, prefix or blank can slip in as part of the value.
    const std::optional<qint64> value =
        digits.size() == 2 ? IntegerText::parse(QStringLiteral("0x") + QString::fromLatin1(digits)) : std::nullopt;
    if (!value) {
        ok = false;
        return 0;
    }
    return int(*value);
}

int offsetIn(quint16 start, quint16 address)
{
    return address - start;
}

std::optional<int> optionalByte(const QByteArray &reply, quint16 start, quint16 address)
{
    bool ok = true;
    const int value = hexByte(reply, offsetIn(start, address), ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QByteArray ReadBack::firstCommand()
{
    return ParameterCommand::read(ParameterAddress::FirstRangeStart, ParameterAddress::FirstRangeCount);
}

QByteArray ReadBack::secondCommand()
{
    return ParameterCommand::read(ParameterAddress::SecondRangeStart, ParameterAddress::SecondRangeCount);
}

std::optional<ReadBack::First> ReadBack::parseFirst(const QByteArray &reply, int replyLength)
{
    if (replyLength != FirstReplyLength)
        return std::nullopt;

    constexpr quint16 start = ParameterAddress::FirstRangeStart;
    bool ok = true;
    const auto at = [&](quint16 address) { return hexByte(reply, offsetIn(start, address), ok); };

    First f;
    f.language = at(ParameterAddress::DisplayLanguage);
    f.encoding = at(ParameterAddress::TextEncoding);
    f.hourType = at(ParameterAddress::HourFormat);
    f.titleCount = at(ParameterAddress::TitleLines);
    f.dateType = at(ParameterAddress::DateFormat);
    f.cardTypeIndex = at(ParameterAddress::CardType) - 1;
    // Compared as text: only "20" means 32 bits, and no pair of characters makes the read fail.
    const int bitsPos = ReplyField::DataPosition + 2 * offsetIn(start, ParameterAddress::CardBits);
    f.cardBitsIndex = ReplyField::mid(reply, bitsPos, 2) == "20" ? 1 : 0;
    f.sameCardText = QString::number(at(ParameterAddress::SameCardDelay));
    if (!ok)
        return std::nullopt;
    f.cardDisplay = optionalByte(reply, start, ParameterAddress::CardDisplay);
    f.showStatus = optionalByte(reply, start, ParameterAddress::ShowStatus);
    f.useStatus = optionalByte(reply, start, ParameterAddress::UseStatus);
    return f;
}

std::optional<ReadBack::Second> ReadBack::parseSecond(const QByteArray &reply, int replyLength)
{
    if (replyLength != SecondReplyLength)
        return std::nullopt;

    constexpr quint16 start = ParameterAddress::SecondRangeStart;
    bool ok = true;
    const auto at = [&](quint16 address) { return hexByte(reply, offsetIn(start, address), ok); };

    Second s;
    s.doorForce = at(ParameterAddress::DoorForce);
    s.timeoutTimeText = QString::number(at(ParameterAddress::DoorTimeoutTime));
    s.doorTimeout = at(ParameterAddress::DoorTimeout);
    s.doorLog = at(ParameterAddress::DoorLog);
    s.extReader = at(ParameterAddress::ExtReader);
    s.diMode = at(ParameterAddress::DiMode);
    if (!ok)
        return std::nullopt;
    s.readerType = optionalByte(reply, start, ParameterAddress::ReaderType);
    return s;
}
