#include "commandtextencoder.h"

#include "commandtextguard.h"

#include <QStringEncoder>

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
