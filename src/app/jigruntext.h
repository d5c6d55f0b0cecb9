#pragma once

#include "controller/jigphrase.h"
#include "records/jigrun.h"

#include <QString>

// What the jig window says, in one of the text table's languages: the jig test's phrases (the
// steps, what they expect and measure), the verdict with its detail, and the notes of a run.
// No widgets, so every text is checked without a window.
class JigRunText
{
public:
    explicit JigRunText(int language)
        : m_language(language)
    {
    }

    QString text(int id) const;
    // The phrase in the language; fallback (the step's English string) for a step that came
    // without phrases.
    QString phrase(const JigPhrase &phrase, const QString &fallback = QString()) const;
    QString verdictWord(JigRun::Verdict verdict) const;
    // Below the verdict: who a passed unit is, where a failed one failed (and the exchange's
    // reason), why nothing was tested.
    QString verdictDetail(const JigRun &run) const;
    // Where a unit failed: the step, what it measured and expected, and the exchange's reason.
    QString failedStep(const JigTest::Step &step) const;
    // A note, and the lower layer's reason on a line of its own.
    QString message(const JigRun::Message &message) const;
    // The note in one line for a window: the lower layer's reason (a server's own text may be
    // long) is left to a tool tip, which the line points to.
    QString headline(const JigRun::Message &message) const;
    // Records waiting for other stores, a line each, for a tool tip; a line saying there are none.
    QString waitingElsewhere(const QList<PendingRecords::StoreCount> &counts) const;
    // The map of the map field: its name (the built-in one's in the language), or why it cannot
    // be used.
    QString mapName(const JigRun &run) const;

private:
    int m_language;
};
