#pragma once

#include "processprobe.h"

#include <QElapsedTimer>

// Wall and CPU time of one stretch of a test.
class StopWatch
{
public:
    StopWatch() { restart(); }
    void restart()
    {
        m_cpuStart = ProcessProbe::cpuMs();
        m_wall.start();
    }
    qint64 wallMs() const { return m_wall.elapsed(); }
    double cpuMs() const { return ProcessProbe::cpuMs() - m_cpuStart; }

private:
    QElapsedTimer m_wall;
    double m_cpuStart = 0;
};
