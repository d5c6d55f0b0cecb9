// zu42monitorbench: what the traffic monitor costs the automatic test, and whether its memory
// stays flat. Two real windows (offscreen, shown, settings and data in a temporary folder)
// connect to one zu42sim on loopback TCP: one without the monitor, one with the monitor window
// open and its daily log file on. They run the automatic test in turns for the same time each,
// with no output change, the monitored window first in every other round so that neither has
// the quieter moments throughout; the simulator's request log gives the passes of each run,
// getrusage the CPU time of the process. Then 100,000 exchanges go through the monitor's
// observer, as the link reports them, published and painted every 100 (the monitor's timer
// publishes once a second: this is a link making 100 exchanges a second); the resident memory
// is read at every 10,000.
#include "app/tfrmmodule.h"
#include "app/trafficmonitorwindow.h"
#include "processprobe.h"
#include "simprocess.h"
#include "link/linksettings.h"
#include "link/localclock.h"
#include "notone.h"
#include "processfigures.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double FixedWaitsPerPassMs = 20 + 20 + 20; // before "IE", before "DF", end of the pass

// The times of the "IE" requests in the simulator's log, and how many commands besides the
// automatic test's own came.
std::vector<qint64> ieTimes(const QString &path, int *others)
{
    std::vector<qint64> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() < 3)
            continue;
        const QByteArray command = QByteArray::fromHex(fields[2]).mid(3);
        if (command == "IE")
            out.push_back(fields[0].toLongLong());
        else if (command != "DF" && !command.startsWith("AA") && command != "JE")
            ++*others;
    }
    return out;
}

bool connectWindow(TfrmModule &window, quint16 port)
{
    window.setTone(std::make_unique<NoTone>());
    window.show();
    if (QObject *ports = window.findChild<QObject *>(QStringLiteral("pcPort")))
        ports->setProperty("currentIndex", 1); // the TCP page
    window.findChild<QObject *>(QStringLiteral("edIP"))->setProperty("text", QStringLiteral("127.0.0.1"));
    window.findChild<QObject *>(QStringLiteral("edPort"))->setProperty("text", QString::number(port));
    window.btnConnectClick();
    return !window.session().deviceId().isEmpty();
}

// How long a row takes from its exchange to the screen: the time each event reaches the link's
// observers (this one is told first), and the first repaint of the monitor's table after the row
// was published into it.
class RowLatency : public QObject, public ExchangeObserver
{
public:
    explicit RowLatency(QTableView *view)
        : m_view(view)
    {
        m_clock.start();
        view->viewport()->installEventFilter(this);
        connect(view->model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int, int last) {
            m_published = std::max<qsizetype>(m_published, m_base + last + 1);
        });
        connect(view->model(), &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) { m_base += last - first + 1; });
    }
    void exchangeEnded(const ExchangeEvent &) override { m_observed.push_back(m_clock.nsecsElapsed()); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_measuring) {
            const qint64 now = m_clock.nsecsElapsed();
            for (; m_painted < m_published && m_painted < qsizetype(m_observed.size()); ++m_painted)
                if (m_painted >= m_from)
                    m_latencies.push_back(double(now - m_observed[std::size_t(m_painted)]) / 1e6);
        }
        return false;
    }
    // Only the rows of the runs count, from the row count at start on.
    void measure(bool on)
    {
        m_measuring = on;
        if (on)
            m_from = qsizetype(m_observed.size());
        m_painted = std::max(m_painted, m_from);
    }
    std::vector<double> latencies() const { return m_latencies; }

private:
    QTableView *m_view;
    QElapsedTimer m_clock;
    std::vector<qint64> m_observed; // by row number (the model numbers every event in order)
    qsizetype m_published = 0;      // rows published so far, counted from the first
    qsizetype m_base = 0;           // rows dropped from the front of the model
    qsizetype m_painted = 0;
    qsizetype m_from = 0;
    bool m_measuring = false;
    std::vector<double> m_latencies;
};

struct Run
{
    double passesPerSecond = 0;
    double cpuPercent = 0;
    int passes = 0;
    int others = 0;
};

// One automatic test of `seconds` in the window; the cancel comes as the operator's click does.
Run runAutoTest(TfrmModule &window, int seconds, const QString &logPath)
{
    QFile::resize(logPath, 0);
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &window, [&window] { window.btnAutoClick(); });
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = ProcessProbe::cpuMs() / 1e3;
    window.btnAutoClick();
    const double cpuUsed = ProcessProbe::cpuMs() / 1e3 - cpu0;
    Run run;
    run.cpuPercent = 100.0 * cpuUsed / (double(wall.nsecsElapsed()) / 1e9);
    const std::vector<qint64> ie = ieTimes(logPath, &run.others);
    run.passes = int(ie.size());
    if (ie.size() >= 2)
        run.passesPerSecond = double(ie.size() - 1) * 1000.0 / double(ie.back() - ie.front());
    return run;
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

    int seconds = 10;
    int rounds = 3;
    int feed = 100000;
    QString simPath = qEnvironmentVariable("ZU42SIM");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds") && i + 1 < args.size())
            seconds = args[++i].toInt();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = args[++i].toInt();
        else if (args[i] == QLatin1String("--feed") && i + 1 < args.size())
            feed = args[++i].toInt();
        else if (args[i] == QLatin1String("--sim") && i + 1 < args.size())
            simPath = args[++i];
        else {
            std::fprintf(stderr, "usage: zu42monitorbench [--seconds N] [--rounds N] [--feed N] [--sim PATH]\n");
            return 2;
        }
    }
    if (seconds < 1 || rounds < 1 || feed < 20000) {
        std::fprintf(stderr, "zu42monitorbench: --seconds and --rounds must be positive, --feed at least 20000\n");
        return 2;
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");

    const QString logPath = dir.filePath(QStringLiteral("requests.log"));
    SimProcess sim({ QStringLiteral("--log"), logPath }, false);
    sim.setProgram(simPath);
    sim.setRequestLog(false);
    if (!sim.start()) {
        std::fprintf(stderr, "zu42monitorbench: cannot start %s\n", qPrintable(simPath));
        return 1;
    }
    const LinkSettings tcp = LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    int ieAnswered = 0;
    int dfAnswered = 0;
    const double ieMs = ProcessFigures::exchangeMs(tcp, "000IE", 200, &ieAnswered);
    const double dfMs = ProcessFigures::exchangeMs(tcp, "000DF", 200, &dfAnswered);
    if (ieAnswered != 200 || dfAnswered != 200) {
        std::fprintf(stderr, "zu42monitorbench: the exchanges with the simulator failed\n");
        return 1;
    }
    const double allowed = 1000.0 / (FixedWaitsPerPassMs + ieMs + dfMs);

    TfrmModule plain;
    TfrmModule monitored;
    monitored.findChild<QAction *>(QStringLiteral("mnuMonitor"))->trigger();
    TrafficMonitorWindow *monitor = monitored.trafficMonitor();
    RowLatency latency(monitor->findChild<QTableView *>(QStringLiteral("tblTraffic")));
    // Told of each exchange before the monitor is.
    monitored.removeExchangeObserver(monitor->observer());
    monitored.addExchangeObserver(&latency);
    monitored.addExchangeObserver(monitor->observer());
    monitor->findChild<QCheckBox *>(QStringLiteral("chkLogFile"))->setChecked(true);
    if (!monitor->recorder().log().why().isEmpty()) {
        std::fprintf(stderr, "zu42monitorbench: %s\n", qPrintable(monitor->recorder().log().why()));
        return 1;
    }
    if (!connectWindow(plain, sim.port()) || !connectWindow(monitored, sim.port())) {
        std::fprintf(stderr, "zu42monitorbench: a window could not connect\n");
        return 1;
    }

    std::printf("automatic test against zu42sim on 127.0.0.1:%u, %d s a run, no output change\n", unsigned(sim.port()), seconds);
    std::printf("exchange medians: IE %.3f ms, DF %.3f ms; the waits allow %.2f passes/s\n", ieMs, dfMs, allowed);
    std::printf("%-28s %7s %9s %7s %7s\n", "run", "passes", "passes/s", "share", "CPU");
    double shareSum[2] = { 0, 0 }, cpuSum[2] = { 0, 0 };
    int others = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int monitoredRun = (turn + round) % 2 == 1 ? 1 : 0;
            latency.measure(monitoredRun);
            const Run run = runAutoTest(monitoredRun ? monitored : plain, seconds, logPath);
            latency.measure(false);
            const double share = 100.0 * run.passesPerSecond / allowed;
            shareSum[monitoredRun] += share;
            cpuSum[monitoredRun] += run.cpuPercent;
            others += run.others;
            std::printf("%-28s %7d %9.2f %6.1f%% %6.2f%%\n",
                        monitoredRun ? "monitor open, log file on" : "monitor closed", run.passes, run.passesPerSecond,
                        share, run.cpuPercent);
        }
    }
    const double sharePlain = shareSum[0] / rounds, shareMonitored = shareSum[1] / rounds;
    const double cpuPlain = cpuSum[0] / rounds, cpuMonitored = cpuSum[1] / rounds;
    const long logBytes = long(QFile(monitor->recorder().log().currentPath()).size());
    std::printf("mean share: closed %.1f %% (target >= 99 %%), open %.1f %% (target >= 98 %%): drop %.2f points\n",
                sharePlain, shareMonitored, sharePlain - shareMonitored);
    std::printf("mean CPU: closed %.2f %%, open %.2f %% of one core (target < 2 %%)\n", cpuPlain, cpuMonitored);
    std::printf("monitor rows: %d, log file: %ld bytes\n", monitor->recorder().model().rowCount(), logBytes);
    std::vector<double> rowMs = latency.latencies();
    std::sort(rowMs.begin(), rowMs.end());
    const double rowMax = rowMs.empty() ? 1e9 : rowMs.back();
    if (!rowMs.empty())
        std::printf("row on screen after its exchange: median %.0f ms, 99 %% within %.0f ms, slowest %.0f ms, %zu rows "
                    "(target <= 250 ms)\n",
                    rowMs[rowMs.size() / 2], rowMs[rowMs.size() * 99 / 100], rowMax, rowMs.size());
    monitored.removeExchangeObserver(&latency);

    // The memory: exchanges through the observer as the link reports them, published and
    // painted every 100.
    ExchangeEvent event;
    event.link = QStringLiteral("127.0.0.1:%1").arg(sim.port());
    event.request = QByteArray("\x01" "000IE\x02" "B338\r");
    event.verdict = Verdict::Answered;
    event.roundTripUs = 160;
    const int capacity = monitor->recorder().model().capacity();
    std::printf("feeding %d exchanges (rows kept: %d, log file on)\n", feed, capacity);
    std::printf("%10s %12s\n", "exchanges", "VmRSS (KiB)");
    long rssFull = -1, rssEnd = -1, rssStart = ProcessProbe::residentKiB();
    std::printf("%10d %12ld\n", 0, rssStart);
    const double feedCpu0 = ProcessProbe::cpuMs() / 1e3;
    QElapsedTimer feedWall;
    feedWall.start();
    for (int i = 1; i <= feed; ++i) {
        event.time = LocalClock::now(); // as the link stamps its events
        // A reply that differs each time, as the clock's reply does.
        event.reply = "\x03" "000IE" + QByteArray::number(20261207000000LL + i) + "\x04" "9CD2\r";
        monitor->observer()->exchangeEnded(event);
        if (i % 100 == 0) {
            monitor->recorder().model().publish();
            QCoreApplication::processEvents();
        }
        if (i % 10000 == 0) {
            const long rss = ProcessProbe::residentKiB();
            std::printf("%10d %12ld\n", i, rss);
            if (i == 2 * capacity || (rssFull < 0 && i > 2 * capacity))
                rssFull = rss;
            rssEnd = rss;
        }
    }
    const double feedCpuUs = (ProcessProbe::cpuMs() / 1e3 - feedCpu0) * 1e6 / feed;
    const long growth = rssEnd - rssFull;
    std::printf("CPU per exchange through the monitor: %.1f us (%.2f s wall for all)\n", feedCpuUs,
                double(feedWall.nsecsElapsed()) / 1e9);
    std::printf("resident memory from twice the ring (%d) to %d exchanges: %+ld KiB (target <= 1024)\n", 2 * capacity,
                feed, growth);
    if (others > 0)
        std::printf("unexpected commands during the runs: %d\n", others);

    const bool met = sharePlain >= 99.0 && shareMonitored >= 98.0 && cpuMonitored < 2.0 && rowMax <= 250.0
        && growth <= 1024 && others == 0;
    std::printf("%s\n", met ? "targets met" : "targets MISSED");
    return met ? 0 : 1;
}
