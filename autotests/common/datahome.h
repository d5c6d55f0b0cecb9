#pragma once

// The user's data folder of a test (where the records and the traffic log go, see
// UserDataFolder): its own, for the test's process and for the programs it starts. Linux takes
// it from XDG_DATA_HOME; Windows from LOCALAPPDATA, which Wine sets afresh for a program started
// from Linux but hands on from one Windows program to the next.

#include <QFile>
#include <QProcessEnvironment>
#include <QString>

namespace DataHome {

inline QString variable()
{
#ifdef Q_OS_WIN
    return QStringLiteral("LOCALAPPDATA");
#else
    return QStringLiteral("XDG_DATA_HOME");
#endif
}

inline void set(const QString &folder)
{
    qputenv(variable().toLatin1().constData(), QFile::encodeName(folder));
}

inline void unset()
{
    qunsetenv(variable().toLatin1().constData());
}

inline void setIn(QProcessEnvironment &environment, const QString &folder)
{
    environment.insert(variable(), folder);
}

} // namespace DataHome
