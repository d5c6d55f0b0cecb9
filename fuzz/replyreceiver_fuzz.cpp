// Fuzzes the receive step and the frame checks with whatever bytes a line could deliver.
// Any broken invariant aborts, so libFuzzer keeps the input that broke it.
#include "protocol/commandframe.h"
#include "protocol/replyreceiver.h"

#include <QByteArray>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

struct Outcome
{
    ReplyReceiver::Verdict verdict;
    qsizetype end; // stream offset just past the byte that completed the reply
    QByteArray reply;
    bool operator==(const Outcome &) const = default;
};

void checkVerdict(const ReplyReceiver &receiver, ReplyReceiver::Verdict verdict)
{
    require(receiver.length() >= 0 && receiver.length() <= CommandFrame::MaxReplyLength, "the count stays in the buffer");
    if (verdict == ReplyReceiver::Verdict::Incomplete)
        return;
    const QByteArray reply = receiver.reply();
    require(receiver.length() == reply.size(), "length() equals reply().size()");
    require(!reply.isEmpty() && reply.front() == CommandFrame::ETX, "a reply starts with ETX");
    require(reply.back() == CommandFrame::CR, "a reply ends with CR");
    require(reply.indexOf(CommandFrame::CR) == reply.size() - 1, "the first CR after ETX ends the reply");
    require(reply.lastIndexOf(CommandFrame::ETX) == 0, "a later ETX restarts the reply");
    require((verdict == ReplyReceiver::Verdict::Valid) == CommandFrame::isValidReply(reply),
            "the verdict is the validation of the reply");
}

// The stream fed one byte at a time, as on the serial line; a verdict starts a new exchange.
std::vector<Outcome> byteByByte(QByteArrayView stream)
{
    std::vector<Outcome> out;
    ReplyReceiver receiver;
    for (qsizetype i = 0; i < stream.size(); ++i) {
        const auto v = receiver.feed(stream[i]);
        checkVerdict(receiver, v);
        if (v != ReplyReceiver::Verdict::Incomplete) {
            out.push_back({ v, i + 1, receiver.reply() });
            receiver.reset();
        }
    }
    out.push_back({ ReplyReceiver::Verdict::Incomplete, stream.size(), receiver.reply() });
    return out;
}

// The same stream in chunks of sizes drawn from `seed`, as TCP delivers it.
std::vector<Outcome> inChunks(QByteArrayView stream, std::uint32_t seed)
{
    std::vector<Outcome> out;
    ReplyReceiver receiver;
    qsizetype offset = 0;
    std::uint32_t state = seed | 1;
    while (offset < stream.size()) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        const qsizetype size = std::min<qsizetype>(1 + qsizetype(state % 1600), stream.size() - offset);
        qsizetype consumed = -1;
        const auto v = receiver.feed(stream.sliced(offset, size), &consumed);
        require(consumed >= 1 && consumed <= size, "consumed lies within the chunk");
        require(v != ReplyReceiver::Verdict::Incomplete || consumed == size, "an incomplete chunk is taken whole");
        checkVerdict(receiver, v);
        offset += consumed;
        if (v != ReplyReceiver::Verdict::Incomplete) {
            out.push_back({ v, offset, receiver.reply() });
            receiver.reset();
        }
    }
    out.push_back({ ReplyReceiver::Verdict::Incomplete, stream.size(), receiver.reply() });
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.isEmpty())
        return 0;

    // The first byte draws the chunking; the rest is what the controller sent.
    const QByteArrayView stream = input.sliced(1);
    const std::vector<Outcome> single = byteByByte(stream);
    require(single == inChunks(stream, std::uint32_t(std::uint8_t(input[0])) * 2654435761u),
            "chunks give what single bytes give");
    require(single == inChunks(stream, 0xFFFFFFFFu), "one chunk per read gives what single bytes give");

    // The checks on raw bytes never read out of bounds, whatever they are given.
    (void)CommandFrame::isValidReply(stream);
    bool crcOk = false;
    if (const auto command = CommandFrame::decodeRequest(stream, &crcOk); command && crcOk
        && !command->contains('\0') && command->size() <= CommandFrame::MaxCommandLength) {
        const auto again = CommandFrame::encodeRequest(*command);
        require(again && *again == stream, "a request with the right CRC is framed the same again");
    }

    // Whatever body the controller puts in a reply, its own framing of it is accepted whole.
    QByteArray body;
    for (char c : stream)
        if (c != CommandFrame::ETX && c != CommandFrame::EOT && c != CommandFrame::CR)
            body.append(c);
    if (body.size() + CommandFrame::AckLength <= CommandFrame::MaxReplyLength && body.size() >= 5) {
        const QByteArray reply = CommandFrame::encodeReply(body.first(3), body.sliced(3, 2), body.sliced(5));
        ReplyReceiver receiver;
        qsizetype consumed = 0;
        require(receiver.feed(reply, &consumed) == ReplyReceiver::Verdict::Valid, "an encoded reply is valid");
        require(consumed == reply.size() && receiver.reply() == reply, "the whole encoded reply is taken");
    }
    return 0;
}
