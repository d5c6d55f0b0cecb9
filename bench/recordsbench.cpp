// zu42recordsbench: a year of a busy line in a record store, and how long the records window's
// questions take on it. The generator writes the tests straight into the store's own tables
// (schema made by RecordStore), many rows to a statement and many statements to a transaction;
// then each question is asked three times and the best and worst are printed.
//
//   zu42recordsbench --store sqlite:/tmp/year.sqlite [--tests 1000000] [--days 365]
//   zu42recordsbench --store postgresql://user@/db?host=/run/pg --tests 1000000
//   zu42recordsbench --store ... --no-fill        only the questions, on a store filled before
#include "records/recordqueries.h"
#include "records/recordstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <QUuid>
#include <algorithm>
#include <functional>

namespace {

QTextStream out(stdout);

const char *const StepNames[] = { "Identify", "Set clock", "Clock kept", "DO1 alone", "DO2 alone", "DO3 alone", "DO4 alone", "All off", "End" };
const char *const Expected[] = { "a controller answering ID 000", "answered", "within 2 s of the PC", "DI1", "DI2", "DI3 DI7", "DI4 DI8", "none", "answered" };
// What a failing step measured, a few values each, some far more often than others.
const char *const FailValues[] = { "none", "DI1 DI2", "no reply", "DI3", "+5 s" };

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// The tests of a year, oldest first: 8 stations, 16 operators, one unit in ten tested again the
// next hour, one test in twenty failed at a step drawn with a skew, one in two hundred an
// engineering run, one in a thousand an ERROR.
bool fill(const RecordStoreSettings &settings, int tests, int days, QString *why)
{
    const QString name = QStringLiteral("zu42recordsbench-fill");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.backend == RecordStoreSettings::Backend::Sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        if (settings.backend == RecordStoreSettings::Backend::Sqlite) {
            db.setDatabaseName(settings.sqlitePath);
        } else {
            db.setHostName(settings.host);
            db.setPort(settings.port);
            db.setDatabaseName(settings.database);
            db.setUserName(settings.user);
            db.setPassword(settings.password);
        }
        if (!db.open()) {
            *why = db.lastError().text();
            return false;
        }
        QRandomGenerator random(42);
        const qint64 first = QDateTime(QDate::currentDate().addDays(-days + 1), QTime(0, 0)).toMSecsSinceEpoch();
        const qint64 span = qint64(days) * 86400000;
        const int perStatement = 500;
        const int perTransaction = 20000;
        QSqlQuery query(db);
        QStringList units, steps;
        auto flush = [&] {
            if (units.isEmpty())
                return true;
            const bool done = query.exec(QStringLiteral("INSERT INTO units (record_id, serial_number, controller_id, model, version, station,"
                                                        " operator_name, start_ms, end_ms, jig_map, verdict, engineering) VALUES %1")
                                             .arg(units.join(QLatin1Char(','))))
                && query.exec(QStringLiteral("INSERT INTO steps VALUES %1").arg(steps.join(QLatin1Char(','))));
            if (!done)
                *why = query.lastError().text();
            units.clear();
            steps.clear();
            return done;
        };
        db.transaction();
        int serial = 0;
        for (int i = 0; i < tests && ok; ++i) {
            // Evenly over the year, in order of time.
            const qint64 start = first + span * i / tests;
            const bool retest = i % 10 == 9;
            const QString sn = QString::number(retest ? 24000000 + serial - 1 : 24000000 + serial++);
            const bool engineering = random.bounded(200) == 0;
            const bool error = random.bounded(1000) == 0;
            const bool failed = !error && random.bounded(20) == 0;
            // The failing step: DO2 alone most often, then DO3 alone, Clock kept, ...
            const int skew = random.bounded(100);
            const int failAt = skew < 45 ? 4 : skew < 70 ? 5 : skew < 85 ? 2 : skew < 95 ? 6 : 3;
            const int failValue = std::min(int(random.bounded(10)) / 3, 4);
            const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
            const QString verdict = error ? QStringLiteral("ERROR") : failed ? QStringLiteral("FAIL") : QStringLiteral("PASS");
            units << QStringLiteral("(%1,%2,'000','ZO425','RO420DA ZO425V05',%3,%4,%5,%6,'Simulator jig','%7',%8)")
                         .arg(quoted(id), quoted(sn), quoted(QStringLiteral("Line %1").arg(i % 8 + 1)),
                              quoted(QStringLiteral("Operator %1").arg(i % 16 + 1)))
                         .arg(start)
                         .arg(start + 9000)
                         .arg(verdict)
                         .arg(engineering ? 1 : 0);
            const int last = failed || error ? failAt : 8;
            for (int s = 0; s <= last; ++s) {
                const bool pass = s < last || (!failed && !error);
                const QString measured = pass ? QString::fromLatin1(Expected[s]) : error ? QStringLiteral("link failed") : QString::fromLatin1(FailValues[failValue]);
                steps << QStringLiteral("(%1,%2,%3,%4,%5,%6,'')")
                             .arg(quoted(id))
                             .arg(s + 1)
                             .arg(quoted(QString::fromLatin1(StepNames[s])), quoted(QString::fromLatin1(Expected[s])), quoted(measured))
                             .arg(pass ? 1 : 0);
            }
            if (units.size() == perStatement)
                ok = flush();
            if (ok && (i + 1) % perTransaction == 0) {
                ok = db.commit() && db.transaction();
                if ((i + 1) % 100000 == 0)
                    out << "  " << (i + 1) << " tests written\n" << Qt::flush;
            }
        }
        ok = ok && flush() && db.commit();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

template<typename Ask>
void measure(const QString &what, int rounds, Ask ask)
{
    qint64 best = -1, worst = 0;
    QString answer;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        answer = ask();
        const qint64 ms = timer.elapsed();
        best = best < 0 ? ms : std::min(best, ms);
        worst = std::max(worst, ms);
    }
    out << QStringLiteral("%1 %2 ms (worst %3 ms)  %4\n").arg(what.leftJustified(34)).arg(best, 6).arg(worst, 6).arg(answer) << Qt::flush;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A year of tests in a record store, and the records window's questions on it."));
    parser.addHelpOption();
    const QCommandLineOption storeOpt(QStringLiteral("store"), QStringLiteral("The store (sqlite:PATH or postgresql://...)."), QStringLiteral("store"));
    const QCommandLineOption testsOpt(QStringLiteral("tests"), QStringLiteral("Tests to write (default 1000000)."), QStringLiteral("n"), QStringLiteral("1000000"));
    const QCommandLineOption daysOpt(QStringLiteral("days"), QStringLiteral("Days they span, ending today (default 365)."), QStringLiteral("n"), QStringLiteral("365"));
    const QCommandLineOption noFillOpt(QStringLiteral("no-fill"), QStringLiteral("Ask only; the store was filled before."));
    parser.addOptions({ storeOpt, testsOpt, daysOpt, noFillOpt });
    parser.process(app);
    QString why;
    const std::optional<RecordStoreSettings> settings = RecordStoreSettings::parse(parser.value(storeOpt), &why);
    if (!settings) {
        QTextStream(stderr) << "zu42recordsbench: --store: " << why << '\n';
        return 2;
    }
    const int tests = parser.value(testsOpt).toInt();
    const int days = parser.value(daysOpt).toInt();

    RecordStore store(*settings);
    QElapsedTimer opening;
    opening.start();
    if (!store.open()) {
        QTextStream(stderr) << "zu42recordsbench: " << store.why() << '\n';
        return 1;
    }
    // A store of an older schema is upgraded here, in one transaction.
    out << QStringLiteral("first connection (with an upgrade, if older) %1 s\n").arg(opening.elapsed() / 1000.0, 0, 'f', 1) << Qt::flush;
    if (!parser.isSet(noFillOpt)) {
        QElapsedTimer timer;
        timer.start();
        if (!fill(*settings, tests, days, &why)) {
            QTextStream(stderr) << "zu42recordsbench: " << why << '\n';
            return 1;
        }
        out << QStringLiteral("wrote %1 tests (%2 steps each when passed) in %3 s\n").arg(tests).arg(9).arg(timer.elapsed() / 1000.0, 0, 'f', 1) << Qt::flush;
        // The rows went in past the store: their links are worked out as an upgrade does.
        timer.start();
        if (!store.relinkAll()) {
            QTextStream(stderr) << "zu42recordsbench: " << store.why() << '\n';
            return 1;
        }
        out << QStringLiteral("linked each unit's tests in %1 s\n").arg(timer.elapsed() / 1000.0, 0, 'f', 1) << Qt::flush;
    }
    store.close();

    RecordStore asked(*settings);
    RecordQueries queries(asked);
    RecordFilter year;
    year.to = QDate::currentDate();
    year.from = year.to.addDays(-days + 1);
    measure(QStringLiteral("open the store"), 1, [&] { return asked.open() ? QStringLiteral("ok") : asked.why(); });
    measure(QStringLiteral("newest page (200 tests)"), 3, [&] {
        const auto page = queries.page(year, 200);
        return page ? QStringLiteral("%1 tests").arg(page->size()) : queries.why();
    });
    const QString serial = QString::number(24000000 + tests / 3);
    measure(QStringLiteral("a serial number's history"), 3, [&] {
        const auto history = queries.history(serial);
        return history ? QStringLiteral("%1 tests of %2").arg(history->size()).arg(serial) : queries.why();
    });
    measure(QStringLiteral("yield by day over the range"), 3, [&] {
        const auto rows = queries.yield(year, RecordQueries::GroupBy::Day);
        if (!rows)
            return queries.why();
        int counted = 0;
        for (const auto &r : *rows)
            counted += r.tests;
        return QStringLiteral("%1 days, %2 tests counted").arg(rows->size()).arg(counted);
    });
    measure(QStringLiteral("yield by station over the range"), 3, [&] {
        const auto rows = queries.yield(year, RecordQueries::GroupBy::Station);
        return rows ? QStringLiteral("%1 stations").arg(rows->size()) : queries.why();
    });
    measure(QStringLiteral("failure Pareto over the range"), 3, [&] {
        const auto pareto = queries.pareto(year);
        return pareto ? QStringLiteral("%1 failed tests, %2 steps, top %3").arg(pareto->failures).arg(pareto->steps.size()).arg(pareto->steps.value(0).step)
                      : queries.why();
    });
    out << QStringLiteral("resident memory after the questions: %1 MiB\n").arg(residentKiB() / 1024.0, 0, 'f', 1);
    return 0;
}
