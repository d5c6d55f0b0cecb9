#include "benchsimulator.h"

BenchSimulator::~BenchSimulator()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

bool BenchSimulator::start(const QString &program, const QStringList &arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, QStringList { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0") } + arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    const bool wantsPty = arguments.contains(QStringLiteral("--pty"));
    for (;;) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(5000))
            return false;
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("tcp "))
            m_port = quint16(line.mid(line.lastIndexOf(':') + 1).toUInt());
        else if (line.startsWith("pty "))
            m_pty = QString::fromLocal8Bit(line.mid(4));
        else if (line == "ready")
            return m_port != 0 && (!wantsPty || !m_pty.isEmpty());
    }
}
