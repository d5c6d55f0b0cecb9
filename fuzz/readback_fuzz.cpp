// Fuzzes the read-back's field conversion with whatever reply a controller could send, and the
// integer form of the edit fields with whatever text an operator could type.
//
//  - A read counts only with its exact length and with every applied field two hexadecimal
//    digits; then each value is one byte of the reply (a list index at most one below), and the
//    decimal text a field shows writes out as the very byte it was read from.
//  - A reply built from any 21 or 8 bytes reads back as those bytes.
//  - The integer form takes exactly blanks, a sign, an optional "$" or "0x" and digits of the base,
//    within 64 bits; a byte field takes exactly 0 to 255 and writes it out as read.
#include "fuzzcheck.h"

#include "controller/integertext.h"
#include "controller/parameteraddress.h"
#include "controller/parametercommand.h"
#include "controller/parametersetcommands.h"
#include "controller/readback.h"
#include "protocol/commandframe.h"
#include "protocol/replyfield.h"

#include <QRegularExpression>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The byte at `address` of a read from `start`, straight from the reply's characters.
std::optional<int> byteAt(const QByteArray &reply, quint16 start, quint16 address)
{
    const int pos = ReplyField::DataPosition - 1 + 2 * (address - start);
    if (pos + 1 >= reply.size() || !isHex(reply[pos]) || !isHex(reply[pos + 1]))
        return std::nullopt;
    return reply.mid(pos, 2).toInt(nullptr, 16);
}

// The data byte of a one-byte parameter write ("AP" address count byte).
std::optional<int> writtenByte(const std::optional<QByteArray> &command, quint16 address)
{
    if (!command)
        return std::nullopt;
    const QByteArray expectedHead = ParameterCommand::read(address, 1);
    require(command->size() == expectedHead.size() + 2 && command->startsWith(expectedHead), "a byte write is AP, address, 01, byte");
    return command->right(2).toInt(nullptr, 16);
}

void checkByteText(const QString &text, int byte)
{
    require(text == QString::number(byte), "a field's text is its byte in decimal");
    require(IntegerText::parseByte(text) == std::optional<quint8>(quint8(byte)), "a field's text reads as its byte");
}

void checkFirst(const QByteArray &reply)
{
    const auto first = ReadBack::parseFirst(reply, int(reply.size()));
    constexpr quint16 start = ParameterAddress::FirstRangeStart;
    const std::array applied{ ParameterAddress::DisplayLanguage, ParameterAddress::TextEncoding, ParameterAddress::HourFormat,
                              ParameterAddress::TitleLines, ParameterAddress::DateFormat, ParameterAddress::CardType,
                              ParameterAddress::SameCardDelay };
    bool wellFormed = reply.size() == ReadBack::FirstReplyLength;
    for (const quint16 address : applied)
        wellFormed = wellFormed && byteAt(reply, start, address).has_value();
    require(first.has_value() == wellFormed, "the first read counts exactly when its length and applied fields are right");
    if (!first)
        return;
    const auto at = [&](quint16 address) { return *byteAt(reply, start, address); };
    require(first->language == at(ParameterAddress::DisplayLanguage), "language is its byte");
    require(first->encoding == at(ParameterAddress::TextEncoding), "encoding is its byte");
    require(first->hourType == at(ParameterAddress::HourFormat), "hour type is its byte");
    require(first->titleCount == at(ParameterAddress::TitleLines), "title count is its byte");
    require(first->dateType == at(ParameterAddress::DateFormat), "date type is its byte");
    require(first->cardTypeIndex == at(ParameterAddress::CardType) - 1, "card type index is its byte less one");
    require(first->cardTypeIndex >= -1 && first->cardTypeIndex <= 254, "card type index stays within a byte less one");
    const int bitsPos = ReplyField::DataPosition - 1 + 2 * (ParameterAddress::CardBits - start);
    require(first->cardBitsIndex == (reply.mid(bitsPos, 2) == "20" ? 1 : 0), "only \"20\" is 32 bits");
    checkByteText(first->sameCardText, at(ParameterAddress::SameCardDelay));
    require(writtenByte(ParameterSetCommands::sameCard(first->sameCardText), ParameterAddress::SameCardDelay)
                == at(ParameterAddress::SameCardDelay),
            "the same-card delay read back writes out as the byte read");
    // An index the list has writes out as the byte it was read from.
    if (const auto command = ParameterSetCommands::cardType(first->cardTypeIndex))
        require(writtenByte(command, ParameterAddress::CardType) == at(ParameterAddress::CardType), "card type writes back as read");
    else
        require(first->cardTypeIndex < 0 || first->cardTypeIndex >= ParameterSetCommands::CardTypeItems, "only an index outside the list is refused");
    if (const auto command = ParameterSetCommands::dateType(first->dateType))
        require(writtenByte(command, ParameterAddress::DateFormat) == first->dateType, "date type writes back as read");
    else
        require(first->dateType >= ParameterSetCommands::DateTypeItems, "only a date type outside the list is refused");
    if (const auto command = ParameterSetCommands::hourType(first->hourType))
        require(writtenByte(command, ParameterAddress::HourFormat) == first->hourType, "hour type writes back as read");
    else
        require(first->hourType >= ParameterSetCommands::HourTypeItems, "only an hour type outside the list is refused");
}

void checkSecond(const QByteArray &reply)
{
    const auto second = ReadBack::parseSecond(reply, int(reply.size()));
    constexpr quint16 start = ParameterAddress::SecondRangeStart;
    const std::array applied{ ParameterAddress::DoorForce, ParameterAddress::DoorTimeoutTime, ParameterAddress::DoorTimeout,
                              ParameterAddress::DoorLog, ParameterAddress::ExtReader, ParameterAddress::DiMode };
    bool wellFormed = reply.size() == ReadBack::SecondReplyLength;
    for (const quint16 address : applied)
        wellFormed = wellFormed && byteAt(reply, start, address).has_value();
    require(second.has_value() == wellFormed, "the second read counts exactly when its length and applied fields are right");
    if (!second)
        return;
    const auto at = [&](quint16 address) { return *byteAt(reply, start, address); };
    require(second->doorForce == at(ParameterAddress::DoorForce), "door force is its byte");
    require(second->doorTimeout == at(ParameterAddress::DoorTimeout), "door timeout is its byte");
    require(second->doorLog == at(ParameterAddress::DoorLog), "door log is its byte");
    require(second->extReader == at(ParameterAddress::ExtReader), "external reader is its byte");
    require(second->diMode == at(ParameterAddress::DiMode), "DI mode is its byte");
    checkByteText(second->timeoutTimeText, at(ParameterAddress::DoorTimeoutTime));
    require(writtenByte(ParameterSetCommands::doorTimeoutTime(second->timeoutTimeText), ParameterAddress::DoorTimeoutTime)
                == at(ParameterAddress::DoorTimeoutTime),
            "the door time-out read back writes out as the byte read");
    const std::array lists{
        std::pair{ ParameterSetCommands::doorForce(second->doorForce), second->doorForce },
        std::pair{ ParameterSetCommands::doorTimeout(second->doorTimeout), second->doorTimeout },
        std::pair{ ParameterSetCommands::doorLog(second->doorLog), second->doorLog },
        std::pair{ ParameterSetCommands::extReader(second->extReader), second->extReader },
        std::pair{ ParameterSetCommands::diMode(second->diMode), second->diMode },
    };
    for (const auto &[command, index] : lists) {
        require(command.has_value() == (index < 2), "a two-item list writes exactly its two indexes");
        if (command)
            require(command->right(2).toInt(nullptr, 16) == index, "a list value writes back as read");
    }
}

// The controller's framing of the given parameter bytes, as the simulator sends a read.
QByteArray replyOf(QByteArrayView bytes, bool lowercase)
{
    QByteArray data = QByteArray(bytes.data(), bytes.size()).toHex();
    if (!lowercase)
        data = data.toUpper();
    return CommandFrame::encodeReply("000", "AP", data, lowercase);
}

void checkBuiltReplies(QByteArrayView input)
{
    if (input.size() < 1 + ParameterAddress::FirstRangeCount + ParameterAddress::SecondRangeCount)
        return;
    const bool lowercase = input[0] & 1;
    const QByteArrayView firstBytes = input.sliced(1, ParameterAddress::FirstRangeCount);
    const QByteArrayView secondBytes = input.sliced(1 + ParameterAddress::FirstRangeCount, ParameterAddress::SecondRangeCount);
    const QByteArray firstReply = replyOf(firstBytes, lowercase);
    const QByteArray secondReply = replyOf(secondBytes, lowercase);
    require(firstReply.size() == ReadBack::FirstReplyLength && secondReply.size() == ReadBack::SecondReplyLength,
            "the read lengths are those of the ranges");
    const auto first = ReadBack::parseFirst(firstReply, int(firstReply.size()));
    const auto second = ReadBack::parseSecond(secondReply, int(secondReply.size()));
    require(first && second, "a reply of hexadecimal bytes always counts");
    const auto b1 = [&](quint16 address) { return int(quint8(firstBytes[address - ParameterAddress::FirstRangeStart])); };
    const auto b2 = [&](quint16 address) { return int(quint8(secondBytes[address - ParameterAddress::SecondRangeStart])); };
    require(first->language == b1(ParameterAddress::DisplayLanguage) && first->encoding == b1(ParameterAddress::TextEncoding)
                && first->hourType == b1(ParameterAddress::HourFormat) && first->titleCount == b1(ParameterAddress::TitleLines)
                && first->dateType == b1(ParameterAddress::DateFormat) && first->cardTypeIndex == b1(ParameterAddress::CardType) - 1
                && first->cardBitsIndex == (b1(ParameterAddress::CardBits) == ParameterAddress::CardBits32 ? 1 : 0)
                && first->sameCardText == QString::number(b1(ParameterAddress::SameCardDelay)),
            "the first read gives the bytes it was built from");
    require(second->doorForce == b2(ParameterAddress::DoorForce) && second->doorTimeout == b2(ParameterAddress::DoorTimeout)
                && second->doorLog == b2(ParameterAddress::DoorLog) && second->extReader == b2(ParameterAddress::ExtReader)
                && second->diMode == b2(ParameterAddress::DiMode)
                && second->timeoutTimeText == QString::number(b2(ParameterAddress::DoorTimeoutTime)),
            "the second read gives the bytes it was built from");
}

// What IntegerText must take, by a separate route: the form by a pattern, the value by Qt's
// unsigned conversion of the digits alone.
std::optional<qint64> integerByPattern(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^ *([+-]?)(?:([0-9]+)|(?:\\$|0[xX])([0-9a-fA-F]+))\\z"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const bool negative = m.captured(1) == QLatin1String("-");
    const bool hex = m.capturedLength(3) > 0;
    bool ok = false;
    const quint64 magnitude = (hex ? m.captured(3) : m.captured(2)).toULongLong(&ok, hex ? 16 : 10);
    if (!ok)
        return std::nullopt;
    constexpr quint64 maxPositive = quint64(std::numeric_limits<qint64>::max());
    if (!negative)
        return magnitude <= maxPositive ? std::optional<qint64>(qint64(magnitude)) : std::nullopt;
    if (magnitude > maxPositive + 1)
        return std::nullopt;
    return magnitude == maxPositive + 1 ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
}

void checkIntegerText(QByteArrayView input)
{
    for (const QString &text : { QString::fromUtf8(input), QString::fromLatin1(input) }) {
        const std::optional<qint64> value = IntegerText::parse(text);
        require(value == integerByPattern(text), "the integer form is blanks, sign, prefix and digits within 64 bits");
        const std::optional<quint8> byte = IntegerText::parseByte(text);
        require(byte.has_value() == (value && *value >= 0 && *value <= 255), "a byte field takes 0 to 255 and nothing else");
        if (byte) {
            require(*byte == *value, "a byte is the value typed");
            require(writtenByte(ParameterSetCommands::sameCard(text), ParameterAddress::SameCardDelay) == int(*byte),
                    "a byte typed is the byte written");
        } else {
            require(!ParameterSetCommands::doorTimeoutTime(text), "a value that is not a byte is never written");
        }
    }
    // Every 64-bit value in each of the forms reads back as itself.
    if (input.size() >= 8) {
        qint64 v = 0;
        std::memcpy(&v, input.data(), sizeof v);
        const quint64 magnitude = v < 0 ? 0 - quint64(v) : quint64(v);
        const QString sign = v < 0 ? QStringLiteral("-") : QString();
        require(IntegerText::parse(QString::number(v)) == v, "a decimal number reads back");
        require(IntegerText::parse(sign + QStringLiteral("$") + QString::number(magnitude, 16)) == v, "a $ number reads back");
        require(IntegerText::parse(QStringLiteral("  ") + sign + QStringLiteral("0X") + QString::number(magnitude, 16).toUpper()) == v,
                "a 0X number reads back");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray reply = input.toByteArray();
    checkFirst(reply);
    checkSecond(reply);
    checkBuiltReplies(input);
    checkIntegerText(input);
    return 0;
}
