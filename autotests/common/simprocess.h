#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

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
    // Whether what the simulator sends on the serial line reaches this program. Wine's COM port
    // on a pseudo-terminal opens and sends, but its WaitCommEvent returns at once with no event,
    // so Qt never learns of received bytes.
    static bool serialRepliesArrive();
    // For a test row on the serial line: why it cannot run here (empty when it can). A row that
    // needs the controller's replies cannot run where they do not arrive.
    static QString serialRowUnavailable(bool needsReplies);
    static bool underWine();

private:
    QList<QPair<QByteArray, bool>> readLog() const;
    bool startOnce(const QString &program, const QStringList &args);

    QStringList m_args;
    bool m_withPty;
    bool m_viaStdin = false;  // stopped by closing its standard input
    QTemporaryDir m_dir;
    QString m_logPath;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_ptyPath;
};
