#include "app/toollook.h"

#include "i18n/language.h"
#include "i18n/languagefont.h"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace {

// Dark enough to read as text on white, strong enough to read as a warning; the verdict grounds
// are seen from across the production line.
const QColor colours[ToolLook::ColourCount] = {
    QColor(0xb0, 0x00, 0x00), // ErrorText
    QColor(0xb0, 0x00, 0x00), // ProblemRow
    QColor(0x70, 0x70, 0x70), // LinkEventRow
    QColor(0x10, 0x80, 0x30), // GoodNote
    QColor(0xc0, 0x60, 0x00), // WarningNote
    QColor(0xd0, 0x14, 0x14), // BadNote
    QColor(0xd8, 0xd8, 0xd8), // VerdictReady
    QColor(0xff, 0xd2, 0x00), // VerdictTesting
    QColor(0x1a, 0x9a, 0x3a), // VerdictPass
    QColor(0xd0, 0x14, 0x14), // VerdictFail
    QColor(0xe8, 0x76, 0x00), // VerdictNotTested
    QColor(0x6a, 0x1b, 0x9a), // VerdictError
    QColor(0xff, 0xff, 0xff), // VerdictInk
    QColor(0x00, 0x00, 0x00), // VerdictInkOnPale
    QColor(0xff, 0xdc, 0xdc), // FailedStepRow
    QColor(0xa0, 0xa0, 0xa4), // StepNotRun
};

void setWindowTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    // Disabled too: a failure stays red while the window is held off by an operation.
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

QColor ToolLook::colour(Colour colour)
{
    return colour >= 0 && colour < ColourCount ? colours[colour] : QColor(Qt::black);
}

const QStringList &ToolLook::latinFamilies()
{
#ifdef Q_OS_WIN
    static const QStringList faces { QStringLiteral("Segoe UI"), QStringLiteral("Tahoma"), QStringLiteral("Arial") };
#else
    static const QStringList faces { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                     QStringLiteral("Carlito") };
#endif
    return faces;
}

QStringList ToolLook::families(int languageIndex)
{
    QStringList faces = latinFamilies();
    if (languageIndex == Language::SimplifiedChinese || languageIndex == Language::TraditionalChinese) {
        LanguageFont::installFontSubstitutes();
        // Qt looks up the faces after the first one glyph by glyph without its substitutes, so
        // they are named here.
        const QString chinese = LanguageFont::forLanguage(languageIndex).name;
        faces.append(chinese);
        faces.append(QFont::substitutes(chinese));
    }
    return faces;
}

QFont ToolLook::font(int languageIndex)
{
    QFont font = LanguageFont::forLanguage(languageIndex).font();
    font.setFamilies(families(languageIndex));
    return font;
}

QFont ToolLook::fixedFont(int languageIndex)
{
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font(languageIndex).pointSizeF());
    return fixed;
}

void ToolLook::apply(QWidget *window, int languageIndex)
{
    window->setFont(font(languageIndex));
    const QColor text = LanguageFont::forLanguage(languageIndex).textColor();
    QPalette palette = window->palette();
    // Only the active and inactive groups: disabled controls keep their greyed text.
    for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive })
        for (const QPalette::ColorRole role : { QPalette::WindowText, QPalette::ButtonText, QPalette::Text })
            palette.setColor(group, role, text);
    window->setPalette(palette);
}

void ToolLook::setTextColour(QWidget *widget, Colour colour)
{
    setWindowTextColour(widget, ToolLook::colour(colour));
}

void ToolLook::resetTextColour(QWidget *widget)
{
    // A palette that sets nothing takes every colour from the window again.
    widget->setPalette(QPalette());
}
