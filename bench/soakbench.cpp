// zu42soakbench: does a whole shift of the automatic test leave the tool as it found it? The real
// window (offscreen, settings and data in a temporary folder) with the traffic monitor open and
// its daily log file on runs the automatic test against zu42sim for an hour, over loopback TCP or
// a pseudo-terminal, while the simulator loses one reply in 100 and cuts one in 500 off half-way
// (TCP then closes the connection). The resident memory (VmRSS), the open descriptors
// (/proc/self/fd) and the CPU time of this process are read at the start, after the first
// minute, every ten minutes and at the end; every exchange is counted by its verdict.
//
// Flat means: the memory at the end within 2 % of the value after the first minute, and the
// descriptors exactly equal to it. The exit code is 0 when the run is flat.
#include "app/tfrmmodule.h"
#include "app/trafficmonitorwindow.h"
#include "processprobe.h"
#include "simprocess.h"
#include "link/controllerlink.h"
#include "notone.h"
#include "processfigures.h"
#include "traffic/trafficrecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double FixedWaitsPerPassMs = 20 + 20 + 20; // before "IE", before "DF", end of the pass
const QString LineMode = QStringLiteral("19200,e,8,1");

// Counts what the window's link reports: passes (one "IE" each), verdicts, the time failed
// exchanges took, the connections opened again. Fixed memory, however long the run.
class SoakCounter : public ExchangeObserver
{
public:
    void exchangeEnded(const ExchangeEvent &event) override
    {
        switch (event.kind) {
        case ExchangeEvent::Kind::LinkOpened:
            ++opens;
            return;
        case ExchangeEvent::Kind::LinkClosed:
            ++closes;
            // A close the operation did not ask for: the connection went away under it.
            if (!event.detail.isEmpty())
                ++lost;
            return;
        case ExchangeEvent::Kind::Exchange:
            break;
        }
        ++verdicts[std::size_t(event.verdict)];
        // SOH, the controller's ID, then the command letters.
        if (event.request.mid(4, 2) == "IE")
            ++passes;
        if (event.verdict != Verdict::Answered && event.roundTripUs > 0)
            failedUs += event.roundTripUs;
    }
    int count(Verdict v) const { return verdicts[std::size_t(v)]; }
    int exchanges() const
    {
        int n = 0;
        for (const int c : verdicts)
            n += c;
        return n;
    }

    long passes = 0;
    long opens = 0;
    long closes = 0;
    long lost = 0;
    qint64 failedUs = 0;
    std::array<int, 16> verdicts {};
};

struct Sample
{
    double minutes = 0;
    long rssKiB = 0;
    int descriptors = 0;
    double cpuPercent = 0; // over the time since the previous sample
    long passes = 0;
    int monitorRows = 0;
    qint64 logBytes = 0;
};

void printSample(const Sample &s)
{
    std::printf("%8.1f %10ld %6d %7.2f%% %9ld %8d %12lld\n", s.minutes, s.rssKiB, s.descriptors, s.cpuPercent, s.passes,
                s.monitorRows, static_cast<long long>(s.logBytes));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and the log file go to a folder of the run, never to the machine's.
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(dir.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
    QApplication app(argc, argv);
    // Qt's raster painter fills large areas on the global thread pool, whose idle threads end
    // after 30 s, each taking an eventfd with it: the count of descriptors then says when the
    // window last repainted much, not what the tool keeps open. Its threads are kept instead.
    QThreadPool::globalInstance()->setExpiryTimeout(-1);

    double minutes = 60;
    double everyMinutes = 10;
    QString linkKind = QStringLiteral("tcp");
    int loseEvery = 100;
    int cutEvery = 500;
    QString seed = QStringLiteral("1");
    int rows = 0; // the monitor's own (10,000 unless stored otherwise)
    QString simPath = qEnvironmentVariable("ZU42SIM");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == QLatin1String("--minutes") && hasValue)
            minutes = args[++i].toDouble();
        else if (args[i] == QLatin1String("--every") && hasValue)
            everyMinutes = args[++i].toDouble();
        else if (args[i] == QLatin1String("--link") && hasValue)
            linkKind = args[++i];
        else if (args[i] == QLatin1String("--lose-every") && hasValue)
            loseEvery = args[++i].toInt();
        else if (args[i] == QLatin1String("--cut-every") && hasValue)
            cutEvery = args[++i].toInt();
        else if (args[i] == QLatin1String("--rows") && hasValue)
            rows = args[++i].toInt();
        else if (args[i] == QLatin1String("--seed") && hasValue)
            seed = args[++i];
        else if (args[i] == QLatin1String("--sim") && hasValue)
            simPath = args[++i];
        else {
            std::fprintf(stderr, "usage: zu42soakbench [--link tcp|pty] [--minutes M] [--every M] [--lose-every N] "
                                 "[--cut-every N] [--seed S] [--rows N] [--sim PATH]\n");
            return 2;
        }
    }
    if (minutes < 1.5 || everyMinutes <= 0 || (linkKind != QLatin1String("tcp") && linkKind != QLatin1String("pty"))
        || loseEvery < 0 || cutEvery < 0) {
        std::fprintf(stderr, "zu42soakbench: --minutes at least 1.5, --every positive, --link tcp or pty\n");
        return 2;
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");

    const QStringList simArguments { "--lose-every", QString::number(loseEvery),
                                     "--cut-every", QString::number(cutEvery), "--seed", seed };
    SimProcess sim(simArguments, true);
    sim.setProgram(simPath);
    sim.setRequestLog(false);
    if (!sim.start()) {
        std::fprintf(stderr, "zu42soakbench: cannot start %s\n", qPrintable(simPath));
        return 1;
    }
    const bool tcp = linkKind == QLatin1String("tcp");
    const LinkSettings settings = tcp ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                      : LinkSettings::serial(sim.ptyPath(), LineMode);
    // The simulator's faults strike these exchanges too: the median is of the answered ones.
    const double ieMs = ProcessFigures::exchangeMs(settings, "000IE", 200);
    const double dfMs = ProcessFigures::exchangeMs(settings, "000DF", 200);
    if (ieMs < 0 || dfMs < 0) {
        std::fprintf(stderr, "zu42soakbench: the exchanges with the simulator failed\n");
        return 1;
    }

    TfrmModule window;
    window.setTone(std::make_unique<NoTone>());
    SoakCounter counter;
    window.addExchangeObserver(&counter);
    window.show();
    window.findChild<QAction *>(QStringLiteral("mnuMonitor"))->trigger();
    TrafficMonitorWindow *monitor = window.trafficMonitor();
    monitor->findChild<QCheckBox *>(QStringLiteral("chkLogFile"))->setChecked(true);
    // As the operator sets it: the spin box's range is the ring's.
    if (rows > 0)
        monitor->findChild<QSpinBox *>(QStringLiteral("edRows"))->setValue(rows);
    if (!monitor->recorder().log().why().isEmpty()) {
        std::fprintf(stderr, "zu42soakbench: %s\n", qPrintable(monitor->recorder().log().why()));
        return 1;
    }
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("pcPort"));
    if (tcp) {
        pages->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsNet")));
        window.findChild<QLineEdit *>(QStringLiteral("edIP"))->setText(QStringLiteral("127.0.0.1"));
        window.findChild<QLineEdit *>(QStringLiteral("edPort"))->setText(QString::number(sim.port()));
    } else {
        pages->setCurrentWidget(window.findChild<QWidget *>(QStringLiteral("tsCom")));
        window.findChild<QComboBox *>(QStringLiteral("cmbPort"))->setEditText(sim.ptyPath());
        window.findChild<QComboBox *>(QStringLiteral("cmbBaudrate"))->setEditText(LineMode);
    }
    // A lost or cut reply during the scan is retried; a connect that fails three times in a row
    // is tried again, as an operator would press the button again.
    for (int attempt = 0; attempt < 3 && window.session().deviceId().isEmpty(); ++attempt)
        window.btnConnectClick();
    if (window.session().deviceId().isEmpty()) {
        std::fprintf(stderr, "zu42soakbench: the window could not connect\n");
        return 1;
    }
    std::printf("automatic test against zu42sim over %s (%s) for %.0f min, one reply in %d lost, one in %d cut off\n",
                tcp ? "TCP" : "a pseudo-terminal", qPrintable(settings.isNet() ? QStringLiteral("127.0.0.1:%1").arg(sim.port()) : sim.ptyPath()),
                minutes, loseEvery, cutEvery);
    std::printf("traffic monitor open, %d rows kept, daily log file on in %s\n", monitor->recorder().model().capacity(),
                qPrintable(QFileInfo(monitor->recorder().log().currentPath()).absolutePath()));
    std::printf("exchange medians: IE %.3f ms, DF %.3f ms; the waits allow %.2f passes/s\n", ieMs, dfMs,
                1000.0 / (FixedWaitsPerPassMs + ieMs + dfMs));
    std::printf("%8s %10s %6s %8s %9s %8s %12s\n", "minute", "VmRSS KiB", "fds", "CPU", "passes", "rows", "log bytes");

    std::vector<Sample> samples;
    QElapsedTimer wall;
    double lastCpu = 0;
    qint64 lastNs = 0;
    const auto take = [&] {
        const qint64 ns = wall.nsecsElapsed();
        const double cpu = ProcessProbe::cpuMs() / 1e3;
        Sample s;
        s.minutes = double(ns) / 60e9;
        s.rssKiB = ProcessProbe::residentKiB();
        s.descriptors = ProcessProbe::openDescriptors();
        s.cpuPercent = ns > lastNs ? 100.0 * (cpu - lastCpu) / (double(ns - lastNs) / 1e9) : 0.0;
        s.passes = counter.passes;
        s.monitorRows = monitor->recorder().model().rowCount();
        s.logBytes = QFile(monitor->recorder().log().currentPath()).size();
        lastCpu = cpu;
        lastNs = ns;
        samples.push_back(s);
        printSample(s);
    };

    // The samples come at the run's message points, as the operator's clicks do; so does the
    // cancel at the end.
    std::vector<double> at{ 0.0, 1.0 };
    for (double m = everyMinutes; m < minutes; m += everyMinutes)
        if (m > 1.0)
            at.push_back(m);
    std::size_t next = 0;
    QTimer sampler;
    sampler.setTimerType(Qt::PreciseTimer);
    sampler.setInterval(250);
    QObject::connect(&sampler, &QTimer::timeout, &window, [&] {
        if (!wall.isValid())
            return;
        const double now = double(wall.nsecsElapsed()) / 60e9;
        if (now >= minutes) {
            sampler.stop();
            take();
            window.btnAutoClick();
            return;
        }
        if (next < at.size() && now >= at[next]) {
            ++next;
            take();
        }
    });
    const long passesBefore = counter.passes;
    const qint64 failedBefore = counter.failedUs;
    sampler.start();
    wall.start();
    const double cpuStart = ProcessProbe::cpuMs() / 1e3;
    lastCpu = cpuStart;
    window.btnAutoClick();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpuPercent = 100.0 * (ProcessProbe::cpuMs() / 1e3 - cpuStart) / seconds;

    const Sample &oneMinute = samples.at(1);
    const Sample &end = samples.back();
    const long passes = counter.passes - passesBefore;
    const double passMs = FixedWaitsPerPassMs + ieMs + dfMs;
    const double failedSeconds = double(counter.failedUs - failedBefore) / 1e6;
    const double plainShare = 100.0 * passes / (seconds * 1000.0 / passMs);
    const double netShare = 100.0 * passes / ((seconds - failedSeconds) * 1000.0 / passMs);
    const double rssChange = 100.0 * double(end.rssKiB - oneMinute.rssKiB) / double(oneMinute.rssKiB);
    const bool flat = std::abs(rssChange) <= 2.0 && end.descriptors == oneMinute.descriptors;

    std::printf("run of %.1f min: %ld passes, %.2f per second\n", seconds / 60, passes, passes / seconds);
    std::printf("exchanges %d: answered %d, no reply %d, cut off %d, check digits wrong %d, hung up %d, link did not open %d\n",
                counter.exchanges(), counter.count(Verdict::Answered), counter.count(Verdict::NoReply),
                counter.count(Verdict::CutOff), counter.count(Verdict::BadCheckDigits), counter.count(Verdict::HungUp),
                counter.count(Verdict::LinkFailed));
    std::printf("links opened %ld, closed %ld, of which %ld closed by the controller during an operation\n",
                counter.opens, counter.closes, counter.lost);
    std::printf("failed exchanges took %.1f s of the run\n", failedSeconds);
    std::printf("share of the passes the waits allow: %.1f %% of the whole run, %.1f %% of the time outside failed exchanges\n",
                plainShare, netShare);
    std::printf("CPU over the run: %.2f %% of one core\n", cpuPercent);
    std::printf("VmRSS after the first minute %ld KiB, at the end %ld KiB: %+.2f %% (flat: within 2 %%)\n", oneMinute.rssKiB,
                end.rssKiB, rssChange);
    std::printf("descriptors after the first minute %d, at the end %d (flat: equal)\n", oneMinute.descriptors, end.descriptors);
    // The monitor's ring grows until it holds its rows (about 8 minutes over TCP at 10,000):
    // what the memory does after that is what a longer shift would see.
    const int capacity = monitor->recorder().model().capacity();
    const auto full = std::find_if(samples.cbegin(), samples.cend(), [capacity](const Sample &s) { return s.monitorRows >= capacity; });
    if (full != samples.cend() && &*full != &end)
        std::printf("VmRSS once the monitor's %d rows were full (minute %.1f) %ld KiB, at the end: %+.2f %%\n", capacity,
                    full->minutes, full->rssKiB, 100.0 * double(end.rssKiB - full->rssKiB) / double(full->rssKiB));
    std::printf("%s\n", flat ? "flat" : "NOT flat");
    return flat ? 0 : 1;
}
