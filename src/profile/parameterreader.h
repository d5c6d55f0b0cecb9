#pragma once

#include "controller/readback.h"
#include "link/linksettings.h"
#include "profile/parametervalues.h"

#include <QByteArray>
#include <QString>
#include <optional>

class ControllerSession;

// What a controller holds, by name: its model from the version ("AV"), every value of the
// read-back, and the line settings of a serial link that talks to it. Values a controller
// cannot report are absent.
class ParameterReader
{
public:
    struct Model
    {
        QByteArray model;    // "ZO425"
        QString versionText; // as the version panel shows it
    };

    // On the open link, with the session's ID.
    static std::optional<Model> readModel(ControllerSession &session, QString *why);
    // Both ranges of the read-back must come; one alone would leave half the values unknown.
    static std::optional<ParameterValues> readValues(ControllerSession &session, const QByteArray &model, QString *why);

    // The values a read-back gives, for this model (a value the model does not have is left out).
    static ParameterValues fromReadBack(const ReadBack::First &first, const ReadBack::Second &second,
                                      const QByteArray &model);
    // The baud-rate value a serial link proves: the controller answers at these line settings.
    // Nothing over TCP, or for line settings the controller cannot be set to.
    static std::optional<QString> baudRateOf(const LinkSettings &link);
};
