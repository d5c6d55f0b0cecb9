#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The command texts of the single-parameter write buttons. A list's value is its item index;
// an index outside the list's items (no selection, or after a read-back of a value the list
// does not have) has no data byte, so the button refuses it: nothing is sent for it. An edit
// field's value is its text in the form of IntegerText and must fit one byte (0 to 255).
class ParameterSetCommands
{
public:
    // Number of items of each list, item 0 first.
    static constexpr int CardBitsItems = 2;   // "24 bits (26 bits)", "32 bits (34 bits)"
    static constexpr int CardTypeItems = 3;   // "1:Stand", "2:Type #1", "3:Type #2"
    static constexpr int DateTypeItems = 3;   // "YYYY/MM/DD", "DD/MM/YYYY", "MM/DD/YYYY"
    static constexpr int HourTypeItems = 2;   // "24H", "12H"
    static constexpr int ExtReaderItems = 2;  // "Exit", "Entry"
    static constexpr int DisableEnableItems = 2; // door log, door force, door timeout
    static constexpr int DiModeItems = 2;     // "DI input", "Weigand input"
    static constexpr int ReaderTypeItems = 2; // "Keypad", "Stand"

    // Index 1 "AP00160120" (32 bits), index 0 "AP00160118" (24 bits).
    static std::optional<QByteArray> cardBits(int index);
    // The RO420's own command: index 1 "AF32", index 0 "AF24".
    static std::optional<QByteArray> cardBits120(int index);
    // The card type byte is one more than the item index.
    static std::optional<QByteArray> cardType(int index);
    static std::optional<QByteArray> sameCard(const QString &text);
    static std::optional<QByteArray> dateType(int index);
    static std::optional<QByteArray> hourType(int index);
    static std::optional<QByteArray> extReader(int index);
    static std::optional<QByteArray> doorLog(int index);
    static std::optional<QByteArray> doorForce(int index);
    static std::optional<QByteArray> doorTimeout(int index);
    static std::optional<QByteArray> doorTimeoutTime(const QString &text);
    static std::optional<QByteArray> diMode(int index);
    static std::optional<QByteArray> readerType(int index);
};
