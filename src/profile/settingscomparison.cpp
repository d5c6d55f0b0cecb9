#include "profile/settingscomparison.h"

#include "profile/settingcatalog.h"

#include <algorithm>

QList<SettingDifference> SettingsComparison::compare(const SettingValues &controller, const SettingValues &profile)
{
    QList<SettingDifference> rows;
    for (auto it = profile.cbegin(); it != profile.cend(); ++it) {
        SettingDifference row;
        row.name = it.key();
        row.profileValue = it.value();
        const auto current = controller.constFind(it.key());
        if (current == controller.cend()) {
            row.state = SettingDifference::State::Unknown;
        } else {
            row.controllerValue = *current;
            row.state = *current == *it ? SettingDifference::State::Same : SettingDifference::State::Differs;
        }
        rows.append(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SettingDifference &a, const SettingDifference &b) {
        return SettingCatalog::orderOf(a.name) < SettingCatalog::orderOf(b.name);
    });
    return rows;
}

QList<SettingDifference> SettingsComparison::differing(const QList<SettingDifference> &rows)
{
    QList<SettingDifference> out;
    for (const SettingDifference &row : rows)
        if (row.state != SettingDifference::State::Same)
            out.append(row);
    return out;
}
