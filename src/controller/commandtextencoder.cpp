#include "controller/commandtextencoder.h"

#include "protocol/commandtextguard.h"

#include <QStringEncoder>
#include <algorithm>

namespace {

std::optional<QByteArray> convert(QStringEncoder &encoder, const QString &text)
{
    if (!encoder.isValid())
        return std::nullopt;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

} // namespace

std::optional<QByteArray> CommandTextEncoder::encode(const QString &text, int encodeIndex)
{
    // ASCII is the same in every encoding the controller knows: it goes out as it stands, even
    // while the encoding list shows no choice (a read-back of a value it does not list).
    const bool ascii = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) {
        const QByteArray bytes = text.toLatin1();
        return CommandTextGuard::isSendable(bytes) ? std::optional<QByteArray>(bytes) : std::nullopt;
    }

    std::optional<QByteArray> bytes;
    switch (encodeIndex) {
    case Unicode: {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        bytes = convert(encoder, text);
        break;
    }
    case AsciiBig5: {
        QStringEncoder encoder("Big5", QStringEncoder::Flag::Stateless);
        bytes = convert(encoder, text);
        break;
    }
    case AsciiGb2312: {
        QStringEncoder encoder("GB2312", QStringEncoder::Flag::Stateless);
        bytes = convert(encoder, text);
        break;
    }
    default:
        return std::nullopt;
    }
    if (!bytes || !CommandTextGuard::isSendable(*bytes))
        return std::nullopt;
    return bytes;
}
