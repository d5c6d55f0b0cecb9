#include "controller/freecommand.h"

#include "controller/commandtextencoder.h"
#include "protocol/commandframe.h"
#include "protocol/commandtextguard.h"

std::optional<QByteArray> FreeCommand::bytes(const QString &typed, int encodingIndex, const QString &encodingName,
                                             const QByteArray &deviceId, Refusal *refusal)
{
    if (!CommandTextGuard::isSendable(typed.toUtf8())) {
        *refusal = { QStringLiteral("The command holds a control character that ends the frame"), false };
        return std::nullopt;
    }
    std::optional<QByteArray> encoded = CommandTextEncoder::encode(typed, encodingIndex);
    if (!encoded) {
        *refusal = { QStringLiteral("The command has characters that %1 cannot carry").arg(encodingName), false };
        return std::nullopt;
    }
    if (deviceId.size() + encoded->size() > CommandFrame::MaxCommandLength) {
        *refusal = { QStringLiteral("Command of %1 bytes with the ID; at most %2 fit the frame")
                         .arg(deviceId.size() + encoded->size())
                         .arg(CommandFrame::MaxCommandLength),
                     true };
        return std::nullopt;
    }
    return encoded;
}
