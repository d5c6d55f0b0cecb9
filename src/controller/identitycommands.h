#pragma once

#include <QByteArray>
#include <optional>

// Command texts of the identity and display buttons. The text arguments are the bytes that
// CommandTextEncoder made of the edit fields; they go in as they are, but a text holding a
// frame delimiter is refused, as the encoder does. An index outside its list gives nothing.
class IdentityCommands
{
public:
    static constexpr int LanguageItems = 3;  // "English", "Chinese Traditional", "Chinese Simplified"
    static constexpr int EncodingItems = 3;  // "UNICODE", "ASCII + BIG5", "ASCII + GB2312"
    static constexpr int BaudItems = 18;     // "4800,n,8,1" .. "921600,e,8,1"
    static constexpr int MasterPairs = 3;
    static constexpr int TitleItems = 3;     // "None", "One", "Two"
    static constexpr int TitleLines = 2;
    static constexpr int CardShowItems = 4;  // "None", "Card No", "Card UID", "Card Text"

    // "AP000A02" + language + encoding; MaintenanceCommands::restart() must follow for it to take effect.
    static std::optional<QByteArray> language(int languageIndex, int encodingIndex);
    // "AE" + the index in hexadecimal without leading zeros ("5", "A", "11").
    static std::optional<QByteArray> baud(int index);
    // "BA" + pair (1..3) + "00" + UID + PIN, nothing between or after them.
    static std::optional<QByteArray> master(int pair, const QByteArray &uid, const QByteArray &pin);
    // "AC" + the new ID.
    static std::optional<QByteArray> setId(const QByteArray &id);
    // "AT" + number of title lines as two digits.
    static std::optional<QByteArray> title(int index);
    // "AT1" / "AT2" + the line's text.
    static std::optional<QByteArray> titleLine(int line, const QByteArray &text);
    // "AP001B03" + card display + show status + use status; MaintenanceCommands::restart() must follow.
    static std::optional<QByteArray> show(int cardShowIndex, bool showStatus, bool useStatus);
};
