#include "link/exchange.h"

#include "link/transport.h"
#include "protocol/commandframe.h"
#include "protocol/replyreceiver.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

int remaining(const QElapsedTimer &timer, int limitMs)
{
    return int(std::max<qint64>(0, limitMs - timer.elapsed()));
}

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

// Whatever follows a complete reply within the time given; a line that goes away now has
// nothing more to say and the reply stands.
void listenAfter(Transport &transport, int limitMs, Reply *reply)
{
    if (limitMs <= 0)
        return;
    QElapsedTimer listening;
    listening.start();
    char chunk[CommandFrame::BufferSize];
    for (int left = limitMs; left > 0; left = remaining(listening, limitMs)) {
        const Transport::IoResult got = transport.read(chunk, sizeof chunk, left);
        if (got.status != Transport::Io::Ok)
            return;
        reply->bytesAfter += got.count;
    }
}

} // namespace

Reply Exchange::run(Transport &transport, QByteArrayView command, const ExchangeLimits &limits,
                    QByteArray *request, QByteArray *received)
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

    QElapsedTimer overall;
    overall.start();
    const Transport::IoResult written = transport.write(*frame, limits.overallMs);
    if (written.status == Transport::Io::Closed)
        return closedDuring(receiver, written.detail, crc);
    if (written.status == Transport::Io::TimedOut)
        return failed(Verdict::NoReply, QStringLiteral("No answer (the request could not be sent in time)"), crc);

    QElapsedTimer idle;
    idle.start();
    char chunk[CommandFrame::BufferSize];
    for (;;) {
        int left = remaining(overall, limits.overallMs);
        if (limits.idleMs > 0)
            left = std::min(left, remaining(idle, limits.idleMs));
        // A transport that reports a time-out has waited all the time it was given: one of
        // the limits has run out.
        const Transport::IoResult got = left > 0 ? transport.read(chunk, sizeof chunk, left)
                                                 : Transport::IoResult { Transport::Io::TimedOut, 0, QString() };
        if (got.status == Transport::Io::Closed)
            return closedDuring(receiver, got.detail, crc);
        if (got.status == Transport::Io::TimedOut)
            return failed(receiver.collecting() ? Verdict::CutOff : Verdict::NoReply,
                          receiver.collecting() ? QStringLiteral("Reply cut off: it did not end in time")
                                                : QStringLiteral("No answer"),
                          crc);
        if (got.count <= 0)
            continue; // interrupted: ask again with what is left
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
        listenAfter(transport, limits.listenAfterMs, &reply);
        return reply;
    }
}
