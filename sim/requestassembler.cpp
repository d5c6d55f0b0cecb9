#include "requestassembler.h"

#include "protocol/commandframe.h"

void RequestAssembler::add(const QByteArray &bytes)
{
    m_pending += bytes;
}

QByteArray RequestAssembler::next()
{
    const qsizetype soh = m_pending.indexOf(CommandFrame::SOH);
    if (soh < 0) {
        m_pending.clear();
        return {};
    }
    const qsizetype cr = m_pending.indexOf(CommandFrame::CR, soh);
    if (cr < 0) {
        m_pending.remove(0, soh);
        if (m_pending.size() > 8192)
            m_pending.clear();
        return {};
    }
    QByteArray frame = m_pending.mid(soh, cr - soh + 1);
    m_pending.remove(0, cr + 1);
    return frame;
}
