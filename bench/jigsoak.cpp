// zu42jigsoak: many jig tests in a row against a simulator that loses replies, through the core
// and the record keeper as the production window and the command line use them. Afterwards
// every record made must be in the store exactly once (by record id and by unit), and the open
// descriptors and resident memory of this process must not have grown since the first units.
//
//   zu42jigsoak [--units 500] [--lose-every 50] [--settle-ms 20] [--controllers 20] [--seed 1]
//               [--store sqlite:/path/records.sqlite | postgresql://...]
//
// The store defaults to a new SQLite file in a temporary folder, the pending file lies beside
// it. The simulator is zu42sim beside this program (or $ZU42SIM): one TCP port with a bus of
// controllers 001..N wired as the jig, so the units have N serial numbers and each is tested
// again and again, as retests are. Exit code 0 when every check holds.
#include "controller/controllersession.h"
#include "records/jigstation.h"
#include "processprobe.h"
#include "simprocess.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

namespace {

struct Sample
{
    int unit = 0;
    int descriptors = 0;
    qint64 rssKiB = 0;
    qint64 storeKiB = -1;  // the SQLite file, for comparing with its page cache in VmRSS
};

Sample sample(int unit, const RecordStoreSettings &store)
{
    const bool file = store.backend == RecordStoreSettings::Backend::Sqlite;
    return { unit, ProcessProbe::openDescriptors(), ProcessProbe::residentKiB(), file ? QFileInfo(store.sqlitePath).size() / 1024 : -1 };
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Jig tests in a row against zu42sim losing replies; records checked exactly once."));
    parser.addHelpOption();
    const QCommandLineOption unitsOpt(QStringLiteral("units"), QStringLiteral("Units to test (default 500)."), QStringLiteral("n"), QStringLiteral("500"));
    const QCommandLineOption loseOpt(QStringLiteral("lose-every"), QStringLiteral("The simulator leaves one reply in N unsent (default 50)."), QStringLiteral("n"), QStringLiteral("50"));
    const QCommandLineOption settleOpt(QStringLiteral("settle-ms"), QStringLiteral("Settle time after each output (default 20)."), QStringLiteral("ms"), QStringLiteral("20"));
    const QCommandLineOption busOpt(QStringLiteral("controllers"), QStringLiteral("Controllers on the simulator's bus, each a unit of its own (default 20)."), QStringLiteral("n"), QStringLiteral("20"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Where the simulator loses replies (default 1)."), QStringLiteral("s"), QStringLiteral("1"));
    const QCommandLineOption storeOpt(QStringLiteral("store"), QStringLiteral("Record store (default: a new SQLite file in a temporary folder)."), QStringLiteral("connection"));
    parser.addOptions({ unitsOpt, loseOpt, settleOpt, busOpt, seedOpt, storeOpt });
    parser.process(app);

    const int units = parser.value(unitsOpt).toInt();
    const int controllers = parser.value(busOpt).toInt();
    if (units < 60 || controllers < 1 || controllers > 32) {
        std::fprintf(stderr, "zu42jigsoak: --units must be at least 60 and --controllers 1 to 32\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("ZU42SIM"))
        qputenv("ZU42SIM", QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/zu42sim")));

    QTemporaryDir folder;
    QString why;
    const std::optional<RecordStoreSettings> store = parser.isSet(storeOpt)
        ? RecordStoreSettings::parse(parser.value(storeOpt), &why)
        : RecordStoreSettings::parse(QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("records.sqlite")), &why);
    if (!store) {
        std::fprintf(stderr, "zu42jigsoak: %s\n", qPrintable(why));
        return 2;
    }

    SimProcess sim({ QStringLiteral("--jig"), QStringLiteral("--bus"), QStringLiteral("001-%1").arg(controllers, 3, 10, QLatin1Char('0')),
                     QStringLiteral("--lose-every"), parser.value(loseOpt), QStringLiteral("--seed"), parser.value(seedOpt) });
    if (!sim.start()) {
        std::fprintf(stderr, "zu42jigsoak: %s did not start\n", qPrintable(SimProcess::executable()));
        return 2;
    }
    const LinkSettings link = LinkSettings::tcp(QStringLiteral("127.0.0.1"), QString::number(sim.port()));
    std::printf("zu42jigsoak: %d units on %d controllers, one reply in %s lost, settle %s ms, store %s\n", units, controllers,
                qPrintable(parser.value(loseOpt)), qPrintable(parser.value(settleOpt)), qPrintable(store->displayString()));

    JigStation station(*store, folder.filePath(QStringLiteral("records.pending.jsonl")));
    const PendingRecords::Delivery atStart = station.deliverPending();
    JigStation::Setup setup;
    setup.station = QStringLiteral("Soak %1").arg(QDateTime::currentMSecsSinceEpoch());
    setup.operatorName = QStringLiteral("zu42jigsoak");
    setup.options.settleMs = parser.value(settleOpt).toInt();

    QHash<QUuid, QString> made;            // record id -> serial number
    QMap<QString, int> madeBySerial;
    QMap<QString, int> failedSteps;        // "DO2 alone: no reply" -> count
    int passed = 0, failed = 0, unidentified = 0, pendingPlaces = 0, nowhere = 0, notOpened = 0;
    QList<Sample> samples;
    const QDateTime begun = QDateTime::currentDateTimeUtc();
    QElapsedTimer clock;
    clock.start();

    for (int i = 1; i <= units; ++i) {
        // Each unit on a link of its own, opened and closed as the window's bracket does.
        ControllerSession session;
        if (!session.open(link)) {
            ++notOpened;
            continue;
        }
        setup.options.scanId = QStringLiteral("%1").arg((i - 1) % controllers + 1, 3, 10, QLatin1Char('0'));
        const JigStation::Unit unit = station.testAndKeep(session, setup);
        session.close();

        unit.result.passed() ? ++passed : ++failed;
        if (const JigTest::Step *step = unit.result.firstFailure())
            ++failedSteps[step->name + QStringLiteral(": ") + step->measured.section(QLatin1Char(' '), 0, 1)];
        if (!unit.record) {
            ++unidentified;
        } else {
            switch (unit.kept.place) {
            case RecordKeeper::Place::Store:
                break;
            case RecordKeeper::Place::Pending:
                ++pendingPlaces;
                break;
            case RecordKeeper::Place::Nowhere:
                ++nowhere;
                std::printf("unit %d: %s\n", i, qPrintable(unit.kept.why));
                break;
            }
            if (unit.kept.place != RecordKeeper::Place::Nowhere) {
                made.insert(unit.record->recordId, unit.record->serialNumber);
                ++madeBySerial[unit.record->serialNumber];
            }
        }
        if (i == 50 || i % 100 == 0 || i == units)
            samples.append(sample(i, *store));
        if (i % 50 == 0) {
            std::printf("  %4d units, %6.1f s\n", i, clock.elapsed() / 1000.0);
            std::fflush(stdout);
        }
    }
    const double seconds = clock.elapsed() / 1000.0;
    const PendingRecords::Delivery atEnd = station.deliverPending();

    // What the store holds of this run, read back on a connection of its own.
    RecordStore reader(*store);
    const std::optional<QList<UnitRecord>> stored = reader.unitsBetween(begun.addSecs(-1), QDateTime::currentDateTimeUtc().addSecs(1));
    if (!stored) {
        std::printf("cannot read the store: %s\n", qPrintable(reader.why()));
        return 1;
    }
    QHash<QUuid, int> storedById;
    QMap<QString, int> storedBySerial;
    int foreign = 0;
    for (const UnitRecord &record : *stored) {
        if (record.station != setup.station) {
            ++foreign;
            continue;
        }
        ++storedById[record.recordId];
        ++storedBySerial[record.serialNumber];
    }
    int missing = 0, twice = 0, unknown = 0;
    for (auto it = made.cbegin(); it != made.cend(); ++it) {
        const int count = storedById.value(it.key());
        missing += count == 0 ? 1 : 0;
        twice += count > 1 ? 1 : 0;
    }
    for (auto it = storedById.cbegin(); it != storedById.cend(); ++it)
        unknown += made.contains(it.key()) ? 0 : 1;
    int serialsOff = 0;
    for (auto it = madeBySerial.cbegin(); it != madeBySerial.cend(); ++it)
        serialsOff += storedBySerial.value(it.key()) == it.value() ? 0 : 1;
    serialsOff += int(QSet<QString>(storedBySerial.keyBegin(), storedBySerial.keyEnd()).subtract(QSet<QString>(madeBySerial.keyBegin(), madeBySerial.keyEnd())).size());

    std::printf("\n%d units in %.1f s (%.2f s per unit): %d passed, %d failed, %d not identified, %d links not opened\n", units, seconds,
                seconds / units, passed, failed, unidentified, notOpened);
    std::printf("first failing step of the failed units:\n");
    for (auto it = failedSteps.cbegin(); it != failedSteps.cend(); ++it)
        std::printf("  %4d  %s\n", it.value(), qPrintable(it.key()));
    std::printf("records made %lld; went pending %d, kept nowhere %d; pending at start %d, delivered at the end %d, still waiting %d\n",
                (long long)made.size(), pendingPlaces, nowhere, atStart.remaining, atEnd.delivered, atEnd.remaining);
    std::printf("in the store: %lld records of this run (%d of other runs); missing %d, stored twice %d, not made by this run %d\n",
                (long long)storedById.size(), foreign, missing, twice, unknown);
    std::printf("by unit: %lld serial numbers, %d with a record count other than the tests made\n", (long long)madeBySerial.size(), serialsOff);
    std::printf("\n unit  descriptors  VmRSS (KiB)  store file (KiB)\n");
    for (const Sample &s : samples)
        std::printf("%5d  %11d  %11lld  %16lld\n", s.unit, s.descriptors, s.rssKiB, s.storeKiB);

    const Sample &first = samples.first();
    const Sample &last = samples.last();
    const qint64 growth = last.rssKiB - first.rssKiB;
    // Flat: not one descriptor more, and resident memory within what SQLite's page cache
    // (2000 KiB at most by default) may still take as the file grows.
    constexpr qint64 RssAllowanceKiB = 4096;
    const bool exactlyOnce = missing == 0 && twice == 0 && unknown == 0 && serialsOff == 0 && nowhere == 0 && atEnd.remaining == 0;
    const bool descriptorsFlat = last.descriptors <= first.descriptors;
    const bool memoryFlat = growth <= RssAllowanceKiB;
    std::printf("\nevery record exactly once: %s\ndescriptors flat (%d -> %d): %s\nresident memory flat (%+lld KiB, at most +%lld): %s\n",
                exactlyOnce ? "yes" : "NO", first.descriptors, last.descriptors, descriptorsFlat ? "yes" : "NO", growth, RssAllowanceKiB,
                memoryFlat ? "yes" : "NO");
    return exactlyOnce && descriptorsFlat && memoryFlat ? 0 : 1;
}
