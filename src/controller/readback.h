#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The two reads of the "Get parameter" button and the values they give the controls. A list
// value is an item index that may lie outside the list (the list then shows no selection).
// A read counts only with its exact reply length; one whose applied fields are not all two
// hexadecimal digits counts as failed as a whole, so that no control is set from it.
class ReadBack
{
public:
    // 21 bytes from 0x000A and 8 bytes from 0x0086: 12 frame bytes plus two per byte.
    static constexpr int FirstReplyLength = 54;
    static constexpr int SecondReplyLength = 28;

    struct First
    {
        int language = 0;
        int encoding = 0;
        int hourType = 0;
        int titleCount = 0;
        int dateType = 0;
        int cardTypeIndex = 0;  // the card type byte minus 1
        int cardBitsIndex = 0;  // 1 for "20", any other two characters 0
        QString sameCardText;   // decimal
        // Read for the profiles and the command line, not applied by the window's button: a
        // field that is not two hexadecimal digits is missing here and fails nothing.
        std::optional<int> cardDisplay;
        std::optional<int> showStatus;
        std::optional<int> useStatus;
    };

    struct Second
    {
        int doorForce = 0;
        QString timeoutTimeText; // decimal
        int doorTimeout = 0;
        int doorLog = 0;
        int extReader = 0;
        int diMode = 0;
        std::optional<int> readerType; // as the extra fields of First
    };

    static QByteArray firstCommand();
    static QByteArray secondCommand();

    static std::optional<First> parseFirst(const QByteArray &reply, int replyLength);
    static std::optional<Second> parseSecond(const QByteArray &reply, int replyLength);
};
