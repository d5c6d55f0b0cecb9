#include "controller/writeplans.h"

#include "controller/commandtextencoder.h"
#include "controller/identitycommands.h"
#include "controller/maintenancecommands.h"

const QString WritePlans::ChooseFromList = QStringLiteral("Choose a value in the list first");

namespace {

CommandPlan fromList(const std::optional<QByteArray> &command, QList<QByteArray> after = {})
{
    if (!command)
        return CommandPlan::refuse(WritePlans::ChooseFromList);
    after.prepend(*command);
    return CommandPlan::of(after);
}

} // namespace

std::optional<QByteArray> WritePlans::encoded(const QString &text, int encodingIndex, const QString &encodingName,
                                              const QString &what, QString *refusal)
{
    std::optional<QByteArray> bytes = CommandTextEncoder::encode(text, encodingIndex);
    if (!bytes)
        *refusal = encodingIndex < 0
            ? QStringLiteral("%1 is not plain ASCII: choose a text encoding first").arg(what)
            : QStringLiteral("%1 holds a character that %2 cannot carry, or a control character").arg(what, encodingName);
    return bytes;
}

CommandPlan WritePlans::parameter(const std::optional<QByteArray> &command, const QString &refusal)
{
    return command ? CommandPlan::of({ *command }) : CommandPlan::refuse(refusal);
}

CommandPlan WritePlans::language(int languageIndex, int encodingIndex)
{
    return fromList(IdentityCommands::language(languageIndex, encodingIndex), { MaintenanceCommands::restart() });
}

CommandPlan WritePlans::baud(int index)
{
    return fromList(IdentityCommands::baud(index));
}

CommandPlan WritePlans::masters(const std::array<QString, 3> &uids, const std::array<QString, 3> &pins,
                                int encodingIndex, const QString &encodingName)
{
    QList<QByteArray> commands;
    for (int pair = 1; pair <= IdentityCommands::MasterPairs; ++pair) {
        // Both texts are judged; when both fail, the PIN's reason is the one given.
        QString refusal;
        const auto uid = encoded(uids[std::size_t(pair - 1)], encodingIndex, encodingName,
                                 QStringLiteral("Master UID %1").arg(pair), &refusal);
        const auto pin = encoded(pins[std::size_t(pair - 1)], encodingIndex, encodingName,
                                 QStringLiteral("Master PIN %1").arg(pair), &refusal);
        const auto command = uid && pin ? IdentityCommands::master(pair, *uid, *pin) : std::nullopt;
        if (!command)
            return CommandPlan::refuse(refusal);
        commands.append(*command);
    }
    return CommandPlan::of(commands);
}

CommandPlan WritePlans::setId(const QString &id, int encodingIndex, const QString &encodingName)
{
    QString refusal;
    const auto bytes = encoded(id, encodingIndex, encodingName, QStringLiteral("The ID"), &refusal);
    const auto command = bytes ? IdentityCommands::setId(*bytes) : std::nullopt;
    return command ? CommandPlan::of({ *command }) : CommandPlan::refuse(refusal);
}

CommandPlan WritePlans::title(int countIndex, const QString &line1, const QString &line2, int encodingIndex,
                              const QString &encodingName)
{
    const auto count = IdentityCommands::title(countIndex);
    if (!count)
        return CommandPlan::refuse(ChooseFromList);
    QList<QByteArray> commands { *count };
    const QString lines[] = { line1, line2 };
    for (int n = 1; n <= IdentityCommands::TitleLines; ++n) {
        QString refusal;
        const auto text = encoded(lines[n - 1], encodingIndex, encodingName, QStringLiteral("Title line %1").arg(n), &refusal);
        const auto command = text ? IdentityCommands::titleLine(n, *text) : std::nullopt;
        if (!command)
            return CommandPlan::refuse(refusal);
        commands.append(*command);
    }
    return CommandPlan::of(commands);
}

CommandPlan WritePlans::show(int cardShowIndex, bool showStatus, bool useStatus)
{
    return fromList(IdentityCommands::show(cardShowIndex, showStatus, useStatus), { MaintenanceCommands::restart() });
}
