#include "controller/identifyreplies.h"

#include "protocol/commandtextguard.h"
#include "protocol/replyfield.h"

std::optional<QByteArray> IdentifyReplies::scanCommand(const QString &scanIdText)
{
    qsizetype first = 0;
    qsizetype last = scanIdText.size();
    while (first < last && scanIdText.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && scanIdText.at(last - 1).unicode() <= 0x20)
        --last;
    const QByteArray id = scanIdText.mid(first, last - first).toUtf8();
    if (!CommandTextGuard::isSendable(id))
        return std::nullopt;
    return id + "AS";
}

QByteArray IdentifyReplies::deviceIdFrom(const QByteArray &reply)
{
    return ReplyField::mid(reply, ReplyField::IdPosition, ReplyField::IdLength);
}

std::optional<IdentifyReplies::Version> IdentifyReplies::version(const QByteArray &reply, int replyLength)
{
    Version v;
    if (replyLength == ShortVersionLength)
        // The short reply carries only the version of an RO420DA; the name is ours to add.
        v.panelText = QStringLiteral("RO420DA ") + QString::fromLatin1(ReplyField::mid(reply, 7, 8));
    else if (replyLength == LongVersionLength)
        v.panelText = QString::fromLatin1(ReplyField::mid(reply, 7, 16));
    else
        return std::nullopt;
    v.model = ReplyField::mid(reply, 7, 5);
    v.isRo426 = v.model == "RO426";
    return v;
}

std::optional<IdentifyReplies::Serial> IdentifyReplies::serial(const QByteArray &reply, int replyLength,
                                                               const QByteArray &deviceId)
{
    if (replyLength != ScanReplyLength)
        return std::nullopt;
    Serial s;
    s.serialNumber = ReplyField::mid(reply, 7, 8);
    s.panelText = QStringLiteral("S/N:") + QString::fromLatin1(s.serialNumber) + QStringLiteral("   ID:")
        + QString::fromLatin1(deviceId);
    return s;
}
