// zu42recordsload: a line of stations writing into one PostgreSQL server at once. Eight
// `zu42cli jig` loops, each against a zu42sim of its own (a board with a serial number of its
// own) and with a data folder of its own (a PC of its own: its own pending file), write N units
// each as a station role made by `zu42cli records init-server`, while the server is stopped and
// started again twice in the middle. Afterwards:
//   - every record a run reported is in the store exactly once, and no other (by record id, and
//     N per station and serial number), once each station has delivered what waited on its PC;
//   - `zu42cli records yield --by station` over the run says what a direct count in SQL says;
//   - the station role's UPDATE and DELETE of a record are refused by the server.
//
//   zu42recordsload [--units 500] [--stations 8] [--down-ms 3000]
//
// The server is scripts/pg-test-server.sh's, on a Unix socket in a temporary folder; zu42cli and
// zu42sim are those beside this program (or $ZU42CLI, $ZU42SIM). Exit code 0 when every check
// holds.
#include "records/recordstoresettings.h"
#include "simprocess.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>

namespace {

QString cliProgram()
{
    const QString given = qEnvironmentVariable("ZU42CLI");
    return given.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/zu42cli") : given;
}

struct Run
{
    int status = -1;
    QJsonObject json;
    QString err;
};

// One zu42cli to its end, with the data folder of a station's PC.
Run cliNow(const QStringList &args, const QString &dataHome)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    process.setProcessEnvironment(env);
    process.start(cliProgram(), args);
    process.waitForFinished(120000);
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
             QJsonDocument::fromJson(process.readAllStandardOutput()).object(), QString::fromLocal8Bit(process.readAllStandardError()) };
}

bool server(const QString &command, const QString &folder, QString *output = nullptr)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ZU42_PG_OWNER_PID"), QString::number(QCoreApplication::applicationPid()));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(ZU42_PG_TEST_SERVER), { command, folder });
    if (!process.waitForFinished(120000) || process.exitCode() != 0) {
        std::fprintf(stderr, "zu42recordsload: pg-test-server.sh %s failed: %s\n", qPrintable(command),
                     process.readAllStandardError().constData());
        return false;
    }
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return true;
}

struct Station
{
    QString name;
    std::unique_ptr<SimProcess> sim;
    QString dataHome;
    int started = 0;
    int finished = 0;
    int failedRuns = 0;   // exit status other than 0, or no record id
    int pendingRuns = 0;  // records that waited on the PC for the server
    QStringList ids;
    std::unique_ptr<QProcess> process;
};

// A statement as the role given, straight to the server.
bool exec(const RecordStoreSettings &s, const QString &user, const QString &sql, QList<QStringList> *rows = nullptr, QString *why = nullptr)
{
    const QString name = QStringLiteral("zu42recordsload-") + user;
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(s.host);
        db.setPort(s.port);
        db.setDatabaseName(s.database);
        db.setUserName(user);
        QSqlQuery query(db);
        ok = db.open() && query.exec(sql);
        if (!ok && why)
            *why = db.isOpen() ? query.lastError().text() : db.lastError().text();
        while (ok && rows && query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i).toString();
            rows->append(row);
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Eight zu42cli jig loops into one PostgreSQL server restarted twice; every record once."));
    parser.addHelpOption();
    const QCommandLineOption unitsOpt(QStringLiteral("units"), QStringLiteral("Units per station (default 500)."), QStringLiteral("n"), QStringLiteral("500"));
    const QCommandLineOption stationsOpt(QStringLiteral("stations"), QStringLiteral("Stations at once (default 8)."), QStringLiteral("n"), QStringLiteral("8"));
    const QCommandLineOption downOpt(QStringLiteral("down-ms"), QStringLiteral("How long the server stays down each time (default 3000)."), QStringLiteral("ms"), QStringLiteral("3000"));
    parser.addOptions({ unitsOpt, stationsOpt, downOpt });
    parser.process(app);
    const int units = parser.value(unitsOpt).toInt();
    const int stationCount = parser.value(stationsOpt).toInt();
    const int downMs = parser.value(downOpt).toInt();
    if (units < 3 || stationCount < 1 || stationCount > 32 || downMs < 0) {
        std::fprintf(stderr, "zu42recordsload: --units at least 3, --stations 1 to 32\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("ZU42SIM"))
        qputenv("ZU42SIM", QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim")));

    QTemporaryDir folder;
    // Run as root, the server runs as another user, which must pass this folder.
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
    const QString serverFolder = folder.filePath(QStringLiteral("pg"));
    QString ownerText;
    if (!server(QStringLiteral("start"), serverFolder, &ownerText))
        return 1;
    QString why;
    const std::optional<RecordStoreSettings> owner = RecordStoreSettings::parse(ownerText, &why);
    if (!owner) {
        std::fprintf(stderr, "zu42recordsload: %s\n", qPrintable(why));
        return 1;
    }
    const QString role = QStringLiteral("zu42_station");
    const Run init = cliNow({ QStringLiteral("--json"), QStringLiteral("records"), QStringLiteral("init-server"), ownerText }, folder.path());
    if (init.status != 0) {
        std::fprintf(stderr, "zu42recordsload: init-server failed: %s\n", qPrintable(init.err));
        return 1;
    }
    RecordStoreSettings stationSettings = *owner;
    stationSettings.user = role;
    const QString storeText = stationSettings.toString();

    std::vector<Station> stations(stationCount);
    for (int i = 0; i < stationCount; ++i) {
        Station &s = stations[i];
        s.name = QStringLiteral("Line %1").arg(i + 1);
        s.sim = std::make_unique<SimProcess>(QStringList { QStringLiteral("--jig"), QStringLiteral("--serial"), QStringLiteral("2401%1").arg(i + 1, 4, 10, QLatin1Char('0')) });
        s.sim->setRequestLog(false);
        if (!s.sim->start()) {
            std::fprintf(stderr, "zu42recordsload: %s did not start\n", qPrintable(SimProcess::executable()));
            return 1;
        }
        s.dataHome = folder.filePath(QStringLiteral("pc%1").arg(i + 1));
        QDir().mkpath(s.dataHome);
    }

    const int total = units * stationCount;
    int finished = 0;
    int restarts = 0;
    qint64 downTotalMs = 0;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    const QDate firstDay = QDate::currentDate();

    std::function<void(Station &)> next = [&](Station &s) {
        if (s.started == units) {
            if (finished == total)
                loop.quit();
            return;
        }
        ++s.started;
        s.process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), s.dataHome);
        s.process->setProcessEnvironment(env);
        QObject::connect(s.process.get(), &QProcess::finished, &loop, [&, sp = &s](int code, QProcess::ExitStatus exit) {
            Station &st = *sp;
            const QJsonObject report = QJsonDocument::fromJson(st.process->readAllStandardOutput()).object();
            const QJsonObject record = report.value(QStringLiteral("record")).toObject();
            const QString id = record.value(QStringLiteral("id")).toString();
            const QString kept = record.value(QStringLiteral("kept")).toString();
            if (exit != QProcess::NormalExit || code != 0 || id.isEmpty() || kept == QLatin1String("nowhere"))
                ++st.failedRuns;
            if (!id.isEmpty() && kept != QLatin1String("nowhere"))
                st.ids << id;
            if (kept == QLatin1String("pending"))
                ++st.pendingRuns;
            ++st.finished;
            ++finished;
            st.process.release()->deleteLater();
            // The server goes away twice in the middle, while the other stations go on.
            if (restarts < 2 && finished >= total * (restarts + 1) / 3) {
                ++restarts;
                QElapsedTimer down;
                down.start();
                server(QStringLiteral("stop"), serverFolder);
                QThread::msleep(downMs);
                server(QStringLiteral("start"), serverFolder);
                downTotalMs += down.elapsed();
                std::printf("server restarted after %d of %d units (down %lld ms)\n", finished, total, static_cast<long long>(down.elapsed()));
                std::fflush(stdout);
            }
            next(st);
        });
        s.process->start(cliProgram(), { QStringLiteral("--link"), QStringLiteral("tcp:127.0.0.1:%1").arg(s.sim->port()), QStringLiteral("--json"),
                                         QStringLiteral("jig"), QStringLiteral("--station"), s.name, QStringLiteral("--operator"),
                                         QStringLiteral("Load"), QStringLiteral("--store"), storeText });
    };
    for (Station &s : stations)
        next(s);
    loop.exec();
    const qint64 runMs = clock.elapsed();

    bool ok = true;
    auto check = [&ok](bool holds, const QString &what) {
        std::printf("%s %s\n", holds ? "ok  " : "FAIL", qPrintable(what));
        ok = ok && holds;
    };
    // What still waits on a PC goes to the server it was meant for.
    int delivered = 0;
    for (const Station &s : stations) {
        const Run r = cliNow({ QStringLiteral("--json"), QStringLiteral("records"), QStringLiteral("pending"), QStringLiteral("--store"), storeText,
                               QStringLiteral("--deliver-from"), stationSettings.displayString() }, s.dataHome);
        delivered += r.json.value(QStringLiteral("delivered")).toInt();
        check(r.status == 0 && r.json.value(QStringLiteral("waiting")).toInt() == 0,
              QStringLiteral("%1: nothing waits on its PC at the end (%2)").arg(s.name, r.err.trimmed()));
    }

    int failedRuns = 0;
    int pendingRuns = 0;
    QHash<QString, int> expected;
    for (const Station &s : stations) {
        failedRuns += s.failedRuns;
        pendingRuns += s.pendingRuns;
        for (const QString &id : s.ids)
            ++expected[id];
    }
    check(failedRuns == 0, QStringLiteral("every run passed with a record kept (%1 did not)").arg(failedRuns));
    check(expected.size() == total, QStringLiteral("%1 record ids reported, %2 units run").arg(expected.size()).arg(total));

    QList<QStringList> rows;
    check(exec(*owner, owner->user, QStringLiteral("SELECT record_id, COUNT(*) FROM units GROUP BY record_id"), &rows, &why),
          QStringLiteral("the records read back as the database's owner %1").arg(why));
    QSet<QString> inStore;
    int twice = 0;
    for (const QStringList &row : rows) {
        inStore.insert(row[0]);
        twice += row[1].toInt() > 1;
    }
    const QList<QString> expectedIds = expected.keys();
    check(inStore == QSet<QString>(expectedIds.cbegin(), expectedIds.cend()) && twice == 0,
          QStringLiteral("every reported record in the store exactly once, no other (%1 rows, %2 reported)").arg(inStore.size()).arg(expected.size()));
    rows.clear();
    exec(*owner, owner->user, QStringLiteral("SELECT station, serial_number, COUNT(*) FROM units GROUP BY station, serial_number ORDER BY station"), &rows);
    bool perStation = rows.size() == stationCount;
    for (const QStringList &row : rows)
        perStation = perStation && row[2].toInt() == units;
    check(perStation, QStringLiteral("%1 units for each of the %2 stations, each with its one serial number").arg(units).arg(stationCount));

    // The yield the command line says, beside a count of the same in SQL.
    const Run yield = cliNow({ QStringLiteral("--json"), QStringLiteral("records"), QStringLiteral("yield"), QStringLiteral("--by"), QStringLiteral("station"),
                               QStringLiteral("--from"), firstDay.toString(Qt::ISODate), QStringLiteral("--to"), QDate::currentDate().toString(Qt::ISODate),
                               QStringLiteral("--store"), storeText }, folder.path());
    QHash<QString, QString> cliYield;
    for (const QJsonValue &v : yield.json.value(QStringLiteral("rows")).toArray()) {
        const QJsonObject o = v.toObject();
        cliYield.insert(o.value(QStringLiteral("station")).toString(),
                        QStringLiteral("%1/%2/%3").arg(o.value(QStringLiteral("tests")).toInt()).arg(o.value(QStringLiteral("units")).toInt())
                            .arg(o.value(QStringLiteral("errors")).toInt()));
    }
    rows.clear();
    exec(*owner, owner->user,
         QStringLiteral("SELECT station, SUM(CASE WHEN verdict <> 'ERROR' THEN 1 ELSE 0 END), COUNT(DISTINCT serial_number),"
                        " SUM(CASE WHEN verdict = 'ERROR' THEN 1 ELSE 0 END) FROM units WHERE engineering = 0 GROUP BY station"),
         &rows);
    QHash<QString, QString> sqlYield;
    for (const QStringList &row : rows)
        sqlYield.insert(row[0], QStringLiteral("%1/%2/%3").arg(row[1], row[2], row[3]));
    check(yield.status == 0 && !cliYield.isEmpty() && cliYield == sqlYield,
          QStringLiteral("records yield by station (tests/units/errors) equals the SQL count: %1")
              .arg(cliYield.value(stations.front().name)));

    // The station role may add and read, never change or delete.
    const QString some = expectedIds.value(0);
    QString refused;
    const bool updated = exec(*owner, role, QStringLiteral("UPDATE units SET verdict = 'FAIL' WHERE record_id = '%1'").arg(some), nullptr, &refused);
    check(!updated && refused.contains(QStringLiteral("permission denied")), QStringLiteral("the station role's UPDATE refused: %1").arg(refused.section(QLatin1Char('\n'), 0, 0).trimmed()));
    refused.clear();
    const bool deleted = exec(*owner, role, QStringLiteral("DELETE FROM units WHERE record_id = '%1'").arg(some), nullptr, &refused);
    check(!deleted && refused.contains(QStringLiteral("permission denied")), QStringLiteral("the station role's DELETE refused: %1").arg(refused.section(QLatin1Char('\n'), 0, 0).trimmed()));
    rows.clear();
    exec(*owner, owner->user, QStringLiteral("SELECT COUNT(*) FROM units WHERE verdict = 'PASS'"), &rows);
    check(!rows.isEmpty() && rows[0][0].toInt() == total, QStringLiteral("all %1 records still there and PASS").arg(total));

    std::printf("\n%d stations x %d units = %d jig tests in %.1f s (%.1f units/s), server restarted %d times, down %.1f s in all;\n"
                "%d records waited on a station's PC for the server and went in on a later run, %d at the end\n",
                stationCount, units, total, runMs / 1000.0, total * 1000.0 / runMs, restarts, downTotalMs / 1000.0, pendingRuns, delivered);
    server(QStringLiteral("stop"), serverFolder);
    return ok ? 0 : 1;
}
