#include "link/userdatafolder.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
namespace {

// "C:/..." or "//server/share": Qt takes "C:" and "/Data" for whole paths too, though Windows
// reads them against the drive and folder the program was started in.
bool isWholeWindowsPath(const QString &path)
{
    const bool onDrive = path.size() >= 3 && path.at(0).isLetter() && path.at(1) == QLatin1Char(':') && path.at(2) == QLatin1Char('/');
    const bool onShare = path.size() >= 3 && path.startsWith(QLatin1String("//")) && path.at(2) != QLatin1Char('/');
    return onDrive || onShare;
}

} // namespace
#endif

QString UserDataFolder::path()
{
    QString root;
#ifdef Q_OS_WIN
    // Qt asks Windows for the known folder, which a parent process cannot point elsewhere; the
    // variable it normally mirrors can be. Only a whole path counts: the records must not move
    // with the folder a program happens to be started in.
    const QString local = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    if (isWholeWindowsPath(local))
        root = QDir::cleanPath(local);
#endif
    if (root.isEmpty())
        root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(root).filePath(QStringLiteral("zu42tools"));
}
