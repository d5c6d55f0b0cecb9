#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

// One step of a unit's test as it is kept: what was checked, what was expected, what the
// controller showed, and, when an exchange failed, why.
struct StepRecord
{
    int index = 0;     // 1, 2, ... in the order the steps ran
    QString name;      // "Set clock", "DO1 alone", ...
    QString expected;
    QString measured;
    bool passed = false;
    QString why;       // empty unless the step could not be measured; "reason" in the JSON and the store

    QJsonObject toJson() const;
    // place names the object in messages, e.g. "steps[2]".
    static std::optional<StepRecord> fromJson(const QJsonObject &object, const QString &place, QString *why);

    friend bool operator==(const StepRecord &, const StepRecord &) = default;
};
