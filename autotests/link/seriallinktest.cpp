#include "exchangerecorder.h"
#include "link/controllerlink.h"
#include "protocol/commandframe.h"
#include "simprocess.h"
#include "stopwatch.h"

#include <QStandardPaths>
#include <QTest>

#ifndef Q_OS_WIN
#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(Verdict)
Q_DECLARE_METATYPE(OpenFailure)

namespace {

LinkSettings serialAt(const QString &path, const QString &mode = QStringLiteral("19200,e,8,1"))
{
    return LinkSettings::serial(path, mode);
}

} // namespace

// Every case that talks to the simulator's serial line; under Wine that is the Linux
// simulator's pseudo-terminal mapped to a COM port (SimProcess).
#define REQUIRE_SERIAL_LINE()                                                   \
    do {                                                                        \
        if (const QString why = SimProcess::serialLineUnavailable(); !why.isEmpty()) \
            QSKIP(qPrintable(why));                                             \
    } while (false)

// Cases that read or set the pseudo-terminal's own settings with termios.
#ifdef Q_OS_WIN
#define REQUIRE_TERMIOS() QSKIP("the pseudo-terminal's settings are seen only through termios on Linux; Wine's COM port " \
                                "on it gives no view of its own")
#else
#define REQUIRE_TERMIOS() REQUIRE_SERIAL_LINE()
#endif

#ifndef Q_OS_WIN
namespace {

// A descriptor of our own on the slave side, to read and set what the tool's open changes.
class SlaveView
{
public:
    explicit SlaveView(const QString &path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~SlaveView()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    termios get() const
    {
        termios t {};
        ::tcgetattr(m_fd, &t);
        return t;
    }
    bool set(const termios &t) const { return ::tcsetattr(m_fd, TCSANOW, &t) == 0; }

private:
    int m_fd;
};

QString describe(const termios &t)
{
    QString cc;
    for (int i = 0; i < NCCS; ++i)
        cc += QString::number(t.c_cc[i]) + QLatin1Char(' ');
    return QStringLiteral("i%1 o%2 c%3 l%4 speed %5/%6 cc %7")
        .arg(t.c_iflag, 0, 16).arg(t.c_oflag, 0, 16).arg(t.c_cflag, 0, 16).arg(t.c_lflag, 0, 16)
        .arg(::cfgetispeed(&t)).arg(::cfgetospeed(&t)).arg(cc);
}

// Settings no open would choose: 9600 baud, odd parity, 7 bits, 2 stop bits, reads that wait
// for 5 bytes or 0.3 s.
termios unusual(termios t, speed_t speed = B9600)
{
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB;
    t.c_cc[VMIN] = 5;
    t.c_cc[VTIME] = 3;
    return t;
}

// A pseudo-terminal of the test's own, without a simulator: the test holds only the master, so
// the tool's close of the slave is its last, a hang-up the master sees.
class PseudoTerminal
{
public:
    PseudoTerminal()
        : m_master(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        if (m_master >= 0 && (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)) {
            ::close(m_master);
            m_master = -1;
        }
    }
    ~PseudoTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return QString::fromLocal8Bit(::ptsname(m_master)); }
    // The slave's settings: termios requests on a master act on its slave.
    termios slaveSettings() const
    {
        termios t {};
        ::tcgetattr(m_master, &t);
        return t;
    }
    bool hungUp() const
    {
        pollfd p { m_master, POLLIN, 0 };
        return ::poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
    }

private:
    int m_master;
};

// Opens and closes of one device by anyone, as the system counts them: a close is counted
// once the last descriptor of an open goes.
class OpenWatch
{
public:
    explicit OpenWatch(const QString &path)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0 && ::inotify_add_watch(m_fd, path.toLocal8Bit().constData(), IN_OPEN | IN_CLOSE) < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~OpenWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isWatching() const { return m_fd >= 0; }
    // Counts what has come since the last look.
    void take()
    {
        alignas(inotify_event) char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                opens += (event->mask & IN_OPEN) ? 1 : 0;
                closes += (event->mask & IN_CLOSE) ? 1 : 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }
    int opens = 0;
    int closes = 0;

private:
    int m_fd;
};

gid_t groupId(const char *name)
{
    const group *g = ::getgrnam(name);
    return g ? g->gr_gid : gid_t(-1);
}

} // namespace
#endif

namespace {
const QByteArray AsReply = CommandFrame::encodeReply("000", "AS", "24010042");
} // namespace

class SerialLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldExchangeTheWorkedFrameOverTheLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("COM") << int(LinkSettings::Com);
        QTest::newRow("any mode but NET is COM") << 7;
    }
    void shouldExchangeTheWorkedFrameOverTheLine()
    {
        REQUIRE_SERIAL_LINE();
        QFETCH(int, mode);
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink link;
        LinkSettings settings = serialAt(sim.ptyPath());
        settings.mode = std::uint8_t(mode);
        settings.hostPort = QString::number(sim.port() + 1); // not used on the serial line
        QVERIFY2(link.open(settings), qPrintable(link.openFailureText()));
        const Reply reply = link.exchange("000AS");
        QVERIFY(reply.ok());
        QCOMPARE(reply.bytes, AsReply);
        QCOMPARE(reply.length(), 20);
        QCOMPARE(reply.requestCrc, std::uint16_t(0x11B7));
        QCOMPARE(link.exchange("000AV").length(), 20);
        link.close();
        QCOMPARE(sim.requests(), (QList<QByteArray> { "000AS", "000AV" }));
    }

    void shouldJudgeTheRepliesAControllerMaySend_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Verdict>("verdict");
        QTest::newRow("noise before ETX") << "AS:noise" << Verdict::Answered;
        QTest::newRow("trailing bytes dropped") << "AS:trailing" << Verdict::Answered;
        QTest::newRow("bad CRC") << "AS:badcrc" << Verdict::BadCheckDigits;
        QTest::newRow("lowercase digits") << "AS:lowercase" << Verdict::BadCheckDigits;
        QTest::newRow("no EOT") << "AS:noeot" << Verdict::BadCheckDigits;
        QTest::newRow("no reply") << "AS:noreply" << Verdict::NoReply;
    }
    void shouldJudgeTheRepliesAControllerMaySend()
    {
        REQUIRE_SERIAL_LINE();
        QFETCH(QString, fault);
        QFETCH(Verdict, verdict);
        SimProcess sim({ "--fault", fault }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(serialAt(sim.ptyPath())));
        const Reply reply = link.exchange("000AS");
        QCOMPARE(reply.verdict, verdict);
        if (reply.ok())
            QCOMPARE(reply.bytes, AsReply);
        // Whatever the fault left on the line is not taken for the next answer.
        const Reply next = link.exchange("000AV");
        QVERIFY(next.ok());
        QCOMPARE(next.bytes, CommandFrame::encodeReply("000", "AV", "ZO425V05"));
        link.close();
    }

    // 300 ms without a byte ends the exchange; gaps shorter than that do not.
    void shouldEndExchangeOnlyAfterIdleLimit_data()
    {
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<bool>("result");
        QTest::newRow("gaps of 250 ms") << 250 << true;
        QTest::newRow("gap of 350 ms") << 350 << false;
    }
    void shouldEndExchangeOnlyAfterIdleLimit()
    {
        REQUIRE_SERIAL_LINE();
        QFETCH(int, gapMs);
        QFETCH(bool, result);
        SimProcess sim({ "--fault", QStringLiteral("AS:split:4:%1").arg(gapMs) }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(serialAt(sim.ptyPath())));
        StopWatch watch;
        const Reply reply = link.exchange("000AS");
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        QCOMPARE(reply.ok(), result);
        if (result) {
            QCOMPARE(reply.bytes, AsReply);
            QVERIFY2(wall >= 4 * gapMs - 50, qPrintable(QString::number(wall))); // five chunks, four gaps
        } else {
            // The reply had begun: it was cut off by the silence.
            QCOMPARE(reply.verdict, Verdict::CutOff);
            // First chunk at once, then silence: the idle limit, not the overall one, ends it.
            QVERIFY2(wall >= 290 && wall < gapMs + 250, qPrintable(QString::number(wall)));
        }
        QVERIFY2(cpu < wall * 0.1, qPrintable(QStringLiteral("cpu %1 ms in %2 ms").arg(cpu).arg(wall)));
        link.close();
    }

    // The request goes out whole, and a line that says nothing back is given up after the idle
    // limit, not the overall one, without spinning.
    void shouldSendAndEndASilentLineAtTheIdleLimit_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("19200,e,8,1") << "19200,e,8,1" << QByteArray("000AS");
        QTest::newRow("115200,n,8,1, a long command") << "115200,n,8,1" << "000DM" + QByteArray(600, 'x');
    }
    void shouldSendAndEndASilentLineAtTheIdleLimit()
    {
        REQUIRE_SERIAL_LINE();
        QFETCH(QString, mode);
        QFETCH(QByteArray, command);
        SimProcess sim({ "--fault", "*:noreply" }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY2(link.open(serialAt(sim.ptyPath(), mode)), qPrintable(link.openFailureText()));
        StopWatch watch;
        const Reply reply = link.exchange(command);
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        QCOMPARE(reply.verdict, Verdict::NoReply);
        QVERIFY2(wall >= ExchangeLimits::SerialIdleMs - 10 && wall < ExchangeLimits::SerialIdleMs + 250,
                 qPrintable(QString::number(wall)));
        QVERIFY2(cpu < wall * 0.1, qPrintable(QStringLiteral("cpu %1 ms in %2 ms").arg(cpu).arg(wall)));
        link.close();
        // The simulator logs a request once it has its whole frame: every byte went out.
        QTRY_COMPARE(sim.requests(), QList<QByteArray> { command });
        QCOMPARE(sim.requestsCrcOk(), QList<bool> { true });
    }

    // The overall bound ends a line that keeps talking; shorter limits show the mechanism
    // without waiting the default five seconds, the default row shows the default holds.
    void shouldEndEndlessReplyAtOverallBound_data()
    {
        QTest::addColumn<int>("overallMs");
        QTest::newRow("default bound") << 0;
        QTest::newRow("bound set to 800 ms") << 800;
    }
    void shouldEndEndlessReplyAtOverallBound()
    {
        REQUIRE_SERIAL_LINE();
        QFETCH(int, overallMs);
        SimProcess sim({ "--fault", "AS:endless" }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        if (overallMs > 0)
            link.setLimits({ overallMs, ExchangeLimits::SerialIdleMs });
        const int bound = overallMs > 0 ? overallMs : ExchangeLimits::SerialOverallMs;
        QVERIFY(link.open(serialAt(sim.ptyPath())));
        StopWatch watch;
        const Reply reply = link.exchange("000AS");
        const qint64 wall = watch.wallMs();
        QVERIFY(!reply.ok());
        QVERIFY2(wall >= bound - 50 && wall < bound + 800, qPrintable(QString::number(wall)));
        QVERIFY2(watch.cpuMs() < wall * 0.1, qPrintable(QString::number(watch.cpuMs())));
        link.close();
    }

    // A USB adapter pulled out mid-reply: the wait must return at once and not spin on errors.
    void shouldFailAtOnceWhenTheLineHangsUp()
    {
        REQUIRE_SERIAL_LINE();
        if (SimProcess::underWine())
            QSKIP("Wine reports the hang-up of a pseudo-terminal as silence: the exchange ends at the idle "
                  "limit (300 ms), not at once");
        SimProcess sim({ "--fault", "AS:hangup" }, true);
        QVERIFY(sim.start());
        // Before the link, which tells it of its close as it goes.
        ExchangeRecorder recorder;
        ControllerLink link;
        link.addObserver(&recorder);
        QVERIFY(link.open(serialAt(sim.ptyPath())));
        const int fdsOpen = ProcessProbe::openDescriptors();
        StopWatch watch;
        const Reply reply = link.exchange("000AS");
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        // Half the reply had come: it was cut off by the hang-up.
        QCOMPARE(reply.verdict, Verdict::CutOff);
        // The simulator hangs up 20 ms after half the reply.
        QVERIFY2(wall < 150, qPrintable(QString::number(wall)));
        QVERIFY2(cpu < 30, qPrintable(QString::number(cpu)));
        QVERIFY(!link.isOpen());
        QVERIFY(ProcessProbe::openDescriptors() < fdsOpen);
        // Further exchanges on the dead link fail without waiting.
        watch.restart();
        QVERIFY(!link.exchange("000AS").ok());
        QVERIFY(watch.wallMs() < 50);
        link.close();
        QCOMPARE(recorder.closes(), 1);
    }

    // At the close Qt puts back what the device had before the open; the line must not follow:
    // the device's one hang-up (one open, one close: no second open to set the speed again)
    // leaves it at the operation's speed and framing, with the time-outs and the processing
    // flags it had before.
    void shouldHangUpOnceAtTheLineTheOperationSet_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStop");
#ifndef Q_OS_WIN
        QTest::newRow("57600,n,8,1") << "57600,n,8,1" << int(B57600) << false;
        QTest::newRow("115200,n,8,2") << "115200,n,8,2" << int(B115200) << true;
#endif
    }
    void shouldHangUpOnceAtTheLineTheOperationSet()
    {
        REQUIRE_TERMIOS();
#ifndef Q_OS_WIN
        QFETCH(QString, mode);
        QFETCH(int, speed);
        QFETCH(bool, twoStop);
        PseudoTerminal pty;
        QVERIFY(pty.isOpen());
        termios before {};
        {
            SlaveView setter(pty.slavePath());
            QVERIFY(setter.isOpen());
            termios t = unusual(setter.get(), B38400);
            t.c_lflag = ECHO | ICANON;
            t.c_iflag = ICRNL;
            t.c_oflag = OPOST | ONLCR;
            t.c_cflag &= ~CSTOPB;
            QVERIFY(setter.set(t));
            before = setter.get();
        }
        OpenWatch watch(pty.slavePath());
        QVERIFY(watch.isWatching());

        ControllerLink link;
        QVERIFY2(link.open(serialAt(pty.slavePath(), mode)), qPrintable(link.openFailureText()));
        link.close();

        watch.take();
        QCOMPARE(watch.opens, 1);
        QCOMPARE(watch.closes, 1);
        QVERIFY(pty.hungUp());
        // Nobody holds the slave now: what it has is what it had at the hang-up.
        const termios after = pty.slaveSettings();
        QCOMPARE(int(::cfgetospeed(&after)), speed);
        QCOMPARE(bool(after.c_cflag & CSTOPB), twoStop);
        QCOMPARE(after.c_cc[VMIN], before.c_cc[VMIN]);
        QCOMPARE(after.c_cc[VTIME], before.c_cc[VTIME]);
        QCOMPARE(after.c_lflag, before.c_lflag);
        QCOMPARE(after.c_iflag, before.c_iflag);
        QCOMPARE(after.c_oflag, before.c_oflag);
#endif
    }

    // A USB adapter pulled out while the tool waits for a reply: the exchange ends on the
    // hang-up, not at a time-out, the link says the device went, and nothing of it stays open.
    // How soon it ends is measured in bench/ (linkbench).
    void shouldEndTheExchangeWhenTheAdapterVanishes_data()
    {
        QTest::addColumn<int>("answeredFirst");
        QTest::newRow("on the first request") << 0;
        QTest::newRow("after two answers") << 2;
    }
    void shouldEndTheExchangeWhenTheAdapterVanishes()
    {
        REQUIRE_SERIAL_LINE();
        if (SimProcess::underWine())
            QSKIP("Wine reports the hang-up of a pseudo-terminal as silence: the exchange ends at the idle limit");
        QFETCH(int, answeredFirst);
        SimProcess sim({ "--vanish-after", QString::number(answeredFirst + 1) }, true);
        QVERIFY(sim.start());
        ExchangeRecorder recorder;
        const int fds = ProcessProbe::openDescriptors();
        {
            ControllerLink link;
            link.addObserver(&recorder);
            QVERIFY(link.open(serialAt(sim.ptyPath())));
            for (int i = 0; i < answeredFirst; ++i)
                QVERIFY(link.exchange("000AS").ok());
            const Reply reply = link.exchange("000AS");
            QCOMPARE(reply.verdict, Verdict::HungUp);
            QVERIFY2(reply.detail.contains(QStringLiteral("went away")), qPrintable(reply.detail));
            QVERIFY(!link.isOpen());
            QCOMPARE(link.openFailure(), OpenFailure::DeviceRemoved);
            QVERIFY2(link.openFailureText().contains(QStringLiteral("removed")), qPrintable(link.openFailureText()));
            // The dead link takes nothing more and waits for nothing.
            QCOMPARE(link.exchange("000AS").verdict, Verdict::LinkFailed);
            link.close();
        }
        QCOMPARE(recorder.closes(), 1);
        QCOMPARE(ProcessProbe::openDescriptors(), fds);
    }

    // Who may open a device is its group's business: the reason names the group (its number
    // where it has no name) and the command that lets the user in.
    void shouldSayWhichGroupMayOpenTheDevice_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<uint>("gid");
#ifndef Q_OS_WIN
        QTest::newRow("dialout") << "dialout" << uint(groupId("dialout"));
        QTest::newRow("a group without a name") << "54321" << 54321u;
#endif
    }
    void shouldSayWhichGroupMayOpenTheDevice()
    {
#ifdef Q_OS_WIN
        QSKIP("a COM port belongs to no group");
#else
        QFETCH(QString, group);
        QFETCH(uint, gid);
        if (::geteuid() != 0)
            QSKIP("giving a file to another group needs root");
        if (gid_t(gid) == gid_t(-1))
            QSKIP(qPrintable(QStringLiteral("this system has no group %1").arg(group)));
        QTemporaryDir dir;
        const QString device = dir.filePath(QStringLiteral("ttyUSB0"));
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(::chown(device.toLocal8Bit().constData(), uid_t(-1), gid_t(gid)), 0);
        const QString text = openFailureText(OpenFailure::PermissionDenied, device);
        const QString user = QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
        QVERIFY2(text.contains(QStringLiteral("only the group %1 may open %2").arg(group, device)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("sudo usermod -aG %1 %2").arg(group, user)), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("log out")), qPrintable(text));
#endif
    }

    // A port the user may not open, opened by a user who is not root (the tests run as root):
    // the link says permission denied with the device's group and that user.
    void shouldSayWhoMayOpenAPortTheUserMayNot()
    {
#ifdef Q_OS_WIN
        QSKIP("a COM port belongs to no group");
#else
        if (::geteuid() != 0)
            QSKIP("needs root to run the open as the user nobody: as any other user the port would be this user's");
        if (!::getpwnam("nobody") || groupId("nogroup") == gid_t(-1) || groupId("dialout") == gid_t(-1))
            QSKIP("needs the user nobody and the groups nogroup and dialout");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("needs setpriv (util-linux) to run the open as nobody");
        PseudoTerminal pty;
        QVERIFY(pty.isOpen());
        const QByteArray slave = pty.slavePath().toLocal8Bit();
        QCOMPARE(::chown(slave.constData(), 0, groupId("dialout")), 0);
        QCOMPARE(::chmod(slave.constData(), 0660), 0);
        QProcess probe;
        probe.start(setpriv, { QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                               QStringLiteral("--clear-groups"), QStringLiteral(ZU42_OPENPROBE), pty.slavePath() });
        QVERIFY(probe.waitForFinished(10000));
        QCOMPARE(probe.exitCode(), 0);
        const QStringList said = QString::fromLocal8Bit(probe.readAllStandardOutput()).split(QLatin1Char('\n'));
        QCOMPARE(said.value(0).toInt(), int(OpenFailure::PermissionDenied));
        QVERIFY2(said.value(1).contains(QStringLiteral("sudo usermod -aG dialout nobody")), qPrintable(said.value(1)));
#endif
    }

    void shouldOpenThePortExclusively()
    {
        REQUIRE_SERIAL_LINE();
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink first;
        QVERIFY(first.open(serialAt(sim.ptyPath())));
        {
            ControllerLink second;
            const int fds = ProcessProbe::openDescriptors();
            QVERIFY(!second.open(serialAt(sim.ptyPath())));
            if (SimProcess::underWine())
                QEXPECT_FAIL("", "Wine opens a COM port without the share lock Windows holds, and the second open fails "
                                 "later, as 'Invalid parameter', which tells no busy port from other failures", Continue);
            QCOMPARE(second.openFailure(), OpenFailure::PortBusy);
            QCOMPARE(ProcessProbe::openDescriptors(), fds);
        }
        // The refused open did not disturb the one that holds the port.
        QVERIFY(first.exchange("000AS").ok());
        first.close();
        ControllerLink third;
        QVERIFY2(third.open(serialAt(sim.ptyPath())), qPrintable(third.openFailureText()));
        QVERIFY(third.exchange("000AS").ok());
        third.close();
        QCOMPARE(sim.requests(), (QList<QByteArray> { "000AS", "000AS" }));
    }

    // The close gives the port back its read time-outs; the line keeps what the open set.
    void shouldRestoreOnlyTimeoutsAtClose_data()
    {
        QTest::addColumn<bool>("exchange");
        QTest::newRow("open and close") << false;
        QTest::newRow("with an exchange") << true;
    }
    void shouldRestoreOnlyTimeoutsAtClose()
    {
        REQUIRE_TERMIOS();
#ifndef Q_OS_WIN
        QFETCH(bool, exchange);
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        {
            SlaveView setter(sim.ptyPath());
            QVERIFY(setter.isOpen());
            QVERIFY(setter.set(unusual(setter.get())));
        }
        termios before {};
        {
            SlaveView view(sim.ptyPath());
            before = view.get();
        }
        QCOMPARE(::cfgetospeed(&before), speed_t(B9600));

        ControllerLink link;
        QVERIFY(link.open(serialAt(sim.ptyPath(), QStringLiteral("57600,n,8,1"))));
        if (exchange)
            QVERIFY(link.exchange("000AS").ok());
        link.close();

        SlaveView view(sim.ptyPath());
        const termios after = view.get();
        QCOMPARE(after.c_cc[VMIN], before.c_cc[VMIN]);
        QCOMPARE(after.c_cc[VTIME], before.c_cc[VTIME]);
        QCOMPARE(::cfgetospeed(&after), speed_t(B57600));
        QVERIFY2(!(after.c_cflag & CSTOPB), qPrintable(describe(after)));
#endif
    }

    // An operator's typo in the speed box must not change what the line runs at: after an
    // operation at 57600, a malformed or empty mode string still talks at 57600.
    void shouldKeepTheLastLineSettingsForAMalformedMode_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("letters") << "abc";
        QTest::newRow("empty") << "";
    }
    void shouldKeepTheLastLineSettingsForAMalformedMode()
    {
        // On Windows the line in force is read back through the port's device control block
        // (GetCommState), which is what the link reports; the termios view is Linux's alone.
        REQUIRE_SERIAL_LINE();
        QFETCH(QString, mode);
        SimProcess sim({}, true);
        QVERIFY(sim.start());
#ifndef Q_OS_WIN
        termios first {};
        {
            SlaveView setter(sim.ptyPath());
            QVERIFY(setter.set(unusual(setter.get(), B38400)));
            first = setter.get();
        }
#endif
        ExchangeRecorder recorder;
        for (const QString &text : { QStringLiteral("57600,n,8,1"), mode, mode }) {
            ControllerLink link;
            link.addObserver(&recorder);
            QVERIFY2(link.open(serialAt(sim.ptyPath(), text)), qPrintable(link.openFailureText()));
            QVERIFY(link.exchange("000AS").ok());
            link.close();
#ifndef Q_OS_WIN
            SlaveView view(sim.ptyPath());
            const termios now = view.get();
            QCOMPARE(::cfgetospeed(&now), speed_t(B57600));
            QCOMPARE(now.c_cc[VMIN], first.c_cc[VMIN]);
            QCOMPARE(now.c_cc[VTIME], first.c_cc[VTIME]);
#endif
        }
        // What was in force during each exchange, as the link reported it.
        const QList<ExchangeEvent> exchanges = recorder.exchanges();
        QCOMPARE(exchanges.size(), 3);
        for (const ExchangeEvent &e : exchanges)
            QVERIFY2(e.link.endsWith(QStringLiteral(" 57600,n,8,1")), qPrintable(e.link));
    }

    // A pseudo-terminal keeps speed and stop bits but always reports 8 bits without parity
    // (the kernel forces them), so those two are what shows the mode string at work here.
    void shouldApplyLineModeWhileOpen_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStop");
#ifndef Q_OS_WIN
        QTest::newRow("19200,e,8,1") << "19200,e,8,1" << int(B9600) << int(B19200) << false;
        QTest::newRow("115200,n,8,2") << "115200,n,8,2" << int(B9600) << int(B115200) << true;
        QTest::newRow("1200,o,5,1.5") << "1200,o,5,1.5" << int(B9600) << int(B1200) << true;
        // The port keeps what it had (its speed, two stop bits) and still opens.
        QTest::newRow("letters only") << "abc" << int(B9600) << int(B9600) << true;
        QTest::newRow("empty") << "" << int(B9600) << int(B9600) << true;
        QTest::newRow("bad parity") << "19200,x,8,1" << int(B9600) << int(B9600) << true;
        QTest::newRow("three fields") << "19200,e,8" << int(B9600) << int(B9600) << true;
        QTest::newRow("malformed at 300 baud") << "abc" << int(B300) << int(B300) << true;
        QTest::newRow("malformed at 600 baud") << "abc" << int(B600) << int(B600) << true;
        QTest::newRow("malformed at 460800 baud") << "abc" << int(B460800) << int(B460800) << true;
#endif
    }
    void shouldApplyLineModeWhileOpen()
    {
        REQUIRE_TERMIOS();
#ifndef Q_OS_WIN
        QFETCH(QString, mode);
        QFETCH(int, before);
        QFETCH(int, speed);
        QFETCH(bool, twoStop);
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        // Opened before the link, so the exclusive open does not keep it out.
        SlaveView view(sim.ptyPath());
        QVERIFY(view.set(unusual(view.get(), speed_t(before))));
        QVERIFY(view.get().c_cflag & CSTOPB);

        ControllerLink link;
        QVERIFY2(link.open(serialAt(sim.ptyPath(), mode)), qPrintable(link.openFailureText()));
        const termios t = view.get();
        QCOMPARE(int(::cfgetospeed(&t)), speed);
        QCOMPARE(bool(t.c_cflag & CSTOPB), twoStop);
        QVERIFY(link.exchange("000AS").ok());
        link.close();
#endif
    }

    void shouldFailOpenOfMissingPort_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<OpenFailure>("failure");
        QTest::newRow("empty name") << "" << OpenFailure::NoSuchPort;
#ifdef Q_OS_WIN
        QTest::newRow("COM port nobody has") << "COM219" << OpenFailure::NoSuchPort;
        QTest::newRow("device namespace") << "\\\\.\\COM218" << OpenFailure::NoSuchPort;
#else
        QTest::newRow("missing device") << "/dev/zu42-no-such-port" << OpenFailure::NoSuchPort;
        QTest::newRow("missing tty name") << "ttyZU42none" << OpenFailure::NoSuchPort;
#endif
    }
    void shouldFailOpenOfMissingPort()
    {
        QFETCH(QString, name);
        QFETCH(OpenFailure, failure);
        ControllerLink link;
        const int fds = ProcessProbe::openDescriptors();
        QVERIFY(!link.open(serialAt(name)));
        QCOMPARE(link.openFailure(), failure);
        QVERIFY(!link.isOpen());
        QCOMPARE(ProcessProbe::openDescriptors(), fds);
    }

    void shouldRefuseCommandTooLongWithoutSending()
    {
        REQUIRE_SERIAL_LINE();
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink link;
        QVERIFY(link.open(serialAt(sim.ptyPath())));
        QCOMPARE(link.exchange("000" + QByteArray(1491, 'Q')).verdict, Verdict::Refused);
        QVERIFY(link.exchange("000AS").ok());
        link.close();
        QCOMPARE(sim.requests(), QList<QByteArray> { "000AS" });
    }

    void shouldLeaveNoDescriptorOpen()
    {
        REQUIRE_SERIAL_LINE();
        SimProcess sim({}, true);
        QVERIFY(sim.start());
#ifdef Q_OS_WIN
        const QString nowhere = QStringLiteral("COM219");
#else
        const QString nowhere = QStringLiteral("/dev/zu42-no-such-port");
#endif
        auto cycle = [&] {
            ControllerLink good;
            QVERIFY(good.open(serialAt(sim.ptyPath())));
            QVERIFY(good.exchange("000AS").ok());
            ControllerLink busy;
            QVERIFY(!busy.open(serialAt(sim.ptyPath())));
            good.close();
            ControllerLink missing;
            QVERIFY(!missing.open(serialAt(nowhere)));
            ControllerLink dropped; // closes itself when it goes
            QVERIFY(dropped.open(serialAt(sim.ptyPath())));
        };
        cycle();
        const int before = ProcessProbe::openDescriptors();
        for (int i = 0; i < 10; ++i)
            cycle();
        QCOMPARE(ProcessProbe::openDescriptors(), before);
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "seriallinktest.moc"
