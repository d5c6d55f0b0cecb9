#pragma once

#include <QByteArrayView>
#include <QString>

// A reply as the operator should see it in a one-line field: every byte kept, the control
// bytes of the framing (and any others) drawn as their Unicode control pictures, since a line
// edit would otherwise swallow them. 0x03 shows as U+2403, 0x0D as U+240D, 0x7F as U+2421.
class RawReplyText
{
public:
    static QString fromBytes(QByteArrayView reply);
};
