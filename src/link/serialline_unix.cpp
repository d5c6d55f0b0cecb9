// The serial line on a Unix system: termios and the descriptor Qt's port holds.
#include "link/serialline.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Every speed termios can name: one missing here would turn into 9600 at the open.
qint32 baudOf(speed_t speed)
{
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
    for (const auto &entry : speeds)
        if (entry.code == speed)
            return entry.baud;
    return 9600;
}

#ifdef CMSPAR
constexpr tcflag_t MarkOrSpace = CMSPAR;
#else
constexpr tcflag_t MarkOrSpace = 0;
#endif
constexpr tcflag_t Framing = CSIZE | PARENB | PARODD | CSTOPB | MarkOrSpace;

LineSettings lineSettingsOf(const termios &t)
{
    LineSettings s;
    s.baudRate = baudOf(::cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = QSerialPort::Data5; break;
    case CS6: s.dataBits = QSerialPort::Data6; break;
    case CS7: s.dataBits = QSerialPort::Data7; break;
    default: s.dataBits = QSerialPort::Data8; break;
    }
    if (!(t.c_cflag & PARENB))
        s.parity = QSerialPort::NoParity;
    else if (t.c_cflag & MarkOrSpace)
        s.parity = (t.c_cflag & PARODD) ? QSerialPort::MarkParity : QSerialPort::SpaceParity;
    else
        s.parity = (t.c_cflag & PARODD) ? QSerialPort::OddParity : QSerialPort::EvenParity;
    s.stopBits = (t.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return s;
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Transport::IoResult gone(const QString &why)
{
    return { Transport::Io::Closed, 0, why };
}

} // namespace

SerialLine::~SerialLine()
{
    release();
}

std::optional<LineSettings> SerialLine::look(const QString &path)
{
    release();
    // Non-blocking, so that a modem line without carrier cannot hold the open.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    m_handle = fd;
    termios t {};
    if (::tcgetattr(fd, &t) != 0)
        return std::nullopt;
    return lineSettingsOf(t);
}

void SerialLine::release()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
}

LineSettings SerialLine::supported(LineSettings settings)
{
    // termios has no 1.5 stop bits: a UART asked for two sends 1.5 with 5-bit characters,
    // which is the one framing where 1.5 exists. Qt would quietly send one instead.
    if (settings.stopBits == QSerialPort::OneAndHalfStop)
        settings.stopBits = QSerialPort::TwoStop;
    return settings;
}

void SerialLine::closeKeepingLine(QSerialPort &port)
{
    const int fd = int(port.handle());
    termios inForce {};
    // A second descriptor on the same open file: Qt's close is then not the last one, so the
    // device is neither hung up nor let go while Qt puts back what it had before the open. A
    // second open would meet the exclusive lock instead.
    const int held = ::tcgetattr(fd, &inForce) == 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
    port.close();
    if (held < 0)
        return;
    termios line {};
    if (::tcgetattr(held, &line) == 0) {
        line.c_cflag = (line.c_cflag & ~Framing) | (inForce.c_cflag & Framing);
        ::cfsetispeed(&line, ::cfgetispeed(&inForce));
        ::cfsetospeed(&line, ::cfgetospeed(&inForce));
        // A pseudo-terminal drops parity and says so with a failure; the speed has been set.
        ::tcsetattr(held, TCSANOW, &line);
    }
    ::close(held);
}

bool SerialLine::heldByAnother(const QString &path, QSerialPort::SerialPortError error)
{
    // Qt reports a port held by another program (EBUSY) as a permission error too.
    return error == QSerialPort::PermissionError && ::access(path.toLocal8Bit().constData(), R_OK | W_OK) == 0;
}

QString SerialLine::owningGroup(const QString &path)
{
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return QString();
    const group *owner = ::getgrgid(st.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(st.st_gid);
}

QString SerialLine::userName()
{
    // The real user: the one whose groups decide the open, whatever the environment says.
    const passwd *user = ::getpwuid(::getuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid());
}

// The descriptor is used directly: poll() reports a hang-up at once, where a wait inside
// QSerialPort would retry the failing read until its time-out.
Transport::IoResult SerialLine::write(QSerialPort &port, QByteArrayView data, int timeoutMs)
{
    const int fd = int(port.handle());
    QElapsedTimer timer;
    timer.start();
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, size_t(data.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return gone(systemError(errno));
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (left == 0)
            return { Transport::Io::TimedOut, written, QString() };
        pollfd p { fd, POLLOUT, 0 };
        if (::poll(&p, 1, left) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return gone(QStringLiteral("device hung up"));
    }
    return { Transport::Io::Ok, written, QString() };
}

Transport::IoResult SerialLine::read(QSerialPort &port, char *buffer, qsizetype capacity, int timeoutMs)
{
    const int fd = int(port.handle());
    pollfd p { fd, POLLIN, 0 };
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? Transport::IoResult {} : gone(systemError(errno));
    if (ready == 0)
        return { Transport::Io::TimedOut, 0, QString() };
    // A removed adapter, or a pseudo-terminal whose other side went: EIO, ENXIO or ENODEV on
    // the read, or a hang-up poll reports without data.
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(fd, buffer, size_t(capacity));
        if (n > 0)
            return { Transport::Io::Ok, qsizetype(n), QString() };
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return {};
        return gone(n == 0 ? QStringLiteral("device closed") : systemError(errno));
    }
    return gone(QStringLiteral("device hung up"));
}
