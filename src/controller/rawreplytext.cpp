#include "controller/rawreplytext.h"

QString RawReplyText::fromBytes(QByteArrayView reply)
{
    QString text;
    text.reserve(reply.size());
    for (const char c : reply) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20)
            text.append(QChar(char16_t(0x2400 + byte)));
        else if (byte == 0x7F)
            text.append(QChar(char16_t(0x2421)));
        else
            // One character per byte, whatever code page the controller's text is in.
            text.append(QChar(char16_t(byte)));
    }
    return text;
}
