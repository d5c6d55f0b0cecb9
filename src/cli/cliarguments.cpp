#include "cli/cliarguments.h"

#include "controller/busscan.h"
#include "link/linesettings.h"
#include "link/linkaddress.h"
#include "profile/settingcatalog.h"

#include "zu42version.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QSysInfo>


namespace {

using Command = CliRequest::Command;

const QString Usage = QStringLiteral("zu42cli --link tcp:HOST:PORT | serial:PORT[:MODE] [--id ID] [--json] COMMAND [ARGS]");

struct CommandInfo
{
    const char *name;
    Command command;
    const char *arguments; // after the command's name, as the usage line shows them
    const char *summary;
    const char *details;
    int minArguments;
    int maxArguments; // -1: any number
};

const CommandInfo commands[] = {
    { "identify", Command::Identify, "", "the controller's ID, model, version and serial number",
      "Scans for the controller with --id, then reads its version and serial number.", 0, 0 },
    { "get", Command::Get, "[NAME...]", "every value the controller reports (or only those named)",
      "Reads the model and both ranges of the read-back; over a serial link also the line settings, "
      "which the controller proves by answering. Prints NAME=VALUE lines, the form set takes.", 0, -1 },
    { "set", Command::Set, "NAME=VALUE...", "writes values, restarts once if one needs it, reads back",
      "Every value is checked before the link opens. Values written by one command together (language "
      "with text-encoding; card-display with show-status and use-status) keep the controller's value for "
      "the one not named. Exit status 1 when a value did not take.", 1, -1 },
    { "save", Command::Save, "FILE", "saves the controller's values as a profile",
      "Writes what get reports, with the model, the time and the serial number, as a profile file "
      "(docs/profiles.md).", 1, 1 },
    { "apply", Command::Apply, "FILE [--all] [--dry-run]", "writes a profile's values that differ",
      "Checks the file before the link opens, then the model before anything is written. Writes the "
      "values that differ from the controller's (--all: every value, also those it cannot report), "
      "restarts once at the end when one of them needs it, reads back and says which did not take. "
      "--dry-run reads and says what it would write.", 1, 1 },
    { "diff", Command::Diff, "FILE", "a profile beside the controller's values",
      "Prints each value of the profile that differs from the controller's, or that the controller "
      "cannot report.", 1, 1 },
    { "scan", Command::Scan, "[FROM-TO] [--wait MS]", "which IDs answer on the line (000-255)",
      "Sends the connect's scan to each ID of the range, one exchange each, and lists each ID that "
      "answers with its model and serial number. A silent ID costs the link's exchange limit (serial: "
      "300 ms, TCP: 1200 ms); --wait sets a shorter one for the scan alone. Exit status 1 when no ID "
      "answered.", 0, 1 },
    { "send", Command::Send, "TEXT [--encoding NAME]", "sends TEXT after the ID, prints the raw reply",
      "The reply is printed whole, its control bytes as the Unicode control pictures (U+2400..). Text "
      "that is not ASCII goes out in --encoding (unicode, big5, gb2312; default unicode).", 1, 1 },
    { "reboot", Command::Reboot, "[--net]", "restarts the controller", "--net: the restart of a controller on the network (AJ99).", 0, 0 },
    { "initial", Command::Initial, "", "sets the factory values", "Sets every parameter back to its factory value.", 0, 0 },
    { "jig", Command::Jig, "[--map FILE] [--station NAME] [--operator NAME] [--store STORE] [--all-steps]",
      "the jig test of the unit, and its record",
      "Identifies the unit, sets and reads back its clock, switches each output alone and checks the inputs "
      "the jig map (--map; default the simulator's wiring) says it drives, then all off. Stops at the first "
      "failed step unless --all-steps. The record goes where the window's go (--store: sqlite:, sqlite:PATH "
      "or postgresql://...; default the records of this PC), or waits in the pending file when the store "
      "cannot take it. Exit status 1 when a step failed or the record could be kept nowhere.", 0, 0 },
};

const CommandInfo *findCommand(const QString &name)
{
    for (const CommandInfo &c : commands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

struct Options
{
    QCommandLineOption link { QStringLiteral("link"), QStringLiteral("tcp:HOST:PORT or serial:PORT[:MODE] (MODE default 19200,e,8,1)."), QStringLiteral("link") };
    QCommandLineOption id { QStringLiteral("id"), QStringLiteral("The controller's ID, up to three digits (default 000)."), QStringLiteral("id") };
    QCommandLineOption json { QStringLiteral("json"), QStringLiteral("One JSON object on standard output.") };
    QCommandLineOption help { { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("This help; after a command, the command's.") };
    QCommandLineOption version { { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("The program's version.") };
    QCommandLineOption all { QStringLiteral("all"), QStringLiteral("apply: write every value, not only those that differ.") };
    QCommandLineOption dryRun { QStringLiteral("dry-run"), QStringLiteral("apply: say what would be written, write nothing.") };
    QCommandLineOption wait { QStringLiteral("wait"), QStringLiteral("scan: wait this long (ms) for each ID instead of the link's limit."), QStringLiteral("ms") };
    QCommandLineOption encoding { QStringLiteral("encoding"), QStringLiteral("send: unicode, big5 or gb2312 for text that is not ASCII."), QStringLiteral("name") };
    QCommandLineOption net { QStringLiteral("net"), QStringLiteral("reboot: the restart of a controller on the network.") };
    QCommandLineOption map { QStringLiteral("map"), QStringLiteral("jig: the jig map file."), QStringLiteral("file") };
    QCommandLineOption station { QStringLiteral("station"), QStringLiteral("jig: the station's name in the record (default: this PC's name)."), QStringLiteral("name") };
    QCommandLineOption operatorName { QStringLiteral("operator"), QStringLiteral("jig: the operator's name in the record."), QStringLiteral("name") };
    QCommandLineOption store { QStringLiteral("store"), QStringLiteral("jig: where the record goes (sqlite:, sqlite:PATH, postgresql://...)."), QStringLiteral("store") };
    QCommandLineOption allSteps { QStringLiteral("all-steps"), QStringLiteral("jig: run every step, also after one failed.") };

    QList<QCommandLineOption> global() const { return { link, id, json, help, version }; }
    QList<QCommandLineOption> of(Command command) const
    {
        switch (command) {
        case Command::Apply: return { all, dryRun };
        case Command::Scan: return { wait };
        case Command::Send: return { encoding };
        case Command::Reboot: return { net };
        case Command::Jig: return { map, station, operatorName, store, allSteps };
        default: return {};
        }
    }
    QList<QCommandLineOption> every() const
    {
        return global() + QList<QCommandLineOption> { all, dryRun, wait, encoding, net, map, station, operatorName, store, allSteps };
    }
};

// QCommandLineParser's option list, without its usage line (which names the executable by the
// path it was started with).
QString optionsText(const QList<QCommandLineOption> &options)
{
    QCommandLineParser parser;
    parser.addOptions(options);
    const QString text = parser.helpText();
    const qsizetype at = text.indexOf(QStringLiteral("Options:"));
    return at < 0 ? QString() : text.mid(at);
}

QString valuesHelp()
{
    QString text = QStringLiteral("Values:\n");
    for (const SettingInfo &s : SettingCatalog::all()) {
        QString note;
        if (!s.readable())
            note = s.access == SettingInfo::Access::LinkSpeed ? QStringLiteral(" (known over a serial link)") : QStringLiteral(" (cannot be read)");
        if (!s.onlyModel.isEmpty())
            note += QStringLiteral(" (%1 only)").arg(QString::fromLatin1(s.onlyModel));
        text += QStringLiteral("  %1  %2%3\n      %4\n").arg(s.name.leftJustified(18), s.description, note, s.allowed());
    }
    return text;
}

// Lines of at most 79 characters, broken between words.
QString wrapped(const QString &text)
{
    QString out;
    qsizetype column = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > 0 && column + 1 + word.size() > 79) {
            out += QLatin1Char('\n');
            column = 0;
        } else if (column > 0) {
            out += QLatin1Char(' ');
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out;
}

QString programHelp(const Options &options)
{
    QString text = QStringLiteral("Usage: %1\n\n%2\n\n%3\n\nCommands:\n")
                       .arg(Usage,
                            wrapped(QStringLiteral("Tests and sets up one door access controller of the VE42rOZ family "
                                                   "over a serial line or TCP, for production lines and scripts.")),
                            wrapped(QStringLiteral("Exit status: 0 done, 1 the controller failed (no reply, bad reply, "
                                                   "a value did not take), 2 bad usage or input (nothing sent), 3 the "
                                                   "link did not open.")));
    for (const CommandInfo &c : commands)
        text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(c.name).leftJustified(9), QLatin1String(c.summary));
    text += QStringLiteral("\n'zu42cli COMMAND --help' says more of each.\n\n");
    return text + optionsText(options.global());
}

QString commandHelp(const CommandInfo &c, const Options &options)
{
    QString text = QStringLiteral("Usage: zu42cli --link LINK [--id ID] [--json] %1 %2\n\n%3\n\n")
                       .arg(QLatin1String(c.name), QLatin1String(c.arguments),
                            wrapped(QStringLiteral("%1: %2. %3").arg(QLatin1String(c.name), QLatin1String(c.summary),
                                                                    QLatin1String(c.details))));
    text += optionsText(options.global() + options.of(c.command));
    if (c.command == Command::Get || c.command == Command::Set)
        text += QLatin1Char('\n') + valuesHelp();
    return text;
}

CliArguments::Parsed usageError(const QString &why, bool json)
{
    CliArguments::Parsed parsed;
    parsed.status = 2;
    parsed.text = QStringLiteral("zu42cli: %1\nTry 'zu42cli --help'.\n").arg(why);
    parsed.json = json;
    return parsed;
}

CliArguments::Parsed done(const QString &text)
{
    CliArguments::Parsed parsed;
    parsed.text = text;
    return parsed;
}

// The arguments of one command into the request; empty when they are right, else why not.
QString takeArguments(CliRequest &request, const QStringList &args, const QCommandLineParser &parser, const Options &o)
{
    switch (request.command) {
    case Command::Get:
        for (const QString &name : args)
            if (!SettingCatalog::find(name))
                return QStringLiteral("unknown value name \"%1\" ('zu42cli get --help' lists them)").arg(name);
        request.names = args;
        break;
    case Command::Set:
        for (const QString &arg : args) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq <= 0)
                return QStringLiteral("set wants NAME=VALUE, got \"%1\"").arg(arg);
            const QString name = arg.left(eq);
            const SettingInfo *setting = SettingCatalog::find(name);
            if (!setting)
                return QStringLiteral("unknown value name \"%1\" ('zu42cli set --help' lists them)").arg(name);
            if (request.values.contains(name))
                return QStringLiteral("%1 is given twice").arg(name);
            QString why;
            const std::optional<QString> value = setting->parse(arg.mid(eq + 1), &why);
            if (!value)
                return why;
            request.values.insert(name, *value);
        }
        break;
    case Command::Save:
    case Command::Apply:
    case Command::Diff:
        if (args.first().isEmpty())
            return QStringLiteral("the file name is empty");
        request.file = args.first();
        if (request.command == Command::Apply) {
            request.everything = parser.isSet(o.all);
            request.dryRun = parser.isSet(o.dryRun);
        }
        break;
    case Command::Scan:
        if (!args.isEmpty()) {
            const auto range = BusScan::parseRange(args.first());
            if (!range || range->second > BusScan::HighestId)
                return QStringLiteral("scan wants a range of IDs FROM-TO within 000-%1, got \"%2\"")
                    .arg(BusScan::HighestId)
                    .arg(args.first());
            request.first = range->first;
            request.last = range->second;
        }
        if (parser.isSet(o.wait)) {
            bool ok = false;
            request.scanWaitMs = parser.value(o.wait).toInt(&ok);
            if (!ok || request.scanWaitMs < 1 || request.scanWaitMs > 60000)
                return QStringLiteral("--wait wants milliseconds from 1 to 60000, got \"%1\"").arg(parser.value(o.wait));
        }
        break;
    case Command::Send: {
        request.text = args.first();
        if (parser.isSet(o.encoding)) {
            const SettingInfo &encoding = SettingCatalog::at(SettingCatalog::TextEncoding);
            QString why;
            const std::optional<QString> value = encoding.parse(parser.value(o.encoding), &why);
            if (!value)
                return QStringLiteral("--encoding %1").arg(why.mid(encoding.name.size() + 2));
            request.encoding = *encoding.code(*value);
        }
        break;
    }
    case Command::Reboot:
        request.net = parser.isSet(o.net);
        break;
    case Command::Jig:
        // The files and the store are read by the runner, before the link opens.
        request.mapFile = parser.value(o.map);
        request.station = parser.isSet(o.station) ? parser.value(o.station) : QSysInfo::machineHostName();
        request.operatorName = parser.value(o.operatorName);
        request.store = parser.value(o.store);
        request.allSteps = parser.isSet(o.allSteps);
        if (parser.isSet(o.map) && request.mapFile.isEmpty())
            return QStringLiteral("--map wants a file");
        if (request.station.trimmed().isEmpty())
            return QStringLiteral("--station wants a name");
        break;
    case Command::Identify:
    case Command::Initial:
        break;
    }
    return QString();
}

} // namespace

std::optional<LinkSettings> CliArguments::parseLink(const QString &text, QString *why)
{
    if (text.startsWith(QLatin1String("tcp:"))) {
        const QString rest = text.mid(4);
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        const QString host = colon < 0 ? rest : rest.left(colon);
        const QString port = colon < 0 ? QString() : rest.mid(colon + 1);
        static const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
        if (!dotted.match(host).hasMatch() || !LinkAddress::ipv4Address(host)) {
            *why = QStringLiteral("--link tcp: wants a dotted IPv4 address, as tcp:192.168.1.20:5003");
            return std::nullopt;
        }
        bool ok = false;
        const int number = port.toInt(&ok, 10);
        if (!ok || number < 1 || number > 65535 || port.startsWith(QLatin1Char('+'))) {
            *why = QStringLiteral("--link tcp: wants a port from 1 to 65535 after the address, as tcp:192.168.1.20:5003");
            return std::nullopt;
        }
        return LinkSettings::tcp(host, QString::number(number));
    }
    if (text.startsWith(QLatin1String("serial:"))) {
        QString port = text.mid(7);
        QString mode = defaultLineMode();
        // A port name has no comma; line settings always have three.
        const qsizetype colon = port.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0 && port.mid(colon + 1).contains(QLatin1Char(','))) {
            mode = port.mid(colon + 1);
            port.truncate(colon);
        }
        if (port.isEmpty()) {
            *why = QStringLiteral("--link serial: wants a port, as serial:/dev/ttyUSB0 or serial:COM3:19200,e,8,1");
            return std::nullopt;
        }
        if (!LineSettings::parse(mode)) {
            *why = QStringLiteral("--link serial: \"%1\" is not line settings (as 19200,e,8,1)").arg(mode);
            return std::nullopt;
        }
        return LinkSettings::serial(port, mode);
    }
    *why = QStringLiteral("--link wants tcp:HOST:PORT or serial:PORT[:MODE], got \"%1\"").arg(text);
    return std::nullopt;
}

CliArguments::Parsed CliArguments::parse(const QStringList &arguments)
{
    const Options o;
    // Options may stand anywhere; they are known in full so that their values are not taken
    // for the command.
    QCommandLineParser any;
    any.addOptions(o.every());
    if (!any.parse(arguments))
        return usageError(any.errorText(), arguments.contains(QStringLiteral("--json")));
    const bool json = any.isSet(o.json);
    if (any.isSet(o.version))
        return done(QStringLiteral("zu42cli %1\n").arg(QLatin1String(ZU42_VERSION)));
    if (any.positionalArguments().isEmpty()) {
        if (any.isSet(o.help))
            return done(programHelp(o));
        return usageError(QStringLiteral("no command given"), json);
    }
    const QString name = any.positionalArguments().first();
    const CommandInfo *info = findCommand(name);
    if (!info)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name), json);

    QCommandLineParser parser;
    parser.addOptions(o.global() + o.of(info->command));
    if (!parser.parse(arguments))
        return usageError(QStringLiteral("%1 (%2)").arg(parser.errorText(), name), json);
    if (parser.isSet(o.help))
        return done(commandHelp(*info, o));

    const QStringList args = parser.positionalArguments().mid(1);
    if (args.size() < info->minArguments || (info->maxArguments >= 0 && args.size() > info->maxArguments))
        return usageError(QStringLiteral("usage: zu42cli --link LINK [--id ID] %1 %2").arg(name, QLatin1String(info->arguments)).trimmed(), json);

    CliRequest request;
    request.command = info->command;
    request.commandName = name;
    request.json = json;
    if (!parser.isSet(o.link))
        return usageError(QStringLiteral("--link is missing"), json);
    QString why;
    const std::optional<LinkSettings> link = parseLink(parser.value(o.link), &why);
    if (!link)
        return usageError(why, json);
    request.link = *link;
    if (parser.isSet(o.id)) {
        static const QRegularExpression digits(QStringLiteral("^\\d{1,3}$"));
        const QString id = parser.value(o.id);
        if (!digits.match(id).hasMatch())
            return usageError(QStringLiteral("--id wants up to three digits, got \"%1\"").arg(id), json);
        request.id = id.rightJustified(3, QLatin1Char('0')).toLatin1();
    }
    why = takeArguments(request, args, parser, o);
    if (!why.isEmpty())
        return usageError(why, json);
    Parsed parsed;
    parsed.request = request;
    parsed.json = json;
    return parsed;
}
