#include "traffic/trafficrecorder.h"

TrafficRecorder::TrafficRecorder(const QString &logFolder, TrafficLog::Clock clock)
    : m_log(logFolder, std::move(clock))
{
}

void TrafficRecorder::exchangeEnded(const ExchangeEvent &event)
{
    // The file first: it is the record that must outlive the tool.
    m_log.write(event);
    m_model.append(event);
}
