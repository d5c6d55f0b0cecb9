#include "cli/clirunner.h"

#include "controller/busscan.h"
#include "controller/freecommand.h"
#include "controller/jigtest.h"
#include "controller/rawreplytext.h"
#include "profile/profilefile.h"
#include "profile/settingcatalog.h"
#include "profile/settingscomparison.h"
#include "records/jigrecord.h"
#include "records/recordkeeper.h"

#include "zu42version.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#ifdef Q_OS_WIN
#include <cstdio>
#include <io.h>
#else
#include <unistd.h>
#endif


namespace {

QJsonValue typed(const QString &name, const QString &value)
{
    const SettingInfo *setting = SettingCatalog::find(name);
    return setting ? setting->toJson(value) : QJsonValue(value);
}

QJsonArray texts(const QStringList &list)
{
    return QJsonArray::fromStringList(list);
}

QString shown(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("(unknown)") : value;
}

} // namespace

CliRunner::CliRunner(const CliRequest &request, QTextStream &out, QTextStream &err)
    : m_request(request)
    , m_out(out)
    , m_err(err)
{
}

QString CliRunner::madeBy()
{
    return QStringLiteral("zu42cli %1").arg(QLatin1String(ZU42_VERSION));
}

void CliRunner::say(const QString &line)
{
    if (!m_request.json)
        m_out << line << '\n';
}

int CliRunner::fail(int status, const QString &why)
{
    m_error = why;
    return status;
}

int CliRunner::run()
{
    m_json.insert(QStringLiteral("command"), m_request.commandName);
    const int status = runCommand();
    m_session.close();
    if (!m_error.isEmpty())
        m_err << "zu42cli: " << m_error << '\n';
    if (m_request.json) {
        m_json.insert(QStringLiteral("ok"), status == Done);
        m_json.insert(QStringLiteral("exit"), status);
        if (!m_error.isEmpty())
            m_json.insert(QStringLiteral("error"), m_error);
        m_out << QJsonDocument(m_json).toJson(QJsonDocument::Indented);
    }
    m_out.flush();
    m_err.flush();
    return status;
}

int CliRunner::runCommand()
{
    // What can be refused without the link is refused before it opens.
    QByteArray sendBytes;
    switch (m_request.command) {
    case CliRequest::Command::Apply:
    case CliRequest::Command::Diff: {
        QString why;
        const std::optional<Profile> profile = ProfileFile::load(m_request.file, &why);
        if (!profile)
            return fail(BadInput, why);
        m_profile = *profile;
        break;
    }
    case CliRequest::Command::Save: {
        const QFileInfo target(m_request.file);
        if (!target.absoluteDir().exists() || target.isDir())
            return fail(BadInput, QStringLiteral("Cannot write %1: no such folder, or it is a folder").arg(m_request.file));
        break;
    }
    case CliRequest::Command::Send: {
        FreeCommand::Refusal refusal;
        const SettingInfo &encoding = SettingCatalog::at(SettingCatalog::TextEncoding);
        const auto bytes = FreeCommand::bytes(m_request.text, m_request.encoding, encoding.fromCode(m_request.encoding),
                                              m_request.id, &refusal);
        if (!bytes)
            return fail(BadInput, refusal.reason);
        sendBytes = *bytes;
        break;
    }
    case CliRequest::Command::Jig: {
        QString why;
        m_jigMap = m_request.mapFile.isEmpty() ? JigMap::defaultMap() : JigMap::load(m_request.mapFile, &why);
        if (!m_jigMap)
            return fail(BadInput, why);
        const auto store = m_request.store.isEmpty() ? RecordStoreSettings::defaultSettings()
                                                     : RecordStoreSettings::parse(m_request.store, &why);
        if (!store)
            return fail(BadInput, QStringLiteral("--store: %1").arg(why));
        m_store = *store;
        break;
    }
    default:
        break;
    }

    if (!m_session.open(m_request.link))
        return fail(NoLink, QStringLiteral("The link did not open: %1").arg(m_session.link().openFailureText()));

    switch (m_request.command) {
    case CliRequest::Command::Identify: return identify();
    case CliRequest::Command::Get: return get();
    case CliRequest::Command::Set: return set();
    case CliRequest::Command::Save: return save();
    case CliRequest::Command::Apply: return apply();
    case CliRequest::Command::Diff: return diff();
    case CliRequest::Command::Scan: return scan();
    case CliRequest::Command::Send: {
        // The ID is the one given: the raw exchange is the point, so no scan goes before it.
        m_session.setDeviceId(m_request.id);
        const Reply reply = m_session.freeCommand(sendBytes);
        m_json.insert(QStringLiteral("verdict"), verdictName(reply.verdict));
        if (!reply.bytes.isEmpty()) {
            m_json.insert(QStringLiteral("reply"), RawReplyText::fromBytes(reply.bytes));
            m_json.insert(QStringLiteral("reply-hex"), QString::fromLatin1(reply.bytes.toHex(' ')));
            say(RawReplyText::fromBytes(reply.bytes));
        }
        return reply.ok() ? Done : fail(ControllerFailed, reply.whyNot());
    }
    case CliRequest::Command::Reboot: return acknowledged(true);
    case CliRequest::Command::Initial: return acknowledged(false);
    case CliRequest::Command::Jig: return jig();
    }
    return Done;
}

bool CliRunner::identified()
{
    const Identification found = m_session.identify(QString::fromLatin1(m_request.id));
    if (!found.ok()) {
        m_error = found.stage == Identification::Stage::NotFound
            ? QStringLiteral("No controller answered to ID %1 (%2)").arg(QLatin1String(m_request.id), found.why)
            : QStringLiteral("The controller with ID %1 did not identify itself: %2").arg(QLatin1String(m_request.id), found.why);
        return false;
    }
    m_json.insert(QStringLiteral("id"), QString::fromLatin1(found.deviceId));
    m_json.insert(QStringLiteral("model"), QString::fromLatin1(found.version->model));
    m_json.insert(QStringLiteral("version"), found.version->panelText);
    m_json.insert(QStringLiteral("serial-number"), QString::fromLatin1(found.serial->serialNumber));
    return true;
}

int CliRunner::identify()
{
    if (!identified())
        return ControllerFailed;
    for (const char *key : { "id", "model", "version", "serial-number" })
        say(QStringLiteral("%1 %2").arg(QString::fromLatin1(key).leftJustified(14), m_json.value(QLatin1String(key)).toString()));
    return Done;
}

int CliRunner::get()
{
    if (!identified())
        return ControllerFailed;
    const SettingsProcedures::Snapshot snapshot = SettingsProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);
    QJsonObject values;
    QStringList notReported;
    for (const SettingInfo &setting : SettingCatalog::all()) {
        if (!m_request.names.isEmpty() && !m_request.names.contains(setting.name))
            continue;
        if (!snapshot.values.contains(setting.name)) {
            if (!m_request.names.isEmpty())
                notReported.append(setting.name);
            continue;
        }
        const QString value = snapshot.values.value(setting.name);
        values.insert(setting.name, setting.toJson(value));
        say(QStringLiteral("%1=%2").arg(setting.name, value));
    }
    m_json.insert(QStringLiteral("values"), values);
    if (!notReported.isEmpty()) {
        m_json.insert(QStringLiteral("not-reported"), texts(notReported));
        m_err << "zu42cli: the controller does not report " << notReported.join(QStringLiteral(", "))
              << " over this link\n";
    }
    return Done;
}

int CliRunner::set()
{
    if (!identified())
        return ControllerFailed;
    SettingsProcedures::ApplyOptions options;
    options.everything = true;
    return applyResult(SettingsProcedures::apply(m_session, m_request.values, options));
}

int CliRunner::save()
{
    if (!identified())
        return ControllerFailed;
    const SettingsProcedures::Snapshot snapshot = SettingsProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);

    Profile profile;
    profile.model = snapshot.model;
    profile.created = QDateTime::currentDateTime();
    profile.madeBy = madeBy();
    profile.serialNumber = m_json.value(QStringLiteral("serial-number")).toString().toLatin1();
    QStringList leftOut;
    for (auto it = snapshot.values.cbegin(); it != snapshot.values.cend(); ++it) {
        // A value the controller holds outside its list cannot be written back: it stays out.
        if (SettingCatalog::find(it.key())->parse(*it) == *it)
            profile.values.insert(it.key(), *it);
        else
            leftOut.append(QStringLiteral("%1 (holds %2)").arg(it.key(), *it));
    }
    QString why;
    if (!ProfileFile::save(m_request.file, profile, &why))
        return fail(BadInput, why);
    m_json.insert(QStringLiteral("file"), m_request.file);
    m_json.insert(QStringLiteral("saved"), texts(profile.values.keys()));
    m_json.insert(QStringLiteral("left-out"), texts(leftOut));
    say(QStringLiteral("saved %1 values of the %2 to %3")
            .arg(profile.values.size())
            .arg(QString::fromLatin1(profile.model), m_request.file));
    if (!leftOut.isEmpty())
        say(QStringLiteral("left out: %1").arg(leftOut.join(QStringLiteral(", "))));
    return Done;
}

int CliRunner::apply()
{
    say(QStringLiteral("profile for the %1, made %2%3")
            .arg(QString::fromLatin1(m_profile.model), m_profile.created.toString(Qt::ISODate),
                 m_profile.madeBy.isEmpty() ? QString() : QStringLiteral(" by ") + m_profile.madeBy));
    if (!identified())
        return ControllerFailed;
    SettingsProcedures::ApplyOptions options;
    options.everything = m_request.everything;
    options.dryRun = m_request.dryRun;
    options.model = m_profile.model;
    m_json.insert(QStringLiteral("dry-run"), m_request.dryRun);
    return applyResult(SettingsProcedures::apply(m_session, m_profile.values, options));
}

int CliRunner::applyResult(const SettingsProcedures::ApplyResult &result)
{
    using Stage = SettingsProcedures::ApplyResult::Stage;
    if (result.stage == Stage::Refused)
        return fail(BadInput, result.why + QStringLiteral(": nothing was written"));
    if (result.stage == Stage::ReadFailed)
        return fail(ControllerFailed, result.why + QStringLiteral(": nothing was written"));

    QJsonArray written;
    const QString verb = m_request.dryRun ? QStringLiteral("would write") : QStringLiteral("wrote");
    for (const SettingDifference &row : result.rows) {
        if (!result.written.contains(row.name))
            continue;
        written.append(QJsonObject { { QStringLiteral("name"), row.name },
                                     { QStringLiteral("from"), row.controllerValue.isEmpty() ? QJsonValue() : typed(row.name, row.controllerValue) },
                                     { QStringLiteral("to"), typed(row.name, row.profileValue) } });
        say(QStringLiteral("%1 %2: %3 -> %4").arg(verb, row.name, shown(row.controllerValue), row.profileValue));
    }
    m_json.insert(QStringLiteral("written"), written);
    m_json.insert(QStringLiteral("not-compared"), texts(result.notCompared));
    m_json.insert(QStringLiteral("restarted"), result.restarted);
    QStringList commands;
    for (const QByteArray &c : result.commands)
        commands.append(QString::fromLatin1(c));
    m_json.insert(QStringLiteral("commands"), texts(commands));
    if (result.written.isEmpty())
        say(QStringLiteral("nothing to write: every value compared is the controller's"));
    if (!result.notCompared.isEmpty())
        say(QStringLiteral("not written (the controller cannot report them; --all writes them): %1")
                .arg(result.notCompared.join(QStringLiteral(", "))));
    if (m_request.dryRun) {
        if (!commands.isEmpty())
            say(QStringLiteral("commands: %1").arg(commands.join(QLatin1Char(' '))));
        return Done;
    }
    if (result.restarted)
        say(QStringLiteral("restarted the controller"));

    QJsonArray notTaken;
    for (const SettingsProcedures::NotTaken &n : result.notTaken) {
        notTaken.append(QJsonObject { { QStringLiteral("name"), n.name },
                                      { QStringLiteral("wanted"), typed(n.name, n.wanted) },
                                      { QStringLiteral("got"), n.got.isEmpty() ? QJsonValue() : typed(n.name, n.got) } });
        say(QStringLiteral("did not take %1: wanted %2, reads %3").arg(n.name, n.wanted, shown(n.got)));
    }
    m_json.insert(QStringLiteral("not-taken"), notTaken);
    m_json.insert(QStringLiteral("unverified"), texts(result.unverified));
    if (!result.unverified.isEmpty())
        say(QStringLiteral("written, not read back (the controller cannot report them): %1")
                .arg(result.unverified.join(QStringLiteral(", "))));
    if (result.written.contains(SettingCatalog::BaudRate) && result.stage == Stage::Done) {
        for (const SettingDifference &row : result.rows)
            if (row.name == SettingCatalog::BaudRate)
                say(QStringLiteral("the controller now talks at %1").arg(row.profileValue));
    }

    if (result.stage == Stage::WriteFailed)
        return fail(ControllerFailed, QStringLiteral("Writing stopped: %1").arg(result.why));
    if (!result.notTaken.isEmpty())
        return fail(ControllerFailed, result.why.isEmpty()
                                          ? QStringLiteral("%1 of the values written did not take").arg(result.notTaken.size())
                                          : result.why);
    if (!result.written.isEmpty())
        say(QStringLiteral("every value written took"));
    return Done;
}

int CliRunner::diff()
{
    if (!identified())
        return ControllerFailed;
    const QByteArray model = m_json.value(QStringLiteral("model")).toString().toLatin1();
    if (model != m_profile.model)
        return fail(BadInput, QStringLiteral("The profile was made for the %1; this controller is the %2")
                                  .arg(QString::fromLatin1(m_profile.model), QString::fromLatin1(model)));
    const SettingsProcedures::Snapshot snapshot = SettingsProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);
    const QList<SettingDifference> rows = SettingsComparison::compare(snapshot.values, m_profile.values);
    const QList<SettingDifference> differing = SettingsComparison::differing(rows);
    QJsonArray out;
    if (!differing.isEmpty())
        say(QStringLiteral("%1 %2 %3").arg(QStringLiteral("name").leftJustified(18), QStringLiteral("controller").leftJustified(16),
                                           QStringLiteral("profile")));
    for (const SettingDifference &row : differing) {
        const bool unknown = row.state == SettingDifference::State::Unknown;
        out.append(QJsonObject { { QStringLiteral("name"), row.name },
                                 { QStringLiteral("controller"), unknown ? QJsonValue() : typed(row.name, row.controllerValue) },
                                 { QStringLiteral("profile"), typed(row.name, row.profileValue) },
                                 { QStringLiteral("state"), unknown ? QStringLiteral("unknown") : QStringLiteral("differs") } });
        say(QStringLiteral("%1 %2 %3").arg(row.name.leftJustified(18),
                                           (unknown ? QStringLiteral("(cannot be read)") : row.controllerValue).leftJustified(16),
                                           row.profileValue));
    }
    int differs = 0;
    for (const SettingDifference &row : differing)
        differs += row.state == SettingDifference::State::Differs ? 1 : 0;
    m_json.insert(QStringLiteral("differences"), out);
    m_json.insert(QStringLiteral("compared"), int(rows.size()));
    say(QStringLiteral("%1 of %2 values differ").arg(differs).arg(rows.size()));
    return Done;
}

int CliRunner::scan()
{
    BusScan scan(m_session.link());
    scan.setRange(m_request.first, m_request.last);
    scan.setScanWaitMs(m_request.scanWaitMs);
#ifdef Q_OS_WIN
    const bool progressShown = !m_request.json && _isatty(_fileno(stderr));
#else
    const bool progressShown = !m_request.json && ::isatty(STDERR_FILENO);
#endif
    scan.setProgress([&](int done, int total, const BusScan::Found *found) {
        if (found)
            say(QStringLiteral("%1 %2 %3 %4")
                    .arg(QString::fromLatin1(found->id), QString::fromLatin1(found->model).leftJustified(5),
                         QString::fromLatin1(found->serialNumber), found->versionText));
        if (progressShown) {
            m_err << "\r" << done << "/" << total << (done == total ? "\n" : "");
            m_err.flush();
        }
        m_out.flush();
    });
    QElapsedTimer clock;
    clock.start();
    const BusScan::Result result = scan.run();
    QJsonArray found;
    for (const BusScan::Found &f : result.found)
        found.append(QJsonObject { { QStringLiteral("id"), QString::fromLatin1(f.id) },
                                   { QStringLiteral("model"), QString::fromLatin1(f.model) },
                                   { QStringLiteral("serial-number"), QString::fromLatin1(f.serialNumber) },
                                   { QStringLiteral("version"), f.versionText } });
    m_json.insert(QStringLiteral("found"), found);
    m_json.insert(QStringLiteral("scanned"), result.scanned);
    m_json.insert(QStringLiteral("milliseconds"), clock.elapsed());
    say(QStringLiteral("%1 of %2 IDs answered (%3 s)")
            .arg(result.found.size())
            .arg(result.scanned)
            .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    if (result.found.isEmpty())
        return fail(ControllerFailed, QStringLiteral("No ID from %1 to %2 answered")
                                          .arg(m_request.first, 3, 10, QLatin1Char('0'))
                                          .arg(m_request.last, 3, 10, QLatin1Char('0')));
    return Done;
}

int CliRunner::acknowledged(bool reboot)
{
    m_session.setDeviceId(m_request.id);
    const Outcome outcome = reboot ? m_session.reboot(m_request.net) : m_session.setInitial();
    if (!outcome.ok)
        return fail(ControllerFailed, outcome.why);
    say(QStringLiteral("acknowledged"));
    return Done;
}

int CliRunner::jig()
{
    JigTest::Options options;
    options.scanId = QString::fromLatin1(m_request.id);
    options.stopAtFirstFailure = !m_request.allSteps;
    QJsonArray steps;
    const JigTest::Result result = JigTest(m_session, *m_jigMap, options).run([&](const JigTest::Step &step) {
        steps.append(QJsonObject { { QStringLiteral("name"), step.name },
                                   { QStringLiteral("expected"), step.expected },
                                   { QStringLiteral("measured"), step.measured },
                                   { QStringLiteral("passed"), step.passed },
                                   { QStringLiteral("reason"), step.reason } });
        say(QStringLiteral("%1 %2: %3%4")
                .arg(step.passed ? QStringLiteral("pass") : QStringLiteral("FAIL"), step.name.leftJustified(11), step.measured,
                     step.passed ? QString() : QStringLiteral(" (expected %1%2)").arg(step.expected, step.reason.isEmpty() ? QString() : QStringLiteral("; ") + step.reason)));
        m_out.flush();
    });
    m_session.close();

    const UnitRecord record = JigRecord::from(result, { m_request.station, m_request.operatorName, m_jigMap->name() });
    RecordKeeper keeper(m_store);
    const RecordKeeper::Outcome kept = keeper.keep(record);
    const QString verdict = result.passed() ? QStringLiteral("PASS") : QStringLiteral("FAIL");
    static const char *places[] = { "store", "pending", "nowhere" };
    m_json.insert(QStringLiteral("verdict"), verdict);
    m_json.insert(QStringLiteral("steps"), steps);
    m_json.insert(QStringLiteral("serial-number"), record.serialNumber);
    m_json.insert(QStringLiteral("record"), QJsonObject { { QStringLiteral("id"), record.recordId.toString(QUuid::WithoutBraces) },
                                                          { QStringLiteral("kept"), QLatin1String(places[int(kept.place)]) },
                                                          { QStringLiteral("message"), kept.message },
                                                          { QStringLiteral("waiting"), kept.waiting } });
    const JigTest::Step *failed = result.firstFailure();
    say(failed ? QStringLiteral("%1 at %2").arg(verdict, failed->name) : verdict);
    say(kept.message);
    if (kept.place == RecordKeeper::Place::Nowhere)
        return fail(ControllerFailed, QStringLiteral("The record was kept nowhere: test the unit again (%1)").arg(kept.message));
    if (!result.passed())
        return fail(ControllerFailed, failed ? QStringLiteral("Failed at %1: %2").arg(failed->name, failed->reason.isEmpty() ? failed->measured : failed->reason)
                                             : QStringLiteral("The jig test did not run"));
    return Done;
}
