// zu42linkbench: how much the tool's exchange costs over the plainest one the system allows.
// For each kind of link it runs rounds of "000AS" exchanges through ControllerLink::exchange
// and through a raw write/poll/read of the same frame, against the same simulator, and
// prints the median round trip and the process CPU time per exchange of both.
#include "protocol/commandframe.h"
#include "processprobe.h"
#include "simprocess.h"
#include "link/controllerlink.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

double cpuUs()
{
    return ProcessProbe::cpuMs() * 1e3;
}

double wallUs()
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

struct Samples
{
    std::vector<double> roundTripUs;
    double cpuTotalUs = 0;
    int failures = 0;

    double median() const
    {
        if (roundTripUs.empty())
            return 0;
        std::vector<double> sorted = roundTripUs;
        std::sort(sorted.begin(), sorted.end());
        const std::size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double cpuPerExchange() const { return roundTripUs.empty() ? 0 : cpuTotalUs / double(roundTripUs.size()); }
};

// The plainest exchange: one write, then poll and read until the reply's CR.
bool rawExchange(int fd, const QByteArray &frame)
{
    if (::write(fd, frame.constData(), size_t(frame.size())) != frame.size())
        return false;
    char buffer[CommandFrame::BufferSize];
    bool started = false;
    for (;;) {
        pollfd p { fd, POLLIN, 0 };
        if (::poll(&p, 1, 1200) <= 0)
            return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EAGAIN)
                continue;
            return false;
        }
        for (ssize_t i = 0; i < n; ++i) {
            started = started || buffer[i] == CommandFrame::ETX;
            if (started && buffer[i] == CommandFrame::CR)
                return true;
        }
    }
}

int rawTcp(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

int rawPty(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    termios t {};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B19200);
    ::tcsetattr(fd, TCSANOW, &t);
    ::tcflush(fd, TCIOFLUSH);
    return fd;
}

// One block of exchanges through ControllerLink, opened and closed around it.
void linkBlock(bool net, const SimProcess &sim, int count, Samples *out)
{
    ControllerLink link;
    const LinkSettings settings = net ? LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()))
                                      : LinkSettings::serial(sim.ptyPath(), QStringLiteral("19200,e,8,1"));
    if (!link.open(settings)) {
        std::fprintf(stderr, "zu42linkbench: cannot open the link: %s\n", qPrintable(link.openFailureText()));
        out->failures += count;
        return;
    }
    for (int i = 0; i < count; ++i) {
        const double c0 = cpuUs(), w0 = wallUs();
        const Reply reply = link.exchange("000AS");
        const double w1 = wallUs(), c1 = cpuUs();
        if (!reply.answeredWithLength(20)) {
            ++out->failures;
            continue;
        }
        out->roundTripUs.push_back(w1 - w0);
        out->cpuTotalUs += c1 - c0;
    }
    link.close();
}

void rawBlock(bool net, const SimProcess &sim, int count, Samples *out)
{
    const int fd = net ? rawTcp(sim.port()) : rawPty(sim.ptyPath());
    if (fd < 0) {
        std::fprintf(stderr, "zu42linkbench: cannot open the raw channel: %s\n", strerror(errno));
        out->failures += count;
        return;
    }
    const QByteArray frame = *CommandFrame::encodeRequest("000AS");
    for (int i = 0; i < count; ++i) {
        const double c0 = cpuUs(), w0 = wallUs();
        const bool ok = rawExchange(fd, frame);
        const double w1 = wallUs(), c1 = cpuUs();
        if (!ok) {
            ++out->failures;
            continue;
        }
        out->roundTripUs.push_back(w1 - w0);
        out->cpuTotalUs += c1 - c0;
    }
    ::close(fd);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int count = 500;
    int rounds = 5;
    QString simPath = qEnvironmentVariable("ZU42SIM");
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--count") && i + 1 < args.size())
            count = args[++i].toInt();
        else if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = args[++i].toInt();
        else if (args[i] == QLatin1String("--sim") && i + 1 < args.size())
            simPath = args[++i];
        else {
            std::fprintf(stderr, "usage: zu42linkbench [--count N] [--rounds R] [--sim PATH]\n");
            return 2;
        }
    }
    if (count < rounds || rounds < 1) {
        std::fprintf(stderr, "zu42linkbench: --count must be at least --rounds, both positive\n");
        return 2;
    }
    if (simPath.isEmpty())
        simPath = QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim");

    SimProcess sim({}, true);
    sim.setProgram(simPath);
    sim.setRequestLog(false);
    if (!sim.start()) {
        std::fprintf(stderr, "zu42linkbench: cannot start %s\n", qPrintable(simPath));
        return 1;
    }

    std::printf("%d exchanges of \"000AS\" per column, in %d alternating rounds\n", count, rounds);
    std::printf("%-6s %-14s %14s %14s %9s\n", "link", "exchange", "median rt us", "cpu/exch us", "failures");
    bool met = true;
    for (const bool net : { true, false }) {
        Samples link, raw;
        // Alternate which goes first, so that neither has the warmer caches throughout.
        for (int r = 0; r < rounds; ++r) {
            const int n = count / rounds;
            if (r % 2 == 0) {
                rawBlock(net, sim, n, &raw);
                linkBlock(net, sim, n, &link);
            } else {
                linkBlock(net, sim, n, &link);
                rawBlock(net, sim, n, &raw);
            }
        }
        const char *kind = net ? "tcp" : "pty";
        std::printf("%-6s %-14s %14.1f %14.1f %9d\n", kind, "raw POSIX", raw.median(), raw.cpuPerExchange(), raw.failures);
        std::printf("%-6s %-14s %14.1f %14.1f %9d\n", kind, "link.exchange", link.median(), link.cpuPerExchange(), link.failures);
        const double extra = link.median() - raw.median();
        const double ratio = raw.cpuPerExchange() > 0 ? link.cpuPerExchange() / raw.cpuPerExchange() : 0;
        const bool ok = extra <= 300 && ratio <= 2 && link.failures == 0 && raw.failures == 0;
        std::printf("%-6s median +%.1f us (target <= 300), cpu x%.2f (target <= 2): %s\n", kind, extra, ratio,
                    ok ? "met" : "MISSED");
        met = met && ok;
    }
    return met ? 0 : 1;
}
