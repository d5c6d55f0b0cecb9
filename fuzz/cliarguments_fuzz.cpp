// Fuzzes zu42cli's arguments as a production line's script could pass them (one argument per
// NUL-separated part of the input, as no argument can hold a NUL).
//
//  - Arguments that are refused give status 2 and a message, or help or the version with
//    status 0; never a request.
//  - A request names a link that can be opened as written: a dotted IPv4 address whose parts
//    mean what they say in decimal and a port from 1 to 65535, or a serial port with line
//    settings that read; an ID of three digits.
//  - Nothing a request would send can carry a bad value: values to set are canonical, within
//    their range, and make commands that go out whole; a scan's range and wait are within
//    theirs; a text to send either is refused before the link opens, exactly as the runner
//    refuses it, or goes out whole and says what was typed.
//  - An option of another command never reaches a request.
//  - The same arguments give the same outcome.
#include "fuzzcheck.h"

#include "cli/cliarguments.h"
#include "controller/commandtextencoder.h"
#include "controller/freecommand.h"
#include "link/linesettings.h"
#include "link/linkaddress.h"
#include "profile/parametercatalog.h"
#include "profile/parameterwriteplan.h"
#include "protocol/commandframe.h"
#include "protocol/commandtextguard.h"

#include <QStringDecoder>
#include <cstdint>

namespace {

using Command = CliRequest::Command;

bool isDigits(const QString &text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !text.isEmpty();
}

void checkLink(const LinkSettings &link)
{
    if (link.isNet()) {
        const QStringList parts = link.hostAddress.split(QLatin1Char('.'));
        require(parts.size() == 4, "a TCP host has four parts");
        quint32 meant = 0;
        for (const QString &part : parts) {
            require(isDigits(part) && part.size() <= 3, "a part of the host is decimal digits");
            const int n = part.toInt();
            require(n <= 255, "a part of the host is at most 255");
            meant = meant << 8 | quint32(n);
        }
        const std::optional<std::uint32_t> address = LinkAddress::ipv4Address(link.hostAddress);
        require(address && *address == meant, "the host connected to is the one written");
        require(isDigits(link.hostPort) && !link.hostPort.startsWith(QLatin1Char('0')), "the port is plain decimal");
        const int port = link.hostPort.toInt();
        require(port >= 1 && port <= 65535, "the port is from 1 to 65535");
    } else {
        require(!link.portName.isEmpty(), "a serial link names its port");
        require(LineSettings::parse(link.lineMode).has_value(), "the serial line settings read");
    }
}

// What a controller of the model with every value reports: the first entry of each it can read.
ParameterValues controllerValues()
{
    ParameterValues values;
    for (const ParameterInfo &s : ParameterCatalog::all())
        if (s.readable())
            values.insert(s.name, s.fromCode(s.kind == ParameterInfo::Kind::Number ? s.minimum : 0));
    return values;
}

void checkGoesOutWhole(const QByteArray &id, const QByteArray &command)
{
    require(CommandTextGuard::isSendable(command), "a command holds no byte that ends the frame");
    const QByteArray withId = id + command;
    const std::optional<QByteArray> frame = CommandFrame::encodeRequest(withId);
    require(frame.has_value(), "a command fits the frame");
    require(CommandFrame::decodeRequest(*frame) == withId, "a command goes out whole");
}

void checkSet(const CliRequest &request)
{
    require(!request.values.isEmpty(), "set has values");
    for (auto it = request.values.cbegin(); it != request.values.cend(); ++it) {
        const ParameterInfo *parameter = ParameterCatalog::find(it.key());
        require(parameter != nullptr, "a value name is in the catalogue");
        require(parameter->parse(it.value()) == it.value(), "a value to set is canonical");
        if (parameter->kind == ParameterInfo::Kind::Number) {
            const std::optional<int> code = parameter->code(it.value());
            require(code && *code >= parameter->minimum && *code <= parameter->maximum, "a number to set is within its range");
        }
        if (parameter->kind == ParameterInfo::Kind::Text)
            for (const QChar c : it.value())
                require(c.category() != QChar::Other_Control, "a text to set holds no control character");
    }
    const ParameterWritePlan plan = ParameterWritePlan::build(request.values, controllerValues(), "RO426");
    if (plan.commands.refused()) {
        const bool titleLine = plan.commands.refusal.startsWith(ParameterCatalog::TitleLine1)
            || plan.commands.refusal.startsWith(ParameterCatalog::TitleLine2);
        require(titleLine, "only a title line the encoding cannot carry refuses values that were taken");
        return;
    }
    for (const QByteArray &command : plan.commands.commands)
        checkGoesOutWhole(request.id, command);
    if (plan.lineSettingsCommand)
        checkGoesOutWhole(request.id, *plan.lineSettingsCommand);
}

void checkSend(const CliRequest &request)
{
    require(request.encoding >= 0 && request.encoding < CommandTextEncoder::EncodingItems, "send's encoding is in the list");
    // As the runner does before the link opens.
    FreeCommand::Refusal refusal;
    const ParameterInfo &encoding = ParameterCatalog::at(ParameterCatalog::TextEncoding);
    const std::optional<QByteArray> bytes =
        FreeCommand::bytes(request.text, request.encoding, encoding.fromCode(request.encoding), request.id, &refusal);
    if (!bytes) {
        require(!refusal.why.isEmpty(), "a text refused says why");
        return;
    }
    checkGoesOutWhole(request.id, *bytes);
    static const char *const names[] = { "UTF-8", "Big5", "GB2312" };
    QStringDecoder decoder(names[request.encoding], QStringDecoder::Flag::Stateless);
    require(decoder.isValid(), "the encoding can be read back");
    const QString said = decoder.decode(*bytes);
    require(!decoder.hasError() && said == request.text, "the bytes sent say what was typed");
}

// The long options each command may be given (besides the global ones).
QStringList optionsOf(Command command)
{
    switch (command) {
    case Command::Apply: return { QStringLiteral("all"), QStringLiteral("dry-run") };
    case Command::Scan: return { QStringLiteral("wait") };
    case Command::Send: return { QStringLiteral("encoding") };
    case Command::Reboot: return { QStringLiteral("net") };
    case Command::Jig:
        return { QStringLiteral("map"), QStringLiteral("station"), QStringLiteral("operator"), QStringLiteral("store"),
                 QStringLiteral("all-steps") };
    default: return {};
    }
}

void checkOptions(const QStringList &arguments, Command command)
{
    const QStringList allowed = optionsOf(command) + QStringList { QStringLiteral("link"), QStringLiteral("id"), QStringLiteral("json") };
    bool valueFollows = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (valueFollows) {
            valueFollows = false;
            continue;
        }
        if (arg == QLatin1String("--"))
            break;
        if (!arg.startsWith(QLatin1String("--")))
            continue;
        const QString name = arg.mid(2).section(QLatin1Char('='), 0, 0);
        require(allowed.contains(name), "an option of another command never reaches a request");
        static const QStringList withValue { QStringLiteral("link"), QStringLiteral("id"), QStringLiteral("wait"),
                                             QStringLiteral("encoding"), QStringLiteral("map"), QStringLiteral("station"),
                                             QStringLiteral("operator"), QStringLiteral("store") };
        valueFollows = withValue.contains(name) && !arg.contains(QLatin1Char('='));
    }
}

void checkRequest(const QStringList &arguments, const CliRequest &request)
{
    checkLink(request.link);
    require(request.id.size() == 3 && isDigits(QString::fromLatin1(request.id)), "the ID is three digits");
    checkOptions(arguments, request.command);
    switch (request.command) {
    case Command::Get:
        for (const QString &name : request.names)
            require(ParameterCatalog::find(name) != nullptr, "get names values of the catalogue");
        break;
    case Command::Set:
        checkSet(request);
        break;
    case Command::Save:
    case Command::Apply:
    case Command::Diff:
        require(!request.file.isEmpty(), "a profile command names its file");
        break;
    case Command::Scan:
        require(request.first >= 0 && request.first <= request.last && request.last <= 999, "the scan's range is within 000-999");
        require(request.scanWaitMs == 0 || (request.scanWaitMs >= 1 && request.scanWaitMs <= 60000), "the scan's wait is within its range");
        break;
    case Command::Send:
        checkSend(request);
        break;
    case Command::Jig:
        // The operator is the runner's to refuse, after the map and the store it reads.
        require(!request.station.trimmed().isEmpty(), "a jig record names its station");
        require(request.mapFile.isEmpty() || !request.mapFile.trimmed().isEmpty(), "a jig map named is a file, not blanks");
        break;
    case Command::Identify:
    case Command::Reboot:
    case Command::Initial:
        break;
    }
}

bool sameRequest(const CliRequest &a, const CliRequest &b)
{
    return a.command == b.command && a.commandName == b.commandName && a.link.mode == b.link.mode
        && a.link.portName == b.link.portName && a.link.lineMode == b.link.lineMode && a.link.hostAddress == b.link.hostAddress
        && a.link.hostPort == b.link.hostPort && a.id == b.id && a.json == b.json && a.names == b.names && a.values == b.values
        && a.file == b.file && a.everything == b.everything && a.dryRun == b.dryRun && a.first == b.first && a.last == b.last
        && a.scanWaitMs == b.scanWaitMs && a.text == b.text && a.encoding == b.encoding && a.net == b.net
        && a.mapFile == b.mapFile && a.station == b.station && a.operatorName == b.operatorName && a.store == b.store
        && a.allSteps == b.allSteps;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietWarnings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList arguments { QStringLiteral("zu42cli") };
    if (!bytes.isEmpty())
        for (const QByteArray &part : bytes.split('\0'))
            arguments.append(QString::fromUtf8(part));

    const CliArguments::Parsed parsed = CliArguments::parse(arguments);
    const CliArguments::Parsed again = CliArguments::parse(arguments);
    require(again.status == parsed.status && again.text == parsed.text && again.request.has_value() == parsed.request.has_value(),
            "the same arguments give the same outcome");
    if (parsed.request) {
        require(parsed.status == 0, "a request has status 0");
        require(sameRequest(*parsed.request, *again.request), "the same arguments give the same request");
        checkRequest(arguments, *parsed.request);
    } else if (parsed.status == 0) {
        require(parsed.text.startsWith(QLatin1String("zu42cli ")) || parsed.text.startsWith(QLatin1String("Usage: ")),
                "without a request, status 0 is the version or help");
    } else {
        require(parsed.status == 2, "bad usage has status 2");
        require(parsed.text.startsWith(QLatin1String("zu42cli: ")), "bad usage says what is wrong");
    }
    return 0;
}
