#include "controller/commandtextencoder.h"

#include "protocol/commandtextguard.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

// Big5 and GB2312 come from ICU where Qt has it (Linux) and from the system's code pages 950
// and 936 where it does not (the Windows build): Qt without ICU knows neither name. The two
// sources differ at the edges, so both are held to one rule here, and a title typed on either
// system goes out as the same bytes:
// - a character goes out only if its bytes read back as that character (no "best fit"
//   stand-ins: the display would show something the operator did not type);
// - GB2312 is the 94x94 table of EUC-CN only: code page 936 is GBK, whose additions
//   (further rows, small Roman numerals, vertical forms, some pinyin letters) the controller's
//   GB2312 font does not hold; ICU adds C1 controls and a few rows of its own;
// - no private-use characters: both map them to vendor cells (end-user-defined characters of
//   the PC) that the controller's font does not hold, and not even to the same ones;
// - three GB2312 cells that the two sources map to different characters take either
//   (A1A4 middle dot, A1AA dash, A3A7 apostrophe-like sign).
namespace {

struct EquivalentPair
{
    char16_t icu;
    char16_t windows;
};
// A1A4, A1AA, A3A7: ICU's mapping, then Windows' (code page 936).
constexpr EquivalentPair Gb2312Equivalents[] = { { 0x30FB, 0x00B7 }, { 0x2015, 0x2014 }, { 0x00B4, 0xFF07 } };

QString withSystemEquivalents(QString text)
{
    for (QChar &c : text) {
        for (const EquivalentPair &pair : Gb2312Equivalents) {
#ifdef Q_OS_WIN
            if (c.unicode() == pair.icu)
                c = QChar(pair.windows);
#else
            if (c.unicode() == pair.windows)
                c = QChar(pair.icu);
#endif
        }
    }
    return text;
}

bool isPrivateUse(QChar c)
{
    return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF;
}

// Single bytes are ASCII; pairs lie in rows A1-F7, columns A1-FE, outside GBK's additions there.
bool isGb2312(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto lead = quint8(bytes[i]);
        if (lead < 0x80)
            continue;
        if (i + 1 >= bytes.size())
            return false;
        const auto trail = quint8(bytes[++i]);
        if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE)
            return false;
        const bool gbkAddition = (lead == 0xA2 && trail <= 0xAA) || (lead == 0xA6 && trail >= 0xE0 && trail <= 0xF5)
            || (lead == 0xA8 && trail >= 0xBB && trail <= 0xC0);
        if (gbkAddition)
            return false;
    }
    return true;
}

#ifdef Q_OS_WIN
// Nothing when a character has no bytes of its own in the code page.
std::optional<QByteArray> encodeCodePage(const QString &text, UINT codePage)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), size, nullptr, &usedDefault) != size
        || usedDefault)
        return std::nullopt;
    // Read back: a character that went out as another one's bytes is refused.
    const int back = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.constData(), size, nullptr, 0);
    std::wstring decoded(size_t(std::max(back, 0)), L'\0');
    if (back <= 0 || MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.constData(), size, decoded.data(), back) != back
        || QString::fromStdWString(decoded) != text)
        return std::nullopt;
    return bytes;
}
#else
std::optional<QByteArray> encodeIcu(const QString &text, const char *name)
{
    QStringEncoder encoder(name, QStringEncoder::Flag::Stateless);
    if (!encoder.isValid())
        return std::nullopt;
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != text)
        return std::nullopt;
    return bytes;
}
#endif

std::optional<QByteArray> encodeBig5(const QString &text)
{
    if (std::any_of(text.cbegin(), text.cend(), isPrivateUse))
        return std::nullopt;
#ifdef Q_OS_WIN
    return encodeCodePage(text, 950);
#else
    return encodeIcu(text, "Big5");
#endif
}

std::optional<QByteArray> encodeGb2312(const QString &text)
{
    if (std::any_of(text.cbegin(), text.cend(), isPrivateUse))
        return std::nullopt;
#ifdef Q_OS_WIN
    const std::optional<QByteArray> bytes = encodeCodePage(withSystemEquivalents(text), 936);
#else
    const std::optional<QByteArray> bytes = encodeIcu(withSystemEquivalents(text), "GB2312");
#endif
    if (!bytes || !isGb2312(*bytes))
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
        const QByteArray encoded = encoder.encode(text);
        if (!encoder.hasError())
            bytes = encoded;
        break;
    }
    case AsciiBig5:
        bytes = encodeBig5(text);
        break;
    case AsciiGb2312:
        bytes = encodeGb2312(text);
        break;
    default:
        return std::nullopt;
    }
    if (!bytes || !CommandTextGuard::isSendable(*bytes))
        return std::nullopt;
    return bytes;
}
