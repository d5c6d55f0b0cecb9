#include "controller/autotestreplies.h"

#include "protocol/replyfield.h"

namespace {

QString field(const QByteArray &reply, int position, int length)
{
    return QString::fromLatin1(ReplyField::mid(reply, position, length));
}

bool lit(const QByteArray &reply, int position)
{
    return ReplyField::mid(reply, position, 1) == "1";
}

} // namespace

std::optional<AutoTestReplies::Inputs> AutoTestReplies::inputs(const QByteArray &reply, int replyLength)
{
    if (replyLength != InputsLength && replyLength != InputsWithRecordLength)
        return std::nullopt;

    Inputs in;
    in.clockText = field(reply, 7, 4) + u'/' + field(reply, 11, 2) + u'/' + field(reply, 13, 2)
        + QStringLiteral("  ") + field(reply, 15, 2) + u':' + field(reply, 17, 2) + u':' + field(reply, 19, 2);
    for (int i = 0; i < int(in.lit.size()); ++i)
        in.lit[i] = lit(reply, 23 + i);
    if (replyLength == InputsWithRecordLength)
        in.recordText = field(reply, 27, 14) + QStringLiteral(" (") + field(reply, 41, 4) + QStringLiteral(") (")
            + field(reply, 45, 2) + u')';
    return in;
}

std::optional<std::array<bool, 2>> AutoTestReplies::extraInputs(const QByteArray &reply, int replyLength)
{
    if (replyLength != ExtraInputsLength)
        return std::nullopt;
    return std::array<bool, 2>{ lit(reply, 7), lit(reply, 8) };
}
