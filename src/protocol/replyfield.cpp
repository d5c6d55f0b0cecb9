#include "protocol/replyfield.h"

QByteArray ReplyField::mid(const QByteArray &reply, int position1Based, int length)
{
    if (length <= 0)
        return {};
    const qsizetype start = position1Based < 1 ? 0 : qsizetype(position1Based) - 1;
    if (start >= reply.size())
        return {};
    return reply.mid(start, qMin<qsizetype>(length, reply.size() - start));
}
