#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

// Serial line settings written as "baud,parity,data bits,stop bits", e.g. "19200,e,8,1".
// Parity n/e/o/m/s (either case), data bits 5 to 8, stop bits 1, 1.5 or 2; blanks around the
// fields are allowed. Anything else is malformed.
struct LineSettings
{
    qint32 baudRate = 19200;
    QSerialPort::Parity parity = QSerialPort::EvenParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    static std::optional<LineSettings> parse(const QString &text);
    QString toString() const;
    bool operator==(const LineSettings &) const = default;
};
