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

bool SimProcess::startOnce(const QString &program, const QStringList &args)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, args);
    if (!m_process.waitForStarted(5000))
        return false;

    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine().trimmed();
            if (line.startsWith("tcp ")) {
                const int colon = line.lastIndexOf(':');
                m_port = quint16(line.mid(colon + 1).toUInt());
            } else if (line.startsWith("pty ")) {
                m_ptyPath = QString::fromLocal8Bit(line.mid(4));
            } else if (line == "ready") {
                return true;
            }
        }
    }
    return false;
}

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
                             QStringLiteral("--pty"), QStringLiteral("--until-stdin-closes"), QStringLiteral("--pty-link") };
        // Ports of their own for tests run side by side; a link left by a simulator that was
        // killed is passed over (the simulator refuses a path that exists).
        const int first = 20 + int(QCoreApplication::applicationPid() % 40) * 4;
        for (int n = first; n < first + 40; ++n) {
            const QString link = dosDevices + QStringLiteral("/com%1").arg(n);
            m_viaStdin = true;
            if (startOnce(qEnvironmentVariable("ZU42SIM_PTY"), args + QStringList { link } + m_args)) {
                m_ptyPath = QStringLiteral("COM%1").arg(n);
                return true;
            }
            m_process.kill();
            m_process.waitForFinished(3000);
        }
        return false;
    }
#endif
    if (m_withPty)
        args << QStringLiteral("--pty");
    args << m_args;
    return startOnce(executable(), args);
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

bool SimProcess::serialRepliesArrive()
{
    return !underWine();
}

QString SimProcess::serialRowUnavailable(bool needsReplies)
{
    const QString why = serialLineUnavailable();
    if (!why.isEmpty() || !needsReplies || serialRepliesArrive())
        return why;
    return QStringLiteral("Wine passes nothing a pseudo-terminal sends to the COM port's reader (its WaitCommEvent "
                          "returns at once with no event): only rows where the controller stays silent run here");
}

void SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
#ifdef Q_OS_WIN
    // terminate() posts WM_CLOSE, which a console program without a window never sees: it
    // would only cost the wait before kill(). The request log is written unbuffered, so
    // nothing the tests read is lost by ending the simulator at once. The Linux simulator of
    // the serial line ends when its standard input closes, which also removes its COM link.
    if (m_viaStdin) {
        m_process.closeWriteChannel();
        if (m_process.waitForFinished(3000))
            return;
    }
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
