#pragma once

#include <QIcon>
#include <QString>

// Who the window programs are to the command line, the desktop and the title bar: their name
// and version; the application id, by which a desktop finds the installed desktop entry and its
// icon and groups the program's windows under it; and the icon itself, from the installed theme
// like any other application's, or from the program when it runs from its build folder.
class ProgramIdentity
{
public:
    static QString version();
    static QString applicationId();

    // Before the application object exists: name, version, display name, desktop entry.
    static void declare(const QString &programName);
    // Once it exists: the icon every window of the program carries.
    static void setWindowIcon();
    static QIcon icon();
};
