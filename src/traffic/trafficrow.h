#pragma once

#include "link/exchangeevent.h"

#include <QString>
#include <QtGlobal>
#include <cstdint>

// One row of the traffic monitor: an event of the link with the number it arrived under.
struct TrafficRow
{
    // What a row stands for, as its verdict column and the filter see it: the seven verdicts
    // of an exchange, then the link opened and closed. The order is the one of Verdict.
    enum class Outcome : std::uint8_t {
        Answered,
        NoReply,
        BadCheckDigits,
        CutOff,
        HungUp,
        Refused,
        LinkFailed,
        LinkOpened,
        LinkClosed,
    };
    static constexpr int OutcomeCount = 9;

    quint64 number = 0; // 1 for the first event the monitor saw; numbers go on across a clear
    ExchangeEvent event;

    Outcome outcome() const { return outcomeOf(event); }

    static Outcome outcomeOf(const ExchangeEvent &event);
    // Fixed English words ("answered", "link opened"), the same in every language of the
    // window, so that a log or a CSV file can be searched for them.
    static QString outcomeName(Outcome outcome);
};
