#include "commandframe.h"
#include "controllerlink.h"
#include "simprocess.h"
#include "stopwatch.h"

#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using Failure = ControllerLink::Failure;
Q_DECLARE_METATYPE(ControllerLink::Failure)

namespace {

void aimAt(ControllerLink &link, const QString &path, const QString &mode = QStringLiteral("19200,e,8,1"))
{
    link.LinkMode = ControllerLink::Com;
    link.PortName = path;
    link.LineMode = mode;
}

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

bool sameSettings(const termios &a, const termios &b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag
        && ::cfgetispeed(&a) == ::cfgetispeed(&b) && ::cfgetospeed(&a) == ::cfgetospeed(&b)
        && std::equal(std::begin(a.c_cc), std::end(a.c_cc), std::begin(b.c_cc));
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

const QByteArray AsReply = CommandFrame::encodeReply("000", "AS", "24010042");

} // namespace

class SerialLinkTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldExchangeTheWorkedFrameOverTheLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("COM") << int(ControllerLink::Com);
        QTest::newRow("any mode but NET is COM") << 7;
    }
    void shouldExchangeTheWorkedFrameOverTheLine()
    {
        QFETCH(int, mode);
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        link.LinkMode = std::uint8_t(mode);
        link.HostPort = QString::number(sim.port() + 1); // not used on the serial line
        QVERIFY2(link.OpenLink(), qPrintable(link.lastFailureText()));
        QVERIFY(link.SendCommand("000AS"));
        QCOMPARE(link.LastReply, AsReply);
        QCOMPARE(link.ReplyLength, 20);
        QCOMPARE(link.CheckHigh, std::uint8_t(0x11));
        QCOMPARE(link.CheckLow, std::uint8_t(0xB7));
        QVERIFY(link.SendCommand("000AV"));
        QCOMPARE(link.ReplyLength, 20);
        link.CloseLink();
        QCOMPARE(sim.requests(), (QList<QByteArray> { "000AS", "000AV" }));
    }

    void shouldJudgeTheRepliesAControllerMaySend_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("result");
        QTest::addColumn<Failure>("failure");
        QTest::newRow("noise before ETX") << "AS:noise" << true << Failure::None;
        QTest::newRow("trailing bytes dropped") << "AS:trailing" << true << Failure::None;
        QTest::newRow("bad CRC") << "AS:badcrc" << false << Failure::InvalidReply;
        QTest::newRow("lowercase digits") << "AS:lowercase" << false << Failure::InvalidReply;
        QTest::newRow("no EOT") << "AS:noeot" << false << Failure::InvalidReply;
        QTest::newRow("no reply") << "AS:noreply" << false << Failure::NoAnswer;
    }
    void shouldJudgeTheRepliesAControllerMaySend()
    {
        QFETCH(QString, fault);
        QFETCH(bool, result);
        QFETCH(Failure, failure);
        SimProcess sim({ "--fault", fault }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        QCOMPARE(link.SendCommand("000AS"), result);
        QCOMPARE(link.lastFailure(), failure);
        if (result)
            QCOMPARE(link.LastReply, AsReply);
        // Whatever the fault left on the line is not taken for the next answer.
        QVERIFY(link.SendCommand("000AV"));
        QCOMPARE(link.LastReply, CommandFrame::encodeReply("000", "AV", "ZO425V05"));
        link.CloseLink();
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
        QFETCH(int, gapMs);
        QFETCH(bool, result);
        SimProcess sim({ "--fault", QStringLiteral("AS:split:4:%1").arg(gapMs) }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        StopWatch watch;
        QCOMPARE(link.SendCommand("000AS"), result);
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        if (result) {
            QCOMPARE(link.LastReply, AsReply);
            QVERIFY2(wall >= 4 * gapMs - 50, qPrintable(QString::number(wall))); // five chunks, four gaps
        } else {
            QCOMPARE(link.lastFailure(), Failure::NoAnswer);
            // First chunk at once, then silence: the idle limit, not the overall one, ends it.
            QVERIFY2(wall >= 290 && wall < gapMs + 250, qPrintable(QString::number(wall)));
        }
        QVERIFY2(cpu < wall * 0.1, qPrintable(QStringLiteral("cpu %1 ms in %2 ms").arg(cpu).arg(wall)));
        link.CloseLink();
    }

    void shouldEndEndlessReplyAtOverallBound()
    {
        SimProcess sim({ "--fault", "AS:endless" }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        StopWatch watch;
        QVERIFY(!link.SendCommand("000AS"));
        const qint64 wall = watch.wallMs();
        QCOMPARE(link.lastFailure(), Failure::NoAnswer);
        QVERIFY2(wall >= ControllerLink::SerialOverallLimitMs - 50 && wall < ControllerLink::SerialOverallLimitMs + 800,
                 qPrintable(QString::number(wall)));
        QVERIFY2(watch.cpuMs() < wall * 0.1, qPrintable(QString::number(watch.cpuMs())));
        link.CloseLink();
    }

    // A USB adapter pulled out mid-reply: the wait must return at once and not spin on errors.
    void shouldFailAtOnceWhenTheLineHangsUp()
    {
        SimProcess sim({ "--fault", "AS:hangup" }, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        const int fdsOpen = ProcessProbe::openDescriptors();
        StopWatch watch;
        QVERIFY(!link.SendCommand("000AS"));
        const qint64 wall = watch.wallMs();
        const double cpu = watch.cpuMs();
        QCOMPARE(link.lastFailure(), Failure::HungUp);
        // The simulator hangs up 20 ms after half the reply.
        QVERIFY2(wall < 150, qPrintable(QString::number(wall)));
        QVERIFY2(cpu < 30, qPrintable(QString::number(cpu)));
        QVERIFY(!link.isOpen());
        QVERIFY(ProcessProbe::openDescriptors() < fdsOpen);
        // Further exchanges on the dead link fail without waiting.
        watch.restart();
        QVERIFY(!link.SendCommand("000AS"));
        QVERIFY(watch.wallMs() < 50);
        link.CloseLink();
        QCOMPARE(link.closeCount(), 1);
    }

    void shouldOpenThePortExclusively()
    {
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink first;
        aimAt(first, sim.ptyPath());
        QVERIFY(first.OpenLink());
        {
            ControllerLink second;
            aimAt(second, sim.ptyPath());
            const int fds = ProcessProbe::openDescriptors();
            QVERIFY(!second.OpenLink());
            QCOMPARE(second.lastFailure(), Failure::PortBusy);
            QCOMPARE(ProcessProbe::openDescriptors(), fds);
        }
        // The refused open did not disturb the one that holds the port.
        QVERIFY(first.SendCommand("000AS"));
        first.CloseLink();
        ControllerLink third;
        aimAt(third, sim.ptyPath());
        QVERIFY2(third.OpenLink(), qPrintable(third.lastFailureText()));
        QVERIFY(third.SendCommand("000AS"));
        third.CloseLink();
    }

    // Line settings and read time-outs are the port's own again after the close.
    void shouldRestoreLineSettingsAfterClose_data()
    {
        QTest::addColumn<bool>("exchange");
        QTest::newRow("open and close") << false;
        QTest::newRow("with an exchange") << true;
    }
    void shouldRestoreLineSettingsAfterClose()
    {
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
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        if (exchange)
            QVERIFY(link.SendCommand("000AS"));
        link.CloseLink();

        SlaveView view(sim.ptyPath());
        const termios after = view.get();
        QVERIFY2(sameSettings(before, after), qPrintable(describe(before) + QStringLiteral(" | ") + describe(after)));
    }

    // A pseudo-terminal keeps speed and stop bits but always reports 8 bits without parity
    // (the kernel forces them), so those two are what shows the mode string at work here.
    void shouldApplyLineModeWhileOpen_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStop");
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
    }
    void shouldApplyLineModeWhileOpen()
    {
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
        aimAt(link, sim.ptyPath(), mode);
        QVERIFY2(link.OpenLink(), qPrintable(link.lastFailureText()));
        const termios t = view.get();
        QCOMPARE(int(::cfgetospeed(&t)), speed);
        QCOMPARE(bool(t.c_cflag & CSTOPB), twoStop);
        QVERIFY(link.SendCommand("000AS"));
        link.CloseLink();
    }

    void shouldFailOpenOfMissingPort_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Failure>("failure");
        QTest::newRow("empty name") << "" << Failure::NoSuchPort;
        QTest::newRow("missing device") << "/dev/zu42-no-such-port" << Failure::NoSuchPort;
        QTest::newRow("missing tty name") << "ttyZU42none" << Failure::NoSuchPort;
    }
    void shouldFailOpenOfMissingPort()
    {
        QFETCH(QString, name);
        QFETCH(Failure, failure);
        ControllerLink link;
        aimAt(link, name);
        const int fds = ProcessProbe::openDescriptors();
        QVERIFY(!link.OpenLink());
        QCOMPARE(link.lastFailure(), failure);
        QVERIFY(!link.isOpen());
        QCOMPARE(ProcessProbe::openDescriptors(), fds);
    }

    void shouldRefuseCommandTooLongWithoutSending()
    {
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        ControllerLink link;
        aimAt(link, sim.ptyPath());
        QVERIFY(link.OpenLink());
        QVERIFY(!link.SendCommand("000" + QByteArray(1491, 'Q')));
        QCOMPARE(link.lastFailure(), Failure::CommandTooLong);
        QVERIFY(link.SendCommand("000AS"));
        link.CloseLink();
        QCOMPARE(sim.requests(), QList<QByteArray> { "000AS" });
    }

    void shouldLeaveNoDescriptorOpen()
    {
        SimProcess sim({}, true);
        QVERIFY(sim.start());
        auto cycle = [&] {
            ControllerLink good;
            aimAt(good, sim.ptyPath());
            QVERIFY(good.OpenLink());
            QVERIFY(good.SendCommand("000AS"));
            ControllerLink busy;
            aimAt(busy, sim.ptyPath());
            QVERIFY(!busy.OpenLink());
            good.CloseLink();
            ControllerLink missing;
            aimAt(missing, QStringLiteral("/dev/zu42-no-such-port"));
            QVERIFY(!missing.OpenLink());
            ControllerLink dropped; // closes itself when it goes
            aimAt(dropped, sim.ptyPath());
            QVERIFY(dropped.OpenLink());
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
