#include "profile/parameterprocedures.h"

#include "controller/controllersession.h"
#include "controller/maintenancecommands.h"
#include "profile/parametercatalog.h"
#include "profile/parameterreader.h"
#include "profile/parametercomparison.h"
#include "profile/parameterwriteplan.h"

namespace {

using Result = ParameterProcedures::ApplyResult;

Result ended(Result result, Result::Stage stage, const QString &why)
{
    result.stage = stage;
    result.why = why;
    return result;
}

// Every name in the catalogue, every value in its canonical form: a caller's slip never
// reaches the plan.
QString checkValues(const ParameterValues &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const ParameterInfo *parameter = ParameterCatalog::find(it.key());
        if (!parameter)
            return QStringLiteral("Unknown value name \"%1\"").arg(it.key());
        QString why;
        if (parameter->parse(it.value(), &why) != it.value())
            return why.isEmpty() ? QStringLiteral("%1: \"%2\" is not as written").arg(it.key(), it.value()) : why;
    }
    return QString();
}

} // namespace

ParameterProcedures::Snapshot ParameterProcedures::read(ControllerSession &session)
{
    Snapshot snapshot;
    const auto model = ParameterReader::readModel(session, &snapshot.why);
    if (!model)
        return snapshot;
    snapshot.model = model->model;
    snapshot.versionText = model->versionText;
    if (const auto values = ParameterReader::readValues(session, snapshot.model, &snapshot.why))
        snapshot.values = *values;
    return snapshot;
}

ParameterProcedures::ApplyResult ParameterProcedures::apply(ControllerSession &session, const ParameterValues &wanted,
                                                          const ApplyOptions &options)
{
    Result result;
    if (const QString why = checkValues(wanted); !why.isEmpty())
        return ended(result, Result::Stage::Refused, why);
    if (wanted.isEmpty())
        return ended(result, Result::Stage::Refused, QStringLiteral("No values to write"));

    QString why;
    const auto model = ParameterReader::readModel(session, &why);
    if (!model)
        return ended(result, Result::Stage::ReadFailed, why);
    result.model = model->model;
    if (!options.model.isEmpty() && options.model != model->model)
        return ended(result, Result::Stage::Refused,
                     QStringLiteral("The values were made for the %1; this controller is the %2")
                         .arg(QString::fromLatin1(options.model), QString::fromLatin1(model->model)));
    for (auto it = wanted.cbegin(); it != wanted.cend(); ++it)
        if (!ParameterCatalog::find(it.key())->appliesTo(model->model))
            return ended(result, Result::Stage::Refused,
                         QStringLiteral("%1: the %2 has no such value").arg(it.key(), QString::fromLatin1(model->model)));

    const auto before = ParameterReader::readValues(session, model->model, &why);
    if (!before)
        return ended(result, Result::Stage::ReadFailed, why);

    result.rows = ParameterComparison::compare(*before, wanted);
    ParameterValues toWrite;
    for (const ParameterDifference &row : std::as_const(result.rows)) {
        if (options.everything || row.state == ParameterDifference::State::Differs)
            toWrite.insert(row.name, row.profileValue);
        else if (row.state == ParameterDifference::State::Unknown)
            result.notCompared.append(row.name);
    }
    const ParameterWritePlan plan = ParameterWritePlan::build(toWrite, *before, model->model);
    if (plan.commands.refused())
        return ended(result, Result::Stage::Refused, plan.commands.refusal);
    result.written = plan.names;
    result.commands = plan.commands.commands;
    // What went out before a cut and took is part of this apply's work, said from the value it
    // replaced, and read back with the rest.
    for (ParameterDifference &row : result.rows) {
        if (row.state != ParameterDifference::State::Same || !options.cutShort.contains(row.name) || result.written.contains(row.name))
            continue;
        row.controllerValue = options.cutShort.value(row.name);
        row.state = row.controllerValue == row.profileValue ? ParameterDifference::State::Same : ParameterDifference::State::Differs;
        result.written.append(row.name);
    }
    // Values written before a cut still need their restart, though they no longer differ.
    result.needsRestart = plan.needsRestart || options.restartOwed;
    if (result.needsRestart)
        result.commands.append(MaintenanceCommands::restart());
    if (plan.lineSettingsCommand)
        result.commands.append(*plan.lineSettingsCommand);
    if (options.dryRun)
        return ended(result, Result::Stage::Done, QString());

    if (!plan.commands.commands.isEmpty()) {
        const Outcome written = session.run(plan.commands);
        if (!written.ok)
            return ended(result, Result::Stage::WriteFailed, written.why);
    }
    if (result.needsRestart) {
        const Outcome restart = session.reboot(false);
        if (!restart.ok)
            return ended(result, Result::Stage::WriteFailed, QStringLiteral("The restart was not acknowledged: %1").arg(restart.why));
        result.restarted = true;
    }

    QStringList readable;
    for (const QString &name : std::as_const(result.written)) {
        if (ParameterCatalog::find(name)->readable())
            readable.append(name);
        else
            result.unverified.append(name);
    }
    if (!readable.isEmpty()) {
        std::optional<ParameterValues> after;
        const int attempts = result.restarted ? ReadAttemptsAfterRestart : 1;
        for (int i = 0; i < attempts && !after; ++i)
            after = ParameterReader::readValues(session, model->model, &why);
        for (const QString &name : std::as_const(readable)) {
            const QString got = after ? after->value(name) : QString();
            if (got != wanted.value(name))
                result.notTaken.append({ name, wanted.value(name), got });
        }
        if (!after)
            result.why = QStringLiteral("The read-back after writing did not come: %1").arg(why);
    }

    if (plan.lineSettingsCommand) {
        const Outcome line = session.run(CommandPlan::of({ *plan.lineSettingsCommand }));
        if (!line.ok)
            return ended(result, Result::Stage::WriteFailed, line.why);
    }
    result.stage = Result::Stage::Done;
    return result;
}

ParameterProcedures::ApplyOptions ParameterProcedures::resumeOptions(const ApplyOptions &first, const ApplyResult &cut)
{
    ApplyOptions options = first;
    if (cut.stage == ApplyResult::Stage::Refused || cut.stage == ApplyResult::Stage::ReadFailed)
        return options;
    options.everything = false;
    options.restartOwed = first.restartOwed || (cut.needsRestart && !cut.restarted);
    for (const ParameterDifference &row : cut.rows)
        if (cut.written.contains(row.name) && !options.cutShort.contains(row.name))
            options.cutShort.insert(row.name, row.controllerValue);
    return options;
}
