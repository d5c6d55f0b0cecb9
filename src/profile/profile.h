#pragma once

#include "profile/parametervalues.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A controller's set-up kept for others of its model: the values by name, the model they were
// made for, when, and from which controller.
struct Profile
{
    QByteArray model;    // "ZO425": the first five characters of the controller's version
    QDateTime created;
    QString madeBy;      // the program and its version
    QByteArray serialNumber; // of the controller it was saved from; may be empty
    ParameterValues values;
};
