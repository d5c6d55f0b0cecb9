#include "settings/jigsettings.h"

#include "settings/settingskey.h"

#include <QSysInfo>

namespace {

const QString StationName = QStringLiteral("JigStation");
const QString OperatorName = QStringLiteral("JigOperator");
const QString MapName = QStringLiteral("JigMapFile");
const QString StoreName = QStringLiteral("JigRecordStore");
const QString EngineeringName = QStringLiteral("JigEngineering");
const QString CertificateName = QStringLiteral("JigCertificate");
const QString CertificateFolderName = QStringLiteral("JigCertificateFolder");

void readString(const SettingsKey &key, const QString &name, QString &target)
{
    if (const std::optional<QString> text = key.readString(name))
        target = *text;
}

} // namespace

JigSettings JigSettings::defaults()
{
    JigSettings settings;
    // A station needs a name before its first unit; the PC's is one nobody has to type.
    settings.station = QSysInfo::machineHostName();
    return settings;
}

JigSettings JigSettings::read()
{
    JigSettings settings = defaults();
    if (const auto key = SettingsKey::openForReading()) {
        readString(*key, StationName, settings.station);
        readString(*key, OperatorName, settings.operatorName);
        readString(*key, MapName, settings.jigMapPath);
        readString(*key, StoreName, settings.recordStore);
        settings.engineering = key->readDword(EngineeringName).value_or(0) == 1;
        settings.certificate = key->readDword(CertificateName).value_or(0) == 1;
        readString(*key, CertificateFolderName, settings.certificateFolder);
    }
    return settings;
}

bool JigSettings::save() const
{
    const auto key = SettingsKey::openForWriting();
    if (!key)
        return false;
    const bool written = key->writeString(StationName, station) && key->writeString(OperatorName, operatorName)
        && key->writeString(MapName, jigMapPath) && key->writeString(StoreName, recordStore)
        && key->writeDword(EngineeringName, engineering ? 1 : 0) && key->writeDword(CertificateName, certificate ? 1 : 0)
        && key->writeString(CertificateFolderName, certificateFolder);
    return key->commit() && written;
}
