#pragma once

#include "controllerbus.h"
#include "simoptions.h"
#include "strikeschedule.h"

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

// Serves the simulated controller on TCP and/or a pseudo-terminal: assembles request frames,
// logs them, asks the model, and sends the reply frame, misbehaving where told to.
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
        QByteArray pending;
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
    void deliver(const std::shared_ptr<Channel> &channel, const QByteArray &command, const QByteArray &reply);
    void sendReply(const std::shared_ptr<Channel> &channel, const QByteArray &command, QByteArray reply);
    void hangUpMidReply(const std::shared_ptr<Channel> &channel, const QByteArray &reply);
    const SimFault *faultFor(const QByteArray &command) const;
    void log(bool crcOk, const QByteArray &command);
    void closePty();

    SimOptions m_options;
    ControllerBus m_bus;
    StrikeSchedule m_lose;
    StrikeSchedule m_cut;
    QTcpServer *m_tcp = nullptr;
    int m_ptyMaster = -1;
    int m_ptyKeepAlive = -1;
    QSocketNotifier *m_ptyNotifier = nullptr;
    QString m_ptyLinkMade;
    std::shared_ptr<Channel> m_ptyChannel;
    QFile m_log;
    QElapsedTimer m_clock;
    qint64 m_requestCount = 0; // a soak run may outlast an int
};
