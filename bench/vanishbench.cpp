// zu42vanishbench: how soon an exchange ends when the serial adapter goes away under it. Each
// round starts a zu42sim whose pseudo-terminal vanishes on the first request, opens the link
// and times that one exchange, from the request to the verdict. Prints the median and the
// slowest; the exit code is 0 when every round ended with the hang-up within 200 ms.
#include "simprocess.h"
#include "link/controllerlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int rounds = args.size() > 2 && args.at(1) == QLatin1String("--rounds") ? args.at(2).toInt() : 20;
    const QString sim = qEnvironmentVariableIsSet("ZU42SIM")
        ? qEnvironmentVariable("ZU42SIM")
        : QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim")).absoluteFilePath();
    std::vector<double> endedMs;
    int wrong = 0;
    for (int i = 0; i < rounds; ++i) {
        SimProcess simulator({ QStringLiteral("--vanish-after"), QStringLiteral("1") }, true);
        simulator.setProgram(sim);
        simulator.setRequestLog(false);
        if (!simulator.start()) {
            std::fprintf(stderr, "zu42vanishbench: the simulator did not start\n");
            return 2;
        }
        ControllerLink link;
        if (!link.open(LinkSettings::serial(simulator.ptyPath(), QStringLiteral("19200,e,8,1")))) {
            std::fprintf(stderr, "zu42vanishbench: %s\n", qPrintable(link.openFailureText()));
            return 2;
        }
        QElapsedTimer clock;
        clock.start();
        const Reply reply = link.exchange("000AS");
        endedMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        wrong += reply.verdict == Verdict::HungUp && link.openFailure() == OpenFailure::DeviceRemoved ? 0 : 1;
    }
    std::sort(endedMs.begin(), endedMs.end());
    const double median = endedMs[endedMs.size() / 2];
    const double slowest = endedMs.back();
    std::printf("rounds %d, median %.2f ms, slowest %.2f ms, wrong verdicts %d\n", rounds, median, slowest, wrong);
    return wrong == 0 && slowest < 200 ? 0 : 1;
}
