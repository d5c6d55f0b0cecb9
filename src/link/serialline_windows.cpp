// The serial line on Windows: the device control block and the handle Qt's port holds.
#include "link/serialline.h"

#include <QElapsedTimer>

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

HANDLE openForSettings(const QString &path)
{
    const QString device = QStringLiteral("\\\\.\\");
    const std::wstring name = (path.startsWith(device) ? path : device + path).toStdWString();
    return ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
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

// What Qt's waits report for a removed USB adapter: ReadFile or ClearCommError fail with
// ERROR_ACCESS_DENIED, ERROR_BAD_COMMAND or ERROR_OPERATION_ABORTED, which Qt calls a resource
// error. Anything else but the wait's own time-out is as final for the exchange.
bool waitFailed(const QSerialPort &port)
{
    return port.error() != QSerialPort::TimeoutError && port.error() != QSerialPort::NoError;
}

Transport::IoResult gone(const QSerialPort &port)
{
    return { Transport::Io::Closed, 0, port.errorString() };
}

} // namespace

SerialLine::~SerialLine()
{
    release();
}

std::optional<LineSettings> SerialLine::look(const QString &path)
{
    release();
    // Not held: a COM port is opened without sharing, and Qt's open would find it taken.
    HANDLE h = openForSettings(path);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    DCB dcb {};
    dcb.DCBlength = sizeof(DCB);
    const bool ok = ::GetCommState(h, &dcb);
    ::CloseHandle(h);
    return ok ? std::optional<LineSettings>(lineSettingsOf(dcb)) : std::nullopt;
}

void SerialLine::release()
{
    m_handle = -1;
}

LineSettings SerialLine::supported(LineSettings settings)
{
    // The device control block has 1.5 stop bits of its own.
    return settings;
}

void SerialLine::closeKeepingLine(QSerialPort &port)
{
    const HANDLE handle = port.handle();
    DCB inForce {};
    inForce.DCBlength = sizeof(DCB);
    HANDLE held = nullptr;
    // A second handle on the same open port: Qt's close is then not the last one, so the port
    // stays open while Qt puts back what it had; reopening it would meet the sharing lock.
    if (!::GetCommState(handle, &inForce)
        || !::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &held, 0, FALSE,
                              DUPLICATE_SAME_ACCESS))
        held = nullptr;
    port.close();
    if (!held)
        return;
    DCB line {};
    line.DCBlength = sizeof(DCB);
    if (::GetCommState(held, &line)) {
        line.BaudRate = inForce.BaudRate;
        line.ByteSize = inForce.ByteSize;
        line.Parity = inForce.Parity;
        line.fParity = inForce.fParity;
        line.StopBits = inForce.StopBits;
        ::SetCommState(held, &line);
    }
    ::CloseHandle(held);
}

bool SerialLine::heldByAnother(const QString &path, QSerialPort::SerialPortError)
{
    // Another program's open makes ours fail with access denied (Windows; Qt calls it a
    // permission error) or a sharing violation (Wine; Qt knows no name for it): asked again.
    HANDLE h = openForSettings(path);
    if (h != INVALID_HANDLE_VALUE) {
        ::CloseHandle(h);
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

QString SerialLine::owningGroup(const QString &)
{
    // A COM port has no group: anyone logged in may open it.
    return QString();
}

QString SerialLine::userName()
{
    return qEnvironmentVariable("USERNAME");
}

Transport::IoResult SerialLine::write(QSerialPort &port, QByteArrayView data, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    // An earlier wait's time-out stays set until cleared; only this wait's error may count.
    port.clearError();
    port.write(data.data(), data.size());
    while (port.bytesToWrite() > 0) {
        const int left = int(std::max<qint64>(0, timeoutMs - timer.elapsed()));
        if (!port.waitForBytesWritten(left))
            return waitFailed(port) ? gone(port) : Transport::IoResult { Transport::Io::TimedOut, 0, QString() };
    }
    return { Transport::Io::Ok, data.size(), QString() };
}

Transport::IoResult SerialLine::read(QSerialPort &port, char *buffer, qsizetype capacity, int timeoutMs)
{
    port.clearError();
    if (port.bytesAvailable() == 0 && !port.waitForReadyRead(timeoutMs))
        return waitFailed(port) ? gone(port) : Transport::IoResult { Transport::Io::TimedOut, 0, QString() };
    const qint64 n = port.read(buffer, capacity);
    if (n < 0)
        return gone(port);
    return { Transport::Io::Ok, qsizetype(n), QString() };
}
