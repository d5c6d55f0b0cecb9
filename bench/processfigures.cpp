#include "processfigures.h"

#include "link/controllerlink.h"

#include <QElapsedTimer>

#include <algorithm>

namespace ProcessFigures {

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
