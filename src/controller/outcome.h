#pragma once

#include "link/reply.h"

#include <QString>

// How a procedure of several exchanges ended: done or not, and if not, why in plain English
// (the system's words, or which reply came where another was expected).
struct Outcome
{
    bool ok = false;
    QString why;
    // The exchange that decided the outcome (the last one made).
    Reply reply;

    static Outcome done(const Reply &reply = Reply()) { return { true, QString(), reply }; }
    static Outcome failed(const Reply &reply, const QString &expected = QString())
    {
        return { false, reply.why(expected), reply };
    }
};
