#include "i18n/languagefont.h"

#include <QStringList>

#include <mutex>
#include <optional>

namespace {

constexpr int StyleBold = 0x1;
constexpr int StyleItalic = 0x2;
constexpr int StyleUnderline = 0x4;
constexpr int StyleStrikeOut = 0x8;

constexpr int CharsetAnsi = 0;
constexpr int CharsetGb2312 = 134;
constexpr int CharsetBig5 = 136;

// Numbers are written in the table as C literals: decimal, or hexadecimal with "0x".
std::optional<qint64> parseNumber(const QString &text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok, 0);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QFont LanguageFont::font() const
{
    installFontSubstitutes();

    QFont f;
    f.setFamilies({ name });
    const auto points = parseNumber(size);
    if (points && *points > 0 && *points <= 200)
        f.setPointSize(int(*points));
    const qint64 bits = parseNumber(style).value_or(0);
    f.setBold(bits & StyleBold);
    f.setItalic(bits & StyleItalic);
    f.setUnderline(bits & StyleUnderline);
    f.setStrikeOut(bits & StyleStrikeOut);
    return f;
}

QColor LanguageFont::textColor() const
{
    const auto value = parseNumber(color);
    if (!value || *value < 0 || *value > 0xFFFFFFFF)
        return QColor(Qt::black);
    // Windows keeps red in the lowest byte.
    const quint32 bgr = quint32(*value);
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

int LanguageFont::charsetNumber() const
{
    const auto value = parseNumber(charset);
    if (!value || *value < 0 || *value > 255)
        return -1;
    return int(*value);
}

QFontDatabase::WritingSystem LanguageFont::writingSystem() const
{
    switch (charsetNumber()) {
    case CharsetGb2312:
        return QFontDatabase::SimplifiedChinese;
    case CharsetBig5:
        return QFontDatabase::TraditionalChinese;
    case CharsetAnsi:
        return QFontDatabase::Latin;
    default:
        return QFontDatabase::Any;
    }
}

LanguageFont LanguageFont::forLanguage(int languageIndex)
{
    switch (languageIndex) {
    case 1:
        return { QString::fromUtf8(u8"宋体"), QStringLiteral("134"), QStringLiteral("12"),
                 QStringLiteral("0"), QStringLiteral("0x0") };
    case 2:
        return { QString::fromUtf8(u8"細明體"), QStringLiteral("136"), QStringLiteral("12"),
                 QStringLiteral("0"), QStringLiteral("0x0") };
    default:
        return { QStringLiteral("MS Sans Serif"), QStringLiteral("0"), QStringLiteral("10"),
                 QStringLiteral("0"), QStringLiteral("0x0") };
    }
}

void LanguageFont::installFontSubstitutes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Ming/Song faces first: they are the closest in look to the faces the Chinese
        // layouts were drawn with; the Noto and Droid faces only as a last resort.
        const QStringList simplified = {
            QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL UMing TW"),
            QStringLiteral("AR PL UMing TW MBE"), QStringLiteral("Noto Serif CJK SC"),
            QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback"),
        };
        const QStringList traditional = {
            QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing TW MBE"),
            QStringLiteral("AR PL UMing HK"), QStringLiteral("AR PL UMing CN"),
            QStringLiteral("Noto Serif CJK TC"), QStringLiteral("Noto Sans CJK TC"),
            QStringLiteral("Droid Sans Fallback"),
        };
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
        QFont::insertSubstitutions(QString::fromUtf8(u8"宋体"), simplified);
        QFont::insertSubstitutions(QString::fromUtf8(u8"細明體"), traditional);
        QFont::insertSubstitutions(QStringLiteral("Arial"),
                                   { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans") });
        QFont::insertSubstitutions(QStringLiteral("Arial Narrow"),
                                   { QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans") });
        QFont::insertSubstitutions(QStringLiteral("Calibri"),
                                   { QStringLiteral("Carlito"), QStringLiteral("Liberation Sans") });
    });
}
