#pragma once

#include "protocol/commandframe.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>

// The one place that turns the bytes from the controller into a verdict.
// ETX starts (and restarts) a reply; CR after an ETX-started run completes it; the
// complete reply is then checked. Noise before the ETX is ignored. A run that grows past
// the buffer without a CR is discarded and the receiver waits for the next ETX.
class ReplyReceiver
{
public:
    enum class Verdict { Incomplete, Valid, Invalid };

    void reset();

    // The receive step for one byte.
    Verdict feed(char byte);
    // Feeds bytes in order and stops at the first completed reply; *consumed tells how many
    // bytes were taken (the rest of the chunk belongs to no reply and is dropped by callers).
    Verdict feed(QByteArrayView chunk, qsizetype *consumed = nullptr);

    // The bytes collected so far (after Valid or Invalid: the whole reply, ETX .. CR).
    QByteArray reply() const { return QByteArray(m_buffer.data(), m_length); }
    int length() const { return m_length; }
    bool collecting() const { return m_collecting; }

private:
    std::array<char, CommandFrame::BufferSize> m_buffer {};
    int m_length = 0;
    bool m_collecting = false;
};
