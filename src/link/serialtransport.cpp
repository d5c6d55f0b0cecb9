#include "link/serialtransport.h"

#include "link/linkaddress.h"

#include <QElapsedTimer>
#include <QSerialPort>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// The device's settings before we open it: opened on its own for a moment, non-blocking so
// that a modem line without carrier cannot hold us.
std::optional<termios> termiosOf(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    termios t {};
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    return ok ? std::optional<termios>(t) : std::nullopt;
}

// The speed and framing in force at the close, put back after Qt has restored everything the
// device had before the open. Its time-outs (VMIN, VTIME) and its input and output processing
// stay as they were restored: those belong to whoever uses the device next.
void keepLine(const QString &path, const termios &inForce)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    termios line {};
    if (::tcgetattr(fd, &line) == 0) {
        tcflag_t framing = CSIZE | PARENB | PARODD | CSTOPB;
#ifdef CMSPAR
        framing |= CMSPAR;
#endif
        line.c_cflag = (line.c_cflag & ~framing) | (inForce.c_cflag & framing);
        ::cfsetispeed(&line, ::cfgetispeed(&inForce));
        ::cfsetospeed(&line, ::cfgetospeed(&inForce));
        // A pseudo-terminal drops parity and says so with a failure; the speed has been set.
        ::tcsetattr(fd, TCSANOW, &line);
    }
    ::close(fd);
}

LineSettings lineSettingsOf(const termios &t)
{
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

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

#ifdef Q_OS_WIN
HANDLE openForSettings(const QString &path)
{
    const QString device = QStringLiteral("\\\\.\\");
    const std::wstring name = (path.startsWith(device) ? path : device + path).toStdWString();
    return ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A COM port is opened without sharing: another program's open makes ours fail with access
// denied (Windows; Qt calls it a permission error) or a sharing violation (Wine; Qt knows no
// name for it). Asked again here, as the Unix branch asks access().
bool heldByAnother(const QString &path)
{
    HANDLE h = openForSettings(path);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// The port's settings before we open it, from a handle of our own held for a moment.
bool readCommState(const QString &path, DCB *dcb)
{
    HANDLE h = openForSettings(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    dcb->DCBlength = sizeof(DCB);
    const bool ok = ::GetCommState(h, dcb);
    ::CloseHandle(h);
    return ok;
}

// As on Unix: speed and framing stay, the rest of the device control block is what Qt restored.
void keepLine(const QString &path, const DCB &inForce)
{
    HANDLE h = openForSettings(path);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DCB line {};
    line.DCBlength = sizeof(DCB);
    if (::GetCommState(h, &line)) {
        line.BaudRate = inForce.BaudRate;
        line.ByteSize = inForce.ByteSize;
        line.Parity = inForce.Parity;
        line.fParity = inForce.fParity;
        line.StopBits = inForce.StopBits;
        ::SetCommState(h, &line);
    }
    ::CloseHandle(h);
}

LineSettings lineSettingsOf(const DCB &dcb)
{
    LineSettings s;
    s.baudRate = qint32(dcb.BaudRate);
    switch (dcb.ByteSize) {
    case 5: s.dataBits = QSerialPort::Data5; break;
    case 6: s.dataBits = QSerialPort::Data6; break;
    case 7: s.dataBits = QSerialPort::Data7; break;
    default: s.dataBits = QSerialPort::Data8; break;
    }
    switch (dcb.Parity) {
    case EVENPARITY: s.parity = QSerialPort::EvenParity; break;
    case ODDPARITY: s.parity = QSerialPort::OddParity; break;
    case MARKPARITY: s.parity = QSerialPort::MarkParity; break;
    case SPACEPARITY: s.parity = QSerialPort::SpaceParity; break;
    default: s.parity = QSerialPort::NoParity; break;
    }
    s.stopBits = dcb.StopBits == TWOSTOPBITS ? QSerialPort::TwoStop
        : dcb.StopBits == ONE5STOPBITS       ? QSerialPort::OneAndHalfStop
                                             : QSerialPort::OneStop;
    return s;
}
#endif

} // namespace

SerialTransport::SerialTransport(const QString &portName, const QString &lineMode)
    : m_portName(portName)
    , m_lineMode(lineMode)
    , m_path(LinkAddress::serialDevicePath(portName))
{
}

SerialTransport::~SerialTransport()
{
    close();
}

QString SerialTransport::description() const
{
    const QString line = m_inForce ? m_inForce->toString() : m_lineMode;
    return m_portName + QLatin1Char(' ') + line;
}

bool SerialTransport::isOpen() const
{
    return m_port && m_port->isOpen();
}

bool SerialTransport::open(OpenFailure *failure, QString *detail)
{
    close();
    m_inForce.reset();
    if (m_portName.isEmpty()) {
        *failure = OpenFailure::NoSuchPort;
        return false;
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(m_path);
    std::optional<LineSettings> settings = LineSettings::parse(m_lineMode);
#ifdef Q_OS_UNIX
    if (!settings) {
        if (const std::optional<termios> before = termiosOf(m_path))
            settings = lineSettingsOf(*before);
    }
#elif defined(Q_OS_WIN)
    DCB dcb {};
    if (!settings && readCommState(m_path, &dcb))
        settings = lineSettingsOf(dcb);
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
            *failure = OpenFailure::NoSuchPort;
            *detail = m_path;
            break;
        case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
            // Qt reports a port held by another program as a permission error too.
            if (::access(m_path.toLocal8Bit().constData(), R_OK | W_OK) == 0) {
                *failure = OpenFailure::PortBusy;
                *detail = m_path;
                break;
            }
#endif
            *failure = OpenFailure::PermissionDenied;
            *detail = m_path;
            break;
        default:
            *failure = OpenFailure::PortError;
            *detail = port->errorString();
            break;
        }
#ifdef Q_OS_WIN
        if (heldByAnother(m_path)) {
            *failure = OpenFailure::PortBusy;
            *detail = m_path;
        }
#endif
        return false;
    }
    port->clear(QSerialPort::AllDirections);
    m_inForce = LineSettings { port->baudRate(), port->parity(), port->dataBits(), port->stopBits() };
    m_port = std::move(port);
    return true;
}

void SerialTransport::close()
{
    if (!m_port)
        return;
    if (m_port->isOpen()) {
        m_port->clear(QSerialPort::AllDirections);
        // Qt puts back everything the port had before the open. The time-outs should go back;
        // the line should stay as the open set it, so that the next operation (whose mode
        // string may be malformed) finds the line the last one used.
#ifdef Q_OS_UNIX
        termios inForce {};
        const bool known = ::tcgetattr(int(m_port->handle()), &inForce) == 0;
        m_port->close();
        if (known)
            keepLine(m_path, inForce);
#elif defined(Q_OS_WIN)
        DCB inForce {};
        inForce.DCBlength = sizeof(DCB);
        const bool known = ::GetCommState(m_port->handle(), &inForce);
        m_port->close();
        if (known)
            keepLine(m_path, inForce);
#else
        m_port->close();
#endif
    }
    m_port.reset();
}

Transport::IoResult SerialTransport::hangUp(const QString &why)
{
    // Release the device now; the operation's own close then has nothing left to do.
    if (m_port)
        m_port->close();
    return { Io::Closed, 0, why };
}

Transport::IoResult SerialTransport::discardInput()
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    m_port->clear(QSerialPort::AllDirections);
    m_port->readAll();
    return {};
}

#ifdef Q_OS_UNIX
// The descriptor is used directly: poll() reports a hang-up at once, where a wait inside
// QSerialPort would retry the failing read until its time-out.
Transport::IoResult SerialTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    const int fd = int(m_port->handle());
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
            return hangUp(systemError());
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (left == 0)
            return { Io::TimedOut, written, QString() };
        pollfd p { fd, POLLOUT, 0 };
        if (::poll(&p, 1, left) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return hangUp(QStringLiteral("device hung up"));
    }
    return { Io::Ok, written, QString() };
}

Transport::IoResult SerialTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    const int fd = int(m_port->handle());
    pollfd p { fd, POLLIN, 0 };
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? IoResult {} : hangUp(systemError());
    if (ready == 0)
        return { Io::TimedOut, 0, QString() };
    if (p.revents & POLLIN) {
        const ssize_t n = ::read(fd, buffer, size_t(capacity));
        if (n > 0)
            return { Io::Ok, qsizetype(n), QString() };
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return {};
        return hangUp(n == 0 ? QStringLiteral("device closed") : systemError());
    }
    return hangUp(QStringLiteral("device hung up"));
}
#else
Transport::IoResult SerialTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    QElapsedTimer timer;
    timer.start();
    // An earlier wait's time-out stays set until cleared; only this wait's error may count.
    m_port->clearError();
    m_port->write(data.data(), data.size());
    while (m_port->bytesToWrite() > 0) {
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (!m_port->waitForBytesWritten(left)) {
            if (m_port->error() != QSerialPort::TimeoutError && m_port->error() != QSerialPort::NoError)
                return hangUp(m_port->errorString());
            return { Io::TimedOut, 0, QString() };
        }
    }
    return { Io::Ok, data.size(), QString() };
}

Transport::IoResult SerialTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    m_port->clearError();
    if (m_port->bytesAvailable() == 0 && !m_port->waitForReadyRead(timeoutMs)) {
        if (m_port->error() != QSerialPort::TimeoutError && m_port->error() != QSerialPort::NoError)
            return hangUp(m_port->errorString());
        return { Io::TimedOut, 0, QString() };
    }
    const qint64 n = m_port->read(buffer, capacity);
    if (n < 0)
        return hangUp(m_port->errorString());
    return { Io::Ok, qsizetype(n), QString() };
}
#endif
