#include "simprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>

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

bool SimProcess::start()
{
    QStringList args { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--log"), m_logPath };
    if (m_withPty)
        args << QStringLiteral("--pty");
    args << m_args;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(executable(), args);
    if (!m_process.waitForStarted(5000))
        return false;

    QDeadlineTimer deadline(10000);
    QByteArray pending;
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

void SimProcess::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
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
