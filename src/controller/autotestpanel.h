#pragma once

#include "controller/autotestreplies.h"
#include "controller/autotestwatch.h"

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
    // The lamps of "IE" (inputs 1 to 4), or of "DF", no longer show what the inputs are: the
    // command has gone unanswered (AutoTestWatch). A reply that drives them makes them known.
    virtual void showInputsUnknown() = 0;
    virtual void showExtraInputsUnknown() = 0;
    // The controller stopped answering (watch.notAnswering(): which commands, and why), or
    // answers again.
    virtual void showSilence(const AutoTestWatch &watch) = 0;
};
