#pragma once

#include <QMap>
#include <QString>

// Values of a controller's set-up by name (SettingCatalog), each as its canonical text.
using SettingValues = QMap<QString, QString>;
