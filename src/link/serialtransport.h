#pragma once

#include "link/linesettings.h"
#include "link/transport.h"

#include <QString>
#include <memory>
#include <optional>

class QSerialPort;

// A serial port opened exclusively by name, with the line settings of a mode string. A
// malformed mode string opens the port with the line settings it has, which after an earlier
// operation are the ones that operation set: closing restores only the port's time-outs and
// leaves the line as the open set it. A device that goes away while open (an adapter pulled
// out) closes the port at once; lostBecause() then says so.
class SerialTransport : public Transport
{
public:
    SerialTransport(const QString &portName, const QString &lineMode);
    ~SerialTransport() override;

    bool open(OpenFailure *failure, QString *detail) override;
    void close() override;
    bool isOpen() const override;
    ExchangeLimits defaultLimits() const override { return ExchangeLimits::serial(); }
    QString description() const override;
    OpenFailure lostBecause() const override { return m_lost; }

    IoResult discardInput() override;
    IoResult write(QByteArrayView data, int timeoutMs) override;
    IoResult read(char *buffer, qsizetype capacity, int timeoutMs) override;

    // The device path the port name stands for.
    QString devicePath() const { return m_path; }

private:
    IoResult hangUp(const IoResult &gone);

    QString m_portName;
    QString m_lineMode;
    QString m_path;
    std::optional<LineSettings> m_inForce;
    std::unique_ptr<QSerialPort> m_port;
    OpenFailure m_lost = OpenFailure::None;
};
