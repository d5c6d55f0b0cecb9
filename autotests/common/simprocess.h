#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A zu42sim of the test's own: started on a free loopback port (and a pseudo-terminal when
// asked), logging every request into a temporary file that requests() reads back.
class SimProcess
{
public:
    explicit SimProcess(const QStringList &extraArgs = {}, bool withPty = false);
    ~SimProcess();

    bool start();
    void stop();

    quint16 port() const { return m_port; }
    QString ptyPath() const { return m_ptyPath; }

    // The command texts the simulator received, in order, without framing; requestsCrcOk()
    // tells for each whether its CRC was right.
    QList<QByteArray> requests() const;
    QList<bool> requestsCrcOk() const;
    void clearRequests();

    QProcess &process() { return m_process; }
    static QString executable();

private:
    QList<QPair<QByteArray, bool>> readLog() const;

    QStringList m_args;
    bool m_withPty;
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_ptyPath;
};
