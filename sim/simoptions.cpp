#include "simoptions.h"

#include <QCommandLineParser>
#include <QDateTime>

#include <algorithm>
#include <cctype>

namespace {

// "\xNN" escapes let replies carry any byte.
QByteArray unescape(const QString &text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 3 < in.size() && in[i + 1] == 'x') {
            bool ok = false;
            const int v = in.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(v));
                i += 3;
                continue;
            }
        }
        out.append(in[i]);
    }
    return out;
}

bool isDigits(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Inputs by name, in the order of --inputs.
int inputIndex(const QString &name)
{
    static const QStringList names { "DI1", "DI2", "DI3", "DI4", "DI7", "DI8" };
    return int(names.indexOf(name.toUpper()));
}

int outputIndex(const QString &name)
{
    static const QStringList names { "DO1", "DO2", "DO3", "DO4" };
    return int(names.indexOf(name.toUpper()));
}

// The others on a bus need serial numbers of their own that still look like the first one's:
// its trailing number moved on by the distance between the IDs (distinct, as IDs differ by less
// than 1000), or, with fewer than three trailing digits, the ID in its last three places.
QByteArray busSerial(const QByteArray &base, int distance, const QByteArray &id)
{
    qsizetype digits = 0;
    while (digits < base.size() && std::isdigit(static_cast<unsigned char>(base[base.size() - 1 - digits])))
        ++digits;
    if (digits < 3)
        return base.left(base.size() - 3) + id;
    qint64 modulus = 1;
    for (qsizetype i = 0; i < digits; ++i)
        modulus *= 10;
    const qint64 number = (base.right(digits).toLongLong() + distance % modulus + modulus) % modulus;
    return base.left(base.size() - digits) + QByteArray::number(number).rightJustified(digits, '0');
}

// "--bus 001-004,017:RO420": IDs or ranges, each with an optional model.
std::optional<QList<BusMember>> parseBus(const QString &text, const QByteArray &serial, const QByteArray &version,
                                         QString *error)
{
    // As many as the RS-485 line of these controllers drives.
    constexpr int MaxMembers = 32;
    QList<BusMember> members;
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QStringList idAndModel = item.split(QLatin1Char(':'));
        const QStringList range = idAndModel[0].split(QLatin1Char('-'));
        const QByteArray first = range[0].toLatin1(), last = range.value(1).toLatin1();
        if (idAndModel.size() > 2 || range.size() > 2 || first.size() != 3 || !isDigits(first)
            || (range.size() == 2 && (last.size() != 3 || !isDigits(last) || last.toInt() < first.toInt()))) {
            *error = QStringLiteral("--bus wants IDs of three digits or ranges FIRST-LAST, each with an optional "
                                    ":MODEL, separated by commas; \"%1\" is none of them").arg(item);
            return std::nullopt;
        }
        QByteArray memberVersion = version;
        if (idAndModel.size() == 2) {
            const QByteArray model = idAndModel[1].toLatin1();
            if (model != "RO420" && model != "ZO425" && model != "RO426") {
                *error = QStringLiteral("--bus: model \"%1\" is not RO420, ZO425 or RO426").arg(idAndModel[1]);
                return std::nullopt;
            }
            memberVersion = model + "V05";
        }
        for (int id = first.toInt(); id <= (range.size() == 2 ? last.toInt() : first.toInt()); ++id) {
            const QByteArray idText = QByteArray::number(id).rightJustified(3, '0');
            for (const BusMember &m : members) {
                if (m.id == idText) {
                    *error = QStringLiteral("--bus names ID %1 twice").arg(QLatin1String(idText));
                    return std::nullopt;
                }
            }
            if (members.size() == MaxMembers) {
                *error = QStringLiteral("--bus takes at most %1 controllers").arg(MaxMembers);
                return std::nullopt;
            }
            const int distance = members.isEmpty() ? 0 : id - members.first().id.toInt();
            members.append({ idText, members.isEmpty() ? serial : busSerial(serial, distance, idText), memberVersion });
        }
    }
    return members;
}

bool parseCount(const QString &option, const QString &value, int *out, QString *error)
{
    bool ok = false;
    *out = value.toInt(&ok);
    if (!ok || *out < 0) {
        *error = QStringLiteral("%1 wants a whole number >= 0, got \"%2\"").arg(option, value);
        return false;
    }
    return true;
}

} // namespace

bool JigFaults::add(const QString &text, QString *error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    const QString kind = parts[0].toLower();
    if ((kind == QLatin1String("stuck-on") || kind == QLatin1String("stuck-off")) && parts.size() == 2) {
        const int i = inputIndex(parts[1]);
        if (i < 0) {
            *error = QStringLiteral("--jig-fault %1 wants an input DI1, DI2, DI3, DI4, DI7 or DI8, got \"%2\"").arg(kind, parts[1]);
            return false;
        }
        const char state = kind == QLatin1String("stuck-on") ? '1' : '0';
        if (stuckInputs[std::size_t(i)] && stuckInputs[std::size_t(i)] != state) {
            *error = QStringLiteral("--jig-fault: %1 cannot be stuck on and stuck off at once").arg(parts[1].toUpper());
            return false;
        }
        stuckInputs[std::size_t(i)] = state;
        return true;
    }
    if (kind == QLatin1String("dead") && parts.size() == 2) {
        const int o = outputIndex(parts[1]);
        if (o < 0) {
            *error = QStringLiteral("--jig-fault dead wants an output DO1, DO2, DO3 or DO4, got \"%1\"").arg(parts[1]);
            return false;
        }
        deadOutputs[std::size_t(o)] = true;
        return true;
    }
    if (kind == QLatin1String("clock")) {
        const QString how = parts.value(1).toLower();
        bool ok = how == QLatin1String("ignore") && parts.size() == 2;
        const Clock wanted = ok ? Clock::IgnoresSetting : Clock::Offset;
        int offset = 0;
        if (how == QLatin1String("offset") && parts.size() == 3)
            offset = parts[2].toInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--jig-fault clock wants clock:ignore or clock:offset:SECONDS, got \"%1\"").arg(text);
            return false;
        }
        if (clock != Clock::Keeps && (clock != wanted || clockOffsetSeconds != offset)) {
            *error = QStringLiteral("--jig-fault: one clock fault at a time");
            return false;
        }
        clock = wanted;
        clockOffsetSeconds = offset;
        return true;
    }
    *error = QStringLiteral("--jig-fault wants stuck-on:DIn, stuck-off:DIn, dead:DOn, clock:ignore or "
                            "clock:offset:SECONDS, got \"%1\"").arg(text);
    return false;
}

std::optional<SimFault> SimFault::parse(const QString &text, QString *error)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts[0].isEmpty()) {
        *error = QStringLiteral("--fault wants COMMAND:KIND[:ARG[:ARG]], got \"%1\"").arg(text);
        return std::nullopt;
    }
    SimFault f;
    f.command = parts[0].toLatin1();
    const QString kind = parts[1].toLower();
    auto intArg = [&](int index, int *out) {
        bool ok = false;
        *out = index < parts.size() ? parts[index].toInt(&ok) : 0;
        if (!ok || *out < 0)
            *error = QStringLiteral("--fault %1 needs a number as argument %2").arg(kind).arg(index - 1);
        return ok && *out >= 0;
    };
    static const QMap<QString, Kind> simple {
        { QStringLiteral("noreply"), Kind::NoReply },   { QStringLiteral("badcrc"), Kind::BadCrc },
        { QStringLiteral("lowercase"), Kind::Lowercase }, { QStringLiteral("noeot"), Kind::NoEot },
        { QStringLiteral("noise"), Kind::Noise },       { QStringLiteral("trailing"), Kind::Trailing },
        { QStringLiteral("endless"), Kind::Endless },   { QStringLiteral("hangup"), Kind::HangUp },
    };
    if (simple.contains(kind)) {
        f.kind = simple.value(kind);
        if (parts.size() != 2) {
            *error = QStringLiteral("--fault %1 takes no argument").arg(kind);
            return std::nullopt;
        }
    } else if (kind == QLatin1String("delay")) {
        f.kind = Kind::Delay;
        if (parts.size() != 3) {
            *error = QStringLiteral("--fault delay wants COMMAND:delay:MS, got \"%1\"").arg(text);
            return std::nullopt;
        }
        if (!intArg(2, &f.arg1))
            return std::nullopt;
    } else if (kind == QLatin1String("split")) {
        f.kind = Kind::Split;
        if (parts.size() != 4) {
            *error = QStringLiteral("--fault split wants COMMAND:split:BYTES:MS, got \"%1\"").arg(text);
            return std::nullopt;
        }
        if (!intArg(2, &f.arg1) || !intArg(3, &f.arg2))
            return std::nullopt;
        if (f.arg1 == 0) {
            *error = QStringLiteral("--fault split needs at least one byte per chunk");
            return std::nullopt;
        }
    } else {
        *error = QStringLiteral("unknown fault kind \"%1\"").arg(kind);
        return std::nullopt;
    }
    return f;
}

std::optional<SimOptions> SimOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A door controller of the VE42rOZ family, simulated, for ZU42 Test Tools.\n"
        "Serves TCP and/or a pseudo-terminal; prints \"tcp ADDRESS:PORT\", \"pty PATH\" and \"ready\"."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption tcpOpt(QStringLiteral("tcp"), QStringLiteral("Listen on ADDRESS:PORT (default 127.0.0.1:5003; port 0 picks a free one)."), QStringLiteral("address:port"));
    const QCommandLineOption noTcpOpt(QStringLiteral("no-tcp"), QStringLiteral("Do not listen on TCP."));
    const QCommandLineOption ptyOpt(QStringLiteral("pty"), QStringLiteral("Also serve a pseudo-terminal (the serial line)."));
    const QCommandLineOption ptyLinkOpt(QStringLiteral("pty-link"), QStringLiteral("With --pty: make PATH a symbolic link to the pseudo-terminal, e.g. a Wine prefix's dosdevices/com5 so that a Windows program opens it as COM5; refused if PATH exists, removed at the end."), QStringLiteral("path"));
    const QCommandLineOption announceOpt(QStringLiteral("announce"), QStringLiteral("Also write what the start prints (tcp, pty, ready) into FILE, whole at once, or \"error MESSAGE\" when the start fails: for a parent that cannot read the output (a Windows program under Wine starting this Linux one)."), QStringLiteral("file"));
    const QCommandLineOption untilGoneOpt(QStringLiteral("until-gone"), QStringLiteral("End when FILE is removed, for a parent that has no signal to send (a Windows program under Wine)."), QStringLiteral("file"));
    const QCommandLineOption idOpt(QStringLiteral("id"), QStringLiteral("Controller ID, three digits (default 000)."), QStringLiteral("id"));
    const QCommandLineOption anyIdOpt(QStringLiteral("any-id"), QStringLiteral("Answer requests for any ID (replies carry the own ID)."));
    const QCommandLineOption serialOpt(QStringLiteral("serial"), QStringLiteral("Serial number, 8 characters (default 24010042)."), QStringLiteral("text"));
    const QCommandLineOption versionOpt(QStringLiteral("version-text"), QStringLiteral("Version reply, 8 or 16 characters; the first five are the model (default ZO425V05)."), QStringLiteral("text"));
    const QCommandLineOption modelOpt(QStringLiteral("model"), QStringLiteral("Shorthand: RO420, ZO425 or RO426 with an 8-character version."), QStringLiteral("model"));
    const QCommandLineOption logOpt(QStringLiteral("log"), QStringLiteral("Append every request to FILE: ms, ok|bad, hex, text."), QStringLiteral("file"));
    const QCommandLineOption replyOpt(QStringLiteral("reply"), QStringLiteral("Reply data for a command, CMD=DATA (\\xNN escapes; CMD * for any unknown command). Overrides the built-in reply."), QStringLiteral("cmd=data"));
    const QCommandLineOption faultOpt(QStringLiteral("fault"), QStringLiteral("Fault for a command (CMD or *): noreply, delay:MS, badcrc, lowercase, noeot, noise, split:BYTES:MS, trailing, endless, hangup."), QStringLiteral("cmd:kind"));
    const QCommandLineOption failNthOpt(QStringLiteral("fail-nth"), QStringLiteral("Leave the N-th request (1-based, counted over the whole run) unanswered; a comma list is allowed."), QStringLiteral("n"));
    const QCommandLineOption jigOpt(QStringLiteral("jig"), QStringLiteral("Test jig: DI1..DI4 follow DO1..DO4, DI7 follows DO3, DI8 follows DO4."));
    const QCommandLineOption inputsOpt(QStringLiteral("inputs"), QStringLiteral("Input states DI1 DI2 DI3 DI4 DI7 DI8, six characters (default 000000)."), QStringLiteral("states"));
    const QCommandLineOption recordEveryOpt(QStringLiteral("record-every"), QStringLiteral("Every N-th IE reply carries a record (52 bytes); 0 never (default)."), QStringLiteral("n"));
    const QCommandLineOption recordOpt(QStringLiteral("record"), QStringLiteral("Record text, 20 characters."), QStringLiteral("text"));
    const QCommandLineOption paramOpt(QStringLiteral("param"), QStringLiteral("Initial parameter byte ADDR=VALUE, both hexadecimal."), QStringLiteral("addr=value"));
    const QCommandLineOption busOpt(QStringLiteral("bus"), QStringLiteral("Several controllers on the line instead of --id: IDs or ranges FIRST-LAST, comma-separated, each with an optional :MODEL (RO420, ZO425, RO426); at most 32, e.g. 001-003,017:RO420. The first has --serial, the others that number plus their ID's distance from the first ID (24010042 on 001 gives 24010058 on 017)."), QStringLiteral("ids"));
    const QCommandLineOption jigFaultOpt(QStringLiteral("jig-fault"), QStringLiteral("A fault for the jig test, repeatable: stuck-on:DIn or stuck-off:DIn (n 1-4, 7, 8), dead:DOn (n 1-4, with --jig; \"JD\" acknowledged, nothing switched), clock:ignore (\"AA\" acknowledged, clock unchanged), clock:offset:SECONDS (\"AA\" sets its time plus SECONDS)."), QStringLiteral("fault"));
    const QCommandLineOption loseEveryOpt(QStringLiteral("lose-every"), QStringLiteral("Leave one reply in every N unsent, at a place in each run of N drawn from --seed; the command is still carried out (0: never, the default)."), QStringLiteral("n"));
    const QCommandLineOption cutEveryOpt(QStringLiteral("cut-every"), QStringLiteral("Cut one reply in every N off half-way, placed like --lose-every: TCP then closes the connection, the pseudo-terminal stays open (0: never, the default)."), QStringLiteral("n"));
    const QCommandLineOption vanishAfterOpt(QStringLiteral("vanish-after"), QStringLiteral("With --pty: on the N-th request (counted over the whole run, as --fail-nth) the pseudo-terminal goes away unanswered, its device and --pty-link with it, as a USB adapter pulled out mid-exchange (0: never, the default)."), QStringLiteral("n"));
    const QCommandLineOption returnAfterOpt(QStringLiteral("return-after"), QStringLiteral("With --vanish-after: this many milliseconds after it went, a new pseudo-terminal comes (printed as \"pty PATH\", --pty-link made again to it), as the adapter plugged in again; the controller has kept its state (0: never, the default)."), QStringLiteral("ms"));
    const QCommandLineOption clockOpt(QStringLiteral("clock"), QStringLiteral("The controller's clock at start, yyyyMMddHHmmss (default the PC's time); it runs on from there."), QStringLiteral("time"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Where --lose-every and --cut-every strike; the same seed strikes the same replies (default 1)."), QStringLiteral("s"));
    const QCommandLineOption twinOpt(QStringLiteral("twin"), QStringLiteral("A second controller at each of these IDs (comma-separated, each one --id or --bus has), with a serial number of its own (the first's plus 1000 plus the ID): two units given the same address. Both answer every request to it; see --collide."), QStringLiteral("ids"));
    const QCommandLineOption collideOpt(QStringLiteral("collide"), QStringLiteral("Where several controllers answer one request, their replies mix byte by byte on the line, as two transmitters at once do (the check digits fail); without it they follow one another."));
    const QCommandLineOption deadAfterRestartOpt(QStringLiteral("dead-after-restart"), QStringLiteral("The controllers at these IDs at the start (comma-separated; not the new units) never answer again once restarted (\"AJ\"), as a unit that does not come back."), QStringLiteral("ids"));
    const QCommandLineOption silentAfterRestartOpt(QStringLiteral("silent-after-restart"), QStringLiteral("After each restart (\"AJ\") the line stays silent for the next N requests, as while a controller starts up (default 0)."), QStringLiteral("n"));
    const QCommandLineOption newUnitsOpt(QStringLiteral("new-units"), QStringLiteral("N new units at ID 000, each with a serial number of its own (the first's plus 5000 and its number), connected one at a time: the next is on the line once the one before has been given another ID (at most 32)."), QStringLiteral("n"));
    parser.addOptions({ twinOpt, collideOpt, deadAfterRestartOpt, silentAfterRestartOpt, newUnitsOpt });
    parser.addOptions({ clockOpt, tcpOpt, noTcpOpt, ptyOpt, ptyLinkOpt, announceOpt, untilGoneOpt, idOpt, anyIdOpt, serialOpt, versionOpt, modelOpt, logOpt, replyOpt,
                        faultOpt, failNthOpt, jigOpt, inputsOpt, recordEveryOpt, recordOpt, paramOpt, busOpt,
                        jigFaultOpt, loseEveryOpt, cutEveryOpt, vanishAfterOpt, returnAfterOpt, seedOpt });

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion(); // prints "zu42sim <version>" and exits 0
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    SimOptions o;
    if (parser.isSet(tcpOpt)) {
        const QString v = parser.value(tcpOpt);
        const int colon = v.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const uint port = colon > 0 ? v.mid(colon + 1).toUInt(&ok) : 0;
        const QHostAddress addr(colon > 0 ? v.left(colon) : QString());
        if (!ok || port > 65535 || addr.isNull()) {
            *error = QStringLiteral("--tcp wants ADDRESS:PORT, got \"%1\"").arg(v);
            return std::nullopt;
        }
        o.tcpAddress = addr;
        o.tcpPort = quint16(port);
    }
    o.tcp = !parser.isSet(noTcpOpt);
    o.pty = parser.isSet(ptyOpt);
    if (!o.tcp && !o.pty) {
        *error = QStringLiteral("nothing to serve: --no-tcp without --pty");
        return std::nullopt;
    }
    o.ptyLink = parser.value(ptyLinkOpt);
    if (!o.ptyLink.isEmpty() && !o.pty) {
        *error = QStringLiteral("--pty-link without --pty");
        return std::nullopt;
    }
    o.announcePath = parser.value(announceOpt);
    o.untilGonePath = parser.value(untilGoneOpt);
    if (parser.isSet(idOpt)) {
        o.id = parser.value(idOpt).toLatin1();
        if (o.id.size() != 3 || !isDigits(o.id)) {
            *error = QStringLiteral("--id wants three digits, got \"%1\"").arg(parser.value(idOpt));
            return std::nullopt;
        }
    }
    o.anyId = parser.isSet(anyIdOpt);
    if (parser.isSet(serialOpt)) {
        o.serial = parser.value(serialOpt).toLatin1();
        if (o.serial.size() != 8) {
            *error = QStringLiteral("--serial wants 8 characters");
            return std::nullopt;
        }
    }
    if (parser.isSet(modelOpt)) {
        const QByteArray model = parser.value(modelOpt).toLatin1();
        if (model != "RO420" && model != "ZO425" && model != "RO426") {
            *error = QStringLiteral("--model wants RO420, ZO425 or RO426");
            return std::nullopt;
        }
        o.version = model + "V05";
    }
    if (parser.isSet(versionOpt)) {
        o.version = parser.value(versionOpt).toLatin1();
        if (o.version.size() != 8 && o.version.size() != 16) {
            *error = QStringLiteral("--version-text wants 8 or 16 characters");
            return std::nullopt;
        }
    }
    o.logPath = parser.value(logOpt);
    for (const QString &r : parser.values(replyOpt)) {
        const int eq = r.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = QStringLiteral("--reply wants CMD=DATA, got \"%1\"").arg(r);
            return std::nullopt;
        }
        o.replies.insert(r.left(eq).toLatin1(), unescape(r.mid(eq + 1)));
    }
    for (const QString &f : parser.values(faultOpt)) {
        const std::optional<SimFault> fault = SimFault::parse(f, error);
        if (!fault)
            return std::nullopt;
        o.faults.append(*fault);
    }
    for (const QString &list : parser.values(failNthOpt)) {
        for (const QString &n : list.split(QLatin1Char(','))) {
            bool ok = false;
            const int v = n.toInt(&ok);
            if (!ok || v < 1) {
                *error = QStringLiteral("--fail-nth wants positive numbers, got \"%1\"").arg(n);
                return std::nullopt;
            }
            o.failNth.insert(v);
        }
    }
    o.jig = parser.isSet(jigOpt);
    if (parser.isSet(inputsOpt)) {
        o.inputs = parser.value(inputsOpt).toLatin1();
        if (o.inputs.size() != 6) {
            *error = QStringLiteral("--inputs wants six characters (DI1 DI2 DI3 DI4 DI7 DI8)");
            return std::nullopt;
        }
    }
    if (parser.isSet(recordEveryOpt)) {
        bool ok = false;
        o.recordEvery = parser.value(recordEveryOpt).toInt(&ok);
        if (!ok || o.recordEvery < 0) {
            *error = QStringLiteral("--record-every wants a number >= 0");
            return std::nullopt;
        }
    }
    if (parser.isSet(recordOpt)) {
        o.record = parser.value(recordOpt).toLatin1();
        if (o.record.size() != 20) {
            *error = QStringLiteral("--record wants 20 characters");
            return std::nullopt;
        }
    }
    for (const QString &p : parser.values(paramOpt)) {
        const QStringList kv = p.split(QLatin1Char('='));
        bool ok1 = false, ok2 = false;
        const int addr = kv.size() == 2 ? kv[0].toInt(&ok1, 16) : -1;
        const int value = kv.size() == 2 ? kv[1].toInt(&ok2, 16) : -1;
        if (!ok1 || !ok2 || addr < 0 || addr > 0xFFFF || value < 0 || value > 0xFF) {
            *error = QStringLiteral("--param wants ADDR=VALUE in hexadecimal, got \"%1\"").arg(p);
            return std::nullopt;
        }
        o.params.insert(addr, quint8(value));
    }
    if (parser.isSet(busOpt)) {
        if (parser.isSet(idOpt) || o.anyId) {
            *error = QStringLiteral("--bus names the controllers' IDs itself; leave out --id and --any-id");
            return std::nullopt;
        }
        const std::optional<QList<BusMember>> bus = parseBus(parser.value(busOpt), o.serial, o.version, error);
        if (!bus)
            return std::nullopt;
        o.bus = *bus;
        o.id = o.bus.first().id;
    }
    if (parser.isSet(twinOpt)) {
        if (o.bus.isEmpty())
            o.bus.append({ o.id, o.serial, o.version });
        for (const QString &text : parser.value(twinOpt).split(QLatin1Char(','))) {
            const QByteArray id = text.trimmed().toLatin1();
            const auto first = std::find_if(o.bus.cbegin(), o.bus.cend(), [&](const BusMember &m) { return m.id == id; });
            if (id.size() != 3 || !isDigits(id) || first == o.bus.cend()) {
                *error = QStringLiteral("--twin wants IDs of controllers on the line (--id or --bus), got \"%1\"").arg(text);
                return std::nullopt;
            }
            // Further from the first than any other on the bus can be, so the number is its own.
            const BusMember twin { id, busSerial(o.bus.first().serial, 1000 + id.toInt(), id), first->version };
            o.bus.append(twin);
        }
    }
    if (parser.isSet(newUnitsOpt)) {
        int count = 0;
        if (!parseCount(QStringLiteral("--new-units"), parser.value(newUnitsOpt), &count, error))
            return std::nullopt;
        if (count > 32) {
            *error = QStringLiteral("--new-units takes at most 32");
            return std::nullopt;
        }
        if (o.bus.isEmpty() && count > 0)
            o.bus.append({ o.id, o.serial, o.version });
        for (int k = 1; k <= count; ++k)
            o.bus.append({ "000", busSerial(o.bus.first().serial, 5000 + k, "000"), o.version, true });
    }
    o.collide = parser.isSet(collideOpt);
    if (parser.isSet(deadAfterRestartOpt)) {
        for (const QString &text : parser.value(deadAfterRestartOpt).split(QLatin1Char(','))) {
            const QByteArray id = text.trimmed().toLatin1();
            if (id.size() != 3 || !isDigits(id)) {
                *error = QStringLiteral("--dead-after-restart wants IDs of three digits, got \"%1\"").arg(text);
                return std::nullopt;
            }
            o.deadAfterRestart.insert(id);
        }
    }
    if (parser.isSet(silentAfterRestartOpt)
        && !parseCount(QStringLiteral("--silent-after-restart"), parser.value(silentAfterRestartOpt), &o.silentAfterRestart, error))
        return std::nullopt;
    for (const QString &f : parser.values(jigFaultOpt)) {
        if (!o.jigFaults.add(f, error))
            return std::nullopt;
    }
    if (!o.jig && std::find(o.jigFaults.deadOutputs.cbegin(), o.jigFaults.deadOutputs.cend(), true) != o.jigFaults.deadOutputs.cend()) {
        *error = QStringLiteral("--jig-fault dead:DOn shows only on the jig: add --jig");
        return std::nullopt;
    }
    if (parser.isSet(loseEveryOpt) && !parseCount(QStringLiteral("--lose-every"), parser.value(loseEveryOpt), &o.loseEvery, error))
        return std::nullopt;
    if (parser.isSet(cutEveryOpt) && !parseCount(QStringLiteral("--cut-every"), parser.value(cutEveryOpt), &o.cutEvery, error))
        return std::nullopt;
    if (parser.isSet(vanishAfterOpt)) {
        if (!parseCount(QStringLiteral("--vanish-after"), parser.value(vanishAfterOpt), &o.vanishAfter, error))
            return std::nullopt;
        if (o.vanishAfter > 0 && !o.pty) {
            *error = QStringLiteral("--vanish-after takes the pseudo-terminal away: add --pty");
            return std::nullopt;
        }
    }
    if (parser.isSet(returnAfterOpt)) {
        if (!parseCount(QStringLiteral("--return-after"), parser.value(returnAfterOpt), &o.returnAfterMs, error))
            return std::nullopt;
        if (o.returnAfterMs > 0 && o.vanishAfter == 0) {
            *error = QStringLiteral("--return-after brings back what --vanish-after took away: add --vanish-after");
            return std::nullopt;
        }
    }
    if (parser.isSet(seedOpt)) {
        bool ok = false;
        o.seed = parser.value(seedOpt).toULongLong(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed wants a whole number >= 0, got \"%1\"").arg(parser.value(seedOpt));
            return std::nullopt;
        }
    }
    if (parser.isSet(clockOpt)) {
        const QDateTime start = QDateTime::fromString(parser.value(clockOpt), QStringLiteral("yyyyMMddHHmmss"));
        if (!start.isValid()) {
            *error = QStringLiteral("--clock wants yyyyMMddHHmmss, got \"%1\"").arg(parser.value(clockOpt));
            return std::nullopt;
        }
        o.clockOffsetMs = QDateTime::currentDateTime().msecsTo(start);
    }
    return o;
}
