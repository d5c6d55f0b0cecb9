#include "link/tcptransport.h"

#include "link/linkaddress.h"
#include "protocol/commandframe.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#endif

TcpTransport::TcpTransport(const QString &hostAddress, const QString &hostPort, int connectLimitMs)
    : m_hostAddress(hostAddress)
    , m_hostPort(hostPort)
    , m_connectLimitMs(connectLimitMs)
{
}

TcpTransport::~TcpTransport()
{
    close();
}

QString TcpTransport::description() const
{
    const std::optional<std::uint32_t> address = LinkAddress::ipv4Address(m_hostAddress);
    const std::uint16_t port = LinkAddress::tcpPort(m_hostPort);
    if (!address)
        return m_hostAddress + QLatin1Char(':') + m_hostPort;
    return QHostAddress(*address).toString() + QLatin1Char(':') + QString::number(port);
}

bool TcpTransport::isOpen() const
{
    return m_socket && m_socket->state() != QAbstractSocket::UnconnectedState;
}

bool TcpTransport::open(OpenFailure *failure, QString *detail)
{
    close();
    const std::optional<std::uint32_t> address = LinkAddress::ipv4Address(m_hostAddress);
    const std::uint16_t port = LinkAddress::tcpPort(m_hostPort);
    if (!address || port == 0) {
        *failure = OpenFailure::BadAddress;
        *detail = m_hostAddress + QLatin1Char(':') + m_hostPort;
        return false;
    }
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress(*address), port);
    if (!socket->waitForConnected(m_connectLimitMs)) {
        switch (socket->error()) {
        case QAbstractSocket::ConnectionRefusedError: *failure = OpenFailure::ConnectionRefused; break;
        case QAbstractSocket::SocketTimeoutError: *failure = OpenFailure::NoAnswer; break;
        default: *failure = OpenFailure::NetworkError; break;
        }
        *detail = socket->errorString();
        socket->abort();
        return false;
    }
    m_socket = std::move(socket);
    return true;
}

void TcpTransport::close()
{
    if (!m_socket)
        return;
    m_socket->abort();
    m_socket.reset();
}

Transport::IoResult TcpTransport::closed(const QString &why)
{
    if (m_socket)
        m_socket->abort();
    return { Io::Closed, 0, why };
}

#ifdef Q_OS_UNIX
// The exchange talks to the descriptor itself: one send, then poll and recv with the time that
// remains. Qt's buffered socket would add a wake-up of the event dispatcher and two more system
// calls per exchange for nothing.
namespace {
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
const QString ClosedByController = QStringLiteral("connection closed by the controller");
} // namespace

Transport::IoResult TcpTransport::discardInput()
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    // What an event loop let Qt read in between is in its buffer; the rest waits in the system.
    if (m_socket->bytesAvailable() > 0)
        m_socket->readAll();
    const int fd = int(m_socket->socketDescriptor());
    if (fd < 0)
        return closed(QStringLiteral("connection closed"));
    char chunk[CommandFrame::BufferSize];
    // Bounded, so that a peer that never stops talking cannot hold us here; what is left is
    // noise before the reply, which the receive step skips.
    for (qsizetype drained = 0; drained < 64 * CommandFrame::BufferSize;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            drained += n;
            continue;
        }
        if (n == 0)
            return closed(ClosedByController);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        return closed(systemError());
    }
    return {};
}

Transport::IoResult TcpTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    const int fd = int(m_socket->socketDescriptor());
    QElapsedTimer timer;
    timer.start();
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::send(fd, data.data() + written, size_t(data.size() - written), MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return closed(systemError());
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (left == 0)
            return { Io::TimedOut, written, QString() };
        pollfd p { fd, POLLOUT, 0 };
        ::poll(&p, 1, left);
    }
    return { Io::Ok, written, QString() };
}

Transport::IoResult TcpTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    const int fd = int(m_socket->socketDescriptor());
    pollfd p { fd, POLLIN, 0 };
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? IoResult {} : closed(systemError());
    if (ready == 0)
        return { Io::TimedOut, 0, QString() };
    const ssize_t n = ::recv(fd, buffer, size_t(capacity), MSG_DONTWAIT);
    if (n > 0)
        return { Io::Ok, qsizetype(n), QString() };
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return {};
    // The controller closed the connection: nothing more can arrive.
    return closed(n == 0 ? ClosedByController : systemError());
}
#else
Transport::IoResult TcpTransport::discardInput()
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    while (m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(0))
        m_socket->readAll();
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return closed(m_socket->errorString());
    return {};
}

Transport::IoResult TcpTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    QElapsedTimer timer;
    timer.start();
    m_socket->write(data.data(), data.size());
    while (m_socket->bytesToWrite() > 0) {
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (!m_socket->waitForBytesWritten(left)) {
            if (m_socket->state() != QAbstractSocket::ConnectedState)
                return closed(m_socket->errorString());
            return { Io::TimedOut, 0, QString() };
        }
    }
    return { Io::Ok, data.size(), QString() };
}

Transport::IoResult TcpTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(timeoutMs)) {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return closed(m_socket->errorString());
        return { Io::TimedOut, 0, QString() };
    }
    const qint64 n = m_socket->read(buffer, capacity);
    if (n < 0)
        return closed(m_socket->errorString());
    return { Io::Ok, qsizetype(n), QString() };
}
#endif
