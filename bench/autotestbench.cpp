// zu42autotestbench: does the automatic product test keep up with the controller, and what does
// it cost the PC? The real window (offscreen) connects to zu42sim on loopback TCP and runs the
// test for a while with no output change; the simulator's request log gives the passes. A pass
// with no change is 60 ms of fixed waits plus an "IE" and a "DF" exchange, so the rate the waits
// allow follows from those two exchange times, measured on their own against the same simulator.
// CPU time is the whole process's (getrusage) over the run; the simulator is another process.
#include "app/tfrmmodule.h"
#include "processprobe.h"
#include "simprocess.h"
#include "link/linksettings.h"
#include "notone.h"
#include "processfigures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double FixedWaitsPerPassMs = 20 + 20 + 20; // before "IE", before "DF", end of the pass

struct LogEntry
{
    qint64 ms;
    QByteArray command; // without the controller ID
};

std::vector<LogEntry> readLog(const QString &path)
{
    std::vector<LogEntry> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() >= 3)
            out.push_back({ fields[0].toLongLong(), QByteArray::fromHex(fields[2]).mid(3) });
    }
    return out;
}

void setText(QObject *window, const char *control, const QString &text)
{
    if (QObject *o = window->findChild<QObject *>(QString::fromLatin1(control)))
        o->setProperty("text", text);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window's settings go to a folder of the run, never to the machine's.
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.path()));
    QApplication app(argc, argv);

    int seconds = 10;
    QString simPath = qEnvironmentVariable("ZU42SIM");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toInt();
        else if (args[i] == QLatin1String("--sim") && i + 1 < args.size())
            simPath = args[++i];
        else {
            std::fprintf(stderr, "usage: zu42autotestbench [--seconds N] [--sim PATH]\n");
            return 2;
        }
    }
    if (seconds < 1) {
        std::fprintf(stderr, "zu42autotestbench: --seconds must be positive\n");
        return 2;
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");

    const QString logPath = dir.filePath(QStringLiteral("requests.log"));
    SimProcess sim({ QStringLiteral("--log"), logPath }, false);
    sim.setProgram(simPath);
    sim.setRequestLog(false);
    if (!sim.start()) {
        std::fprintf(stderr, "zu42autotestbench: cannot start %s\n", qPrintable(simPath));
        return 1;
    }

    const LinkSettings tcp = LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    int ieAnswered = 0;
    int dfAnswered = 0;
    const double ieMs = ProcessFigures::exchangeMs(tcp, "000IE", 200, &ieAnswered);
    const double dfMs = ProcessFigures::exchangeMs(tcp, "000DF", 200, &dfAnswered);
    if (ieAnswered != 200 || dfAnswered != 200) {
        std::fprintf(stderr, "zu42autotestbench: the exchanges with the simulator failed\n");
        return 1;
    }

    TfrmModule window;
    window.setTone(std::make_unique<NoTone>());
    window.show();
    QObject *ports = window.findChild<QObject *>(QStringLiteral("pcPort"));
    if (ports)
        ports->setProperty("currentIndex", 1); // the TCP page
    setText(&window, "edIP", QStringLiteral("127.0.0.1"));
    setText(&window, "edPort", QString::number(sim.port()));
    window.btnConnectClick();
    if (window.session().deviceId().isEmpty()) {
        std::fprintf(stderr, "zu42autotestbench: the window could not connect\n");
        return 1;
    }
    QFile::resize(logPath, 0);

    // The cancel arrives as the operator's click does: at one of the run's message points.
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &window, [&window] { window.btnAutoClick(); });
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = ProcessProbe::cpuMs() / 1e3;
    window.btnAutoClick();
    const double cpuUsed = ProcessProbe::cpuMs() / 1e3 - cpu0;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;

    // Passes from the simulator's log: the period between the first and the last "IE".
    // Where a pass's time goes: "IE" to "DF" holds one 20 ms wait, "DF" to the next "IE" two.
    std::vector<qint64> ieTimes;
    qint64 ieToDf = 0, dfToIe = 0;
    int ieToDfCount = 0, dfToIeCount = 0;
    int otherCommands = 0;
    const std::vector<LogEntry> log = readLog(logPath);
    for (std::size_t i = 0; i < log.size(); ++i) {
        const LogEntry &e = log[i];
        if (e.command == "IE") {
            ieTimes.push_back(e.ms);
            if (i > 0 && log[i - 1].command == "DF") {
                dfToIe += e.ms - log[i - 1].ms;
                ++dfToIeCount;
            }
        } else if (e.command == "DF") {
            if (i > 0 && log[i - 1].command == "IE") {
                ieToDf += e.ms - log[i - 1].ms;
                ++ieToDfCount;
            }
        } else if (!e.command.startsWith("AA") && e.command != "JE") {
            ++otherCommands;
        }
    }
    if (ieTimes.size() < 2) {
        std::fprintf(stderr, "zu42autotestbench: the run made fewer than two passes\n");
        return 1;
    }
    const double passesPerSecond = double(ieTimes.size() - 1) * 1000.0 / double(ieTimes.back() - ieTimes.front());
    const double allowedPerSecond = 1000.0 / (FixedWaitsPerPassMs + ieMs + dfMs);
    const double share = passesPerSecond / allowedPerSecond;
    const double cpuPercent = 100.0 * cpuUsed / wallSeconds;

    std::printf("run of %.2f s against zu42sim on 127.0.0.1:%u, no output change\n", wallSeconds, unsigned(sim.port()));
    std::printf("exchange medians: IE %.3f ms, DF %.3f ms (200 each, link of their own)\n", ieMs, dfMs);
    std::printf("passes: %zu, %.2f per second; the waits allow %.2f per second (%.0f ms + IE + DF)\n", ieTimes.size(),
                passesPerSecond, allowedPerSecond, FixedWaitsPerPassMs);
    std::printf("mean gaps in the simulator's log: IE to DF %.2f ms (20 ms of waits), DF to IE %.2f ms (40 ms)\n",
                ieToDfCount ? double(ieToDf) / ieToDfCount : 0.0, dfToIeCount ? double(dfToIe) / dfToIeCount : 0.0);
    std::printf("share of the allowed rate: %.1f %% (target >= 99 %%)\n", 100.0 * share);
    std::printf("CPU time of the tool: %.3f s over %.2f s = %.2f %% of one core (target < 2 %%)\n", cpuUsed, wallSeconds,
                cpuPercent);
    if (otherCommands > 0)
        std::printf("unexpected commands during the run: %d\n", otherCommands);
    const bool met = share >= 0.99 && cpuPercent < 2.0 && otherCommands == 0;
    std::printf("%s\n", met ? "targets met" : "targets MISSED");
    return met ? 0 : 1;
}
