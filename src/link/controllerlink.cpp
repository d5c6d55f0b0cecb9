#include "controllerlink.h"

#include "commandframe.h"
#include "linkaddress.h"
#include "linesettings.h"
#include "replyreceiver.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// The line settings a device has now, so that a malformed mode string leaves them alone.
std::optional<LineSettings> currentLineSettings(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    termios t {};
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    if (!ok)
        return std::nullopt;

    // Every speed termios can name: one missing here would turn into 9600 at the open.
    static const struct { speed_t code; qint32 baud; } speeds[] = {
        { B50, 50 }, { B75, 75 }, { B110, 110 }, { B134, 134 }, { B150, 150 }, { B200, 200 },
        { B300, 300 }, { B600, 600 }, { B1200, 1200 }, { B1800, 1800 }, { B2400, 2400 },
        { B4800, 4800 }, { B9600, 9600 }, { B19200, 19200 }, { B38400, 38400 }, { B57600, 57600 },
        { B115200, 115200 }, { B230400, 230400 },
#ifdef B460800
        { B460800, 460800 },
#endif
#ifdef B500000
        { B500000, 500000 }, { B576000, 576000 },
#endif
#ifdef B921600
        { B921600, 921600 },
#endif
#ifdef B1000000
        { B1000000, 1000000 }, { B1152000, 1152000 }, { B1500000, 1500000 }, { B2000000, 2000000 },
        { B2500000, 2500000 }, { B3000000, 3000000 }, { B3500000, 3500000 }, { B4000000, 4000000 },
#endif
    };
    LineSettings s;
    s.baudRate = 9600;
    const speed_t speed = ::cfgetospeed(&t);
    for (const auto &entry : speeds)
        if (entry.code == speed)
            s.baudRate = entry.baud;
    switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = QSerialPort::Data5; break;
    case CS6: s.dataBits = QSerialPort::Data6; break;
    case CS7: s.dataBits = QSerialPort::Data7; break;
    default: s.dataBits = QSerialPort::Data8; break;
    }
    if (!(t.c_cflag & PARENB))
        s.parity = QSerialPort::NoParity;
#ifdef CMSPAR
    else if (t.c_cflag & CMSPAR)
        s.parity = (t.c_cflag & PARODD) ? QSerialPort::MarkParity : QSerialPort::SpaceParity;
#endif
    else
        s.parity = (t.c_cflag & PARODD) ? QSerialPort::OddParity : QSerialPort::EvenParity;
    s.stopBits = (t.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return s;
}
#endif

int remaining(const QElapsedTimer &timer, int limit)
{
    return int(std::max<qint64>(0, limit - timer.elapsed()));
}

} // namespace

ControllerLink::ControllerLink() = default;

ControllerLink::~ControllerLink()
{
    if (isOpen())
        CloseLink();
}

bool ControllerLink::isOpen() const
{
    return (m_serial && m_serial->isOpen()) || (m_socket && m_socket->state() != QAbstractSocket::UnconnectedState);
}

void ControllerLink::fail(Failure failure, const QString &detail)
{
    m_failure = failure;
    m_failureDetail = detail;
}

bool ControllerLink::OpenLink()
{
    m_failure = Failure::None;
    m_failureDetail.clear();
    m_openIsNet = LinkMode == Net;
    const bool ok = m_openIsNet ? openTcp() : openSerial();
    if (ok)
        ++m_opens;
    return ok;
}

bool ControllerLink::openSerial()
{
    if (PortName.isEmpty()) {
        fail(Failure::NoSuchPort);
        return false;
    }
    const QString path = LinkAddress::serialDevicePath(PortName);
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);

    std::optional<LineSettings> settings = LineSettings::parse(LineMode);
#ifdef Q_OS_UNIX
    if (!settings)
        settings = currentLineSettings(path);
#endif
    if (settings) {
#ifdef Q_OS_UNIX
        // termios has no 1.5 stop bits: a UART asked for two sends 1.5 with 5-bit characters,
        // which is the one framing where 1.5 exists. Qt would quietly send one instead.
        if (settings->stopBits == QSerialPort::OneAndHalfStop)
            settings->stopBits = QSerialPort::TwoStop;
#endif
        port->setBaudRate(settings->baudRate);
        port->setParity(settings->parity);
        port->setDataBits(settings->dataBits);
        port->setStopBits(settings->stopBits);
    }
    port->setFlowControl(QSerialPort::NoFlowControl);

    if (!port->open(QIODevice::ReadWrite)) {
        switch (port->error()) {
        case QSerialPort::DeviceNotFoundError:
            fail(Failure::NoSuchPort, path);
            break;
        case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
            // Qt reports a port held by another program as a permission error too.
            if (::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0) {
                fail(Failure::PortBusy, path);
                break;
            }
#endif
            fail(Failure::PermissionDenied, path);
            break;
        default:
            fail(Failure::PortError, port->errorString());
            break;
        }
        return false;
    }
    port->clear(QSerialPort::AllDirections);
    m_serial = std::move(port);
    return true;
}

bool ControllerLink::openTcp()
{
    const std::optional<std::uint32_t> address = LinkAddress::ipv4Address(HostAddress);
    const std::uint16_t port = LinkAddress::tcpPort(HostPort);
    if (!address || port == 0) {
        fail(Failure::BadAddress, HostAddress + QLatin1Char(':') + HostPort);
        return false;
    }
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress(*address), port);
    if (!socket->waitForConnected(ConnectLimitMs)) {
        switch (socket->error()) {
        case QAbstractSocket::ConnectionRefusedError:
            fail(Failure::ConnectionRefused, socket->errorString());
            break;
        case QAbstractSocket::SocketTimeoutError:
            fail(Failure::NoAnswer, socket->errorString());
            break;
        default:
            fail(Failure::NetworkError, socket->errorString());
            break;
        }
        socket->abort();
        return false;
    }
    m_socket = std::move(socket);
    return true;
}

void ControllerLink::CloseLink()
{
    if (m_openIsNet) {
        if (m_socket) {
            m_socket->abort();
            m_socket.reset();
        }
    } else if (m_serial) {
        if (m_serial->isOpen()) {
            m_serial->clear(QSerialPort::AllDirections);
            // Closing puts back the line and time-out settings the port had before the open.
            m_serial->close();
        }
        m_serial.reset();
    }
    ++m_closes;
}

bool ControllerLink::SendCommand(QByteArrayView command)
{
    // A reason left from an earlier exchange must not explain this one.
    m_failure = Failure::None;
    m_failureDetail.clear();
    std::uint16_t crc = 0;
    const std::optional<QByteArray> frame = CommandFrame::encodeRequest(command, &crc);
    if (!frame) {
        fail(Failure::CommandTooLong);
        return false;
    }
    CheckHigh = std::uint8_t(crc >> 8);
    CheckLow = std::uint8_t(crc & 0xFF);

    if (!isOpen()) {
        fail(Failure::NotOpen);
        return false;
    }
    return m_openIsNet ? exchangeTcp(*frame) : exchangeSerial(*frame);
}

bool ControllerLink::finishReply(bool valid)
{
    if (!valid)
        fail(Failure::InvalidReply);
    return valid;
}

bool ControllerLink::exchangeTcp(const QByteArray &frame)
{
    QTcpSocket &socket = *m_socket;
    // A late reply to an earlier command must not pass for the answer to this one. What an
    // event loop let Qt read in between is in its buffer; the rest is drained below.
    if (socket.bytesAvailable() > 0)
        socket.readAll();

#ifdef Q_OS_UNIX
    // The exchange talks to the descriptor itself, as on the serial line: one send, then poll
    // and recv with the time that remains. Qt's buffered socket would add a wake-up of the
    // event dispatcher and two more system calls per exchange for nothing.
    const int fd = int(socket.socketDescriptor());
    auto closed = [this](const QString &why) {
        fail(Failure::NetworkError, why);
        m_socket->abort();
        return false;
    };
    if (fd < 0)
        return closed(QStringLiteral("connection closed"));

    char chunk[CommandFrame::BufferSize];
    // Bounded, so that a peer that never stops talking cannot hold the window here; what is
    // left is noise before the reply, which the receive step skips.
    for (qsizetype drained = 0; drained < 64 * CommandFrame::BufferSize;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            drained += n;
            continue;
        }
        if (n == 0)
            return closed(QStringLiteral("connection closed by the controller"));
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        return closed(QString::fromLocal8Bit(strerror(errno)));
    }

    QElapsedTimer sent;
    sent.start();
    ReplyLength = 0;
    qsizetype written = 0;
    while (written < frame.size()) {
        const ssize_t n = ::send(fd, frame.constData() + written, size_t(frame.size() - written), MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return closed(QString::fromLocal8Bit(strerror(errno)));
        const int left = remaining(sent, NetReplyLimitMs);
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        pollfd p { fd, POLLOUT, 0 };
        ::poll(&p, 1, left);
    }

    ReplyReceiver receiver;
    for (;;) {
        const int left = remaining(sent, NetReplyLimitMs);
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        pollfd p { fd, POLLIN, 0 };
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno != EINTR)
            return closed(QString::fromLocal8Bit(strerror(errno)));
        if (ready <= 0)
            continue; // the loop head decides whether the time is up
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            // The rest of the chunk after a complete reply belongs to nothing and is dropped.
            const auto verdict = receiver.feed(QByteArrayView(chunk, n));
            ReplyLength = receiver.length();
            if (verdict != ReplyReceiver::Verdict::Incomplete) {
                LastReply = receiver.reply();
                return finishReply(verdict == ReplyReceiver::Verdict::Valid);
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        // The controller closed the connection: nothing more can arrive.
        return closed(n == 0 ? QStringLiteral("connection closed by the controller")
                             : QString::fromLocal8Bit(strerror(errno)));
    }
#else
    while (socket.waitForReadyRead(0))
        socket.readAll();

    socket.write(frame);
    QElapsedTimer sent;
    sent.start();
    ReplyLength = 0;
    ReplyReceiver receiver;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remaining(sent, NetReplyLimitMs))) {
            fail(socket.state() == QAbstractSocket::ConnectedState ? Failure::NoAnswer : Failure::NetworkError,
                 socket.errorString());
            return false;
        }
    }

    for (;;) {
        const QByteArray chunk = socket.read(CommandFrame::BufferSize);
        if (!chunk.isEmpty()) {
            const auto verdict = receiver.feed(chunk);
            ReplyLength = receiver.length();
            if (verdict != ReplyReceiver::Verdict::Incomplete) {
                LastReply = receiver.reply();
                socket.readAll(); // what follows the reply belongs to nothing
                return finishReply(verdict == ReplyReceiver::Verdict::Valid);
            }
            if (socket.bytesAvailable() > 0)
                continue;
        }
        const int left = remaining(sent, NetReplyLimitMs);
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        if (!socket.waitForReadyRead(left)) {
            if (socket.error() == QAbstractSocket::SocketTimeoutError || socket.state() == QAbstractSocket::ConnectedState) {
                if (remaining(sent, NetReplyLimitMs) == 0) {
                    fail(Failure::NoAnswer);
                    return false;
                }
                continue;
            }
            // The controller closed the connection: nothing more can arrive.
            fail(Failure::NetworkError, socket.errorString());
            return false;
        }
    }
#endif
}

bool ControllerLink::exchangeSerial(const QByteArray &frame)
{
    QSerialPort &port = *m_serial;
    port.clear(QSerialPort::AllDirections);
    port.readAll();

    QElapsedTimer overall;
    overall.start();
    QElapsedTimer idle;
    idle.start();
    ReplyLength = 0;
    ReplyReceiver receiver;

    auto hangUp = [this](const QString &why) {
        fail(Failure::HungUp, why);
        // Release the device now; the operation's own close then has nothing left to do.
        m_serial->close();
        return false;
    };

#ifdef Q_OS_UNIX
    // The exchange talks to the descriptor directly: poll() reports a hang-up at once, where a
    // wait inside QSerialPort would retry the failing read until its time-out.
    const int fd = int(port.handle());
    qsizetype written = 0;
    while (written < frame.size()) {
        const ssize_t n = ::write(fd, frame.constData() + written, size_t(frame.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return hangUp(QString::fromLocal8Bit(strerror(errno)));
        pollfd p { fd, POLLOUT, 0 };
        const int left = remaining(overall, SerialOverallLimitMs);
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        if (::poll(&p, 1, left) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return hangUp(QStringLiteral("device hung up"));
    }
    idle.restart();

    char chunk[CommandFrame::BufferSize];
    for (;;) {
        const int left = std::min(remaining(idle, SerialIdleLimitMs), remaining(overall, SerialOverallLimitMs));
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        pollfd p { fd, POLLIN, 0 };
        const int ready = ::poll(&p, 1, left);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return hangUp(QString::fromLocal8Bit(strerror(errno)));
        }
        if (ready == 0)
            continue; // the loop head decides which limit ran out
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n > 0) {
                idle.restart();
                const auto verdict = receiver.feed(QByteArrayView(chunk, n));
                ReplyLength = receiver.length();
                if (verdict != ReplyReceiver::Verdict::Incomplete) {
                    LastReply = receiver.reply();
                    return finishReply(verdict == ReplyReceiver::Verdict::Valid);
                }
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            return hangUp(n == 0 ? QStringLiteral("device closed") : QString::fromLocal8Bit(strerror(errno)));
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return hangUp(QStringLiteral("device hung up"));
    }
#else
    port.write(frame);
    while (port.bytesToWrite() > 0) {
        if (!port.waitForBytesWritten(remaining(overall, SerialOverallLimitMs))) {
            if (port.error() != QSerialPort::TimeoutError && port.error() != QSerialPort::NoError)
                return hangUp(port.errorString());
            fail(Failure::NoAnswer);
            return false;
        }
    }
    idle.restart();
    for (;;) {
        const QByteArray chunk = port.readAll();
        if (!chunk.isEmpty()) {
            idle.restart();
            const auto verdict = receiver.feed(chunk);
            ReplyLength = receiver.length();
            if (verdict != ReplyReceiver::Verdict::Incomplete) {
                LastReply = receiver.reply();
                return finishReply(verdict == ReplyReceiver::Verdict::Valid);
            }
        }
        const int left = std::min(remaining(idle, SerialIdleLimitMs), remaining(overall, SerialOverallLimitMs));
        if (left == 0) {
            fail(Failure::NoAnswer);
            return false;
        }
        if (!port.waitForReadyRead(left) && port.error() != QSerialPort::TimeoutError
            && port.error() != QSerialPort::NoError)
            return hangUp(port.errorString());
    }
#endif
}

QString ControllerLink::lastFailureText() const
{
    QString text;
    switch (m_failure) {
    case Failure::None: return QString();
    case Failure::NoSuchPort: text = QStringLiteral("No such port"); break;
    case Failure::PortBusy: text = QStringLiteral("Port busy: another program is using it"); break;
    case Failure::PermissionDenied:
        text = QStringLiteral("Permission denied; on Linux the user must be in the group that owns the port "
                              "(usually dialout)");
        break;
    case Failure::PortError: text = QStringLiteral("The port could not be opened"); break;
    case Failure::BadAddress: text = QStringLiteral("Not an IPv4 address and port"); break;
    case Failure::ConnectionRefused: text = QStringLiteral("Connection refused"); break;
    case Failure::NoAnswer: text = QStringLiteral("No answer"); break;
    case Failure::NetworkError: text = QStringLiteral("Network error"); break;
    case Failure::CommandTooLong:
        text = QStringLiteral("Command longer than %1 characters").arg(CommandFrame::MaxCommandLength);
        break;
    case Failure::InvalidReply: text = QStringLiteral("Invalid reply (checksum)"); break;
    case Failure::HungUp: text = QStringLiteral("The port went away during the exchange"); break;
    case Failure::NotOpen: text = QStringLiteral("The link is not open"); break;
    }
    if (!m_failureDetail.isEmpty())
        text += QStringLiteral(" (") + m_failureDetail + QLatin1Char(')');
    return text;
}
