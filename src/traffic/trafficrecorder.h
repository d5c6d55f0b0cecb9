#pragma once

#include "link/exchangeevent.h"
#include "traffic/trafficlog.h"
#include "traffic/trafficmodel.h"

// What the traffic monitor listens with: every event of the link goes into the log file (when
// it is on) and into the rows. Both are quick enough to run on the exchange's own thread
// between two exchanges: a line written and flushed, a row added.
class TrafficRecorder : public ExchangeObserver
{
public:
    explicit TrafficRecorder(const QString &logFolder = QString(), TrafficLog::Clock clock = {});

    void exchangeEnded(const ExchangeEvent &event) override;

    TrafficModel &model() { return m_model; }
    const TrafficModel &model() const { return m_model; }
    TrafficLog &log() { return m_log; }
    const TrafficLog &log() const { return m_log; }

private:
    TrafficModel m_model;
    TrafficLog m_log;
};
