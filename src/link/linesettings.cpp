#include "link/linesettings.h"

#include <QStringList>

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;

    LineSettings mode;
    bool ok = false;
    const QString baud = parts[0].trimmed();
    mode.baudRate = baud.toInt(&ok, 10);
    if (!ok || mode.baudRate <= 0 || baud.startsWith(QLatin1Char('+')))
        return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        mode.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        mode.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        mode.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        mode.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        mode.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const QString data = parts[2].trimmed();
    if (data == QLatin1String("5"))
        mode.dataBits = QSerialPort::Data5;
    else if (data == QLatin1String("6"))
        mode.dataBits = QSerialPort::Data6;
    else if (data == QLatin1String("7"))
        mode.dataBits = QSerialPort::Data7;
    else if (data == QLatin1String("8"))
        mode.dataBits = QSerialPort::Data8;
    else
        return std::nullopt;

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        mode.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        mode.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        mode.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return mode;
}

QString LineSettings::toString() const
{
    static const char parityLetters[] = { 'n', '?', 'e', 'o', 's', 'm' };
    const char p = (parity >= 0 && parity < 6) ? parityLetters[parity] : '?';
    const QString stop = stopBits == QSerialPort::OneStop ? QStringLiteral("1")
        : stopBits == QSerialPort::TwoStop                ? QStringLiteral("2")
                                                          : QStringLiteral("1.5");
    return QStringLiteral("%1,%2,%3,%4").arg(baudRate).arg(QLatin1Char(p)).arg(int(dataBits)).arg(stop);
}
