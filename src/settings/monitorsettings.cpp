#include "settings/monitorsettings.h"

#include "settings/settingskey.h"

#include <QStringList>
#include <limits>

namespace {

const QString GeometryName = QStringLiteral("MonitorGeometry");
const QString ColumnsName = QStringLiteral("MonitorColumns");
const QString RowsName = QStringLiteral("MonitorRows");
const QString HexName = QStringLiteral("MonitorHex");
const QString LogFileName = QStringLiteral("MonitorLogFile");

// Wider than any screen: a width past it is damage, not a choice.
constexpr int MaxColumnWidth = 10000;

void writeDword(const QString &name, quint32 value)
{
    if (const auto key = SettingsKey::openForWriting()) {
        key->writeDword(name, value);
        key->commit();
    }
}

} // namespace

MonitorSettings MonitorSettings::read()
{
    MonitorSettings settings;
    const auto key = SettingsKey::openForReading();
    if (!key)
        return settings;
    if (const auto text = key->readString(GeometryName))
        settings.geometry = QByteArray::fromBase64(text->toLatin1());
    if (const auto text = key->readString(ColumnsName))
        settings.columnWidths = columnsFromText(*text);
    if (const auto rows = key->readDword(RowsName); rows && *rows > 0 && *rows <= quint32(std::numeric_limits<int>::max()))
        settings.rows = int(*rows);
    if (const auto hex = key->readDword(HexName))
        settings.hexadecimal = *hex != 0;
    if (const auto log = key->readDword(LogFileName))
        settings.logFile = *log != 0;
    return settings;
}

void MonitorSettings::saveLayout(const QByteArray &geometry, const QList<int> &columnWidths)
{
    if (const auto key = SettingsKey::openForWriting()) {
        key->writeString(GeometryName, QString::fromLatin1(geometry.toBase64()));
        key->writeString(ColumnsName, columnsText(columnWidths));
        key->commit();
    }
}

void MonitorSettings::saveRows(int rows)
{
    writeDword(RowsName, quint32(qMax(0, rows)));
}

void MonitorSettings::saveHexadecimal(bool on)
{
    writeDword(HexName, on ? 1 : 0);
}

void MonitorSettings::saveLogFile(bool on)
{
    writeDword(LogFileName, on ? 1 : 0);
}

QString MonitorSettings::columnsText(const QList<int> &widths)
{
    QStringList parts;
    for (const int width : widths)
        parts.append(QString::number(width));
    return parts.join(QLatin1Char(','));
}

QList<int> MonitorSettings::columnsFromText(const QString &text)
{
    QList<int> widths;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int width = part.trimmed().toInt(&ok);
        if (!ok || width <= 0 || width > MaxColumnWidth)
            return {};
        widths.append(width);
    }
    return widths;
}
