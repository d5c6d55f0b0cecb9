#pragma once

#include <QString>

// One value of a profile beside the controller's.
struct ParameterDifference
{
    enum class State {
        Same,
        Differs,
        Unknown, // the controller cannot report it (or did not): nobody can tell
    };
    QString name;
    QString controllerValue; // empty when Unknown
    QString profileValue;
    State state = State::Same;
};
