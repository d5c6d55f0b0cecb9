// zu42cli's arguments: what each command takes into its request, and every kind of bad usage
// refused with status 2 and a message that says what is wrong, before any link exists.
#include "cli/cliarguments.h"
#include "profile/parametercatalog.h"

#include <QTest>

namespace {

CliArguments::Parsed parse(const QStringList &args)
{
    return CliArguments::parse(QStringList { QStringLiteral("zu42cli") } + args);
}

const QString Tcp = QStringLiteral("--link=tcp:127.0.0.1:5003");

} // namespace

class CliArgumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadTheLink_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("net");
        QTest::addColumn<QString>("where"); // address:port or port|mode; empty: refused
        QTest::newRow("tcp") << "tcp:192.168.1.20:5003" << true << "192.168.1.20:5003";
        QTest::newRow("tcp port with zeros") << "tcp:10.0.0.1:05001" << true << "10.0.0.1:5001";
        QTest::newRow("serial with mode") << "serial:/dev/ttyUSB0:115200,n,8,1" << false << "/dev/ttyUSB0|115200,n,8,1";
        QTest::newRow("serial, default mode") << "serial:COM3" << false << "COM3|19200,e,8,1";
        QTest::newRow("serial port with a colon") << "serial:/dev/serial/by-path/pci-0:1.0:9600,e,8,1" << false
                                                  << "/dev/serial/by-path/pci-0:1.0|9600,e,8,1";
        QTest::newRow("host name") << "tcp:localhost:5003" << true << "";
        QTest::newRow("address with leading zeros") << "tcp:192.168.001.020:5003" << true << "192.168.1.20:5003";
        QTest::newRow("part that looks octal") << "tcp:063.0.0.010:5003" << true << "63.0.0.10:5003";
        QTest::newRow("address with a line end") << "tcp:127.0.0.1\n:5003" << true << "";
        QTest::newRow("address of other digits") << QString::fromUtf8("tcp:127.0.0.\u0661:5003") << true << "";
        QTest::newRow("short address") << "tcp:127.1:5003" << true << "";
        QTest::newRow("address out of range") << "tcp:300.0.0.1:5003" << true << "";
        QTest::newRow("no port") << "tcp:127.0.0.1" << true << "";
        QTest::newRow("port 0") << "tcp:127.0.0.1:0" << true << "";
        QTest::newRow("port too big") << "tcp:127.0.0.1:65536" << true << "";
        QTest::newRow("port with sign") << "tcp:127.0.0.1:+5003" << true << "";
        QTest::newRow("no serial port") << "serial::19200,e,8,1" << false << "";
        QTest::newRow("bad mode") << "serial:/dev/ttyS0:19200,x,8,1" << false << "";
        QTest::newRow("unknown kind") << "udp:127.0.0.1:5003" << true << "";
    }

    void shouldReadTheLink()
    {
        QFETCH(QString, text);
        QFETCH(bool, net);
        QFETCH(QString, where);
        QString why;
        const std::optional<LinkSettings> link = CliArguments::parseLink(text, &why);
        QCOMPARE(link.has_value(), !where.isEmpty());
        if (!link) {
            QVERIFY(why.startsWith(QStringLiteral("--link")));
            return;
        }
        QCOMPARE(link->isNet(), net);
        QCOMPARE(net ? link->hostAddress + QLatin1Char(':') + link->hostPort : link->portName + QLatin1Char('|') + link->lineMode,
                 where);
    }

    void shouldTakeEachCommandsArguments()
    {
        auto p = parse({ Tcp, QStringLiteral("--id"), QStringLiteral("7"), QStringLiteral("set"),
                         QStringLiteral("door-log=OFF"), QStringLiteral("title-line-1=Gate = B"), QStringLiteral("--json") });
        QVERIFY2(p.request, qPrintable(p.text));
        QCOMPARE(p.request->command, CliRequest::Command::Set);
        QCOMPARE(p.request->id, QByteArray("007"));
        QVERIFY(p.request->json);
        QCOMPARE(p.request->values.value(ParameterCatalog::DoorLog), QStringLiteral("off"));
        QCOMPARE(p.request->values.value(ParameterCatalog::TitleLine1), QStringLiteral("Gate = B"));

        p = parse({ QStringLiteral("apply"), QStringLiteral("site.json"), QStringLiteral("--dry-run"), Tcp, QStringLiteral("--all") });
        QVERIFY2(p.request, qPrintable(p.text));
        QCOMPARE(p.request->file, QStringLiteral("site.json"));
        QVERIFY(p.request->everything && p.request->dryRun);
        QCOMPARE(p.request->id, QByteArray("000"));

        p = parse({ Tcp, QStringLiteral("scan"), QStringLiteral("10-20"), QStringLiteral("--wait"), QStringLiteral("50") });
        QVERIFY2(p.request, qPrintable(p.text));
        QCOMPARE(p.request->first, 10);
        QCOMPARE(p.request->last, 20);
        QCOMPARE(p.request->scanWaitMs, 50);

        p = parse({ Tcp, QStringLiteral("scan") });
        QCOMPARE(p.request->first, 0);
        QCOMPARE(p.request->last, 999);

        p = parse({ Tcp, QStringLiteral("send"), QStringLiteral("--encoding"), QStringLiteral("BIG5"), QStringLiteral("--"), QStringLiteral("-AB") });
        QVERIFY2(p.request, qPrintable(p.text));
        QCOMPARE(p.request->text, QStringLiteral("-AB"));
        QCOMPARE(p.request->encoding, 1);

        p = parse({ Tcp, QStringLiteral("reboot"), QStringLiteral("--net") });
        QVERIFY(p.request && p.request->net);
        p = parse({ Tcp, QStringLiteral("get"), QStringLiteral("door-log"), QStringLiteral("language") });
        QCOMPARE(p.request->names, (QStringList { QStringLiteral("door-log"), QStringLiteral("language") }));
    }

    void shouldRefuseBadUsageWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, QStringList args, const char *message) {
            QTest::newRow(tag) << args << QString::fromUtf8(message);
        };
        row("nothing", {}, "no command given");
        row("unknown command", { Tcp, "fly" }, "unknown command \"fly\"");
        row("no link", { "identify" }, "--link is missing");
        row("bad link", { "--link", "tcp:nowhere", "identify" }, "--link tcp: wants a dotted IPv4 address");
        row("unknown option", { Tcp, "identify", "--fast" }, "Unknown option 'fast'.");
        row("option of another command", { Tcp, "identify", "--all" }, "Unknown option 'all'. (identify)");
        row("option without its value", { Tcp, "scan", "--wait" }, "Missing value after '--wait'.");
        row("id of letters", { Tcp, "--id", "A1", "identify" }, "--id wants up to three digits, got \"A1\"");
        row("id of four digits", { Tcp, "--id", "1000", "identify" }, "--id wants up to three digits");
        row("id with a line end", { Tcp, "--id", "12\n", "identify" }, "--id wants up to three digits");
        row("id of other digits", { Tcp, "--id", "\u0661\u0662", "identify" }, "--id wants up to three digits");
        row("empty id", { Tcp, "--id", "", "identify" }, "--id wants up to three digits");
        row("argument too many", { Tcp, "identify", "now" }, "usage: zu42cli --link LINK [--id ID] identify");
        row("set without values", { Tcp, "set" }, "usage: zu42cli --link LINK [--id ID] set NAME=VALUE...");
        row("set without =", { Tcp, "set", "door-log" }, "set wants NAME=VALUE, got \"door-log\"");
        row("set of an unknown name", { Tcp, "set", "doorlog=on" }, "unknown value name \"doorlog\"");
        row("set out of range", { Tcp, "set", "same-card-delay=256" }, "same-card-delay: 256 is outside 0 to 255");
        row("set twice", { Tcp, "set", "door-log=on", "door-log=off" }, "door-log is given twice");
        row("get of an unknown name", { Tcp, "get", "colour" }, "unknown value name \"colour\"");
        row("apply without file", { Tcp, "apply" }, "usage: zu42cli --link LINK [--id ID] apply FILE");
        row("apply of an empty name", { Tcp, "apply", "" }, "the file name is empty");
        row("scan backwards", { Tcp, "scan", "20-10" }, "scan wants a range of IDs FROM-TO within 000-999");
        row("scan beyond three digits", { Tcp, "scan", "0-1000" }, "scan wants a range of IDs");
        row("scan wait of nothing", { Tcp, "scan", "--wait", "0" }, "--wait wants milliseconds from 1 to 60000");
        row("send without text", { Tcp, "send" }, "usage: zu42cli --link LINK [--id ID] send TEXT");
        row("jig map without a file", { Tcp, "jig", "--map", "" }, "--map wants a file");
        row("jig station without a name", { Tcp, "jig", "--station", " " }, "--station wants a name");
        row("jig option on another command", { Tcp, "identify", "--station", "A" }, "Unknown option 'station'. (identify)");
        row("site of no action", { "site", "tidy", "--site", "s.json" }, "site wants one of scan, read, address, apply, clock, reboot, replace, report");
        row("site scan without a file", { Tcp, "site", "scan" }, "site scan wants --save FILE");
        row("site scan without a link", { "site", "scan", "--save", "s.json" }, "site scan wants --link");
        row("site scan both speeds", { Tcp, "site", "scan", "--save", "s.json", "--quick", "--thorough" }, "site scan takes --quick or --thorough, not both");
        row("site action without its file", { "site", "clock" }, "site clock wants --site FILE");
        row("site apply without a profile", { "site", "apply", "--site", "s.json" }, "site apply wants a profile file");
        row("site address from 000", { "site", "address", "--site", "s.json", "--from", "0" }, "site address wants --from ID, from 001 to 999");
        row("site ids of letters", { "site", "read", "--site", "s.json", "--ids", "001,x" }, "--ids wants IDs of up to three digits");
        row("site report to nowhere", { "site", "report", "--site", "s.json" }, "site report wants --pdf FILE or --csv FILE");
        row("site replace of no ID", { "site", "replace", "1000", "--site", "s.json" }, "site replace wants an ID of up to three digits");
        row("records on a link", { Tcp, "records", "pending" }, "records works on the records, not on a controller: no --link or --id");
        row("records of an unknown kind", { "records", "list" }, "records wants history, pending, export, yield, pareto, certificate or init-server, got \"list\"");
        row("records day not a day", { "records", "yield", "--from", "2024-3-5" }, "--from wants a day as YYYY-MM-DD, got \"2024-3-5\"");
        row("records days backwards", { "records", "pareto", "--from", "2024-03-05", "--to", "2024-03-04" }, "--to 2024-03-04 is before --from 2024-03-05");
        row("records grouped by nothing known", { "records", "yield", "--by", "week" }, "--by wants day, station or operator");
        row("records option of another action", { "records", "history", "A", "--by", "day" }, "records history takes no --by");
        row("records export of neither", { "records", "export" }, "records export wants one of --csv FILE and --json DIR");
        row("records init-server of a file", { "records", "init-server", "sqlite:/x" }, "records init-server wants the server as postgresql://");
        row("records certificate without a file", { "records", "certificate", "A" }, "records certificate wants --pdf FILE");
        row("records sent on without a store", { "records", "pending", "--deliver-from", "unnamed" },
            "--deliver-from wants --store too");
        row("send in an unknown encoding", { Tcp, "send", "AB", "--encoding", "latin1" }, "--encoding \"latin1\" is not one of unicode | big5 | gb2312");
    }

    void shouldRefuseBadUsageWithStatusTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const auto p = parse(args);
        QVERIFY(!p.request);
        QCOMPARE(p.status, 2);
        QVERIFY2(p.text.startsWith(QStringLiteral("zu42cli: ") + message), qPrintable(p.text));
        QVERIFY(p.text.endsWith(QStringLiteral("Try 'zu42cli --help'.\n")));
    }

    // A script reading the JSON of a refusal learns which command was refused, once it was read.
    void shouldNameTheRefusedCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("command");
        QTest::newRow("before any command") << QStringList { Tcp, "fly" } << "";
        QTest::newRow("option of another command") << QStringList { Tcp, "identify", "--all" } << "identify";
        QTest::newRow("a bad value") << QStringList { Tcp, "set", "door-log" } << "set";
    }

    void shouldNameTheRefusedCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, command);
        QCOMPARE(parse(args + QStringList { "--json" }).command, command);
    }

    // Help and version need no link and succeed.
    void shouldHelpWithoutALink_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("begins");
        QTest::newRow("program") << QStringList { "--help" } << "Usage: zu42cli --link tcp:HOST:PORT | serial:PORT[:MODE]";
        QTest::newRow("version") << QStringList { "--version" } << "zu42cli 0.";
        QTest::newRow("apply") << QStringList { "apply", "--help" } << "Usage: zu42cli --link LINK [--id ID] [--json] apply FILE [--all] [--dry-run]";
        QTest::newRow("set lists the values") << QStringList { "-h", "set" } << "Usage: zu42cli --link LINK [--id ID] [--json] set NAME=VALUE...";
        QTest::newRow("records") << QStringList { "records", "--help" } << "Usage: zu42cli [--json] records history SERIAL | pending";
        for (const char *command : { "identify", "get", "save", "diff", "scan", "send", "reboot", "initial", "jig" })
            QTest::newRow(command) << QStringList { command, "--help" }
                                   << QStringLiteral("Usage: zu42cli --link LINK [--id ID] [--json] %1").arg(QLatin1String(command));
    }

    void shouldHelpWithoutALink()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, begins);
        const auto p = parse(args);
        QVERIFY(!p.request);
        QCOMPARE(p.status, 0);
        QVERIFY2(p.text.startsWith(begins), qPrintable(p.text));
        if (args.contains(QStringLiteral("set")))
            for (const ParameterInfo &s : ParameterCatalog::all())
                QVERIFY2(p.text.contains(QStringLiteral("\n  ") + s.name + QLatin1Char(' ')), qPrintable(s.name));
    }
};

QTEST_APPLESS_MAIN(CliArgumentsTest)
#include "cliargumentstest.moc"
