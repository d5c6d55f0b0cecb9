#include "simserver.h"

#include "protocol/commandframe.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

SimServer::SimServer(const SimOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_responder(options)
{
    m_clock.start();
}

SimServer::~SimServer()
{
    closePty();
}

bool SimServer::start(QString *error)
{
    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            *error = QStringLiteral("cannot write the log %1: %2").arg(m_options.logPath, m_log.errorString());
            return false;
        }
    }
    if (m_options.tcp) {
        m_tcp = new QTcpServer(this);
        if (!m_tcp->listen(m_options.tcpAddress, m_options.tcpPort)) {
            *error = QStringLiteral("cannot listen on %1:%2: %3")
                         .arg(m_options.tcpAddress.toString())
                         .arg(m_options.tcpPort)
                         .arg(m_tcp->errorString());
            return false;
        }
        connect(m_tcp, &QTcpServer::newConnection, this, &SimServer::onTcpConnection);
        std::printf("tcp %s:%u\n", qPrintable(m_tcp->serverAddress().toString()), unsigned(m_tcp->serverPort()));
    }
    if (m_options.pty && !openPty(error))
        return false;
    if (!m_options.untilGonePath.isEmpty()) {
        auto *watcher = new QFileSystemWatcher(this);
        if (!watcher->addPath(m_options.untilGonePath)) {
            *error = QStringLiteral("cannot watch %1").arg(m_options.untilGonePath);
            return false;
        }
        connect(watcher, &QFileSystemWatcher::fileChanged, this, [path = m_options.untilGonePath] {
            if (!QFileInfo::exists(path))
                QCoreApplication::quit();
        });
    }
    QByteArray said;
    if (m_tcp)
        said += "tcp " + m_tcp->serverAddress().toString().toLatin1() + ':' + QByteArray::number(m_tcp->serverPort()) + '\n';
#ifdef Q_OS_UNIX
    if (m_ptyMaster >= 0)
        said += QByteArray("pty ") + ::ptsname(m_ptyMaster) + '\n';
#endif
    announce(m_options, said + "ready\n");
    std::printf("ready\n");
    std::fflush(stdout);
    return true;
}

void SimServer::announce(const SimOptions &options, const QByteArray &text)
{
    if (options.announcePath.isEmpty())
        return;
    // Whole or not at all: the parent reads it as soon as it appears.
    QSaveFile file(options.announcePath);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text);
        file.commit();
    }
}

bool SimServer::openPty(QString *error)
{
#ifdef Q_OS_UNIX
    m_ptyMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_ptyMaster < 0 || ::grantpt(m_ptyMaster) != 0 || ::unlockpt(m_ptyMaster) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    const char *slave = ::ptsname(m_ptyMaster);
    // Raw line, like a controller's UART: no echo, no line editing, no CR translation.
    termios t {};
    ::tcgetattr(m_ptyMaster, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(m_ptyMaster, TCSANOW, &t);
    // Holding the slave open keeps the master from reading EIO between the tool's opens.
    m_ptyKeepAlive = ::open(slave, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    m_ptyNotifier = new QSocketNotifier(m_ptyMaster, QSocketNotifier::Read, this);
    connect(m_ptyNotifier, &QSocketNotifier::activated, this, &SimServer::onPtyReadable);
    m_ptyChannel = std::make_shared<Channel>();
    m_ptyChannel->connection = false;
    m_ptyChannel->write = [this](const QByteArray &bytes) {
        qsizetype done = 0;
        while (m_ptyMaster >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(m_ptyMaster, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno == EINTR)
                continue;
            else
                break; // nobody reads the line: the rest is lost, as on a real UART
        }
    };
    m_ptyChannel->hangUp = [this] { closePty(); };
    if (!m_options.ptyLink.isEmpty()) {
        if (::symlink(slave, QFile::encodeName(m_options.ptyLink).constData()) != 0) {
            *error = QStringLiteral("cannot link %1 to the pseudo-terminal: %2")
                         .arg(m_options.ptyLink, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
        m_ptyLinkMade = m_options.ptyLink;
    }
    std::printf("pty %s\n", slave);
    std::fflush(stdout);
#else
    *error = QStringLiteral("pseudo-terminals need a Unix system");
    return false;
#endif
    return true;
}

void SimServer::closePty()
{
#ifdef Q_OS_UNIX
    if (m_ptyNotifier) {
        m_ptyNotifier->setEnabled(false);
        m_ptyNotifier->deleteLater();
        m_ptyNotifier = nullptr;
    }
    if (m_ptyChannel)
        m_ptyChannel->alive = false;
    if (!m_ptyLinkMade.isEmpty()) {
        ::unlink(QFile::encodeName(m_ptyLinkMade).constData());
        m_ptyLinkMade.clear();
    }
    if (m_ptyKeepAlive >= 0)
        ::close(m_ptyKeepAlive);
    if (m_ptyMaster >= 0)
        ::close(m_ptyMaster);
    m_ptyKeepAlive = m_ptyMaster = -1;
#endif
}

void SimServer::onTcpConnection()
{
    while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
        auto channel = std::make_shared<Channel>();
        QPointer<QTcpSocket> guard(socket);
        channel->write = [guard](const QByteArray &bytes) {
            if (guard) {
                guard->write(bytes);
                guard->flush();
            }
        };
        // Weak, or the channel would own itself and outlive its connection.
        channel->hangUp = [guard, weak = std::weak_ptr<Channel>(channel)] {
            if (const auto channel = weak.lock())
                channel->alive = false;
            if (guard)
                guard->abort();
        };
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, channel] { received(channel, socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [socket, channel] {
            channel->alive = false;
            socket->deleteLater();
        });
    }
}

void SimServer::onPtyReadable()
{
#ifdef Q_OS_UNIX
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_ptyMaster, buffer, sizeof buffer);
        if (n > 0) {
            received(m_ptyChannel, QByteArray(buffer, n));
            if (m_ptyMaster < 0)
                return;
            continue;
        }
        return; // EAGAIN, or nothing more for now
    }
#endif
}

void SimServer::received(const std::shared_ptr<Channel> &channel, const QByteArray &bytes)
{
    if (channel->closing)
        return;
    channel->requests.add(bytes);
    for (QByteArray frame = channel->requests.next(); !frame.isEmpty(); frame = channel->requests.next()) {
        handleFrame(channel, frame);
        if (!channel->alive || channel->closing)
            return;
    }
}

void SimServer::log(bool crcOk, const QByteArray &command)
{
    if (!m_log.isOpen())
        return;
    QByteArray printable;
    for (char c : command)
        printable += (c >= 0x20 && c < 0x7F) ? QByteArray(1, c) : "\\x" + QByteArray::number(quint8(c), 16).rightJustified(2, '0');
    m_log.write(QByteArray::number(m_clock.elapsed()) + '\t' + (crcOk ? "ok" : "bad") + '\t' + command.toHex() + '\t'
                + printable + '\n');
}

void SimServer::handleFrame(const std::shared_ptr<Channel> &channel, const QByteArray &frame)
{
    if (channel->streamTimer)
        channel->streamTimer->deleteLater(); // a new request ends an endless reply

    const SimResponder::Result result = m_responder.handle(frame, channel->connection);
    log(result.crcOk, result.logged);
    if (m_options.vanishAfter > 0 && ++m_framesSeen == m_options.vanishAfter) {
        // Pulled out: the device node goes with the master, and the tool's side reads EIO.
        closePty();
        if (m_options.returnAfterMs > 0)
            QTimer::singleShot(m_options.returnAfterMs, this, [this] {
                QString error;
                if (!openPty(&error))
                    std::fprintf(stderr, "%s\n", qPrintable(error));
            });
        return;
    }
    for (const ReplyAction &action : result.replies) {
        if (channel->closing)
            return;
        carryOut(channel, action);
    }
}

void SimServer::carryOut(const std::shared_ptr<Channel> &channel, const ReplyAction &action)
{
    const QByteArray reply = action.bytes;
    switch (action.kind) {
    case ReplyAction::Kind::Send:
    case ReplyAction::Kind::Silence:
        channel->write(reply);
        return;
    case ReplyAction::Kind::Delay:
        QTimer::singleShot(action.delayMs, this, [channel, reply] {
            if (channel->alive)
                channel->write(reply);
        });
        return;
    case ReplyAction::Kind::Split: {
        auto timer = new QTimer(this);
        auto offset = std::make_shared<qsizetype>(0);
        const int chunk = action.chunk;
        auto sendChunk = [channel, reply, offset, chunk, timer] {
            if (!channel->alive || *offset >= reply.size()) {
                timer->deleteLater();
                return;
            }
            channel->write(reply.mid(*offset, chunk));
            *offset += chunk;
        };
        connect(timer, &QTimer::timeout, this, sendChunk);
        sendChunk();
        timer->start(action.gapMs);
        return;
    }
    case ReplyAction::Kind::Endless: {
        channel->write(reply);
        auto timer = new QTimer(this);
        channel->streamTimer = timer;
        QElapsedTimer started;
        started.start();
        connect(timer, &QTimer::timeout, this, [channel, timer, started] {
            if (!channel->alive || started.elapsed() > 30000) {
                timer->deleteLater();
                return;
            }
            channel->write("7");
        });
        timer->start(action.gapMs);
        return;
    }
    case ReplyAction::Kind::HangUp:
        // Half the reply, never its EOT, and the hang-up a moment later, once the half has left.
        channel->write(reply);
        channel->closing = true;
        QTimer::singleShot(action.delayMs, this, [channel] {
            if (channel->alive)
                channel->hangUp();
        });
        return;
    }
}
