#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The fields of the replies that the automatic product test shows.
class AutoTestReplies
{
public:
    // "IE" replies: clock and inputs (20 data characters), or with a record besides (40).
    static constexpr int InputsLength = 32;
    static constexpr int InputsWithRecordLength = 52;
    // "DF" replies: two input characters.
    static constexpr int ExtraInputsLength = 14;

    struct Inputs
    {
        QString clockText;            // "yyyy/mm/dd  hh:nn:ss" as the controller sent it
        std::array<bool, 4> lit{};    // inputs 1 to 4; the character '1' lights a lamp
        std::optional<QString> recordText; // "F1 (F2) (F3)", only in a long reply
    };

    // The "IE" reply, if it has one of its two lengths.
    static std::optional<Inputs> inputs(const QByteArray &reply, int replyLength);

    // The two states of the "DF" reply (data characters 1 and 2), if it has its length.
    static std::optional<std::array<bool, 2>> extraInputs(const QByteArray &reply, int replyLength);
};
