#include "simprocess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

// Wine's own call from a Windows path to the Unix one (nullptr on Windows itself).
QString unixPathOf(const QString &windowsPath)
{
    using Call = char *(__cdecl *)(const wchar_t *);
    const auto call = reinterpret_cast<Call>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!call)
        return {};
    char *unix = call(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(windowsPath).utf16()));
    if (!unix)
        return {};
    const QString path = QString::fromLocal8Bit(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

} // namespace
#endif

SimProcess::SimProcess(const QStringList &extraArgs, bool withPty)
    : m_args(extraArgs)
    , m_withPty(withPty)
{
    m_logPath = m_dir.filePath(QStringLiteral("requests.log"));
}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::executable()
{
    const QString fromEnv = qEnvironmentVariable("ZU42SIM");
    return fromEnv.isEmpty() ? QStringLiteral("zu42sim") : fromEnv;
}

bool SimProcess::takeStartLines(const std::function<bool(QByteArray *line)> &nextLine)
{
    QByteArray line;
    while (nextLine(&line)) {
        line = line.trimmed();
        if (line.startsWith("tcp ")) {
            const int colon = line.lastIndexOf(':');
            m_port = quint16(line.mid(colon + 1).toUInt());
        } else if (line.startsWith("pty ")) {
            m_ptyPath = QString::fromLocal8Bit(line.mid(4));
        } else if (line == "ready") {
            return true;
        }
    }
    return false;
}

bool SimProcess::startOnce(const QString &program, const QStringList &args)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, args);
    if (!m_process.waitForStarted(5000))
        return false;
    QDeadlineTimer deadline(10000);
    return takeStartLines([&](QByteArray *line) {
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return false;
        }
        *line = m_process.readLine();
        return true;
    });
}

#ifdef Q_OS_WIN
bool SimProcess::startUnixChild(const QString &program, const QStringList &args)
{
    const QString announced = m_dir.filePath(QStringLiteral("announce"));
    const QString running = m_dir.filePath(QStringLiteral("running"));
    QFile::remove(announced);
    QFile token(running);
    if (!token.open(QIODevice::WriteOnly))
        return false;
    token.close();
    QString commandLine = QLatin1Char('"') + program + QLatin1Char('"');
    for (const QString &arg : args + QStringList { QStringLiteral("--announce"), unixPathOf(announced),
                                                   QStringLiteral("--until-gone"), unixPathOf(running) })
        commandLine += QStringLiteral(" \"") + arg + QLatin1Char('"');
    std::wstring command = commandLine.toStdWString();

    // Watched before the start, so that an announcement cannot come unseen.
    const std::wstring folder = QDir::toNativeSeparators(m_dir.path()).toStdWString();
    HANDLE change = FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (change == INVALID_HANDLE_VALUE)
        return false;
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        FindCloseChangeNotification(change);
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);

    QByteArray said;
    QDeadlineTimer deadline(10000);
    for (;;) {
        QFile file(announced);
        if (file.open(QIODevice::ReadOnly)) {
            said = file.readAll();
            break;
        }
        if (deadline.hasExpired())
            break;
        WaitForSingleObject(change, DWORD(deadline.remainingTime()));
        FindNextChangeNotification(change);
    }
    FindCloseChangeNotification(change);
    const QList<QByteArray> lines = said.split('\n');
    qsizetype next = 0;
    const bool ready = takeStartLines([&](QByteArray *line) {
        if (next >= lines.size())
            return false;
        *line = lines[next++];
        return true;
    });
    if (!ready) {
        if (said.startsWith("error "))
            qInfo("zu42sim (Linux): %s", said.mid(6).trimmed().constData());
        stopUnixChild();
    }
    return ready;
}

void SimProcess::stopUnixChild()
{
    // The simulator ends when this file goes, and removes its COM link.
    const QString running = m_dir.filePath(QStringLiteral("running"));
    if (QFileInfo::exists(running))
        QFile::remove(running);
}
#endif

bool SimProcess::start()
{
    QStringList args { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--log"), m_logPath };
#ifdef Q_OS_WIN
    if (m_withPty) {
        if (!serialLineUnavailable().isEmpty())
            return false;
        const QString logPath = unixPathOf(m_logPath);
        const QString dosDevices = qEnvironmentVariable("ZU42_WINE_DOSDEVICES");
        args = QStringList { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--log"), logPath,
                             QStringLiteral("--pty"), QStringLiteral("--pty-link") };
        // Ports of their own for tests run side by side; a link left by a simulator that was
        // killed is passed over (the simulator refuses a path that exists).
        const int first = 20 + int(QCoreApplication::applicationPid() % 40) * 4;
        for (int n = first; n < first + 40; ++n) {
            const QString link = dosDevices + QStringLiteral("/com%1").arg(n);
            if (startUnixChild(qEnvironmentVariable("ZU42SIM_PTY"), args + QStringList { link } + m_args)) {
                m_ptyPath = QStringLiteral("COM%1").arg(n);
                return true;
            }
        }
        return false;
    }
#endif
    if (!m_requestLog)
        args = QStringList { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0") };
    if (m_withPty)
        args << QStringLiteral("--pty");
    args << m_args;
    return startOnce(m_program.isEmpty() ? executable() : m_program, args);
}

QString SimProcess::serialLineUnavailable()
{
#ifdef Q_OS_WIN
    if (!underWine())
        return QStringLiteral("no pseudo-terminal on Windows: the serial line is served only under Wine");
    if (qEnvironmentVariableIsEmpty("ZU42SIM_PTY") || qEnvironmentVariableIsEmpty("ZU42_WINE_DOSDEVICES"))
        return QStringLiteral("no Linux zu42sim to serve the serial line (ZU42SIM_PTY and ZU42_WINE_DOSDEVICES, "
                              "which scripts/wine-test.sh sets when build/bin/zu42sim exists)");
#endif
    return {};
}

bool SimProcess::underWine()
{
#ifdef Q_OS_WIN
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}


void SimProcess::stop()
{
#ifdef Q_OS_WIN
    stopUnixChild();
#endif
    if (m_process.state() == QProcess::NotRunning)
        return;
#ifdef Q_OS_WIN
    // terminate() posts WM_CLOSE, which a console program without a window never sees: it
    // would only cost the wait before kill(). The request log is written unbuffered, so
    // nothing the tests read is lost by ending the simulator at once.
    m_process.kill();
#else
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
#endif
    m_process.waitForFinished(3000);
}

QList<QPair<QByteArray, bool>> SimProcess::readLog() const
{
    QList<QPair<QByteArray, bool>> out;
    QFile file(m_logPath);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    // Each line: milliseconds, tab, "ok" or "bad", tab, the command text in hexadecimal.
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() < 3)
            continue;
        out.append({ QByteArray::fromHex(fields[2]), fields[1] == "ok" });
    }
    return out;
}

QList<QByteArray> SimProcess::requests() const
{
    QList<QByteArray> out;
    for (const auto &entry : readLog())
        out.append(entry.first);
    return out;
}

QList<bool> SimProcess::requestsCrcOk() const
{
    QList<bool> out;
    for (const auto &entry : readLog())
        out.append(entry.second);
    return out;
}

void SimProcess::clearRequests()
{
    QFile file(m_logPath);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}
