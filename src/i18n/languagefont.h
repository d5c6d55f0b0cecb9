#pragma once

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QString>

// One row of the language font table. The values are kept as the texts the table holds and
// converted only when the font is applied, so a row reads the same as the operators'
// set-up notes.
struct LanguageFont
{
    QString name;     // face name
    QString charset;  // Windows character set number: 0 ANSI, 134 GB2312, 136 Big5
    QString size;     // points
    QString style;    // bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out
    QString color;    // "0x" + hexadecimal Windows colour, 0x00BBGGRR

    // The font to set on the window. A size that is not a positive number leaves the
    // point size of a default QFont; a style that is not a number means regular.
    QFont font() const;
    // Black when the colour text is not a number.
    QColor textColor() const;
    // The character set as a number, -1 when the text is not one.
    int charsetNumber() const;
    // Qt fonts have no character set; this is the script the character set stands for,
    // for checking that the face actually used covers it.
    QFontDatabase::WritingSystem writingSystem() const;

    // The row of language index 0, 1 or 2; any other index gives the English row.
    static LanguageFont forLanguage(int languageIndex);

    // Maps the Windows face names the tool asks for onto the free faces of the Linux
    // desktops it runs on. Idempotent; font() calls it, so callers need not.
    static void installFontSubstitutes();
};
