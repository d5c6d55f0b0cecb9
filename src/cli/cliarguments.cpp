#include "cli/cliarguments.h"

#include "cli/clicommands.h"
#include "link/linesettings.h"
#include "link/linkaddress.h"
#include "profile/parametercatalog.h"

#include "zu42version.h"

#include <QCommandLineParser>

#include <algorithm>


namespace {

const QString Usage = QStringLiteral("zu42cli --link tcp:HOST:PORT | serial:PORT[:MODE] [--id ID] [--json] COMMAND [ARGS]");

struct Options
{
    QCommandLineOption link { QStringLiteral("link"), QStringLiteral("tcp:HOST:PORT or serial:PORT[:MODE] (MODE default 19200,e,8,1)."), QStringLiteral("link") };
    QCommandLineOption id { QStringLiteral("id"), QStringLiteral("The controller's ID, up to three digits (default 000)."), QStringLiteral("id") };
    QCommandLineOption json { QStringLiteral("json"), QStringLiteral("One JSON object on standard output.") };
    QCommandLineOption help { { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("This help; after a command, the command's.") };
    QCommandLineOption version { { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("The program's version.") };

    QList<QCommandLineOption> global() const { return { link, id, json, help, version }; }
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
    for (const ParameterInfo &s : ParameterCatalog::all()) {
        QString note;
        if (!s.readable())
            note = s.access == ParameterInfo::Access::LinkSpeed ? QStringLiteral(" (known over a serial link)") : QStringLiteral(" (cannot be read)");
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
    for (const CliCommand &c : CliCommands::all())
        text += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(c.name).leftJustified(9), QLatin1String(c.summary));
    text += QStringLiteral("\n'zu42cli COMMAND --help' says more of each.\n\n");
    return text + optionsText(options.global());
}

QString commandHelp(const CliCommand &c, const Options &options)
{
    QString text = QStringLiteral("Usage: zu42cli %1[--json] %2 %3\n\n%4\n\n")
                       .arg(c.onLink ? QStringLiteral("--link LINK [--id ID] ") : QString(), QLatin1String(c.name), QLatin1String(c.arguments),
                            wrapped(QStringLiteral("%1: %2. %3").arg(QLatin1String(c.name), QLatin1String(c.summary),
                                                                    QLatin1String(c.details))));
    text += optionsText((c.onLink ? options.global() : QList<QCommandLineOption>{ options.json, options.help }) + c.options);
    if (c.listsValues)
        text += QLatin1Char('\n') + valuesHelp();
    return text;
}

CliArguments::Parsed usageError(const QString &why, bool json, const QString &command = QString())
{
    CliArguments::Parsed parsed;
    parsed.command = command;
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

bool isAsciiDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// Four parts of one to three decimal digits, each up to 255, written back without leading zeros.
// The link reads the address as inet_addr does, which takes "010" for eight: a person who
// writes 192.168.001.020 means .1.20, so that is what is connected to.
std::optional<QString> decimalAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    QStringList canonical;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3 || !isAsciiDigits(part) || part.toInt() > 255)
            return std::nullopt;
        canonical.append(QString::number(part.toInt()));
    }
    return canonical.join(QLatin1Char('.'));
}

} // namespace

std::optional<LinkSettings> CliArguments::parseLink(const QString &text, QString *why)
{
    if (text.startsWith(QLatin1String("tcp:"))) {
        const QString rest = text.mid(4);
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        const QString host = colon < 0 ? rest : rest.left(colon);
        const QString port = colon < 0 ? QString() : rest.mid(colon + 1);
        const std::optional<QString> address = decimalAddress(host);
        if (!address || !LinkAddress::ipv4Address(*address)) {
            *why = QStringLiteral("--link tcp: wants a dotted IPv4 address, as tcp:192.168.1.20:5003");
            return std::nullopt;
        }
        bool ok = false;
        const int number = port.toInt(&ok, 10);
        if (!ok || number < 1 || number > 65535 || port.startsWith(QLatin1Char('+'))) {
            *why = QStringLiteral("--link tcp: wants a port from 1 to 65535 after the address, as tcp:192.168.1.20:5003");
            return std::nullopt;
        }
        return LinkSettings::tcp(*address, QString::number(number));
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
    any.addOptions(o.global() + CliCommands::everyOption());
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
    const CliCommand *info = CliCommands::find(name);
    if (!info)
        return usageError(QStringLiteral("unknown command \"%1\"").arg(name), json);

    QCommandLineParser parser;
    parser.addOptions(o.global() + info->options);
    if (!parser.parse(arguments))
        return usageError(QStringLiteral("%1 (%2)").arg(parser.errorText(), name), json, name);
    if (parser.isSet(o.help))
        return done(commandHelp(*info, o));

    const QStringList args = parser.positionalArguments().mid(1);
    if (args.size() < info->minArguments || (info->maxArguments >= 0 && args.size() > info->maxArguments))
        return usageError(QStringLiteral("usage: zu42cli %1%2 %3")
                              .arg(info->onLink ? QStringLiteral("--link LINK [--id ID] ") : QString(), name, QLatin1String(info->arguments))
                              .trimmed(),
                          json, name);

    CliRequest request;
    request.command = info->command;
    request.commandName = name;
    request.json = json;
    // A site knows the line it is on: --link only says where to reach it instead. The records
    // are this PC's own and take no link at all.
    QString why;
    if (!info->onLink) {
        if (parser.isSet(o.link) || parser.isSet(o.id))
            return usageError(QStringLiteral("%1 works on the records, not on a controller: no --link or --id").arg(name), json, name);
    } else if (parser.isSet(o.link)) {
        const std::optional<LinkSettings> link = parseLink(parser.value(o.link), &why);
        if (!link)
            return usageError(why, json, name);
        request.link = *link;
        request.linkGiven = true;
    } else if (info->command != CliRequest::Command::Site) {
        return usageError(QStringLiteral("--link is missing"), json, name);
    }
    if (parser.isSet(o.id)) {
        const QString id = parser.value(o.id);
        if (id.isEmpty() || id.size() > 3 || !isAsciiDigits(id))
            return usageError(QStringLiteral("--id wants up to three digits, got \"%1\"").arg(id), json, name);
        request.id = id.rightJustified(3, QLatin1Char('0')).toLatin1();
    }
    if (info->take) {
        why = info->take(request, args, parser);
        if (!why.isEmpty())
            return usageError(why, json, name);
    }
    Parsed parsed;
    parsed.request = request;
    parsed.json = json;
    return parsed;
}
