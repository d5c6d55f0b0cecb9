#include "cli/clicommands.h"

#include "cli/clirunner.h"
#include "controller/busscan.h"
#include "profile/parametercatalog.h"

#include <QCommandLineParser>
#include <QSysInfo>

namespace {

using Command = CliRequest::Command;

QCommandLineOption option(const char *name, const char *description, const char *valueName = nullptr)
{
    return valueName ? QCommandLineOption(QLatin1String(name), QLatin1String(description), QLatin1String(valueName))
                     : QCommandLineOption(QLatin1String(name), QLatin1String(description));
}

QString takeNames(CliRequest &request, const QStringList &args, const QCommandLineParser &)
{
    for (const QString &name : args)
        if (!ParameterCatalog::find(name))
            return QStringLiteral("unknown value name \"%1\" ('zu42cli get --help' lists them)").arg(name);
    request.names = args;
    return QString();
}

QString takeValues(CliRequest &request, const QStringList &args, const QCommandLineParser &)
{
    for (const QString &arg : args) {
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return QStringLiteral("set wants NAME=VALUE, got \"%1\"").arg(arg);
        const QString name = arg.left(eq);
        const ParameterInfo *parameter = ParameterCatalog::find(name);
        if (!parameter)
            return QStringLiteral("unknown value name \"%1\" ('zu42cli set --help' lists them)").arg(name);
        if (request.values.contains(name))
            return QStringLiteral("%1 is given twice").arg(name);
        QString why;
        const std::optional<QString> value = parameter->parse(arg.mid(eq + 1), &why);
        if (!value)
            return why;
        request.values.insert(name, *value);
    }
    return QString();
}

// The profile file is read by the runner, before the link opens.
QString takeFile(CliRequest &request, const QStringList &args, const QCommandLineParser &)
{
    if (args.first().isEmpty())
        return QStringLiteral("the file name is empty");
    request.file = args.first();
    return QString();
}

QString takeApply(CliRequest &request, const QStringList &args, const QCommandLineParser &parser)
{
    request.everything = parser.isSet(QStringLiteral("all"));
    request.dryRun = parser.isSet(QStringLiteral("dry-run"));
    request.resume = parser.isSet(QStringLiteral("resume"));
    return takeFile(request, args, parser);
}

QString takeScan(CliRequest &request, const QStringList &args, const QCommandLineParser &parser)
{
    if (!args.isEmpty()) {
        const auto range = BusScan::parseRange(args.first());
        if (!range || range->second > BusScan::HighestId)
            return QStringLiteral("scan wants a range of IDs FROM-TO within 000-%1, got \"%2\"").arg(BusScan::HighestId).arg(args.first());
        request.first = range->first;
        request.last = range->second;
    }
    const QString wait = QStringLiteral("wait");
    if (parser.isSet(wait)) {
        bool ok = false;
        request.scanWaitMs = parser.value(wait).toInt(&ok);
        if (!ok || request.scanWaitMs < 1 || request.scanWaitMs > 60000)
            return QStringLiteral("--wait wants milliseconds from 1 to 60000, got \"%1\"").arg(parser.value(wait));
    }
    request.quick = parser.isSet(QStringLiteral("quick"));
    if (request.quick && (parser.isSet(QStringLiteral("thorough")) || parser.isSet(wait)))
        return QStringLiteral("scan takes one of --quick, --thorough and --wait");
    return QString();
}

QString takeSend(CliRequest &request, const QStringList &args, const QCommandLineParser &parser)
{
    request.text = args.first();
    const QString option = QStringLiteral("encoding");
    if (parser.isSet(option)) {
        const ParameterInfo &encoding = ParameterCatalog::at(ParameterCatalog::TextEncoding);
        QString why;
        const std::optional<QString> value = encoding.parse(parser.value(option), &why);
        if (!value)
            return QStringLiteral("--encoding %1").arg(why.mid(encoding.name.size() + 2));
        request.encoding = *encoding.code(*value);
    }
    return QString();
}

QString takeReboot(CliRequest &request, const QStringList &, const QCommandLineParser &parser)
{
    request.net = parser.isSet(QStringLiteral("net"));
    return QString();
}

// The map file and the store are read by the runner before the link opens; the operator is
// checked there too, after them, as the jig station checks a setup.
QString takeJig(CliRequest &request, const QStringList &, const QCommandLineParser &parser)
{
    const QString map = QStringLiteral("map");
    const QString station = QStringLiteral("station");
    request.mapFile = parser.value(map);
    request.station = parser.isSet(station) ? parser.value(station) : QSysInfo::machineHostName();
    request.operatorName = parser.value(QStringLiteral("operator"));
    request.store = parser.value(QStringLiteral("store"));
    request.allSteps = parser.isSet(QStringLiteral("all-steps"));
    request.resume = parser.isSet(QStringLiteral("resume"));
    request.engineering = parser.isSet(QStringLiteral("engineering"));
    const QString certificate = QStringLiteral("certificate");
    if (parser.isSet(certificate)) {
        request.certificate = parser.value(certificate);
        if (request.certificate->trimmed().isEmpty())
            return QStringLiteral("--certificate wants a PDF file or a folder");
    }
    // A map of blanks would quietly be the default wiring: a script's empty variable, not a file.
    if (parser.isSet(map) && request.mapFile.trimmed().isEmpty())
        return QStringLiteral("--map wants a file");
    if (request.station.trimmed().isEmpty())
        return QStringLiteral("--station wants a name");
    return QString();
}

const QStringList SiteActionWords { QStringLiteral("scan"), QStringLiteral("read"), QStringLiteral("address"), QStringLiteral("apply"),
                                QStringLiteral("clock"), QStringLiteral("reboot"), QStringLiteral("replace"), QStringLiteral("report") };

std::optional<QByteArray> idArgument(const QString &text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || text.isEmpty() || text.size() > 3 || n < 0 || text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')))
        return std::nullopt;
    return QByteArray::number(n).rightJustified(3, '0');
}

QString takeSite(CliRequest &request, const QStringList &args, const QCommandLineParser &parser)
{
    request.siteAction = args.first();
    const QString &action = request.siteAction;
    if (!SiteActionWords.contains(action))
        return QStringLiteral("site wants one of %1, got \"%2\"").arg(SiteActionWords.join(QStringLiteral(", ")), action);
    const bool takesArgument = action == QLatin1String("apply") || action == QLatin1String("replace");
    if (args.size() != (takesArgument ? 2 : 1))
        return takesArgument ? QStringLiteral("site %1 wants %2").arg(action, action == QLatin1String("apply") ? QStringLiteral("a profile file") : QStringLiteral("the ID of the failed unit"))
                             : QStringLiteral("site %1 takes no argument besides its options").arg(action);
    if (action == QLatin1String("scan")) {
        request.siteFile = parser.value(QStringLiteral("save"));
        if (request.siteFile.isEmpty())
            return QStringLiteral("site scan wants --save FILE");
        if (!request.linkGiven)
            return QStringLiteral("site scan wants --link");
        if (parser.isSet(QStringLiteral("quick")) && parser.isSet(QStringLiteral("thorough")))
            return QStringLiteral("site scan takes --quick or --thorough, not both");
        request.quick = parser.isSet(QStringLiteral("quick"));
        request.siteName = parser.value(QStringLiteral("name"));
        return QString();
    }
    request.siteFile = parser.value(QStringLiteral("site"));
    if (request.siteFile.isEmpty())
        return QStringLiteral("site %1 wants --site FILE").arg(action);
    if (action == QLatin1String("apply"))
        request.file = args.at(1);
    if (action == QLatin1String("replace")) {
        const std::optional<QByteArray> id = idArgument(args.at(1));
        if (!id)
            return QStringLiteral("site replace wants an ID of up to three digits, got \"%1\"").arg(args.at(1));
        request.ids = { *id };
    }
    if (parser.isSet(QStringLiteral("ids"))) {
        for (const QString &text : parser.value(QStringLiteral("ids")).split(QLatin1Char(','))) {
            const std::optional<QByteArray> id = idArgument(text.trimmed());
            if (!id)
                return QStringLiteral("--ids wants IDs of up to three digits, separated by commas, got \"%1\"").arg(text);
            request.ids.append(*id);
        }
    }
    if (action == QLatin1String("address")) {
        const std::optional<QByteArray> from = idArgument(parser.value(QStringLiteral("from")));
        if (!from || from->toInt() < 1)
            return QStringLiteral("site address wants --from ID, from 001 to 999");
        request.first = from->toInt();
        bool ok = true;
        if (parser.isSet(QStringLiteral("count")))
            request.count = parser.value(QStringLiteral("count")).toInt(&ok);
        if (!ok || request.count < 1 || request.count > 999)
            return QStringLiteral("--count wants a number from 1 to 999");
    }
    if (action == QLatin1String("report")) {
        request.pdfFile = parser.value(QStringLiteral("pdf"));
        request.csvFile = parser.value(QStringLiteral("csv"));
        if (request.pdfFile.isEmpty() && request.csvFile.isEmpty())
            return QStringLiteral("site report wants --pdf FILE or --csv FILE");
    }
    return QString();
}

std::optional<QDate> day(const QCommandLineParser &parser, const char *name, QString *why)
{
    const QString option = QLatin1String(name);
    if (!parser.isSet(option))
        return QDate();
    const QString text = parser.value(option);
    const QDate date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid() || text.size() != 10) {
        *why = QStringLiteral("--%1 wants a day as YYYY-MM-DD, got \"%2\"").arg(option, text);
        return std::nullopt;
    }
    return date;
}

// The records of this PC or of the line's store: no controller, no link.
QString takeRecords(CliRequest &request, const QStringList &args, const QCommandLineParser &parser)
{
    const QString action = args.first();
    request.recordsAction = action;
    request.store = parser.value(QStringLiteral("store"));
    const QString from = QStringLiteral("deliver-from");
    request.deliver = parser.isSet(from);
    request.deliverFrom = parser.value(from);
    const QStringList rest = args.mid(1);
    const bool ranged = action == QLatin1String("export") || action == QLatin1String("yield") || action == QLatin1String("pareto");
    // Each option with the action it belongs to, so that a misplaced one is said, not ignored.
    const std::pair<const char *, bool> belongs[] = {
        { "deliver-from", action == QLatin1String("pending") }, { "from", ranged }, { "to", ranged },
        { "by", action == QLatin1String("yield") }, { "csv", action == QLatin1String("export") },
        { "pdf", action == QLatin1String("certificate") }, { "role", action == QLatin1String("init-server") },
        { "role-password", action == QLatin1String("init-server") },
    };
    for (const auto &[option, fits] : belongs)
        if (parser.isSet(QLatin1String(option)) && !fits)
            return QStringLiteral("records %1 takes no --%2").arg(action, QLatin1String(option));

    if (action == QLatin1String("pending")) {
        if (!rest.isEmpty())
            return QStringLiteral("records pending takes no further arguments");
        // Records go to another store than they were meant for only when both are named.
        if (request.deliver && !parser.isSet(QStringLiteral("store")))
            return QStringLiteral("--deliver-from wants --store too: the store the records go to");
        return QString();
    }
    if (action == QLatin1String("init-server")) {
        // The server is the argument; --store names where the stations' records go, not this.
        if (rest.size() != 1 || !rest.first().startsWith(QLatin1String("postgresql://")))
            return QStringLiteral("records init-server wants the server as postgresql://OWNER@HOST/DATABASE");
        if (parser.isSet(QStringLiteral("store")))
            return QStringLiteral("records init-server takes the server as its argument, not --store");
        request.store = rest.first();
        if (parser.isSet(QStringLiteral("role")))
            request.role = parser.value(QStringLiteral("role"));
        request.rolePassword = parser.value(QStringLiteral("role-password"));
        return QString();
    }
    if (action == QLatin1String("history") || action == QLatin1String("certificate")) {
        if (rest.size() != 1 || rest.first().trimmed().isEmpty())
            return QStringLiteral("records %1 wants one serial number").arg(action);
        request.serial = rest.first();
        if (action == QLatin1String("certificate")) {
            request.pdfFile = parser.value(QStringLiteral("pdf"));
            if (request.pdfFile.isEmpty())
                return QStringLiteral("records certificate wants --pdf FILE");
        }
        return QString();
    }
    if (!ranged)
        return QStringLiteral("records wants history, pending, export, yield, pareto, certificate or init-server, got \"%1\"").arg(action);
    QString why;
    const std::optional<QDate> first = day(parser, "from", &why);
    const std::optional<QDate> last = day(parser, "to", &why);
    if (!first || !last)
        return why;
    // Without dates, today; with one, that day alone or up to today.
    request.to = last->isValid() ? *last : QDate::currentDate();
    request.from = first->isValid() ? *first : request.to;
    if (request.to < request.from)
        return QStringLiteral("--to %1 is before --from %2").arg(request.to.toString(Qt::ISODate), request.from.toString(Qt::ISODate));
    if (action == QLatin1String("yield")) {
        request.groupBy = parser.isSet(QStringLiteral("by")) ? parser.value(QStringLiteral("by")) : QStringLiteral("day");
        if (!QStringList{ QStringLiteral("day"), QStringLiteral("station"), QStringLiteral("operator") }.contains(request.groupBy))
            return QStringLiteral("--by wants day, station or operator, got \"%1\"").arg(request.groupBy);
    }
    if (action == QLatin1String("export")) {
        request.csvFile = parser.value(QStringLiteral("csv"));
        // --json is the report's switch too: the folder is the argument after it.
        if (request.json && rest.size() == 1)
            request.jsonFolder = rest.first();
        else if (!rest.isEmpty())
            return QStringLiteral("records export takes (--csv FILE | --json DIR)");
        if (request.csvFile.isEmpty() == request.jsonFolder.isEmpty())
            return QStringLiteral("records export wants one of --csv FILE and --json DIR");
        return QString();
    }
    return rest.isEmpty() ? QString() : QStringLiteral("records %1 takes no further arguments").arg(action);
}

} // namespace

QList<CliCommand> CliCommands::table()
{
    return {
        { "identify", Command::Identify, "", "the controller's ID, model, version and serial number",
          "Scans for the controller with --id, then reads its version and serial number.", 0, 0, {}, false,
          nullptr, nullptr, &CliRunner::identify, true },
        { "get", Command::Get, "[NAME...]", "every value the controller reports (or only those named)",
          "Reads the model and both ranges of the read-back; over a serial link also the line settings, "
          "which the controller proves by answering. Prints NAME=VALUE lines, the form set takes.", 0, -1, {}, true,
          &takeNames, nullptr, &CliRunner::get, true },
        { "set", Command::Set, "NAME=VALUE...", "writes values, restarts once if one needs it, reads back",
          "Every value is checked before the link opens. Values written by one command together (language "
          "with text-encoding; card-display with show-status and use-status) keep the controller's value for "
          "the one not named. Exit status 1 when a value did not take.", 1, -1, {}, true,
          &takeValues, nullptr, &CliRunner::set, true },
        { "save", Command::Save, "FILE", "saves the controller's values as a profile",
          "Writes what get reports, with the model, the time and the serial number, as a profile file "
          "(docs/profiles.md).", 1, 1, {}, false,
          &takeFile, &CliRunner::refuseUnwritableFile, &CliRunner::save, true },
        { "apply", Command::Apply, "FILE [--all] [--dry-run] [--resume]", "writes a profile's values that differ",
          "Checks the file before the link opens, then the model before anything is written. Writes the "
          "values that differ from the controller's (--all: every value, also those it cannot report), "
          "restarts once at the end when one of them needs it, reads back and says which did not take. "
          "--dry-run reads and says what it would write. --resume: when the serial adapter is pulled out "
          "during the apply and plugged in again within a minute (under its name or another), the controller "
          "is read again and only what still differs is written, so no value is written twice or lost.", 1, 1,
          { option("all", "apply: write every value, not only those that differ."),
            option("dry-run", "apply: say what would be written, write nothing."),
            option("resume", "apply, jig: wait up to a minute for a serial adapter pulled out, then go on.") }, false,
          &takeApply, &CliRunner::refuseBadProfile, &CliRunner::apply, true },
        { "diff", Command::Diff, "FILE", "a profile beside the controller's values",
          "Prints each value of the profile that differs from the controller's, or that the controller "
          "cannot report.", 1, 1, {}, false,
          &takeFile, &CliRunner::refuseBadProfile, &CliRunner::diff, true },
        { "scan", Command::Scan, "[FROM-TO] [--quick|--thorough|--wait MS]", "which IDs answer on the line (000-999)",
          "Sends the connect's scan to each ID of the range, one exchange each, and lists each ID that "
          "answers with its model and serial number, and each ID where more than one controller answers "
          "(a conflict). --thorough (the default): a silent ID costs the link's exchange limit (serial: "
          "300 ms, TCP: 1200 ms); --quick waits what the line speed and the controllers heard so far need, "
          "at least 50 ms; --wait sets a fixed wait. Exit status 1 when no ID answered or a conflict was heard.", 0, 1,
          { option("quick", "scan: wait per ID from the line speed and the answers heard (at least 50 ms)."),
            option("thorough", "scan: wait the link's own limit for each ID (the default)."),
            option("wait", "scan: wait this long (ms) for each ID instead of the link's limit.", "ms") }, false,
          &takeScan, nullptr, &CliRunner::scan, true },
        { "send", Command::Send, "TEXT [--encoding NAME]", "sends TEXT after the ID, prints the raw reply",
          "The reply is printed whole, its control bytes as the Unicode control pictures (U+2400..). Text "
          "that is not ASCII goes out in --encoding (unicode, big5, gb2312; default unicode).", 1, 1,
          { option("encoding", "send: unicode, big5 or gb2312 for text that is not ASCII.", "name") }, false,
          &takeSend, &CliRunner::refuseUnsendableText, &CliRunner::send, true },
        { "reboot", Command::Reboot, "[--net]", "restarts the controller",
          "--net: the restart of a controller on the network (AJ99).", 0, 0,
          { option("net", "reboot: the restart of a controller on the network.") }, false,
          &takeReboot, nullptr, &CliRunner::reboot, true },
        { "initial", Command::Initial, "", "sets the factory values", "Sets every parameter back to its factory value.", 0, 0,
          {}, false, nullptr, nullptr, &CliRunner::initial, true },
        { "jig", Command::Jig, "--operator NAME [--map FILE] [--station NAME] [--store STORE] [--all-steps] [--resume] [--engineering] [--certificate PATH]",
          "the jig test of the unit, and its record",
          "Identifies the unit, sets and reads back its clock, switches each output alone and checks the inputs "
          "the jig map (--map; default the simulator's wiring) says it drives, then all off. Stops at the first "
          "failed step unless --all-steps. The record names who tested the unit (--operator, which it needs) "
          "and where (--station; default this PC's name). It goes where the window's go (--store: sqlite:, sqlite:PATH "
          "or postgresql://...; default the records of this PC), or waits in the pending file when the store "
          "cannot take it. --engineering marks an engineering run: recorded, never counted in yield. Verdict ERROR when "
          "the link was lost in the middle (the unit is not judged). Exit status 1 when a step failed, the test "
          "could not be completed or the record could be kept nowhere. --resume: when the serial adapter is pulled "
          "out during the test and plugged in again within a minute, the unit is tested again from its first step "
          "and only that test is recorded. --certificate PATH: a one-page PDF of the recorded test, written to PATH, or "
          "into PATH as certificate-SERIAL-YYYYMMDD-HHMMSS.pdf when PATH is a folder (one that exists, or ending in /); "
          "exit status 1 when it cannot be written.", 0, 0,
          { option("map", "jig: the jig map file.", "file"),
            option("station", "jig: the station's name in the record (default: this PC's name).", "name"),
            option("operator", "jig: the operator's name in the record (needed).", "name"),
            option("store", "jig: where the record goes (sqlite:, sqlite:PATH, postgresql://...).", "store"),
            option("all-steps", "jig: run every step, also after one failed."),
            option("resume", "apply, jig: wait up to a minute for a serial adapter pulled out, then go on."),
            option("engineering", "jig: an engineering run: recorded, never counted in yield."),
            option("certificate", "jig: a certificate (PDF) of the recorded test: the file, or a folder for it.", "path") }, false,
          &takeJig, &CliRunner::refuseJigSetup, &CliRunner::jig, true },
        { "site", Command::Site, "ACTION [PROFILE|ID] [--site FILE] [options]", "commissions the controllers of a line",
          "scan --save FILE [--name NAME] [--quick|--thorough]: the site from the IDs 000-999 that answer (conflicts "
          "fail). read: every value, the version, serial number and clock of each unit. address --from ID [--count N]: "
          "the new unit at 000 to the next free ID from ID on (N units in a row), checked by its serial number. "
          "apply PROFILE: the profile to each unit, only what differs, one restart each, read back. clock: each "
          "unit's clock to the PC's time. reboot. replace ID: the unit at 000 takes the failed unit's ID and every "
          "value it had, read back. report (--pdf FILE | --csv FILE): the handover report. Every action but scan "
          "works on --site FILE over the line the site names (or --link), on the units of --ids (default: all not "
          "marked failed), goes on past a unit that fails, and saves the site with each unit's result. Exit status "
          "1 when any unit failed; the failed IDs are said.", 1, 2,
          { option("site", "site: the site file.", "file"),
            option("save", "site scan: the site file to write.", "file"),
            option("name", "site scan: the site's name (default: the file's).", "name"),
            option("quick", "scan: wait per ID from the line speed and the answers heard (at least 50 ms)."),
            option("thorough", "scan: wait the link's own limit for each ID (the default)."),
            option("from", "site address: the first ID to give.", "id"),
            option("count", "site address: how many new units, one after another (default 1).", "n"),
            option("ids", "site: only these units, comma-separated.", "list"),
            option("pdf", "site report: the PDF to write.", "file"),
            option("csv", "site report: the CSV to write.", "file") }, false,
          &takeSite, &CliRunner::refuseSite, &CliRunner::site, true },
        { "records", Command::Records,
          "history SERIAL | pending [--deliver-from STORE] | export [--from DAY] [--to DAY] (--csv FILE | --json DIR) | "
          "yield [--from DAY] [--to DAY] [--by day|station|operator] | pareto [--from DAY] [--to DAY] | certificate SERIAL --pdf FILE "
          "[--store STORE] | init-server postgresql://... [--role NAME] [--role-password PW]",
          "the records of this PC and the line",
          "history: every test of a unit, newest first, with its steps. pending: how many records wait on this PC, for "
          "which store, whoever queued them (the jig window or 'zu42cli jig'); a record goes only to the store it was "
          "meant for, and --deliver-from STORE sends those meant for STORE (as listed; \"unnamed\" for records an earlier "
          "version queued without naming one) into --store instead. export: the tests of the days as one CSV file or one "
          "JSON file per test. yield: tests, units, retests, first-pass and last-pass yield per day, station or operator; "
          "engineering runs are never counted, tests the station could not complete (ERROR) are counted apart. pareto: "
          "failed tests by the step that failed first and by what it measured, largest first, with the cumulative "
          "share. certificate: a one-page PDF of the unit's latest test. init-server (run once by the database's owner): the "
          "tables, and a station role (--role, default zu42_station) that may read records and add new ones but never "
          "change or delete one; stations then connect as it. Days are YYYY-MM-DD in this PC's time zone, "
          "both included; without them, today. --store as the jig command takes it. No --link: no controller is "
          "involved. Exit status 1 when the store or a file cannot be read or written, or the unit has no record.", 1, 2,
          { option("store", "records: the store (sqlite:, sqlite:PATH, postgresql://...; default the records of this PC).", "store"),
            option("deliver-from", "records pending: send the records meant for this store into --store.", "store"),
            option("from", "records: the first day, YYYY-MM-DD (default: --to).", "day"),
            option("to", "records: the last day, YYYY-MM-DD (default: today).", "day"),
            option("by", "records yield: day, station or operator (default day).", "group"),
            option("csv", "records export: the CSV file.", "file"),
            option("pdf", "records certificate: the PDF file.", "file"),
            option("role", "records init-server: the stations' role (default zu42_station).", "name"),
            option("role-password", "records init-server: its password (default: none set).", "password") }, false,
          &takeRecords, nullptr, &CliRunner::records, false },
    };
}

const QList<CliCommand> &CliCommands::all()
{
    static const QList<CliCommand> commands = table();
    return commands;
}

const CliCommand *CliCommands::find(const QString &name)
{
    for (const CliCommand &c : all())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

const CliCommand &CliCommands::of(CliRequest::Command command)
{
    for (const CliCommand &c : all())
        if (c.command == command)
            return c;
    Q_UNREACHABLE();
    return all().constFirst();
}

QList<QCommandLineOption> CliCommands::everyOption()
{
    QList<QCommandLineOption> options;
    QStringList names;
    for (const CliCommand &c : all())
        for (const QCommandLineOption &o : c.options)
            if (!names.contains(o.names().first())) {
                names.append(o.names().first());
                options.append(o);
            }
    return options;
}
