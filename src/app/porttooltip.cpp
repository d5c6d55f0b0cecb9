#include "app/porttooltip.h"

#include "i18n/texttable.h"

#include <QStringList>

QString PortToolTip::text(const SerialPortEntry &port, int languageIndex)
{
    QStringList lines;
    if (!port.description.isEmpty())
        lines.append(port.description);
    const auto labelled = [&](int label, const QString &value) {
        if (!value.isEmpty())
            lines.append(TextTable::text(label, languageIndex) + QLatin1Char(' ') + value);
    };
    labelled(TextTable::PortMakerTip, port.manufacturer);
    labelled(TextTable::PortSerialNumberTip, port.serialNumber);
    labelled(TextTable::PortDeviceTip, port.location);
    labelled(TextTable::PortStablePathTip, port.stablePath);
    return lines.join(QLatin1Char('\n'));
}

QString PortToolTip::adapter(const SerialPortEntry &port)
{
    QStringList words;
    for (const QString &word : { port.manufacturer, port.description, port.serialNumber })
        if (!word.isEmpty())
            words.append(word);
    if (!words.isEmpty())
        return words.join(QLatin1Char(' '));
    return port.stablePath.isEmpty() ? port.location : port.stablePath;
}

QString PortToolTip::beside(const SerialPortEntry &port)
{
    QStringList parts;
    for (const QString &word : { port.manufacturer, port.description, port.serialNumber })
        if (!word.isEmpty())
            parts.append(word);
    const QString words = parts.join(QLatin1Char(' '));
    parts.clear();
    if (!words.isEmpty())
        parts.append(words);
    if (!port.stablePath.isEmpty())
        parts.append(port.stablePath);
    return parts.join(QStringLiteral("  "));
}
