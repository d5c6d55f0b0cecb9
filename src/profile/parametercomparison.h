#pragma once

#include "profile/parameterdifference.h"
#include "profile/parametervalues.h"

#include <QList>

// A profile's values beside the controller's, one row per value of the profile, in the
// catalogue's order. Values the profile does not hold are not its business.
class ParameterComparison
{
public:
    static QList<ParameterDifference> compare(const ParameterValues &controller, const ParameterValues &profile);
    // The rows that are not Same.
    static QList<ParameterDifference> differing(const QList<ParameterDifference> &rows);
};
