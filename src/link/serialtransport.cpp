#include "link/serialtransport.h"

#include "link/linkaddress.h"
#include "link/serialline.h"

#include <QSerialPort>

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
    m_lost = OpenFailure::None;
    if (m_portName.isEmpty()) {
        *failure = OpenFailure::NoSuchPort;
        return false;
    }
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(m_path);
    std::optional<LineSettings> settings = LineSettings::parse(m_lineMode);
    // Held through Qt's open (on Unix): the look costs the device no hang-up of its own.
    SerialLine look;
    if (!settings)
        settings = look.look(m_path);
    if (settings) {
        settings = SerialLine::supported(*settings);
        port->setBaudRate(settings->baudRate);
        port->setParity(settings->parity);
        port->setDataBits(settings->dataBits);
        port->setStopBits(settings->stopBits);
    }
    port->setFlowControl(QSerialPort::NoFlowControl);

    const bool opened = port->open(QIODevice::ReadWrite);
    look.release();
    if (!opened) {
        const QSerialPort::SerialPortError error = port->error();
        *detail = m_path;
        if (SerialLine::heldByAnother(m_path, error))
            *failure = OpenFailure::PortBusy;
        else if (error == QSerialPort::DeviceNotFoundError)
            *failure = OpenFailure::NoSuchPort;
        else if (error == QSerialPort::PermissionError)
            *failure = OpenFailure::PermissionDenied;
        else {
            *failure = OpenFailure::PortError;
            *detail = port->errorString();
        }
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
        // The time-outs go back to what the device had; the line stays as the open set it, so
        // that the next operation (whose mode string may be malformed) finds the line the last
        // one used, and a program at the other end sees the hang-up at that speed.
        SerialLine::closeKeepingLine(*m_port);
    }
    m_port.reset();
}

Transport::IoResult SerialTransport::hangUp(const IoResult &gone)
{
    // Release the device now; the operation's own close then has nothing left to do.
    if (m_port)
        m_port->close();
    m_lost = OpenFailure::DeviceRemoved;
    return gone;
}

Transport::IoResult SerialTransport::discardInput()
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    m_port->clear(QSerialPort::AllDirections);
    m_port->readAll();
    return {};
}

Transport::IoResult SerialTransport::write(QByteArrayView data, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    const IoResult result = SerialLine::write(*m_port, data, timeoutMs);
    return result.status == Io::Closed ? hangUp(result) : result;
}

Transport::IoResult SerialTransport::read(char *buffer, qsizetype capacity, int timeoutMs)
{
    if (!isOpen())
        return { Io::Closed, 0, QStringLiteral("port not open") };
    const IoResult result = SerialLine::read(*m_port, buffer, capacity, timeoutMs);
    return result.status == Io::Closed ? hangUp(result) : result;
}
