#pragma once

// Keeps every event a link reports, so that tests can see what crossed the wire and that
// every open had its close.

#include "link/exchangeevent.h"

#include <QList>

class ExchangeRecorder : public ExchangeObserver
{
public:
    void exchangeEnded(const ExchangeEvent &event) override { events.append(event); }

    int count(ExchangeEvent::Kind kind) const
    {
        int n = 0;
        for (const ExchangeEvent &e : events)
            n += e.kind == kind ? 1 : 0;
        return n;
    }
    int opens() const { return count(ExchangeEvent::Kind::LinkOpened); }
    int closes() const { return count(ExchangeEvent::Kind::LinkClosed); }

    QList<ExchangeEvent> exchanges() const
    {
        QList<ExchangeEvent> out;
        for (const ExchangeEvent &e : events)
            if (e.kind == ExchangeEvent::Kind::Exchange)
                out.append(e);
        return out;
    }
    // The whole reply of the last exchange that got one.
    QByteArray lastReply() const
    {
        for (auto it = events.crbegin(); it != events.crend(); ++it)
            if (it->kind == ExchangeEvent::Kind::Exchange && it->verdict == Verdict::Answered)
                return it->reply;
        return QByteArray();
    }

    QList<ExchangeEvent> events;
};
