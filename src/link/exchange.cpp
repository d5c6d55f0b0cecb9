#include "link/exchange.h"

#include "link/transport.h"
#include "protocol/commandframe.h"
#include "protocol/replyreceiver.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// Time since a mark, as the larger of the clock's and the waits the transport reported in full:
// a transport that answers a time-out at once (a simulated line keeps time of its own) has
// still "waited", so a wait made of slices ends after the slices its limit holds, not later.
class WaitClock
{
public:
    WaitClock() { m_timer.start(); }
    void restart()
    {
        m_timer.restart();
        m_waitedMs = 0;
    }
    void waited(int milliseconds) { m_waitedMs += milliseconds; }
    qint64 elapsed() const { return std::max(m_timer.elapsed(), m_waitedMs); }
    int remaining(int limitMs) const { return int(std::max<qint64>(0, limitMs - elapsed())); }

private:
    QElapsedTimer m_timer;
    qint64 m_waitedMs = 0;
};

Reply failed(Verdict verdict, const QString &detail, std::uint16_t crc)
{
    Reply reply;
    reply.verdict = verdict;
    reply.detail = detail;
    reply.requestCrc = crc;
    return reply;
}

// A line that went away: the reply was cut off if one had begun.
Reply closedDuring(const ReplyReceiver &receiver, const QString &detail, std::uint16_t crc)
{
    return failed(receiver.collecting() ? Verdict::CutOff : Verdict::HungUp,
                  QStringLiteral("The line went away during the exchange (%1)").arg(detail), crc);
}

// The limit a wait runs to, cut short (to the grace from now) once the interrupt says stop.
// Without an interrupt a read waits all that is left; with one, a slice at a time.
class InterruptibleWait
{
public:
    explicit InterruptibleWait(const std::function<bool()> &interrupted)
        : m_interrupted(interrupted)
    {
    }
    // How long the next read may wait of the `left` ms its limits allow: a slice at most, and
    // nothing after the cut's grace is over.
    int slice(int left) const
    {
        if (m_cut)
            left = std::min(left, m_sinceCut.remaining(Exchange::InterruptGraceMs));
        return m_interrupted ? std::min(left, Exchange::InterruptSliceMs) : left;
    }
    // After each read, told whether it waited all of its slice: asks the interrupt after such a
    // slice, and otherwise once a slice's time has gone by since it was last asked.
    void ask(bool sliceWaited, int sliceMs)
    {
        if (m_cut && sliceWaited)
            m_sinceCut.waited(sliceMs);
        if (!m_interrupted || m_cut)
            return;
        if (!sliceWaited && m_asked && m_sinceAsked.elapsed() < Exchange::InterruptSliceMs)
            return;
        m_asked = true;
        m_sinceAsked.restart();
        if (m_interrupted()) {
            m_cut = true;
            m_sinceCut.restart();
        }
    }
    // True when the wait is over for the cut (its grace spent), not for the exchange's limits.
    bool graceOver() const { return m_cut && m_sinceCut.remaining(Exchange::InterruptGraceMs) <= 0; }

private:
    const std::function<bool()> &m_interrupted;
    WaitClock m_sinceAsked;
    WaitClock m_sinceCut;
    bool m_asked = false;
    bool m_cut = false;
};

// Whatever follows a complete reply within the time given; a line that goes away now has
// nothing more to say and the reply stands. Cut short by the interrupt, what came so far counts.
void listenAfter(Transport &transport, int limitMs, Reply *reply, InterruptibleWait &wait)
{
    if (limitMs <= 0)
        return;
    WaitClock listening;
    char chunk[CommandFrame::BufferSize];
    for (int left = limitMs; left > 0 && !wait.graceOver(); left = listening.remaining(limitMs)) {
        const int slice = wait.slice(left);
        const Transport::IoResult got = transport.read(chunk, sizeof chunk, slice);
        const bool timedOut = got.status == Transport::Io::TimedOut;
        if (timedOut)
            listening.waited(slice);
        wait.ask(timedOut, slice);
        if (got.status == Transport::Io::Closed)
            return;
        reply->bytesAfter += got.count;
    }
}

} // namespace

QString Exchange::interruptedDetail()
{
    return QStringLiteral("Cancelled: the reply was not waited for");
}

Reply Exchange::run(Transport &transport, QByteArrayView command, const ExchangeLimits &limits,
                    QByteArray *request, QByteArray *received, const std::function<bool()> &interrupted)
{
    std::uint16_t crc = 0;
    const std::optional<QByteArray> frame = CommandFrame::encodeRequest(command, &crc);
    if (!frame)
        return failed(Verdict::Refused,
                      QStringLiteral("Command longer than %1 characters").arg(CommandFrame::MaxCommandLength), 0);
    if (request)
        *request = *frame;
    if (!transport.isOpen())
        return failed(Verdict::LinkFailed, QStringLiteral("The link is not open"), crc);

    ReplyReceiver receiver;
    const Transport::IoResult drained = transport.discardInput();
    if (drained.status == Transport::Io::Closed)
        return closedDuring(receiver, drained.detail, crc);

    WaitClock overall;
    const Transport::IoResult written = transport.write(*frame, limits.overallMs);
    if (written.status == Transport::Io::Closed)
        return closedDuring(receiver, written.detail, crc);
    if (written.status == Transport::Io::TimedOut)
        return failed(Verdict::NoReply, QStringLiteral("No answer (the request could not be sent in time)"), crc);

    WaitClock idle;
    InterruptibleWait wait(interrupted);
    char chunk[CommandFrame::BufferSize];
    for (;;) {
        int left = overall.remaining(limits.overallMs);
        if (limits.idleMs > 0)
            left = std::min(left, idle.remaining(limits.idleMs));
        const int slice = wait.slice(left);
        // A transport that reports a time-out has waited all the time it was given: when that
        // was all the limits left, one of them has run out.
        const Transport::IoResult got = slice > 0 ? transport.read(chunk, sizeof chunk, slice)
                                                  : Transport::IoResult { Transport::Io::TimedOut, 0, QString() };
        const bool timedOut = got.status == Transport::Io::TimedOut;
        if (timedOut) {
            overall.waited(slice);
            idle.waited(slice);
        }
        wait.ask(timedOut, slice);
        if (got.status == Transport::Io::Closed)
            return closedDuring(receiver, got.detail, crc);
        if (timedOut && (slice >= left || wait.graceOver()))
            return failed(receiver.collecting() ? Verdict::CutOff : Verdict::NoReply,
                          slice < left ? interruptedDetail()
                              : receiver.collecting() ? QStringLiteral("Reply cut off: it did not end in time")
                                                      : QStringLiteral("No answer"),
                          crc);
        if (got.count <= 0)
            continue; // a slice over, or a signal: ask again with what is left
        idle.restart();
        qsizetype used = got.count;
        const auto verdict = receiver.feed(QByteArrayView(chunk, got.count), &used);
        if (received && received->size() < ReceivedKeep)
            received->append(chunk, std::min<qsizetype>(used, ReceivedKeep - received->size()));
        // The rest of the chunk after a complete reply belongs to nothing and is dropped.
        if (verdict == ReplyReceiver::Verdict::Incomplete)
            continue;
        Reply reply;
        reply.requestCrc = crc;
        reply.bytes = receiver.reply();
        if (verdict == ReplyReceiver::Verdict::Valid) {
            reply.verdict = Verdict::Answered;
        } else {
            reply.verdict = Verdict::BadCheckDigits;
            reply.detail = QStringLiteral("Invalid reply (checksum)");
        }
        reply.bytesAfter = got.count - used;
        listenAfter(transport, limits.listenAfterMs, &reply, wait);
        return reply;
    }
}
