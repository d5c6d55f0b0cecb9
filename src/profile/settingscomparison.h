#pragma once

#include "profile/settingdifference.h"
#include "profile/settingvalues.h"

#include <QList>

// A profile's values beside the controller's, one row per value of the profile, in the
// catalogue's order. Values the profile does not hold are not its business.
class SettingsComparison
{
public:
    static QList<SettingDifference> compare(const SettingValues &controller, const SettingValues &profile);
    // The rows that are not Same.
    static QList<SettingDifference> differing(const QList<SettingDifference> &rows);
};
