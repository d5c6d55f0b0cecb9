#pragma once

#include "controller/commandplan.h"
#include "profile/parametervalues.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

// The commands that write a set of values, in the catalogue's order. Some commands carry several
// values (language with text encoding; card display with show and use status): a value the set
// does not hold goes out as the controller holds it, so writing one never changes the others.
// Title lines go out in the text encoding the controller will have. The line settings are kept
// apart: once they are written, the controller no longer talks at the ones in use.
struct ParameterWritePlan
{
    CommandPlan commands;        // refused as a whole when one value cannot go out
    bool needsRestart = false;   // a value written takes effect only after a restart
    std::optional<QByteArray> lineSettingsCommand; // "AE.." to send last, if the set holds baud-rate
    QStringList names;           // the values written, in the order their commands go out

    static ParameterWritePlan build(const ParameterValues &toWrite, const ParameterValues &controller, const QByteArray &model);
};
