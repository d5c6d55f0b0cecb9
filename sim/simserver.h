#pragma once

#include "replyaction.h"
#include "requestassembler.h"
#include "simoptions.h"
#include "simresponder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTcpServer;
class QTcpSocket;
class QTimer;

// Serves the simulated controller on TCP and/or a pseudo-terminal: the I/O around the
// responder, which says what each request frame gets back; this carries it out with timers.
class SimServer : public QObject
{
    Q_OBJECT
public:
    explicit SimServer(const SimOptions &options, QObject *parent = nullptr);
    ~SimServer() override;

    // Opens what the options ask for and prints where; false with *error when it cannot.
    bool start(QString *error);
    // Writes the file of --announce, when asked for, whole at once.
    static void announce(const SimOptions &options, const QByteArray &text);

private:
    struct Channel
    {
        RequestAssembler requests;
        std::function<void(const QByteArray &)> write;
        std::function<void()> hangUp;
        QPointer<QTimer> streamTimer; // an endless reply in progress
        bool alive = true;
        bool closing = false;         // hung up mid-reply: answers nothing more
        bool connection = true;       // false for the line, which has nothing to close on a cut
    };

    void onTcpConnection();
    void onPtyReadable();
    void received(const std::shared_ptr<Channel> &channel, const QByteArray &bytes);
    void handleFrame(const std::shared_ptr<Channel> &channel, const QByteArray &frame);
    void carryOut(const std::shared_ptr<Channel> &channel, const ReplyAction &action);
    void log(bool crcOk, const QByteArray &command);
    // A new pseudo-terminal, printed as "pty PATH", with --pty-link made to it.
    bool openPty(QString *error);
    void closePty();

    SimOptions m_options;
    SimResponder m_responder;
    QTcpServer *m_tcp = nullptr;
    int m_ptyMaster = -1;
    int m_ptyKeepAlive = -1;
    QSocketNotifier *m_ptyNotifier = nullptr;
    QString m_ptyLinkMade;
    std::shared_ptr<Channel> m_ptyChannel;
    QFile m_log;
    QElapsedTimer m_clock;
    qint64 m_framesSeen = 0; // every frame of the run, as --vanish-after counts them
};
