#pragma once

#include <QByteArray>

// Cutting fields out of a reply frame by 1-based position, as the reply layout is written:
// position 1 is the reply's ETX, 2 to 4 the controller's ID, the data starts at 7.
class ReplyField
{
public:
    static constexpr int IdPosition = 2;
    static constexpr int IdLength = 3;
    static constexpr int DataPosition = 7;

    // The piece of `length` bytes from `position1Based`. A piece that reaches past the end is
    // cut short, a start past the end gives an empty piece; a position below 1 counts as 1
    // and a negative length gives nothing, so no reply can make this read out of bounds.
    static QByteArray mid(const QByteArray &reply, int position1Based, int length);
};
