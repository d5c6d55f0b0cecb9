// zu42cli as a production script runs it: each command against zu42sim over TCP and a
// pseudo-terminal, each exit status, --json read back, and profiles carried from one simulated
// controller to another; a bad profile sends nothing (the simulator's request log says so).
#include "datahome.h"
#include "simprocess.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
    QJsonObject json() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

// Records of the jig test go to the user's data folder: each test brings its own.
Run cli(const QStringList &args, const QString &dataHome = QString())
{
    QProcess process;
    if (!dataHome.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        DataHome::setIn(environment, dataHome);
        process.setProcessEnvironment(environment);
    }
    process.start(qEnvironmentVariable("ZU42CLI", QStringLiteral("zu42cli")), args);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    // A Windows program's text lines end in CR LF.
    run.out = QString::fromUtf8(process.readAllStandardOutput()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    run.err = QString::fromUtf8(process.readAllStandardError()).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return run;
}

QString linkTo(const SimProcess &sim)
{
    return sim.ptyPath().isEmpty() ? QStringLiteral("tcp:127.0.0.1:%1").arg(sim.port())
                                   : QStringLiteral("serial:%1:19200,e,8,1").arg(sim.ptyPath());
}

// The requests a write would send (parameter writes, restarts, the other set-up commands), with
// the ID they went to.
QList<QByteArray> writesIn(const QList<QByteArray> &requests)
{
    QList<QByteArray> out;
    for (const QByteArray &r : requests) {
        const QByteArray body = r.mid(3);
        const bool read = body == "AS" || body == "AV" || (body.startsWith("AP") && body.size() == 8);
        if (!read)
            out.append(r);
    }
    return out;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return file.fileName();
}

// A site of 001 to 003 on the simulator's line, as a person might write it by hand.
QByteArray siteFile(const SimProcess &sim)
{
    QJsonObject link { { QStringLiteral("kind"), QStringLiteral("tcp") },
                       { QStringLiteral("address"), QStringLiteral("127.0.0.1") },
                       { QStringLiteral("port"), QString::number(sim.port()) } };
    if (!sim.ptyPath().isEmpty())
        link = { { QStringLiteral("kind"), QStringLiteral("serial") },
                 { QStringLiteral("port"), sim.ptyPath() },
                 { QStringLiteral("line"), QStringLiteral("19200,e,8,1") } };
    const QJsonArray units { QJsonObject { { QStringLiteral("id"), QStringLiteral("001") } },
                             QJsonObject { { QStringLiteral("id"), QStringLiteral("002") } },
                             QJsonObject { { QStringLiteral("id"), QStringLiteral("003") },
                                           { QStringLiteral("serial-number"), QStringLiteral("24010044") } } };
    return QJsonDocument(QJsonObject { { QStringLiteral("format"), QStringLiteral("zu42-site") },
                                       { QStringLiteral("version"), 1 },
                                       { QStringLiteral("name"), QStringLiteral("Gate") },
                                       { QStringLiteral("link"), link },
                                       { QStringLiteral("units"), units } })
        .toJson();
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldRunEachCommand_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("key");   // a key of the JSON report...
        QTest::addColumn<QString>("value"); // ...and its value as text
        QTest::addColumn<QString>("line");  // a line of the text report
        for (const bool serial : { false, true }) {
            const auto row = [serial](const char *tag, const QStringList &args, const char *key, const char *value, const char *line) {
                QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(serial ? QStringLiteral("pty") : QStringLiteral("TCP"), QLatin1String(tag))))
                    << serial << args << QString::fromLatin1(key) << QString::fromUtf8(value) << QString::fromUtf8(line);
            };
            row("identify", { "identify" }, "serial-number", "24010042", "model          RO426");
            row("get", { "get" }, "model", "RO426", "di-mode=di-input");
            row("get one", { "get", "door-timeout-time" }, "model", "RO426", "door-timeout-time=20");
            row("set", { "set", "door-log=off", "di-mode=wiegand" }, "restarted", "false", "wrote di-mode: di-input -> wiegand");
            row("set that restarts", { "set", "card-display=card-text" }, "restarted", "true", "restarted the controller");
            row("scan", { "scan", "005-009", "--wait", "100" }, "scanned", "5", "007 RO426 24010042 RO420DA RO426V05");
            row("send", { "send", "AV" }, "verdict", "answered", "␃007AVRO426V05␄FB2A␍");
            row("reboot", { "reboot" }, "ok", "true", "acknowledged");
            row("reboot on the network", { "reboot", "--net" }, "ok", "true", "acknowledged");
            row("initial", { "initial" }, "ok", "true", "acknowledged");
        }
    }

    void shouldRunEachCommand()
    {
        QFETCH(bool, serial);
        QFETCH(QStringList, args);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, line);
        SimProcess sim({ "--id", "007", "--model", "RO426" }, serial);
        QVERIFY(sim.start());
        const QStringList common { "--link", linkTo(sim), "--id", "7" };

        const Run text = cli(common + args);
        QVERIFY2(text.status == 0, qPrintable(text.err));
        QVERIFY2(text.out.split(QLatin1Char('\n')).contains(line), qPrintable(text.out));
        QVERIFY2(text.err.isEmpty(), qPrintable(text.err));

        const Run json = cli(common + args + QStringList { "--json" });
        QCOMPARE(json.status, 0);
        const QJsonObject report = json.json();
        QCOMPARE(report.value(QStringLiteral("command")).toString(), args.first());
        QCOMPARE(report.value(QStringLiteral("ok")), QJsonValue(true));
        QCOMPARE(report.value(QStringLiteral("exit")), QJsonValue(0));
        QCOMPARE(report.value(key).toVariant().toString(), value);
    }

    void shouldReportEveryValueAsJson()
    {
        SimProcess sim({ "--param", "17=1E", "--param", "8B=00" }, true);
        QVERIFY(sim.start());
        const Run run = cli({ "--link", linkTo(sim), "get", "--json" });
        QCOMPARE(run.status, 0);
        const QJsonObject values = run.json().value(QStringLiteral("values")).toObject();
        QCOMPARE(values.size(), 18); // every read-back value of the ZO425, and the line settings
        QCOMPARE(values.value(QStringLiteral("same-card-delay")), QJsonValue(30));
        QCOMPARE(values.value(QStringLiteral("door-log")), QJsonValue(false));
        QCOMPARE(values.value(QStringLiteral("text-encoding")), QJsonValue(QStringLiteral("gb2312")));
        QCOMPARE(values.value(QStringLiteral("baud-rate")), QJsonValue(QStringLiteral("19200,e,8,1")));
    }

    // Two controllers on one line: the first set up by hand, saved, its profile applied to the
    // second, which then holds what the first does; only what differed was written to it, with
    // one restart, and nothing to the first.
    void shouldCarryAProfileFromOneControllerToAnother_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("TCP") << false;
        QTest::newRow("pseudo-terminal") << true;
    }

    void shouldCarryAProfileFromOneControllerToAnother()
    {
        QFETCH(bool, serial);
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("site.json"));
        SimProcess sim({ "--bus", "001-002" }, serial);
        QVERIFY(sim.start());
        const QStringList first { "--link", linkTo(sim), "--id", "001" };
        const QStringList second { "--link", linkTo(sim), "--id", "002" };
        const Run set = cli(first + QStringList { "set", "language=traditional-chinese", "text-encoding=big5",
                                                  "same-card-delay=30", "door-log=off", "show-status=off" });
        QVERIFY2(set.status == 0, qPrintable(set.err + set.out));

        const Run saved = cli(first + QStringList { "save", profile, "--json" });
        QVERIFY2(saved.status == 0, qPrintable(saved.err));
        // Every read-back value of the ZO425, and over the serial line its line settings.
        QCOMPARE(saved.json().value(QStringLiteral("saved")).toArray().size(), serial ? 18 : 17);

        const Run diff = cli(second + QStringList { "diff", profile, "--json" });
        QCOMPARE(diff.status, 0);
        QCOMPARE(diff.json().value(QStringLiteral("differences")).toArray().size(), 5);

        sim.clearRequests();
        const Run applied = cli(second + QStringList { "apply", profile });
        QVERIFY2(applied.status == 0, qPrintable(applied.err + applied.out));
        QCOMPARE(writesIn(sim.requests()),
                 (QList<QByteArray> { "002AP000A020101", "002AP0017011E", "002AP001B03020001", "002AP008B0100", "002AJ" }));
        QVERIFY2(applied.out.contains(QStringLiteral("every value written took")), qPrintable(applied.out));

        const Run again = cli(second + QStringList { "diff", profile });
        QVERIFY2(again.out.endsWith(QStringLiteral("0 of %1 values differ\n").arg(serial ? 18 : 17)), qPrintable(again.out));
        sim.clearRequests();
        QCOMPARE(cli(second + QStringList { "apply", profile }).status, 0);
        QVERIFY(writesIn(sim.requests()).isEmpty());
    }

    // The adapter pulled out after the apply's second write and plugged in again (zu42sim makes
    // a new pseudo-terminal behind the same link): with --resume each write reaches it once.
    void shouldGoOnWithAnApplyWhenTheAdapterComesBack()
    {
        if (const QString why = SimProcess::serialLineUnavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        if (SimProcess::underWine())
            QSKIP("a Windows program reaches the line as a COM port the simulator cannot make again");
        QTemporaryDir dir;
        const QString profile = write(dir, QStringLiteral("site.json"), R"({"format": "zu42-profile", "version": 1,
            "model": "ZO425", "created": "2026-12-07T10:00:00Z", "values": {"door-log": false, "hour-format": "12h",
            "show-status": false, "language": "simplified-chinese"}})");
        const auto apply = [&](const QString &at) { return QStringList { "--link", "serial:" + at + ":19200,e,8,1", "apply", profile, "--resume" }; };
        // Where the writes begin, from an apply that nobody interrupts.
        SimProcess plain({}, true);
        QVERIFY(plain.start());
        QCOMPARE(cli(apply(plain.ptyPath())).status, 0);
        const QList<QByteArray> whole = writesIn(plain.requests());
        QCOMPARE(whole.size(), 5);

        const QString link = dir.filePath(QStringLiteral("adapter"));
        const qsizetype secondWrite = plain.requests().indexOf(whole.first()) + 2;
        SimProcess sim({ "--pty-link", link, "--vanish-after", QString::number(secondWrite), "--return-after", "300" }, true);
        QVERIFY(sim.start());
        const Run run = cli(apply(link));
        QVERIFY2(run.status == 0, qPrintable(run.err + run.out));
        QVERIFY2(run.out.contains("the serial adapter is back on " + link), qPrintable(run.out));
        QCOMPARE(writesIn(sim.requests()), whole);
    }

    // The scan lists exactly the controllers on the line.
    void shouldScanTheBus()
    {
        SimProcess sim({ "--bus", "003,005:RO420,300:RO426" }, true);
        QVERIFY(sim.start());
        const Run run = cli({ "--link", linkTo(sim), "scan", "000-300", "--wait", "100", "--json" });
        QCOMPARE(run.status, 0);
        QStringList found;
        for (const QJsonValue &f : run.json().value(QStringLiteral("found")).toArray())
            found.append(f[QStringLiteral("id")].toString() + QLatin1Char(' ') + f[QStringLiteral("model")].toString() + QLatin1Char(' ')
                         + f[QStringLiteral("serial-number")].toString());
        QCOMPARE(found, (QStringList { "003 ZO425 24010042", "005 RO420 24010044", "300 RO426 24010339" }));
        QCOMPARE(run.json().value(QStringLiteral("scanned")), QJsonValue(301));
    }

    // A site on the line it names: two new units addressed in a row, a profile applied going on
    // past the unit that does not come back from its restart (exit 1, its ID said), run again on
    // it alone, and the handover report.
    void shouldCommissionASite_data()
    {
        QTest::addColumn<bool>("pty");
        QTest::newRow("TCP") << false;
        QTest::newRow("pseudo-terminal") << true;
    }

    void shouldCommissionASite()
    {
        QFETCH(bool, pty);
        QTemporaryDir dir;
        SimProcess sim({ "--bus", "001-003", "--new-units", "2", "--dead-after-restart", "002" }, pty);
        QVERIFY(sim.start());
        const QString site = write(dir, QStringLiteral("site.json"), siteFile(sim));
        const QString profile = write(dir, QStringLiteral("p.json"), R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
            "created": "2026-12-07T10:00:00+08:00", "values": {"same-card-delay": 30, "language": "traditional-chinese"}})");

        const Run addressed = cli({ "site", "address", "--site", site, "--from", "1", "--count", "2", "--json" });
        QVERIFY2(addressed.status == 0, qPrintable(addressed.err + addressed.out));
        QStringList ids;
        for (const QJsonValue &unit : addressed.json().value(QStringLiteral("addressed")).toArray())
            ids.append(unit[QStringLiteral("id")].toString());
        QCOMPARE(ids, (QStringList { "004", "005" }));

        const Run applied = cli({ "site", "apply", profile, "--site", site });
        QCOMPARE(applied.status, 1);
        QVERIFY2(applied.err.contains(QStringLiteral("Failed: 002\n")), qPrintable(applied.err));
        for (const char *id : { "001", "003", "004", "005" })
            QVERIFY2(applied.out.contains(QStringLiteral("%1 ok\n").arg(QLatin1String(id))), qPrintable(applied.out));

        sim.clearRequests();
        const Run again = cli({ "site", "apply", profile, "--site", site, "--ids", "2", "--json" });
        QCOMPARE(again.status, 1);
        QCOMPARE(again.json().value(QStringLiteral("failed")).toArray(), QJsonArray { "002" });
        for (const QByteArray &request : sim.requests())
            QCOMPARE(request.left(3), QByteArray("002"));

        const QString csv = dir.filePath(QStringLiteral("site.csv"));
        QCOMPARE(cli({ "site", "report", "--site", site, "--csv", csv }).status, 0);
        QFile report(csv);
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = report.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray("Site,Gate\r"));
        QVERIFY2(lines.value(5).startsWith("002,24010043,ZO425,"), lines.value(5).constData());
        QVERIFY2(lines.value(5).contains(",apply,failed: "), lines.value(5).constData());
        QVERIFY2(lines.value(8).startsWith("005,24015044,ZO425,RO420DA ZO425V05,p.json,matches,"), lines.value(8).constData());
    }

    void shouldSayWhatADryRunWouldWrite()
    {
        QTemporaryDir dir;
        SimProcess sim;
        QVERIFY(sim.start());
        const QString profile = write(dir, QStringLiteral("p.json"), R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
            "created": "2026-12-07T10:00:00+08:00", "values": {"door-log": false, "title-line-1": "Gate"}})");
        const Run run = cli({ "--link", linkTo(sim), "apply", profile, "--dry-run", "--json" });
        QCOMPARE(run.status, 0);
        QCOMPARE(run.json().value(QStringLiteral("commands")).toArray(), QJsonArray { QStringLiteral("AP008B0100") });
        QCOMPARE(run.json().value(QStringLiteral("not-compared")).toArray(), QJsonArray { QStringLiteral("title-line-1") });
        QVERIFY(writesIn(sim.requests()).isEmpty());
        const Run all = cli({ "--link", linkTo(sim), "apply", profile, "--dry-run", "--all", "--json" });
        QCOMPARE(all.json().value(QStringLiteral("commands")).toArray().size(), 2);
    }

    // Exit status 1: the controller failed. 2: bad usage or input, nothing sent. 3: no link.
    void shouldExitWithTheStatusOfWhatWentWrong_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("sends");

        QTest::newRow("no controller at the ID") << QStringList() << QStringList { "--id", "9", "identify" } << 1
                                                 << "No controller answered to ID 009 (No answer)" << true;
        QTest::newRow("version with bad check digits") << QStringList { "--fault", "AV:badcrc" } << QStringList { "get" } << 1
                                                       << "The controller with ID 000 did not identify itself: Invalid reply (checksum)" << true;
        QTest::newRow("a value that does not take") << QStringList { "--reply", "AP008B01=" } << QStringList { "set", "door-log=off" } << 1
                                                    << "1 of the values written did not take" << true;
        QTest::newRow("no reply to a send") << QStringList { "--fault", "AB:noreply" } << QStringList { "send", "AB" } << 1
                                            << "No answer" << true;
        QTest::newRow("no acknowledgement") << QStringList { "--reply", "AJ=X" } << QStringList { "reboot" } << 1
                                            << "Reply of 13 bytes where 12 were expected" << true;
        QTest::newRow("nothing on the line") << QStringList() << QStringList { "scan", "100-102", "--wait", "20" } << 1
                                             << "No ID from 100 to 102 answered" << true;
        QTest::newRow("bad value") << QStringList() << QStringList { "set", "door-timeout-time=300" } << 2
                                   << "door-timeout-time: 300 is outside 0 to 255" << false;
        QTest::newRow("send of a frame delimiter") << QStringList() << QStringList { "send", "A\rB" } << 2
                                                   << "The command holds a control character that ends the frame" << false;
        QTest::newRow("save into no folder") << QStringList() << QStringList { "save", "/nonexistent/p.json" } << 2
                                             << "Cannot write /nonexistent/p.json" << false;
        QTest::newRow("value the model lacks") << QStringList() << QStringList { "set", "di-mode=wiegand" } << 2
                                               << "di-mode: the ZO425 has no such value: nothing was written" << true;
    }

    void shouldExitWithTheStatusOfWhatWentWrong()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, error);
        QFETCH(bool, sends);
        SimProcess sim(simArgs);
        QVERIFY(sim.start());
        const Run run = cli(QStringList { "--link", linkTo(sim) } + args + QStringList { "--json" });
        QCOMPARE(run.status, status);
        const QJsonObject report = run.json();
        QCOMPARE(report.value(QStringLiteral("ok")), QJsonValue(false));
        QCOMPARE(report.value(QStringLiteral("exit")), QJsonValue(status));
        QVERIFY2(report.value(QStringLiteral("error")).toString().startsWith(error), qPrintable(run.out));
        QVERIFY2(run.err.startsWith(QStringLiteral("zu42cli: ") + error), qPrintable(run.err));
        QCOMPARE(!sim.requests().isEmpty(), sends);
        if (status == 2)
            QVERIFY(writesIn(sim.requests()).isEmpty());
    }

    void shouldExitThreeWhenTheLinkDoesNotOpen_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("error");
        QTest::newRow("nobody listening") << "tcp:127.0.0.1:1" << "The link did not open: Connection refused";
        QTest::newRow("no such port") << "serial:/dev/zu42-no-such-port" << "The link did not open: No such port";
    }

    void shouldExitThreeWhenTheLinkDoesNotOpen()
    {
        QFETCH(QString, link);
        QFETCH(QString, error);
        const Run run = cli({ "--link", link, "identify", "--json" });
        QCOMPARE(run.status, 3);
        QVERIFY2(run.json().value(QStringLiteral("error")).toString().startsWith(error), qPrintable(run.out));
    }

    // A profile that cannot be right never opens the link; one for another model is refused
    // once the controller has said what it is, before anything is written.
    void shouldRefuseABadProfileWithNothingSent_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QList<QByteArray>>("requests");
        const QByteArray head = R"({"format": "zu42-profile", "version": 1, "model": "ZO425", "created": "2026-12-07T10:00:00Z", )";
        QTest::newRow("damaged") << head + R"("values": {"door-log": false)" << "damaged JSON" << QList<QByteArray> {};
        QTest::newRow("unknown version") << QByteArray(head).replace("\"version\": 1", "\"version\": 7") + R"("values": {"door-log": false}})"
                                         << "Profile version 7 is unknown" << QList<QByteArray> {};
        QTest::newRow("out of range") << head + R"("values": {"door-log": false, "door-timeout-time": 999}})"
                                      << "Value door-timeout-time: 999 is outside 0 to 255" << QList<QByteArray> {};
        QTest::newRow("another model") << QByteArray(head).replace("ZO425", "RO420") + R"("values": {"door-log": false}})"
                                       << "made for the RO420; this controller is the ZO425"
                                       << QList<QByteArray> { "000AS", "000AV", "000AS", "000AV", "000AS", "000AV", "000AS" };
    }

    void shouldRefuseABadProfileWithNothingSent()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QFETCH(QList<QByteArray>, requests);
        QTemporaryDir dir;
        const QString profile = write(dir, QStringLiteral("bad.json"), text);
        SimProcess sim;
        QVERIFY(sim.start());
        for (const char *command : { "apply", "diff" }) {
            const Run run = cli({ "--link", linkTo(sim), command, profile });
            QCOMPARE(run.status, 2);
            QVERIFY2(run.err.contains(error), qPrintable(run.err));
        }
        // apply stops at the version that names the model, diff after the identify.
        QCOMPARE(sim.requests(), requests);
    }

    // The jig test as a production line runs it: the verdict in the exit status, every step in
    // the report, the record where the window's go (or waiting, when the store is away).
    void shouldRunTheJigTestAndKeepItsRecord_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QByteArray>("map"); // empty: the default wiring
        QTest::addColumn<QString>("store");  // empty: the data folder's
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<bool>("engineering");
        QTest::newRow("good unit") << QStringList { "--jig" } << QByteArray() << QString() << 0 << "PASS" << "store" << false;
        QTest::newRow("good unit, store away") << QStringList { "--jig" } << QByteArray()
                                               << "postgresql://zu42@127.0.0.1:1/records" << 0 << "PASS" << "pending" << false;
        QTest::newRow("DI1 stuck on") << QStringList { "--jig", "--jig-fault", "stuck-on:DI1" } << QByteArray() << QString() << 1
                                      << "FAIL at DO2 alone" << "store" << false;
        QTest::newRow("a map the jig is not wired as")
            << QStringList { "--jig" } << QByteArray("name = Fixture B\nDO1 = DI1\nDO2 = DI2\nDO3 = DI3\nDO4 = DI4, DI8\n")
            << QString() << 1 << "FAIL at DO3 alone" << "store" << false;
        QTest::newRow("engineering run") << QStringList { "--jig" } << QByteArray() << QString() << 0 << "PASS" << "store" << true;
#ifndef Q_OS_WIN
        // The adapter pulled out at the fifth request, in the middle of the clock's steps.
        QTest::newRow("adapter pulled out") << QStringList { "--jig", "--pty", "--vanish-after", "5" } << QByteArray() << QString() << 1
                                            << "ERROR at Clock kept" << "store" << false;
#endif
    }

    void shouldRunTheJigTestAndKeepItsRecord()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QByteArray, map);
        QFETCH(QString, store);
        QFETCH(int, status);
        QFETCH(QString, verdict);
        QFETCH(QString, kept);
        QFETCH(bool, engineering);
        QTemporaryDir data;
        SimProcess sim(simArgs);
        QVERIFY(sim.start());
        QStringList args { "--link", linkTo(sim), "jig", "--station", "Line 2", "--operator", "Wang" };
        if (engineering)
            args << "--engineering";
        if (!map.isEmpty())
            args << "--map" << write(data, QStringLiteral("fixture.map"), map);
        if (!store.isEmpty())
            args << "--store" << store;

        const Run text = cli(args, data.path());
        QCOMPARE(text.status, status);
        QVERIFY2(text.out.split(QLatin1Char('\n')).contains(verdict), qPrintable(text.out));
        QVERIFY2(text.out.startsWith(QStringLiteral("pass Identify   : ZO425 S/N 24010042 ID 000\n")), qPrintable(text.out));

        if (simArgs.contains(QStringLiteral("--vanish-after")))
            return; // the adapter is gone for good
        const Run json = cli(args + QStringList { "--json" }, data.path());
        QCOMPARE(json.status, status);
        const QJsonObject report = json.json();
        QCOMPARE(report.value(QStringLiteral("verdict")).toString(), verdict.section(QLatin1Char(' '), 0, 0));
        QCOMPARE(report.value(QStringLiteral("engineering")).toBool(), engineering);
        QCOMPARE(report.value(QStringLiteral("record")).toObject().value(QStringLiteral("kept")).toString(), kept);
        const QJsonArray steps = report.value(QStringLiteral("steps")).toArray();
        QCOMPARE(steps.first()[QStringLiteral("name")].toString(), QStringLiteral("Identify"));
        QCOMPARE(steps.last()[QStringLiteral("passed")].toBool(), status == 0);
        // Two runs, two records, in the store or waiting on this PC.
        const QString folder = data.filePath(QStringLiteral("zu42tools/"));
        QVERIFY(QFile::exists(folder + (kept == QLatin1String("store") ? QStringLiteral("records.sqlite") : QStringLiteral("records.pending.jsonl"))));
        if (kept != QLatin1String("pending"))
            return;
        QCOMPARE(report.value(QStringLiteral("record")).toObject().value(QStringLiteral("waiting")), QJsonValue(2));
        // Waiting for the server they were meant for, whoever asks; not for this PC's file.
        const QJsonObject pending = cli({ "records", "pending", "--json" }, data.path()).json();
        QCOMPARE(pending.value(QStringLiteral("stores")).toArray(),
                 (QJsonArray{ QJsonObject{ { QStringLiteral("store"), store }, { QStringLiteral("records"), 2 } } }));
        const Run listed = cli({ "records", "pending" }, data.path());
        QVERIFY2(listed.out.startsWith(QStringLiteral("     2 waiting for %1\n").arg(store)), qPrintable(listed.out));
        // Sent to this PC's file only when asked, naming both.
        const Run moved = cli({ "records", "pending", "--store", "sqlite:", "--deliver-from", store, "--json" }, data.path());
        QCOMPARE(moved.status, 0);
        QCOMPARE(moved.json().value(QStringLiteral("delivered")), QJsonValue(2));
        QCOMPARE(moved.json().value(QStringLiteral("waiting")), QJsonValue(0));
        QVERIFY(QFile::exists(folder + QStringLiteral("records.sqlite")));
    }

    // The records' questions on a store two jig runs filled: one good unit, then the same unit
    // failing at DO2 as an engineering run, then failing at DO2 in production.
    void shouldAnswerFromTheRecords_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("key");     // of the JSON report
        QTest::addColumn<QString>("value");   // its compact JSON
        QTest::newRow("history") << QStringList{ "history", "24010042" } << "tests" << "3";
        QTest::newRow("yield by station")
            << QStringList{ "yield", "--by", "station" } << "rows"
            << R"([{"errors":0,"first-time-passed":1,"first-time-units":1,"last-passed":0,"last-units":1,"retests":1,"station":"Line 2","tests":2,"units":1}])";
        QTest::newRow("pareto") << QStringList{ "pareto" } << "steps"
                                << R"([{"cumulative":1,"failures":1,"measured":"","share":1,"step":"DO2 alone"}])";
        QTest::newRow("export as CSV") << QStringList{ "export", "--csv", "%1/out.csv" } << "tests" << "3";
        QTest::newRow("a unit never tested") << QStringList{ "history", "nobody" } << "tests" << "[]";
        QTest::newRow("certificate of the latest test") << QStringList{ "certificate", "24010042", "--pdf", "%1/c.pdf" } << "verdict" << "FAIL";
    }

    void shouldAnswerFromTheRecords()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QString store = QStringLiteral("sqlite:") + m_records.filePath(QStringLiteral("line.sqlite"));
        if (!QFile::exists(m_records.filePath(QStringLiteral("line.sqlite")))) {
            SimProcess good({ "--jig" });
            QVERIFY(good.start());
            SimProcess stuck({ "--jig", "--jig-fault", "stuck-on:DI1" });
            QVERIFY(stuck.start());
            const QStringList jig{ "jig", "--station", "Line 2", "--operator", "Wang", "--store", store };
            QCOMPARE(cli(QStringList{ "--link", linkTo(good) } + jig, m_records.path()).status, 0);
            QCOMPARE(cli(QStringList{ "--link", linkTo(stuck), "--json" } + jig + QStringList{ "--engineering" }, m_records.path()).status, 1);
            QCOMPARE(cli(QStringList{ "--link", linkTo(stuck) } + jig, m_records.path()).status, 1);
        }
        for (QString &arg : args)
            arg = arg.contains(QLatin1String("%1")) ? arg.arg(m_records.path()) : arg;
        const Run run = cli(QStringList{ "records", "--json", "--store", store } + args, m_records.path());
        QCOMPARE(run.status, value == QLatin1String("[]") ? 1 : 0);
        const QJsonValue got = run.json().value(key);
        const QString compact = got.isArray() && key == QLatin1String("tests") && value != QLatin1String("[]")
            ? QString::number(got.toArray().size())
            : got.isArray()  ? QString::fromUtf8(QJsonDocument(got.toArray()).toJson(QJsonDocument::Compact))
            : got.isString() ? got.toString()
                             : QString::number(got.toInt());
        QCOMPARE(compact, value);
        if (args.contains(QStringLiteral("--pdf")))
            QVERIFY(QFile(m_records.filePath(QStringLiteral("c.pdf"))).size() > 1000);
    }

    void shouldRefuseABadJigMapOrStoreWithNothingSent_data()
    {
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("error");
        QTest::newRow("damaged map") << QByteArray("name = B\nDO1 = DI9\n") << QString() << "line 2";
        QTest::newRow("store of no known form") << QByteArray() << "mysql://x" << "--store: ";
        QTest::newRow("no operator") << QByteArray() << QString() << "no operator is named";
    }

    void shouldRefuseABadJigMapOrStoreWithNothingSent()
    {
        QFETCH(QByteArray, map);
        QFETCH(QString, store);
        QFETCH(QString, error);
        QTemporaryDir data;
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        QStringList args { "--link", linkTo(sim), "jig" };
        if (!map.isEmpty())
            args << "--map" << write(data, QStringLiteral("bad.map"), map);
        if (!store.isEmpty())
            args << "--store" << store;
        const Run run = cli(args, data.path());
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains(error), qPrintable(run.err));
        QVERIFY(sim.requests().isEmpty());
    }

    // jig --certificate: the PDF of the recorded test where it was asked for, in the report; a
    // place it cannot be written is the exit status.
    void shouldWriteTheJigCertificate_data()
    {
        QTest::addColumn<QString>("where"); // %T the test's folder
        QTest::addColumn<int>("status");
        QTest::newRow("a folder") << "%T/" << 0;
        QTest::newRow("a file") << "%T/unit.pdf" << 0;
        QTest::newRow("inside a file") << "%T/taken/unit.pdf" << 1;
    }

    void shouldWriteTheJigCertificate()
    {
        QFETCH(QString, where);
        QFETCH(int, status);
        QTemporaryDir data;
        write(data, QStringLiteral("taken"), "x");
        where.replace(QStringLiteral("%T"), data.path());
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        const Run run = cli({ "--link", linkTo(sim), "--json", "jig", "--operator", "Wang", "--certificate", where }, data.path());
        QCOMPARE(run.status, status);
        const QString written = run.json().value(QStringLiteral("certificate")).toString();
        if (status != 0) {
            QCOMPARE(written, QString());
            QVERIFY2(run.json().value(QStringLiteral("error")).toString().startsWith(QStringLiteral("The certificate could not be written")), qPrintable(run.out));
            return;
        }
        QVERIFY2(where.endsWith(QLatin1Char('/')) ? QFileInfo(written).fileName().startsWith(QStringLiteral("certificate-24010042-"))
                                                  : QDir::fromNativeSeparators(written) == where, qPrintable(written));
        QFile pdf(written);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
    }

private:
    QTemporaryDir m_records;
};

QTEST_GUILESS_MAIN(CliTest)
#include "clitest.moc"
