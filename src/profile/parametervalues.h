#pragma once

#include <QMap>
#include <QString>

// Values of a controller's set-up by name (ParameterCatalog), each as its canonical text.
using ParameterValues = QMap<QString, QString>;
