#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The bytes of an operator's text (PIN, card UID, ID, title line) inside a command. They go
// out in the encoding the controller is set to show (the items of the encoding list), so a
// title typed here reads the same on the controller's display. ASCII is the same in all three.
class CommandTextEncoder
{
public:
    enum Encoding { Unicode = 0, AsciiBig5 = 1, AsciiGb2312 = 2 };
    static constexpr int EncodingItems = 3;

    // Nothing when no encoding is chosen (an index outside the list), when a character has no
    // bytes in the chosen encoding (sending substitutes would write something the operator
    // did not type), or when the bytes hold a frame delimiter (NUL, SOH, STX, ETX, EOT, CR):
    // such a byte would end the request early and the rest would be taken for something else.
    static std::optional<QByteArray> encode(const QString &text, int encodeIndex);
};
