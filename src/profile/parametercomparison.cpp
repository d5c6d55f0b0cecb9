#include "profile/parametercomparison.h"

#include "profile/parametercatalog.h"

#include <algorithm>

QList<ParameterDifference> ParameterComparison::compare(const ParameterValues &controller, const ParameterValues &profile)
{
    QList<ParameterDifference> rows;
    for (auto it = profile.cbegin(); it != profile.cend(); ++it) {
        ParameterDifference row;
        row.name = it.key();
        row.profileValue = it.value();
        const auto current = controller.constFind(it.key());
        if (current == controller.cend()) {
            row.state = ParameterDifference::State::Unknown;
        } else {
            row.controllerValue = *current;
            row.state = *current == *it ? ParameterDifference::State::Same : ParameterDifference::State::Differs;
        }
        rows.append(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ParameterDifference &a, const ParameterDifference &b) {
        return ParameterCatalog::orderOf(a.name) < ParameterCatalog::orderOf(b.name);
    });
    return rows;
}

QList<ParameterDifference> ParameterComparison::differing(const QList<ParameterDifference> &rows)
{
    QList<ParameterDifference> out;
    for (const ParameterDifference &row : rows)
        if (row.state != ParameterDifference::State::Same)
            out.append(row);
    return out;
}
