#pragma once

#include <QString>

class QWidget;

// Qt writes the application's display name after a window's own caption on platforms that
// draw a title bar ("<caption> - ZU42vIZ-O5 Test Tools"), in English whatever the language.
// The operators know each window by its caption alone, so it goes out with the display name
// blanked for that one moment.
class WindowCaption
{
public:
    // The platform window takes the caption when it is made, with the name after it: a window
    // sets its caption again when it is shown.
    static void set(QWidget *window, const QString &caption);
};
