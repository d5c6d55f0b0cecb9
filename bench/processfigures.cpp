#include "processfigures.h"

#include "link/controllerlink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <ctime>

namespace ProcessFigures {

double cpuSeconds()
{
    timespec ts {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

double medianMs(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double exchangeMs(const LinkSettings &settings, const QByteArray &command, int count, int *answered)
{
    ControllerLink link;
    std::vector<double> times;
    if (link.open(settings)) {
        for (int i = 0; i < count; ++i) {
            QElapsedTimer t;
            t.start();
            if (link.exchange(command).ok())
                times.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        link.close();
    }
    if (answered)
        *answered = int(times.size());
    return medianMs(times);
}

} // namespace ProcessFigures
