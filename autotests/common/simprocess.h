#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// A zu42sim of the test's own: started on a free loopback port (and a pseudo-terminal when
// asked), logging every request into a temporary file that requests() reads back.
//
// Under Wine a Windows program has no pseudo-terminal of its own: the serial line is then the
// Linux zu42sim's (ZU42SIM_PTY, a Z:\ path), reached as a COM port through a link that it makes
// in the Wine prefix's dosdevices folder (ZU42_WINE_DOSDEVICES); ptyPath() is then "COMn".
class SimProcess
{
public:
    explicit SimProcess(const QStringList &extraArgs = {}, bool withPty = false);
    ~SimProcess();

    // The program to start instead of $ZU42SIM (or zu42sim on the PATH): a benchmark's own.
    void setProgram(const QString &program) { m_program = program; }
    // Without the request log the simulator writes no file, so that a benchmark's figures carry
    // none of its writes; requests() is then empty.
    void setRequestLog(bool on) { m_requestLog = on; }

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

    // Why this build cannot serve a serial line here (empty when it can): for a QSKIP.
    static QString serialLineUnavailable();
    static bool underWine();

private:
    QList<QPair<QByteArray, bool>> readLog() const;
    bool startOnce(const QString &program, const QStringList &args);
    // Reads what the simulator prints up to "ready"; false if it ends first.
    bool takeStartLines(const std::function<bool(QByteArray *line)> &nextLine);
#ifdef Q_OS_WIN
    // The Linux simulator is no Windows process: Wine signals its process handle at once (so
    // QProcess takes it for ended) and hands it no pipe. It says it is ready in a file
    // (--announce) and ends when another file goes (--until-gone).
    bool startUnixChild(const QString &program, const QStringList &args);
    void stopUnixChild();
#endif

    QStringList m_args;
    bool m_withPty;
    QString m_program;
    bool m_requestLog = true;
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_ptyPath;
};
