#include "link/tcptransport.h"

#include "link/linkaddress.h"
#include "protocol/commandframe.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <climits>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
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
    // Asked for every exchange the monitor sees; the address does not change.
    if (!m_description.isEmpty())
        return m_description;
    const std::optional<std::uint32_t> address = LinkAddress::ipv4Address(m_hostAddress);
    const std::uint16_t port = LinkAddress::tcpPort(m_hostPort);
    m_description = address ? QHostAddress(*address).toString() + QLatin1Char(':') + QString::number(port)
                            : m_hostAddress + QLatin1Char(':') + m_hostPort;
    return m_description;
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

// The exchange talks to the socket itself: one send, then poll and recv with the time that
// remains. Qt's buffered socket would add a wake-up of the event dispatcher and two more system
// calls per exchange for nothing, and its waits leave a time-out error behind on the socket
// each time nothing is there. The socket is non-blocking (Qt makes it so on every system).
namespace {

#ifdef Q_OS_WIN
using SocketFd = SOCKET;
using PollFd = WSAPOLLFD;
constexpr int SendFlags = 0;
constexpr int ReceiveFlags = 0;
int lastError() { return WSAGetLastError(); }
bool wouldBlock(int error) { return error == WSAEWOULDBLOCK; }
bool interrupted(int error) { return error == WSAEINTR; }
int pollOne(PollFd *p, int timeoutMs) { return WSAPoll(p, 1, timeoutMs); }
#else
using SocketFd = int;
using PollFd = pollfd;
constexpr int SendFlags = MSG_NOSIGNAL;
constexpr int ReceiveFlags = MSG_DONTWAIT;
int lastError() { return errno; }
bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }
bool interrupted(int error) { return error == EINTR; }
int pollOne(PollFd *p, int timeoutMs) { return ::poll(p, 1, timeoutMs); }
#endif

QString systemError(int error)
{
    return qt_error_string(error);
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
    if (m_socket->socketDescriptor() < 0)
        return closed(QStringLiteral("connection closed"));
    const auto fd = SocketFd(m_socket->socketDescriptor());
    char chunk[CommandFrame::BufferSize];
    // Bounded, so that a peer that never stops talking cannot hold us here; what is left is
    // noise before the reply, which the receive step skips.
    for (qsizetype drained = 0; drained < 64 * CommandFrame::BufferSize;) {
        const auto n = ::recv(fd, chunk, int(sizeof chunk), ReceiveFlags);
        if (n > 0) {
            drained += n;
            continue;
        }
        if (n == 0)
            return closed(ClosedByController);
        const int error = lastError();
        if (interrupted(error))
            continue;
        if (wouldBlock(error))
            break;
        return closed(systemError(error));
    }
    return {};
}

Transport::IoResult TcpTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    const auto fd = SocketFd(m_socket->socketDescriptor());
    QElapsedTimer timer;
    timer.start();
    qsizetype written = 0;
    while (written < data.size()) {
        const auto n = ::send(fd, data.data() + written, int(data.size() - written), SendFlags);
        if (n > 0) {
            written += n;
            continue;
        }
        const int error = n < 0 ? lastError() : 0;
        if (n < 0 && !wouldBlock(error) && !interrupted(error))
            return closed(systemError(error));
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (left == 0)
            return { Io::TimedOut, written, QString() };
        PollFd p { fd, POLLOUT, 0 };
        pollOne(&p, left);
    }
    return { Io::Ok, written, QString() };
}

Transport::IoResult TcpTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return closed(QStringLiteral("connection closed"));
    // Bytes Qt took in while an event loop ran come first: the system no longer has them.
    if (m_socket->bytesAvailable() > 0)
        return { Io::Ok, qsizetype(m_socket->read(buffer, capacity)), QString() };
    const auto fd = SocketFd(m_socket->socketDescriptor());
    PollFd p { fd, POLLIN, 0 };
    const int ready = pollOne(&p, timeoutMs);
    if (ready < 0) {
        const int error = lastError();
        return interrupted(error) ? IoResult {} : closed(systemError(error));
    }
    if (ready == 0)
        return { Io::TimedOut, 0, QString() };
    const auto n = ::recv(fd, buffer, int(std::min<qsizetype>(capacity, INT_MAX)), ReceiveFlags);
    if (n > 0)
        return { Io::Ok, qsizetype(n), QString() };
    const int error = n < 0 ? lastError() : 0;
    if (n < 0 && (wouldBlock(error) || interrupted(error)))
        return {};
    // The controller closed the connection: nothing more can arrive.
    return closed(n == 0 ? ClosedByController : systemError(error));
}
