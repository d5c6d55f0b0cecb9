#include "app/programidentity.h"

#include "zu42version.h"

#include <QDir>
#include <QGuiApplication>

QString ProgramIdentity::version()
{
    return QStringLiteral(ZU42_VERSION);
}

QString ProgramIdentity::applicationId()
{
    return QStringLiteral(ZU42_APP_ID);
}

void ProgramIdentity::declare(const QString &programName)
{
    QCoreApplication::setApplicationName(programName);
    QCoreApplication::setApplicationVersion(version());
    QGuiApplication::setApplicationDisplayName(QStringLiteral("ZU42vIZ-O5 Test Tools"));
    // On Wayland this is the window's app id, by which the desktop finds the entry and its icon;
    // an X11 desktop goes by the window class, which the entry names as well (StartupWMClass).
    QGuiApplication::setDesktopFileName(applicationId());
}

void ProgramIdentity::setWindowIcon()
{
    QGuiApplication::setWindowIcon(icon());
}

QIcon ProgramIdentity::icon()
{
    // The theme may hold the icon in sizes drawn for them; the build folder has only the drawing,
    // and where Qt cannot draw SVG (the Windows build) the drawing rendered in a few sizes.
    QIcon drawing(QStringLiteral(":/icons/zu42tool.svg"));
    const QDir rendered(QStringLiteral(":/icons/rendered"));
    for (const QString &png : rendered.entryList(QDir::Files))
        drawing.addFile(rendered.filePath(png));
    return QIcon::fromTheme(applicationId(), drawing);
}
