#pragma once

#include "controller/identification.h"
#include "controller/jigmap.h"
#include "controller/jigphrase.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

class ControllerSession;

// The production test of one unit on a jig wired output to input: each step has what was
// expected, what the controller showed and whether that passed; the unit passes only when every
// step passed. Unlike the operator's automatic test it judges every reply: an exchange that
// fails is a failed step that says why.
class JigTest
{
public:
    struct Options
    {
        int settleMs = 200;              // after an output is switched, before the inputs are read
        int clockToleranceS = 2;         // the clock read back may differ this much from the PC's
        bool stopAtFirstFailure = true;  // or run every step and report them all
        QString scanId = QStringLiteral("000"); // the ID the unit is scanned for, as typed
    };

    struct Step
    {
        QString name;      // "Identify", "Set clock", "Clock kept", "DO1 alone", ..., "All off", "End"
        QString expected;
        QString measured;
        bool passed = false;
        QString why;       // a step that could not be measured: the exchange that failed (an exchange that failed)
        // The station, not the unit, failed here: its link was gone or went away (the port
        // removed, the connection refused or closed), so nothing is known of the unit.
        bool linkLost = false;
        // The three texts above as phrases, for a window in another language; the strings are
        // their English. Empty for a step made from strings alone.
        JigPhrase namePhrase;
        JigPhrase expectedPhrase;
        JigPhrase measuredPhrase;

        void setName(const JigPhrase &phrase);
        void setExpected(const JigPhrase &phrase);
        void setMeasured(const JigPhrase &phrase);
    };

    struct Result
    {
        Identification unit;
        QList<Step> steps;
        QDateTime start;   // UTC
        QDateTime end;
        bool passed() const;
        // The first step that failed, or nullptr.
        const Step *firstFailure() const;
        // The test could not be completed: a step failed because the link was lost.
        bool linkLost() const;
    };

    // The session's link must be open; the session's pauses and message points are used.
    JigTest(ControllerSession &session, const JigMap &map, const Options &options);

    // stepDone is told of each step as it ends (the production window shows them as they run).
    Result run(const std::function<void(const Step &)> &stepDone = {});

    // The lit inputs as the operator reads them: "DI1 DI7", or "none".
    static QString inputsText(const JigMap::InputStates &states);
    static JigPhrase inputsPhrase(const JigMap::InputStates &states);
    // The names of the steps in the order they run, for a window that lists them before the start.
    static QStringList stepNames();
    static QList<JigPhrase> stepPhrases();

private:
    class Run;
    ControllerSession &m_session;
    JigMap m_map;
    Options m_options;
};
