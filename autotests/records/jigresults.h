#pragma once

#include "controller/jigtest.h"

// Results as JigTest::run leaves them, without a controller: an identified ZO425 on ID 007, or
// nothing that answered.
class JigResults
{
public:
    static JigTest::Step step(const char *name, const char *expected, const char *measured, bool passed, const char *reason = "");
    // Identify, Set clock, DO1 alone and All off, all passed.
    static QList<JigTest::Step> goodSteps();
    // goodSteps() with DO1 alone measuring measuredDo1 instead; passed when that is "DI1".
    static QList<JigTest::Step> withDo1(const char *measuredDo1, const char *reason = "");
    static JigTest::Result identified(const QList<JigTest::Step> &steps, const QString &serial = QStringLiteral("24010042"),
                                      const QDateTime &start = QDateTime::currentDateTimeUtc());
    static JigTest::Result silent(const QDateTime &start = QDateTime::currentDateTimeUtc());
};
