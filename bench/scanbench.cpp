// zu42scanbench: how long the bus scan takes over a range where nothing answers, on the serial
// line (a pseudo-terminal) and over TCP, at the link's own limits and at a shorter scan wait;
// beside what the limits allow (one limit per silent ID). The simulator holds a bus whose only
// controller sits outside the range, so every ID of it meets silence.
// --quick: the quick scan of 000-999 on a bus of 32 controllers at 19200 baud, which must find
// all 32 within 60 s on either link.
#include "processprobe.h"
#include "simprocess.h"
#include "controller/busscan.h"
#include "link/controllerlink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

struct Figure
{
    qint64 wallMs = 0;
    int scanned = 0;
    int found = 0;
};

Figure scan(const LinkSettings &settings, int first, int last, int waitMs, bool quick = false)
{
    ControllerLink link;
    Figure figure;
    if (!link.open(settings))
        return figure;
    BusScan scan(link);
    scan.setRange(first, last);
    scan.setScanWaitMs(waitMs);
    if (quick)
        scan.setSpeed(BusScan::Speed::Quick);
    QElapsedTimer clock;
    clock.start();
    const BusScan::Result result = scan.run();
    figure.wallMs = clock.elapsed();
    figure.scanned = result.scanned;
    figure.found = int(result.found.size());
    link.close();
    return figure;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QString simPath = qEnvironmentVariable("ZU42SIM");
    int first = 0, last = 255;
    bool tcp = true;
    bool quick = false;
    QList<int> waits { 0, 50 };
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sim") && i + 1 < args.size()) {
            simPath = args[++i];
        } else if (args[i] == QLatin1String("--range") && i + 1 < args.size()) {
            const auto range = BusScan::parseRange(args[++i]);
            if (!range)
                return 2;
            first = range->first;
            last = range->second;
        } else if (args[i] == QLatin1String("--serial-only")) {
            tcp = false;
        } else if (args[i] == QLatin1String("--quick")) {
            quick = true;
        } else {
            std::fprintf(stderr, "usage: zu42scanbench [--range FROM-TO] [--serial-only] [--quick] [--sim PATH]\n");
            return 2;
        }
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");
    // One controller, at an ID outside any range the scan is given; or, for the quick scan, 32
    // spread over the whole range.
    QStringList bus;
    for (int id = 5; quick && bus.size() < 32; id += 31)
        bus.append(QString::number(id).rightJustified(3, QLatin1Char('0')));
    SimProcess sim({ QStringLiteral("--bus"), quick ? bus.join(QLatin1Char(',')) : QStringLiteral("999") }, true);
    sim.setProgram(simPath);
    sim.setRequestLog(false);
    if (!sim.start()) {
        std::fprintf(stderr, "zu42scanbench: cannot start %s\n", qPrintable(simPath));
        return 2;
    }

    if (quick) {
        bool met = true;
        std::printf("%-6s %6s %6s %10s %10s\n", "link", "IDs", "found", "wall (s)", "goal (s)");
        for (const bool net : { false, true }) {
            if (net && !tcp)
                continue;
            const LinkSettings settings = net ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                              : LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"));
            const Figure f = scan(settings, BusScan::FirstId, BusScan::HighestId, 0, true);
            met = met && f.found == 32 && f.wallMs < 60000;
            std::printf("%-6s %6d %6d %10.2f %10d\n", net ? "TCP" : "serial", f.scanned, f.found, f.wallMs / 1000.0, 60);
            std::fflush(stdout);
        }
        return met ? 0 : 1;
    }
    const int ids = last - first + 1;
    bool met = true;
    std::printf("%-6s %-10s %6s %10s %12s %10s\n", "link", "wait", "IDs", "wall (s)", "allowed (s)", "per ID (ms)");
    for (const bool net : { false, true }) {
        if (net && !tcp)
            continue;
        const LinkSettings settings = net ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                          : LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"));
        const int limit = net ? ExchangeLimits::NetReplyMs : ExchangeLimits::SerialIdleMs;
        for (const int wait : waits) {
            const Figure f = scan(settings, first, last, wait);
            const int perId = wait > 0 ? std::min(wait, limit) : limit;
            // What the limits allow: one wait per silent ID, 1 % and 1 ms more for the system to wake
            // the wait up and for the rest of the exchange.
            const double allowedS = ids * (perId * 1.01 + 1) / 1000.0;
            met = met && f.scanned == ids && f.found == 0 && f.wallMs / 1000.0 <= allowedS;
            std::printf("%-6s %-10s %6d %10.2f %12.2f %10.2f\n", net ? "TCP" : "serial",
                        wait > 0 ? qPrintable(QStringLiteral("%1 ms").arg(wait)) : "limit", f.scanned, f.wallMs / 1000.0,
                        allowedS, double(f.wallMs) / std::max(1, f.scanned));
            std::fflush(stdout);
        }
    }
    return met ? 0 : 1;
}
