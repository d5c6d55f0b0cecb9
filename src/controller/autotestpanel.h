#pragma once

#include "controller/autotestreplies.h"

#include <QString>
#include <array>

// What the automatic test reads from and shows to the operator, pass after pass: the four
// output switches, the clock and input lamps, the record the controller reports now and then.
class AutoTestPanel
{
public:
    virtual ~AutoTestPanel() = default;
    virtual std::array<bool, 4> outputs() const = 0;
    // The clock and inputs 1 to 4 of an "IE" reply.
    virtual void showInputs(const AutoTestReplies::Inputs &inputs) = 0;
    // The record of a long "IE" reply, shown instead of the clock.
    virtual void showRecord(const QString &text) = 0;
    // The two further inputs of a "DF" reply.
    virtual void showExtraInputs(const std::array<bool, 2> &states) = 0;
};
