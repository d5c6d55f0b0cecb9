#include "simresponder.h"

#include "protocol/commandframe.h"

#include <climits>

namespace {

// A connection hangs up a moment after the half of a reply it cut, once that half has left.
constexpr int HangUpAfterMs = 20;
// An endless reply says one more character this often.
constexpr int EndlessEveryMs = 50;

} // namespace

SimResponder::SimResponder(const SimOptions &options)
    : m_options(options)
    , m_bus(options)
    , m_lose(options.loseEvery, options.seed, 1)
    , m_cut(options.cutEvery, options.seed, 2)
{
}

SimResponder::Result SimResponder::handle(const QByteArray &frame, bool connection)
{
    Result result;
    const std::optional<QByteArray> command = CommandFrame::decodeRequest(frame, &result.crcOk);
    ++m_requestCount;
    result.crcOk = command && result.crcOk;
    result.logged = command ? *command : frame;
    if (!result.crcOk || (m_requestCount <= INT_MAX && m_options.failNth.contains(int(m_requestCount))))
        return result;
    // A restarting controller hears nothing, so the request does not reach the bus at all.
    if (m_silentLeft > 0) {
        --m_silentLeft;
        return result;
    }

    // The random faults of a soak run strike after the controller has acted, as a line would: a
    // lost acknowledgement leaves the parameter written. Both schedules count every reply, so
    // that each keeps its rate whatever the other does; a reply both strike is lost.
    const QList<ControllerBus::Answer> answers = m_bus.handle(*command);
    if (!answers.isEmpty() && command->mid(3) == "AJ")
        m_silentLeft = m_options.silentAfterRestart;
    if (m_options.collide && answers.size() > 1) {
        result.replies.append(collided(answers));
        return result;
    }
    for (const ControllerBus::Answer &answer : answers) {
        const QByteArray reply = CommandFrame::encodeReply(answer.id, answer.reply.head, answer.reply.data);
        const bool lose = m_lose.next();
        const bool cut = m_cut.next();
        if (lose)
            continue;
        if (!cut) {
            const ReplyAction action = shaped(*command, reply);
            if (!action.bytes.isEmpty() || action.kind != ReplyAction::Kind::Send)
                result.replies.append(action);
            continue;
        }
        // Closing the pseudo-terminal would take its device away for good and end the run there;
        // the line instead falls silent half-way, as a controller that resets while talking.
        ReplyAction half;
        half.kind = connection ? ReplyAction::Kind::HangUp : ReplyAction::Kind::Silence;
        half.bytes = reply.left(reply.size() / 2);
        half.delayMs = HangUpAfterMs;
        result.replies.append(half);
    }
    return result;
}

// Two transmitters on one line at once: what arrives is neither reply but their bytes taken
// in turn, so that each frame's start and end still come through and its check digits fail.
ReplyAction SimResponder::collided(const QList<ControllerBus::Answer> &answers)
{
    QList<QByteArray> replies;
    qsizetype longest = 0;
    for (const ControllerBus::Answer &answer : answers) {
        replies.append(CommandFrame::encodeReply(answer.id, answer.reply.head, answer.reply.data));
        longest = std::max(longest, replies.last().size());
    }
    ReplyAction action;
    for (qsizetype i = 0; i < longest; ++i) {
        for (const QByteArray &reply : replies) {
            if (i < reply.size())
                action.bytes.append(reply[i]);
        }
    }
    return action;
}

const SimFault *SimResponder::faultFor(const QByteArray &command) const
{
    const QByteArray body = command.mid(3);
    const SimFault *best = nullptr;
    for (const SimFault &f : m_options.faults) {
        const bool matches = f.command == "*" || body.startsWith(f.command);
        const int weight = f.command == "*" ? 0 : int(f.command.size());
        if (matches && (!best || weight > (best->command == "*" ? 0 : best->command.size())))
            best = &f;
    }
    return best;
}

// The reply as the fault asked for on the command line leaves it; no reply at all is an empty Send.
ReplyAction SimResponder::shaped(const QByteArray &command, QByteArray reply) const
{
    ReplyAction action;
    const SimFault *fault = faultFor(command);
    if (!fault) {
        action.bytes = reply;
        return action;
    }
    const qsizetype eot = reply.lastIndexOf(CommandFrame::EOT);
    switch (fault->kind) {
    case SimFault::Kind::NoReply:
        return action;
    case SimFault::Kind::Delay:
        action.kind = ReplyAction::Kind::Delay;
        action.delayMs = fault->arg1;
        break;
    case SimFault::Kind::BadCrc:
        reply[eot + 1] = reply[eot + 1] == '0' ? '1' : '0';
        break;
    case SimFault::Kind::Lowercase:
        for (qsizetype i = eot + 1; i < eot + 5; ++i)
            reply[i] = char(std::tolower(static_cast<unsigned char>(reply[i])));
        break;
    case SimFault::Kind::NoEot:
        reply[eot] = 'X';
        break;
    case SimFault::Kind::Noise:
        reply.prepend("zq");
        break;
    case SimFault::Kind::Trailing:
        reply.append("\x03" "999junk\r");
        break;
    case SimFault::Kind::Split:
        action.kind = ReplyAction::Kind::Split;
        action.chunk = fault->arg1;
        action.gapMs = fault->arg2;
        break;
    case SimFault::Kind::Endless:
        // Starts like a reply and keeps talking, never completing it.
        action.kind = ReplyAction::Kind::Endless;
        reply = reply.left(4);
        action.gapMs = EndlessEveryMs;
        break;
    case SimFault::Kind::HangUp:
        action.kind = ReplyAction::Kind::HangUp;
        reply = reply.left(reply.size() / 2);
        action.delayMs = HangUpAfterMs;
        break;
    }
    action.bytes = reply;
    return action;
}
