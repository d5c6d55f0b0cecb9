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
    return lines.join(QLatin1Char('\n'));
}
