#include "cli/clirunner.h"

#include "cli/clicommands.h"
#include "controller/busscan.h"
#include "site/siteactions.h"
#include "site/siteaddressing.h"
#include "site/sitefile.h"
#include "site/sitereport.h"
#include "controller/freecommand.h"
#include "controller/linkrecovery.h"
#include "controller/rawreplytext.h"
#include "link/serialportlist.h"
#include "profile/profilefile.h"
#include "profile/parametercatalog.h"
#include "profile/parametercomparison.h"
#include "records/recordexport.h"
#include "records/recordqueries.h"
#include "reports/certificatepdf.h"

#include <QFont>

#include "zu42version.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>

#ifdef Q_OS_WIN
#include <cstdio>
#include <io.h>
#else
#include <unistd.h>
#endif


namespace {

QJsonValue typed(const QString &name, const QString &value)
{
    const ParameterInfo *parameter = ParameterCatalog::find(name);
    return parameter ? parameter->toJson(value) : QJsonValue(value);
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
    , m_report(out, err, request.json, request.commandName)
{
}

QString CliRunner::madeBy()
{
    return QStringLiteral("zu42cli %1").arg(QLatin1String(ZU42_VERSION));
}

int CliRunner::run()
{
    const CliCommand &command = CliCommands::of(m_request.command);
    // What can be refused without the link is refused before it opens.
    int status = command.refuse ? (this->*command.refuse)() : Done;
    if (status == Done && !needsLink()) {
        status = (this->*command.run)();
    } else if (status == Done) {
        // Known before the link opens, while the adapter is surely listed.
        if (m_request.resume && !m_request.link.isNet())
            m_adapter = LinkRecovery::identityOf(m_request.link.portName, SerialPortList::entries());
        status = m_session.open(m_request.link)
            ? (this->*command.run)()
            : fail(NoLink, QStringLiteral("The link did not open: %1").arg(m_session.link().openFailureText()));
    }
    m_session.close();
    return m_report.finish(status);
}

bool CliRunner::needsLink() const
{
    // The records are this PC's own, and a site's report is written from its file alone.
    if (!CliCommands::of(m_request.command).onLink)
        return false;
    return !(m_request.command == CliRequest::Command::Site && m_request.siteAction == QLatin1String("report"));
}

// The site file (and for apply the profile) read before the link opens; the site's own line
// unless --link names another way to it.
int CliRunner::refuseSite()
{
    QString why;
    if (m_request.siteAction == QLatin1String("scan")) {
        const QFileInfo target(m_request.siteFile);
        if (!target.absoluteDir().exists() || target.isDir())
            return fail(BadInput, QStringLiteral("Cannot write %1: no such folder, or it is a folder").arg(m_request.siteFile));
        m_site.name = m_request.siteName.isEmpty() ? target.completeBaseName() : m_request.siteName;
        m_site.link = m_request.link;
        return Done;
    }
    const std::optional<Site> site = SiteFile::load(m_request.siteFile, &why);
    if (!site)
        return fail(BadInput, why);
    m_site = *site;
    if (!m_request.linkGiven)
        m_request.link = m_site.link;
    for (const QByteArray &id : m_request.ids)
        if (m_site.indexOf(id) < 0)
            return fail(BadInput, QStringLiteral("ID %1 is not on the site").arg(QString::fromLatin1(id)));
    if (m_request.siteAction == QLatin1String("apply")) {
        if (refuseBadProfile() != Done)
            return BadInput;
        m_site.profileName = QFileInfo(m_request.file).fileName();
        m_site.profileModel = m_profile.model;
        m_site.profileValues = m_profile.values;
    }
    return Done;
}

int CliRunner::site()
{
    const QString &action = m_request.siteAction;
    if (action == QLatin1String("scan"))
        return saved(siteScan());
    if (action == QLatin1String("address"))
        return saved(siteAddress());
    if (action == QLatin1String("replace"))
        return saved(siteReplace());
    if (action == QLatin1String("report"))
        return siteReport();
    return saved(siteRun());
}

// The site is kept after every action, also one where units failed: their results are the point.
int CliRunner::saved(int status)
{
    QString why;
    if (!SiteFile::save(m_request.siteFile, m_site, madeBy(), &why))
        return fail(BadInput, why);
    m_report.set(QStringLiteral("site"), m_request.siteFile);
    return status;
}

int CliRunner::siteScan()
{
    BusScan scan(m_session.link());
    scan.setRange(BusScan::FirstId, BusScan::HighestId);
    scan.setSpeed(m_request.quick ? BusScan::Speed::Quick : BusScan::Speed::Thorough);
#ifdef Q_OS_WIN
    const bool progressShown = !m_report.json() && _isatty(_fileno(stderr));
#else
    const bool progressShown = !m_report.json() && ::isatty(STDERR_FILENO);
#endif
    scan.setProgress([&](int done, int total, const BusScan::Found *) {
        if (progressShown)
            m_report.progress(QStringLiteral("\r%1/%2%3").arg(done).arg(total).arg(done == total ? QStringLiteral("\n") : QString()));
    });
    const BusScan::Result result = scan.run();
    QJsonArray units;
    for (const BusScan::Found &f : result.found) {
        // The default ID is where new units wait to be given theirs: no place on the site.
        if (f.id.toInt() == SiteAddressing::NewUnitId) {
            say(QStringLiteral("%1 a new unit (serial number %2): give it an ID with site address")
                    .arg(QString::fromLatin1(f.id), QString::fromLatin1(f.serialNumber)));
            continue;
        }
        SiteUnit unit;
        unit.id = f.id;
        unit.model = f.model;
        unit.version = f.versionText;
        unit.serialNumber = f.serialNumber;
        m_site.add(unit);
        units.append(QJsonObject { { QStringLiteral("id"), QString::fromLatin1(f.id) },
                                   { QStringLiteral("model"), QString::fromLatin1(f.model) },
                                   { QStringLiteral("serial-number"), QString::fromLatin1(f.serialNumber) } });
        say(QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(f.id), QString::fromLatin1(f.model).leftJustified(5), QString::fromLatin1(f.serialNumber)));
    }
    QJsonArray failed;
    QStringList failedIds;
    for (const BusScan::Conflict &c : result.conflicts) {
        failed.append(QString::fromLatin1(c.id));
        failedIds.append(QString::fromLatin1(c.id));
        say(QStringLiteral("%1 conflict: %2").arg(QString::fromLatin1(c.id), c.why));
    }
    m_report.set(QStringLiteral("units"), units);
    m_report.set(QStringLiteral("failed"), failed);
    say(QStringLiteral("%1 units on the site %2").arg(m_site.units.size()).arg(m_site.name));
    if (!failedIds.isEmpty())
        return fail(ControllerFailed, QStringLiteral("More than one controller answers at %1").arg(failedIds.join(QStringLiteral(", "))));
    return Done;
}

int CliRunner::siteRun()
{
    static const QMap<QString, SiteActions::Action> actions { { QStringLiteral("read"), SiteActions::Action::Read },
                                                              { QStringLiteral("apply"), SiteActions::Action::Apply },
                                                              { QStringLiteral("clock"), SiteActions::Action::Clock },
                                                              { QStringLiteral("reboot"), SiteActions::Action::Reboot } };
    QList<QByteArray> ids = m_request.ids;
    if (ids.isEmpty())
        for (const SiteUnit &unit : m_site.units)
            if (!unit.failed)
                ids.append(unit.id);
    SiteActions run(m_session, m_site);
    const SiteActions::Result result = run.run(actions.value(m_request.siteAction), ids);
    QJsonArray units;
    for (const SiteActions::UnitResult &unit : result.units) {
        units.append(QJsonObject { { QStringLiteral("id"), QString::fromLatin1(unit.id) },
                                   { QStringLiteral("ok"), unit.ok },
                                   { QStringLiteral("why"), unit.why } });
        say(unit.ok ? QStringLiteral("%1 ok").arg(QString::fromLatin1(unit.id))
                    : QStringLiteral("%1 failed: %2").arg(QString::fromLatin1(unit.id), unit.why));
    }
    m_report.set(QStringLiteral("units"), units);
    QJsonArray failed;
    QStringList failedIds;
    for (const QByteArray &id : result.failedIds()) {
        failed.append(QString::fromLatin1(id));
        failedIds.append(QString::fromLatin1(id));
    }
    m_report.set(QStringLiteral("failed"), failed);
    if (!failedIds.isEmpty())
        return fail(ControllerFailed, QStringLiteral("Failed: %1").arg(failedIds.join(QStringLiteral(", "))));
    return Done;
}

int CliRunner::siteAddress()
{
    SiteAddressing addressing(m_session, m_site);
    QJsonArray units;
    int status = Done;
    for (int n = 0; n < m_request.count; ++n) {
        const SiteAddressing::Outcome outcome = addressing.addressNext(m_request.first);
        if (!outcome.ok()) {
            status = fail(ControllerFailed, outcome.why);
            break;
        }
        units.append(QJsonObject { { QStringLiteral("id"), QString::fromLatin1(outcome.id) },
                                   { QStringLiteral("serial-number"), QString::fromLatin1(outcome.serialNumber) } });
        say(QStringLiteral("000 -> %1 serial number %2").arg(QString::fromLatin1(outcome.id), QString::fromLatin1(outcome.serialNumber)));
    }
    m_report.set(QStringLiteral("addressed"), units);
    return status;
}

int CliRunner::siteReplace()
{
    const QByteArray id = m_request.ids.first();
    m_site.units[m_site.indexOf(id)].failed = true;
    SiteAddressing addressing(m_session, m_site);
    const SiteAddressing::Outcome outcome = addressing.replace(id);
    m_report.set(QStringLiteral("id"), QString::fromLatin1(id));
    if (!outcome.ok()) {
        m_report.set(QStringLiteral("failed"), QJsonArray { QString::fromLatin1(id) });
        return fail(ControllerFailed, QStringLiteral("%1: %2").arg(QString::fromLatin1(id), outcome.why));
    }
    m_report.set(QStringLiteral("serial-number"), QString::fromLatin1(outcome.serialNumber));
    say(QStringLiteral("%1 replaced: serial number %2, was %3")
            .arg(QString::fromLatin1(id), QString::fromLatin1(outcome.serialNumber),
                 QString::fromLatin1(m_site.units[m_site.indexOf(id)].replaced.last().serialNumber)));
    return Done;
}

int CliRunner::siteReport()
{
    QString why;
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_request.csvFile.isEmpty() && !SiteReport::writeCsv(m_request.csvFile, m_site, now, madeBy(), &why))
        return fail(BadInput, why);
    if (!m_request.pdfFile.isEmpty() && !SiteReport::writePdf(m_request.pdfFile, m_site, now, madeBy(), &why))
        return fail(BadInput, why);
    say(QStringLiteral("report of %1 units written").arg(m_site.units.size()));
    return Done;
}

int CliRunner::refuseBadProfile()
{
    QString why;
    const std::optional<Profile> profile = ProfileFile::load(m_request.file, &why);
    if (!profile)
        return fail(BadInput, why);
    m_profile = *profile;
    return Done;
}

int CliRunner::refuseUnwritableFile()
{
    const QFileInfo target(m_request.file);
    if (!target.absoluteDir().exists() || target.isDir())
        return fail(BadInput, QStringLiteral("Cannot write %1: no such folder, or it is a folder").arg(m_request.file));
    return Done;
}

int CliRunner::refuseUnsendableText()
{
    FreeCommand::Refusal refusal;
    const ParameterInfo &encoding = ParameterCatalog::at(ParameterCatalog::TextEncoding);
    const auto bytes = FreeCommand::bytes(m_request.text, m_request.encoding, encoding.fromCode(m_request.encoding),
                                          m_request.id, &refusal);
    if (!bytes)
        return fail(BadInput, refusal.why);
    m_sendBytes = *bytes;
    return Done;
}

// The map and the store as the window takes them from its fields, then the setup as the station
// judges it: a record names who tested the unit.
int CliRunner::refuseJigSetup()
{
    QString why;
    const std::optional<JigMap> map = JigMap::fromSetting(m_request.mapFile, &why);
    if (!map)
        return fail(BadInput, why);
    const std::optional<RecordStoreSettings> store = RecordStoreSettings::fromSetting(m_request.store, &why);
    if (!store)
        return fail(BadInput, QStringLiteral("--store: %1").arg(why));
    m_store = *store;
    m_jigSetup.station = m_request.station;
    m_jigSetup.operatorName = m_request.operatorName;
    m_jigSetup.map = *map;
    m_jigSetup.options.scanId = QString::fromLatin1(m_request.id);
    m_jigSetup.options.stopAtFirstFailure = !m_request.allSteps;
    m_jigSetup.engineering = m_request.engineering;
    m_jigSetup.certificate = m_request.certificate;
    const JigStation::SetupProblem problem = JigStation::setupProblem(m_jigSetup);
    if (problem != JigStation::SetupProblem::None)
        return fail(BadInput, QStringLiteral("%1 (%2)").arg(JigStation::problemText(problem),
                                                            problem == JigStation::SetupProblem::NoOperator
                                                                ? QStringLiteral("--operator NAME")
                                                                : QStringLiteral("--station NAME")));
    return Done;
}

bool CliRunner::identified()
{
    const Identification found = m_session.identify(QString::fromLatin1(m_request.id));
    if (!found.ok()) {
        fail(ControllerFailed, found.stage == Identification::Stage::NotFound
                 ? QStringLiteral("No controller answered to ID %1 (%2)").arg(QLatin1String(m_request.id), found.why)
                 : QStringLiteral("The controller with ID %1 did not identify itself: %2").arg(QLatin1String(m_request.id), found.why));
        return false;
    }
    m_report.set(QStringLiteral("id"), QString::fromLatin1(found.deviceId));
    m_report.set(QStringLiteral("model"), QString::fromLatin1(found.version->model));
    m_report.set(QStringLiteral("version"), found.version->panelText);
    m_report.set(QStringLiteral("serial-number"), QString::fromLatin1(found.serial->serialNumber));
    return true;
}

int CliRunner::identify()
{
    if (!identified())
        return ControllerFailed;
    for (const char *key : { "id", "model", "version", "serial-number" })
        say(QStringLiteral("%1 %2").arg(QString::fromLatin1(key).leftJustified(14), m_report.value(QLatin1String(key)).toString()));
    return Done;
}

int CliRunner::get()
{
    if (!identified())
        return ControllerFailed;
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);
    QJsonObject values;
    QStringList notReported;
    for (const ParameterInfo &parameter : ParameterCatalog::all()) {
        if (!m_request.names.isEmpty() && !m_request.names.contains(parameter.name))
            continue;
        if (!snapshot.values.contains(parameter.name)) {
            if (!m_request.names.isEmpty())
                notReported.append(parameter.name);
            continue;
        }
        const QString value = snapshot.values.value(parameter.name);
        values.insert(parameter.name, parameter.toJson(value));
        say(QStringLiteral("%1=%2").arg(parameter.name, value));
    }
    m_report.set(QStringLiteral("values"), values);
    if (!notReported.isEmpty()) {
        m_report.set(QStringLiteral("not-reported"), texts(notReported));
        m_report.warn(QStringLiteral("the controller does not report %1 over this link").arg(notReported.join(QStringLiteral(", "))));
    }
    return Done;
}

int CliRunner::set()
{
    if (!identified())
        return ControllerFailed;
    ParameterProcedures::ApplyOptions options;
    options.everything = true;
    return applyResult(ParameterProcedures::apply(m_session, m_request.values, options));
}

int CliRunner::save()
{
    if (!identified())
        return ControllerFailed;
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);

    Profile profile;
    profile.model = snapshot.model;
    profile.created = QDateTime::currentDateTime();
    profile.madeBy = madeBy();
    profile.serialNumber = m_report.value(QStringLiteral("serial-number")).toString().toLatin1();
    QStringList leftOut;
    for (auto it = snapshot.values.cbegin(); it != snapshot.values.cend(); ++it) {
        // A value the controller holds outside its list cannot be written back: it stays out.
        if (ParameterCatalog::find(it.key())->parse(*it) == *it)
            profile.values.insert(it.key(), *it);
        else
            leftOut.append(QStringLiteral("%1 (holds %2)").arg(it.key(), *it));
    }
    QString why;
    if (!ProfileFile::save(m_request.file, profile, &why))
        return fail(BadInput, why);
    m_report.set(QStringLiteral("file"), m_request.file);
    m_report.set(QStringLiteral("saved"), texts(profile.values.keys()));
    m_report.set(QStringLiteral("left-out"), texts(leftOut));
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
    ParameterProcedures::ApplyOptions options;
    options.everything = m_request.everything;
    options.dryRun = m_request.dryRun;
    options.model = m_profile.model;
    m_report.set(QStringLiteral("dry-run"), m_request.dryRun);
    ParameterProcedures::ApplyResult result = ParameterProcedures::apply(m_session, m_profile.values, options);
    if (recovered())
        result = ParameterProcedures::apply(m_session, m_profile.values, ParameterProcedures::resumeOptions(options, result));
    return applyResult(result);
}

bool CliRunner::recovered()
{
    if (!LinkRecovery::lost(m_session))
        return false;
    if (!m_request.resume) {
        say(QStringLiteral("the serial adapter was pulled out (--resume waits up to a minute for it and goes on)"));
        return false;
    }
    say(QStringLiteral("the serial adapter was pulled out: waiting up to a minute for it"));
    m_report.flush();
    LinkRecovery::Hooks hooks;
    hooks.ports = &SerialPortList::entries;
    hooks.goOn = [this](const QString &port) {
        say(QStringLiteral("the serial adapter is back on %1: going on").arg(port));
        return true;
    };
    const LinkRecovery::Result back = LinkRecovery::recover(m_session, m_adapter, hooks);
    if (!back.resumed)
        say(QStringLiteral("the serial adapter did not come back within a minute"));
    m_report.set(QStringLiteral("resumed-on"), back.resumed ? QJsonValue(back.port) : QJsonValue());
    return back.resumed;
}

int CliRunner::applyResult(const ParameterProcedures::ApplyResult &result)
{
    using Stage = ParameterProcedures::ApplyResult::Stage;
    if (result.stage == Stage::Refused)
        return fail(BadInput, result.why + QStringLiteral(": nothing was written"));
    if (result.stage == Stage::ReadFailed)
        return fail(ControllerFailed, result.why + QStringLiteral(": nothing was written"));

    QJsonArray written;
    const QString verb = m_request.dryRun ? QStringLiteral("would write") : QStringLiteral("wrote");
    for (const ParameterDifference &row : result.rows) {
        if (!result.written.contains(row.name))
            continue;
        written.append(QJsonObject { { QStringLiteral("name"), row.name },
                                     { QStringLiteral("from"), row.controllerValue.isEmpty() ? QJsonValue() : typed(row.name, row.controllerValue) },
                                     { QStringLiteral("to"), typed(row.name, row.profileValue) } });
        say(QStringLiteral("%1 %2: %3 -> %4").arg(verb, row.name, shown(row.controllerValue), row.profileValue));
    }
    m_report.set(QStringLiteral("written"), written);
    m_report.set(QStringLiteral("not-compared"), texts(result.notCompared));
    m_report.set(QStringLiteral("restarted"), result.restarted);
    QStringList commands;
    for (const QByteArray &c : result.commands)
        commands.append(QString::fromLatin1(c));
    m_report.set(QStringLiteral("commands"), texts(commands));
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
    for (const ParameterProcedures::NotTaken &n : result.notTaken) {
        notTaken.append(QJsonObject { { QStringLiteral("name"), n.name },
                                      { QStringLiteral("wanted"), typed(n.name, n.wanted) },
                                      { QStringLiteral("got"), n.got.isEmpty() ? QJsonValue() : typed(n.name, n.got) } });
        say(QStringLiteral("did not take %1: wanted %2, reads %3").arg(n.name, n.wanted, shown(n.got)));
    }
    m_report.set(QStringLiteral("not-taken"), notTaken);
    m_report.set(QStringLiteral("unverified"), texts(result.unverified));
    if (!result.unverified.isEmpty())
        say(QStringLiteral("written, not read back (the controller cannot report them): %1")
                .arg(result.unverified.join(QStringLiteral(", "))));
    if (result.written.contains(ParameterCatalog::BaudRate) && result.stage == Stage::Done) {
        for (const ParameterDifference &row : result.rows)
            if (row.name == ParameterCatalog::BaudRate)
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
    const QByteArray model = m_report.value(QStringLiteral("model")).toString().toLatin1();
    if (model != m_profile.model)
        return fail(BadInput, QStringLiteral("The profile was made for the %1; this controller is the %2")
                                  .arg(QString::fromLatin1(m_profile.model), QString::fromLatin1(model)));
    const ParameterProcedures::Snapshot snapshot = ParameterProcedures::read(m_session);
    if (!snapshot.ok())
        return fail(ControllerFailed, snapshot.why);
    const QList<ParameterDifference> rows = ParameterComparison::compare(snapshot.values, m_profile.values);
    const QList<ParameterDifference> differing = ParameterComparison::differing(rows);
    QJsonArray out;
    if (!differing.isEmpty())
        say(QStringLiteral("%1 %2 %3").arg(QStringLiteral("name").leftJustified(18), QStringLiteral("controller").leftJustified(16),
                                           QStringLiteral("profile")));
    for (const ParameterDifference &row : differing) {
        const bool unknown = row.state == ParameterDifference::State::Unknown;
        out.append(QJsonObject { { QStringLiteral("name"), row.name },
                                 { QStringLiteral("controller"), unknown ? QJsonValue() : typed(row.name, row.controllerValue) },
                                 { QStringLiteral("profile"), typed(row.name, row.profileValue) },
                                 { QStringLiteral("state"), unknown ? QStringLiteral("unknown") : QStringLiteral("differs") } });
        say(QStringLiteral("%1 %2 %3").arg(row.name.leftJustified(18),
                                           (unknown ? QStringLiteral("(cannot be read)") : row.controllerValue).leftJustified(16),
                                           row.profileValue));
    }
    int differs = 0;
    for (const ParameterDifference &row : differing)
        differs += row.state == ParameterDifference::State::Differs ? 1 : 0;
    m_report.set(QStringLiteral("differences"), out);
    m_report.set(QStringLiteral("compared"), int(rows.size()));
    say(QStringLiteral("%1 of %2 values differ").arg(differs).arg(rows.size()));
    return Done;
}

int CliRunner::scan()
{
    BusScan scan(m_session.link());
    scan.setRange(m_request.first, m_request.last);
    scan.setScanWaitMs(m_request.scanWaitMs);
    scan.setSpeed(m_request.quick ? BusScan::Speed::Quick : BusScan::Speed::Thorough);
    scan.setConflictSeen([&](const BusScan::Conflict &conflict) {
        say(QStringLiteral("%1 conflict: %2").arg(QString::fromLatin1(conflict.id), conflict.why));
    });
#ifdef Q_OS_WIN
    const bool progressShown = !m_report.json() && _isatty(_fileno(stderr));
#else
    const bool progressShown = !m_report.json() && ::isatty(STDERR_FILENO);
#endif
    scan.setProgress([&](int done, int total, const BusScan::Found *found) {
        if (found)
            say(QStringLiteral("%1 %2 %3 %4")
                    .arg(QString::fromLatin1(found->id), QString::fromLatin1(found->model).leftJustified(5),
                         QString::fromLatin1(found->serialNumber), found->versionText));
        if (progressShown)
            m_report.progress(QStringLiteral("\r%1/%2%3").arg(done).arg(total).arg(done == total ? QStringLiteral("\n") : QString()));
        m_report.flush();
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
    m_report.set(QStringLiteral("found"), found);
    QJsonArray conflicts;
    for (const BusScan::Conflict &c : result.conflicts)
        conflicts.append(QJsonObject { { QStringLiteral("id"), QString::fromLatin1(c.id) }, { QStringLiteral("why"), c.why } });
    m_report.set(QStringLiteral("conflicts"), conflicts);
    m_report.set(QStringLiteral("scanned"), result.scanned);
    m_report.set(QStringLiteral("milliseconds"), clock.elapsed());
    say(QStringLiteral("%1 of %2 IDs answered (%3 s)")
            .arg(result.found.size())
            .arg(result.scanned)
            .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));
    if (!result.conflicts.isEmpty())
        return fail(ControllerFailed, QStringLiteral("More than one controller answers ID %1")
                                          .arg(QString::fromLatin1(result.conflicts.first().id)));
    if (result.found.isEmpty())
        return fail(ControllerFailed, QStringLiteral("No ID from %1 to %2 answered")
                                          .arg(m_request.first, 3, 10, QLatin1Char('0'))
                                          .arg(m_request.last, 3, 10, QLatin1Char('0')));
    return Done;
}

int CliRunner::send()
{
    // The ID is the one given: the raw exchange is the point, so no scan goes before it.
    m_session.setDeviceId(m_request.id);
    const Reply reply = m_session.freeCommand(m_sendBytes);
    m_report.set(QStringLiteral("verdict"), verdictName(reply.verdict));
    if (!reply.bytes.isEmpty()) {
        m_report.set(QStringLiteral("reply"), RawReplyText::fromBytes(reply.bytes));
        m_report.set(QStringLiteral("reply-hex"), QString::fromLatin1(reply.bytes.toHex(' ')));
        say(RawReplyText::fromBytes(reply.bytes));
    }
    return reply.ok() ? Done : fail(ControllerFailed, reply.why());
}

int CliRunner::reboot()
{
    m_session.setDeviceId(m_request.id);
    return acknowledged(m_session.reboot(m_request.net));
}

int CliRunner::initial()
{
    m_session.setDeviceId(m_request.id);
    return acknowledged(m_session.setInitial());
}

int CliRunner::acknowledged(const Outcome &outcome)
{
    if (!outcome.ok)
        return fail(ControllerFailed, outcome.why);
    say(QStringLiteral("acknowledged"));
    return Done;
}

int CliRunner::jig()
{
    QJsonArray steps;
    const auto goOn = [&] {
        if (!recovered())
            return false;
        // Only the test from the first step again counts.
        steps = QJsonArray();
        say(QStringLiteral("testing the unit again from its first step"));
        return true;
    };
    const JigTest::Result result = JigStation::test(m_session, m_jigSetup, [&](const JigTest::Step &step) {
        steps.append(QJsonObject { { QStringLiteral("name"), step.name },
                                   { QStringLiteral("expected"), step.expected },
                                   { QStringLiteral("measured"), step.measured },
                                   { QStringLiteral("passed"), step.passed },
                                   { QStringLiteral("reason"), step.why } });
        say(QStringLiteral("%1 %2: %3%4")
                .arg(step.passed ? QStringLiteral("pass") : QStringLiteral("FAIL"), step.name.leftJustified(11), step.measured,
                     step.passed ? QString() : QStringLiteral(" (expected %1%2)").arg(step.expected, step.why.isEmpty() ? QString() : QStringLiteral("; ") + step.why)));
        m_report.flush();
    }, goOn);
    // A store that is away may take seconds to say so: the unit's link is not held meanwhile.
    m_session.close();

    JigStation station(m_store);
    const JigStation::Unit unit = station.keep(result, m_jigSetup);
    const RecordKeeper::Outcome &kept = unit.kept;
    const QString verdict = UnitRecord::verdictText(result.passed() ? UnitRecord::Verdict::Pass
                                                    : result.linkLost() ? UnitRecord::Verdict::Error : UnitRecord::Verdict::Fail);
    static const char *places[] = { "store", "pending", "nowhere" };
    m_report.set(QStringLiteral("verdict"), verdict);
    m_report.set(QStringLiteral("engineering"), m_jigSetup.engineering);
    m_report.set(QStringLiteral("steps"), steps);
    m_report.set(QStringLiteral("serial-number"), unit.record ? unit.record->serialNumber : QString());
    m_report.set(QStringLiteral("record"),
                 QJsonObject { { QStringLiteral("id"), unit.record ? QJsonValue(unit.record->recordId.toString(QUuid::WithoutBraces)) : QJsonValue() },
                               { QStringLiteral("kept"), QLatin1String(places[int(kept.place)]) },
                               { QStringLiteral("message"), kept.why },
                               { QStringLiteral("waiting"), kept.waiting },
                               { QStringLiteral("waiting-elsewhere"), kept.waitingElsewhere } });
    const JigTest::Step *failed = result.firstFailure();
    say(failed ? QStringLiteral("%1 at %2").arg(verdict, failed->name) : verdict);
    say(kept.why);
    QString certificateWhy;
    if (!unit.certificate.isEmpty()) {
        // The command line speaks English, as its records certificate does.
        QDir().mkpath(QFileInfo(unit.certificate).absolutePath());
        if (CertificatePdf::write(*unit.record, 0, madeBy(), QFont(), unit.certificate, &certificateWhy)) {
            m_report.set(QStringLiteral("certificate"), QDir::toNativeSeparators(unit.certificate));
            say(QStringLiteral("Certificate written to %1").arg(QDir::toNativeSeparators(unit.certificate)));
        }
    }
    // Without a unit there was nothing to keep: what failed is the test.
    if (unit.record && kept.place == RecordKeeper::Place::Nowhere)
        return fail(ControllerFailed, QStringLiteral("The record was kept nowhere: test the unit again (%1)").arg(kept.why));
    if (!certificateWhy.isEmpty())
        return fail(ControllerFailed, QStringLiteral("The certificate could not be written: %1").arg(certificateWhy));
    if (result.linkLost())
        return fail(ControllerFailed, QStringLiteral("The test could not be completed (ERROR, the unit is not judged): %1")
                                          .arg(failed ? (failed->why.isEmpty() ? failed->measured : failed->why) : QString()));
    if (!result.passed())
        return fail(ControllerFailed, failed ? QStringLiteral("Failed at %1: %2").arg(failed->name, failed->why.isEmpty() ? failed->measured : failed->why)
                                             : QStringLiteral("The jig test did not run"));
    return Done;
}

int CliRunner::records()
{
    QString why;
    const std::optional<RecordStoreSettings> settings = RecordStoreSettings::fromSetting(m_request.store, &why);
    if (!settings)
        return fail(BadInput, QStringLiteral("--store: %1").arg(why));
    const QString action = m_request.recordsAction;
    if (action == QLatin1String("pending"))
        return recordsPending(*settings);
    RecordStore store(*settings);
    if (action == QLatin1String("init-server")) {
        if (!store.setUpServer(m_request.role, m_request.rolePassword))
            return fail(ControllerFailed, store.why());
        m_report.set(QStringLiteral("store"), settings->displayString());
        m_report.set(QStringLiteral("role"), m_request.role);
        say(QStringLiteral("%1 holds the record tables; stations connect as %2, which may read and add records, never change "
                           "or delete one").arg(settings->displayString(), m_request.role));
        return Done;
    }
    RecordQueries queries(store);
    m_report.set(QStringLiteral("store"), settings->displayString());
    RecordFilter filter;
    filter.from = m_request.from;
    filter.to = m_request.to;
    if (action == QLatin1String("history"))
        return recordsHistory(queries);
    if (action == QLatin1String("export"))
        return recordsExport(queries, filter);
    if (action == QLatin1String("yield"))
        return recordsYield(queries, filter);
    if (action == QLatin1String("pareto"))
        return recordsPareto(queries, filter);
    return recordsCertificate(queries);
}

int CliRunner::recordsHistory(RecordQueries &queries)
{
    const std::optional<QList<UnitRecord>> tests = queries.history(m_request.serial);
    if (!tests)
        return fail(ControllerFailed, queries.why());
    QJsonArray list;
    for (const UnitRecord &r : *tests) {
        list.append(r.toJson());
        say(QStringLiteral("%1  %2  %3  %4%5")
                .arg(r.start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), UnitRecord::verdictText(r.verdict).leftJustified(5),
                     r.station, r.operatorName, r.engineering ? QStringLiteral("  (engineering run)") : QString()));
        for (const StepRecord &step : r.steps)
            say(QStringLiteral("    %1 %2: %3 (expected %4)%5")
                    .arg(step.passed ? QStringLiteral("pass") : QStringLiteral("FAIL"), step.name, step.measured, step.expected,
                         step.why.isEmpty() ? QString() : QStringLiteral("; ") + step.why));
    }
    m_report.set(QStringLiteral("serial-number"), m_request.serial);
    m_report.set(QStringLiteral("tests"), list);
    if (tests->isEmpty())
        return fail(ControllerFailed, QStringLiteral("No test of %1 in %2").arg(m_request.serial, m_report.value(QStringLiteral("store")).toString()));
    return Done;
}

int CliRunner::recordsExport(RecordQueries &queries, const RecordFilter &filter)
{
    RecordFilter all = filter;
    all.withEngineering = true;
    const std::optional<QList<UnitRecord>> tests = queries.units(all);
    if (!tests)
        return fail(ControllerFailed, queries.why());
    QString why;
    const bool written = m_request.csvFile.isEmpty() ? RecordExport::writeJsonFiles(*tests, m_request.jsonFolder, &why)
                                                     : RecordExport::writeCsv(*tests, m_request.csvFile, &why);
    if (!written)
        return fail(ControllerFailed, why);
    const QString where = QDir::toNativeSeparators(m_request.csvFile.isEmpty() ? m_request.jsonFolder : m_request.csvFile);
    m_report.set(QStringLiteral("tests"), int(tests->size()));
    m_report.set(QStringLiteral("written"), where);
    say(QStringLiteral("%1 tests of %2 to %3 written to %4")
            .arg(tests->size())
            .arg(filter.from.toString(Qt::ISODate), filter.to.toString(Qt::ISODate), where));
    return Done;
}

int CliRunner::recordsYield(RecordQueries &queries, const RecordFilter &filter)
{
    const RecordQueries::GroupBy by = m_request.groupBy == QLatin1String("station") ? RecordQueries::GroupBy::Station
        : m_request.groupBy == QLatin1String("operator")                              ? RecordQueries::GroupBy::Operator
                                                                                      : RecordQueries::GroupBy::Day;
    const std::optional<QList<RecordQueries::YieldRow>> rows = queries.yield(filter, by);
    if (!rows)
        return fail(ControllerFailed, queries.why());
    auto percent = [](int part, int whole) { return whole ? QString::number(100.0 * part / whole, 'f', 1) : QStringLiteral("-"); };
    say(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
            .arg(m_request.groupBy.leftJustified(12), QStringLiteral("tests").rightJustified(7), QStringLiteral("units").rightJustified(7),
                 QStringLiteral("retests").rightJustified(7), QStringLiteral("FPY %").rightJustified(7), QStringLiteral("LPY %").rightJustified(7),
                 QStringLiteral("errors").rightJustified(7)));
    QJsonArray list;
    for (const RecordQueries::YieldRow &r : *rows) {
        say(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                .arg(r.key.leftJustified(12), QString::number(r.tests).rightJustified(7), QString::number(r.units).rightJustified(7),
                     QString::number(r.retests).rightJustified(7), percent(r.firstTimePassed, r.firstTimeUnits).rightJustified(7),
                     percent(r.lastPassed, r.lastUnits).rightJustified(7), QString::number(r.errors).rightJustified(7)));
        list.append(QJsonObject{ { m_request.groupBy, r.key }, { QStringLiteral("tests"), r.tests }, { QStringLiteral("units"), r.units },
                                 { QStringLiteral("retests"), r.retests }, { QStringLiteral("first-time-units"), r.firstTimeUnits },
                                 { QStringLiteral("first-time-passed"), r.firstTimePassed }, { QStringLiteral("last-units"), r.lastUnits },
                                 { QStringLiteral("last-passed"), r.lastPassed }, { QStringLiteral("errors"), r.errors } });
    }
    m_report.set(QStringLiteral("from"), filter.from.toString(Qt::ISODate));
    m_report.set(QStringLiteral("to"), filter.to.toString(Qt::ISODate));
    m_report.set(QStringLiteral("by"), m_request.groupBy);
    m_report.set(QStringLiteral("rows"), list);
    return Done;
}

int CliRunner::recordsPareto(RecordQueries &queries, const RecordFilter &filter)
{
    const std::optional<RecordQueries::Pareto> pareto = queries.pareto(filter);
    if (!pareto)
        return fail(ControllerFailed, queries.why());
    auto rows = [](const QList<RecordQueries::ParetoRow> &list) {
        QJsonArray out;
        for (const RecordQueries::ParetoRow &r : list)
            out.append(QJsonObject{ { QStringLiteral("step"), r.step }, { QStringLiteral("measured"), r.measured },
                                    { QStringLiteral("failures"), r.failures }, { QStringLiteral("share"), r.share },
                                    { QStringLiteral("cumulative"), r.cumulative } });
        return out;
    };
    say(QStringLiteral("%1 failed tests from %2 to %3").arg(pareto->failures).arg(filter.from.toString(Qt::ISODate), filter.to.toString(Qt::ISODate)));
    for (const RecordQueries::ParetoRow &step : pareto->steps) {
        say(QStringLiteral("%1 %2 %  cumulative %3 %  %4")
                .arg(QString::number(step.failures).rightJustified(7), QString::number(100 * step.share, 'f', 1).rightJustified(5),
                     QString::number(100 * step.cumulative, 'f', 1).rightJustified(5), step.step));
        for (const RecordQueries::ParetoRow &value : pareto->values)
            if (value.step == step.step)
                say(QStringLiteral("%1 %2 %  measured %3").arg(QString::number(value.failures).rightJustified(15),
                                                                QString::number(100 * value.share, 'f', 1).rightJustified(5), value.measured));
    }
    m_report.set(QStringLiteral("from"), filter.from.toString(Qt::ISODate));
    m_report.set(QStringLiteral("to"), filter.to.toString(Qt::ISODate));
    m_report.set(QStringLiteral("failures"), pareto->failures);
    m_report.set(QStringLiteral("steps"), rows(pareto->steps));
    m_report.set(QStringLiteral("values"), rows(pareto->values));
    return Done;
}

int CliRunner::recordsCertificate(RecordQueries &queries)
{
    const std::optional<QList<UnitRecord>> latest = queries.latest(m_request.serial);
    if (!latest)
        return fail(ControllerFailed, queries.why());
    if (latest->isEmpty())
        return fail(ControllerFailed, QStringLiteral("No test of %1 in %2").arg(m_request.serial, m_report.value(QStringLiteral("store")).toString()));
    const UnitRecord &test = latest->constFirst();
    QString why;
    // The command line speaks English; the records window writes a certificate in its language.
    if (!CertificatePdf::write(test, 0, madeBy(), QFont(), m_request.pdfFile, &why))
        return fail(ControllerFailed, why);
    m_report.set(QStringLiteral("serial-number"), test.serialNumber);
    m_report.set(QStringLiteral("record"), test.recordId.toString(QUuid::WithoutBraces));
    m_report.set(QStringLiteral("verdict"), UnitRecord::verdictText(test.verdict));
    m_report.set(QStringLiteral("written"), QDir::toNativeSeparators(m_request.pdfFile));
    say(QStringLiteral("Certificate of %1 (%2, %3) written to %4")
            .arg(test.serialNumber, UnitRecord::verdictText(test.verdict), test.start.toLocalTime().toString(Qt::ISODate),
                 QDir::toNativeSeparators(m_request.pdfFile)));
    return Done;
}

int CliRunner::recordsPending(const RecordStoreSettings &settings)
{
    const QString unnamed = QStringLiteral("unnamed");
    PendingRecords pending;
    QString why;
    if (m_request.deliver) {
        RecordStore store(settings);
        const QString meantFor = m_request.deliverFrom == unnamed ? QString() : m_request.deliverFrom;
        const PendingRecords::Delivery delivery = pending.deliverTo(store, meantFor);
        m_report.set(QStringLiteral("delivered"), delivery.delivered);
        m_report.set(QStringLiteral("to"), settings.displayString());
        say(QStringLiteral("%1 records meant for %2 sent to %3").arg(delivery.delivered).arg(meantFor.isEmpty() ? unnamed : meantFor,
                                                                                               settings.displayString()));
        if (!delivery.why.isEmpty())
            return fail(ControllerFailed, delivery.why);
    }
    const std::optional<QList<PendingRecords::StoreCount>> counts = pending.countByStore(&why);
    if (!counts)
        return fail(ControllerFailed, why);
    QJsonArray stores;
    int total = 0;
    for (const PendingRecords::StoreCount &count : *counts) {
        const QString store = count.store.isEmpty() ? unnamed : count.store;
        stores.append(QJsonObject{ { QStringLiteral("store"), store }, { QStringLiteral("records"), count.records } });
        say(QStringLiteral("%1 waiting for %2").arg(QString::number(count.records).rightJustified(6), store));
        total += count.records;
    }
    m_report.set(QStringLiteral("file"), QDir::toNativeSeparators(pending.filePath()));
    m_report.set(QStringLiteral("stores"), stores);
    m_report.set(QStringLiteral("waiting"), total);
    say(QStringLiteral("%1 waiting in %2").arg(QString::number(total).rightJustified(6), QDir::toNativeSeparators(pending.filePath())));
    return Done;
}
