#include "protocol/replyreceiver.h"

void ReplyReceiver::reset()
{
    m_buffer.fill(0);
    m_length = 0;
    m_collecting = false;
}

ReplyReceiver::Verdict ReplyReceiver::feed(char byte)
{
    if (byte == CommandFrame::ETX) {
        m_length = 0;
        m_collecting = true;
    }
    if (!m_collecting)
        return Verdict::Incomplete;

    if (m_length >= CommandFrame::MaxReplyLength) {
        // Overrun: nothing of this run can be a reply any more.
        m_length = 0;
        m_collecting = false;
        return Verdict::Incomplete;
    }
    m_buffer[static_cast<std::size_t>(m_length++)] = byte;

    if (byte != CommandFrame::CR)
        return Verdict::Incomplete;
    m_collecting = false;
    return CommandFrame::isValidReply(QByteArrayView(m_buffer.data(), m_length)) ? Verdict::Valid
                                                                                : Verdict::Invalid;
}

ReplyReceiver::Verdict ReplyReceiver::feed(QByteArrayView chunk, qsizetype *consumed)
{
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        const Verdict v = feed(chunk[i]);
        if (v != Verdict::Incomplete) {
            if (consumed)
                *consumed = i + 1;
            return v;
        }
    }
    if (consumed)
        *consumed = chunk.size();
    return Verdict::Incomplete;
}
