#include "protocol/commandframe.h"
#include "simprocess.h"

#include <QSet>
#include <QTcpSocket>
#include <QTest>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace {

QByteArray request(const QByteArray &command)
{
    return *CommandFrame::encodeRequest(command);
}

// Five kinds of command, over and over: a fault placed every N-th would strike one kind only.
const QList<QByteArray> Kinds { "000AS", "000AV", "000IE", "000DF", "000AP001001" };

// Sends `count` requests at once and returns the places of those that got no reply. Replies come
// in order and at most two in a row go missing, so each reply's head tells its place.
QList<int> lostPlaces(quint16 port, int count)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(3000))
        return { -1 };
    QByteArray requests;
    for (int i = 0; i < count; ++i)
        requests += request(Kinds[i % Kinds.size()]);
    socket.write(requests);
    QByteArray replies;
    while (socket.waitForReadyRead(300))
        replies += socket.readAll();
    QList<int> lost;
    int place = 0;
    for (const QByteArray &reply : replies.split('\r')) {
        if (reply.isEmpty())
            continue;
        if (!CommandFrame::isValidReply(reply + '\r'))
            return { -2 };
        while (place < count && Kinds[place % Kinds.size()].mid(3, 2) != reply.mid(4, 2))
            lost.append(place++);
        ++place;
    }
    while (place < count)
        lost.append(place++);
    return lost;
}

#ifndef Q_OS_WIN
// One reply from the line: up to a second for it to begin, then until its CR or a pause.
QByteArray readReply(int fd)
{
    QByteArray in;
    pollfd readable { fd, POLLIN, 0 };
    for (int wait = 1000; !in.endsWith('\r') && ::poll(&readable, 1, wait) > 0; wait = 150) {
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        in.append(buffer, n);
    }
    return in;
}
#endif

} // namespace

// The soak faults against a real zu42sim: their rates must be what the options say, on every
// kind of command, and a cut must look to the tool like a controller gone mid-reply.
class ReplyFaultTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldLoseOneReplyInEachRunOfN()
    {
        SimProcess sim({ "--lose-every", "10", "--seed", "7" });
        QVERIFY(sim.start());
        const QList<int> lost = lostPlaces(sim.port(), 200);
        QCOMPARE(sim.requests().size(), 200);
        QCOMPARE(lost.size(), 20);
        QSet<int> kinds;
        for (int i = 0; i < lost.size(); ++i) {
            QCOMPARE(lost[i] / 10, i);
            kinds.insert(lost[i] % Kinds.size());
        }
        QVERIFY2(kinds.size() >= 3, "the losses keep to the same few kinds of command");

        SimProcess again({ "--lose-every", "10", "--seed", "7" });
        SimProcess other({ "--lose-every", "10", "--seed", "8" });
        QVERIFY(again.start() && other.start());
        QCOMPARE(lostPlaces(again.port(), 200), lost);
        const QList<int> otherLost = lostPlaces(other.port(), 200);
        QCOMPARE(otherLost.size(), 20);
        QVERIFY(otherLost != lost);
    }

    void shouldCutReplyHalfWayAndCloseTheConnection()
    {
        SimProcess sim({ "--cut-every", "4", "--seed", "3" });
        QVERIFY(sim.start());
        const QByteArray full = CommandFrame::encodeReply("000", "AS", "24010042");
        QTcpSocket socket;
        int cuts = 0;
        for (int i = 0; i < 40; ++i) {
            if (socket.state() != QAbstractSocket::ConnectedState) {
                socket.connectToHost(QHostAddress::LocalHost, sim.port());
                QVERIFY(socket.waitForConnected(3000));
            }
            socket.write(request("000AS"));
            QByteArray in;
            while (!in.endsWith('\r') && socket.waitForReadyRead(2000))
                in += socket.readAll();
            in += socket.readAll();
            if (in == full)
                continue;
            ++cuts;
            QVERIFY2(!in.isEmpty() && in.size() < full.size() && full.startsWith(in) && !in.contains(CommandFrame::EOT), in.toHex().constData());
            QVERIFY(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(1000));
        }
        QCOMPARE(cuts, 10);
    }

    // The line has no connection to close: it must stay there for the rest of the run.
    void shouldCutReplyOnTheLineAndAnswerTheNext()
    {
#ifdef Q_OS_WIN
        QSKIP("the Windows zu42sim serves no pseudo-terminal: there is none on Windows");
#else
        SimProcess sim({ "--cut-every", "3" }, true);
        QVERIFY(sim.start());
        const int fd = ::open(sim.ptyPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(fd >= 0);
        const QByteArray full = CommandFrame::encodeReply("000", "AV", "ZO425V05");
        int cuts = 0;
        for (int i = 0; i < 12; ++i) {
            const QByteArray frame = request("000AV");
            QCOMPARE(::write(fd, frame.constData(), size_t(frame.size())), ssize_t(frame.size()));
            const QByteArray in = readReply(fd);
            if (in != full) {
                ++cuts;
                QVERIFY2(!in.isEmpty() && in.size() < full.size() && full.startsWith(in), in.toHex().constData());
            }
        }
        ::close(fd);
        QCOMPARE(cuts, 4);
#endif
    }
};

QTEST_GUILESS_MAIN(ReplyFaultTest)
#include "replyfaulttest.moc"
