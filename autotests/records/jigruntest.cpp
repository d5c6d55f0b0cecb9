// The jig window's decisions without the window: what is refused before a unit, the verdict and
// the step shown with it, the notes on the record, the day's counters with a retest, the records
// waiting while the store is away, the export of a range of days, and where a certificate goes.
#include "jigresults.h"
#include "records/jigrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A run whose store is a new SQLite file and whose pending file is its own.
class RunFolder
{
public:
    QString store() const { return QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("records.sqlite")); }
    QString pending() const { return m_dir.filePath(QStringLiteral("pending.jsonl")); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    JigRun::Fields fields() const { return { QStringLiteral("Line 2"), QStringLiteral("Li Wei"), QString(), store(), false, QString() }; }

    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qWarning("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

private:
    QTemporaryDir m_dir;
};

int recordsIn(JigRun &run)
{
    if (!run.station())
        return 0;
    const auto all = run.station()->store().unitsBetween(QDateTime::fromSecsSinceEpoch(0), QDateTime::currentDateTime().addDays(1));
    return all ? int(all->size()) : -1;
}

// One unit through the run as the window takes it: checked, begun, finished.
JigStation::Unit testUnit(JigRun &run, const JigRun::Fields &fields, const JigTest::Result &result)
{
    const std::optional<JigStation::Setup> setup = run.prepare(fields, false);
    if (!setup) {
        qWarning("refused: %d %s", int(run.whyNotTested().note), qPrintable(run.whyNotTested().why));
        return {};
    }
    run.begin();
    return run.finish(result, *setup);
}

} // namespace

Q_DECLARE_METATYPE(JigTest::Result)
Q_DECLARE_METATYPE(JigRun::Fields)

class JigRunTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldShowTheVerdictAndTheFailingStep_data()
    {
        QTest::addColumn<JigTest::Result>("result");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QStringList>("shown");   // the step shown: name, measured, expected, reason
        QTest::newRow("good unit") << JigResults::identified(JigResults::goodSteps()) << int(JigRun::Verdict::Pass)
                                   << QStringList { "Identify", "ZO425 S/N 24010042 ID 007", "a controller answering ID 007", "" };
        QTest::newRow("DI3 stuck on") << JigResults::identified(JigResults::withDo1("DI1 DI3")) << int(JigRun::Verdict::Fail)
                                      << QStringList { "DO1 alone", "DI1 DI3", "DI1", "" };
        QList<JigTest::Step> dead = JigResults::goodSteps();
        dead.insert(3, JigResults::step("DO2 alone", "DI2", "none", false));
        QTest::newRow("DO2 drives nothing") << JigResults::identified(dead) << int(JigRun::Verdict::Fail)
                                            << QStringList { "DO2 alone", "none", "DI2", "" };
        QTest::newRow("DF never answered") << JigResults::identified(JigResults::withDo1("no reply", "DF: No answer"))
                                           << int(JigRun::Verdict::Fail) << QStringList { "DO1 alone", "no reply", "DI1", "DF: No answer" };
        QTest::newRow("no step ran") << JigResults::identified({}) << int(JigRun::Verdict::Fail) << QStringList();
        // The adapter pulled out at DO1: the station could not test, which says nothing of the unit.
        QList<JigTest::Step> lost = JigResults::withDo1("link failed", "IE: The link is not open");
        lost[2].linkLost = true;
        QTest::newRow("link lost at DO1") << JigResults::identified(lost) << int(JigRun::Verdict::Error)
                                          << QStringList { "DO1 alone", "link failed", "DI1", "IE: The link is not open" };
    }

    void shouldShowTheVerdictAndTheFailingStep()
    {
        QFETCH(JigTest::Result, result);
        QFETCH(int, verdict);
        QFETCH(QStringList, shown);
        RunFolder folder;
        JigRun run(folder.pending());
        QCOMPARE(run.verdict(), JigRun::Verdict::Ready);
        const std::optional<JigStation::Setup> setup = run.prepare(folder.fields(), false);
        QVERIFY(setup);
        run.begin();
        QCOMPARE(run.verdict(), JigRun::Verdict::Testing);
        const JigStation::Unit unit = run.finish(result, *setup);

        QCOMPARE(int(run.verdict()), verdict);
        const std::optional<JigTest::Step> step = run.shownStep();
        QCOMPARE(step.has_value(), !shown.isEmpty());
        if (step)
            QCOMPARE(QStringList({ step->name, step->measured, step->expected, step->why }), shown);
        // Passed, failed or not completed, the unit is recorded; a test the station could not
        // complete is counted apart, not as a unit tested.
        const bool error = verdict == int(JigRun::Verdict::Error);
        QCOMPARE(run.note(), (JigRun::Message { JigRun::Note::Stored, {}, QString() }));
        QVERIFY(unit.record);
        QCOMPARE(UnitRecord::verdictText(unit.record->verdict), error ? QStringLiteral("ERROR") : verdict == int(JigRun::Verdict::Pass) ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
        QCOMPARE(recordsIn(run), 1);
        QCOMPARE(run.waiting(), 0);
        QVERIFY(run.counters());
        QCOMPARE(run.counters()->units, error ? 0 : 1);
        QCOMPARE(run.counters()->errors, error ? 1 : 0);
        QCOMPARE(run.counters()->firstTimeUnits, error ? 0 : 1);
        QCOMPARE(run.counters()->failed, verdict == int(JigRun::Verdict::Fail) ? 1 : 0);
        QCOMPARE(run.counters()->passed, verdict == int(JigRun::Verdict::Pass) ? 1 : 0);
    }

    // An engineering run is recorded as one and never counted.
    void shouldKeepEngineeringRunsOutOfTheCounters()
    {
        RunFolder folder;
        JigRun run(folder.pending());
        const std::optional<JigStation::Setup> setup = run.prepare(folder.fields(), false, true);
        QVERIFY(setup && setup->engineering);
        run.begin();
        const JigStation::Unit unit = run.finish(JigResults::identified(JigResults::goodSteps()), *setup);
        QVERIFY(unit.record && unit.record->engineering);
        QCOMPARE(recordsIn(run), 1);
        QCOMPARE(run.counters()->units, 0);
        QCOMPARE(run.counters()->passed, 0);
        QCOMPARE(run.counters()->firstTimeUnits, 0);
    }

    // Four units on three boards, one of them tested again after a repair: the day's counters
    // count every test, and the first-pass yield only each unit's first.
    void shouldCountTheDayWithARetest()
    {
        RunFolder folder;
        JigRun run(folder.pending());
        QVERIFY(run.useStore(folder.store(), QStringLiteral("Line 2")));
        QCOMPARE(run.counters()->units, 0);
        struct Unit { const char *serial; bool good; int units, passed, failed, firstTimeUnits, firstTimePassed; };
        const Unit series[] = {
            { "24010001", false, 1, 0, 1, 1, 0 },
            { "24010001", true, 1, 1, 1, 1, 0 },
            { "24010002", true, 2, 2, 1, 2, 1 },
            { "24010003", false, 3, 2, 2, 3, 1 },
        };
        for (const Unit &unit : series) {
            testUnit(run, folder.fields(), JigResults::identified(JigResults::withDo1(unit.good ? "DI1" : "DI1 DI3"), QString::fromLatin1(unit.serial)));
            const RecordStore::DayCounters c = run.counters().value_or(RecordStore::DayCounters());
            QCOMPARE(QList<int>({ c.units, c.passed, c.failed, c.firstTimeUnits, c.firstTimePassed }),
                     QList<int>({ unit.units, unit.passed, unit.failed, unit.firstTimeUnits, unit.firstTimePassed }));
        }
        // Another station's counters are its own; a station's come back when it is named again.
        run.useStation(QStringLiteral("Line 3"));
        QCOMPARE(run.counters()->units, 0);
        run.useStation(QStringLiteral(" Line 2 "));
        QCOMPARE(run.counters()->units, 3);
        QCOMPARE(recordsIn(run), 4);
    }

    // What is refused is refused before the link opens: no setup to test with, nothing recorded.
    void shouldRefuseBeforeSendingAnything_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("value");   // for the map: the content of a map file
        QTest::addColumn<bool>("busy");
        QTest::addColumn<int>("note");
        QTest::addColumn<QString>("reason");    // how the reason starts; %1 the map file
        QTest::newRow("damaged jig map") << "map" << QByteArray("name = B\nDO1 = DI1\nDO2 = DI5\nDO3 = DI3\nDO4 = DI4\n") << false
                                         << int(JigRun::Note::MapDamaged) << "the jig map %1 is damaged: line 3: DO2: unknown input \"DI5\"";
        QTest::newRow("jig map in UTF-16") << "map" << QByteArray("\xFF\xFEn\0a\0", 6) << false << int(JigRun::Note::MapDamaged)
                                           << "the jig map %1 is damaged: the map is saved as UTF-16";
        QTest::newRow("no station") << "station" << QByteArray("  ") << false << int(JigRun::Note::NoStation) << "";
        QTest::newRow("no operator") << "operator" << QByteArray("") << false << int(JigRun::Note::NoOperator) << "";
        QTest::newRow("a store of no known kind") << "store" << QByteArray("mysql://db/records") << false << int(JigRun::Note::StoreInvalid)
                                                  << "\"mysql://db/records\" is neither";
        QTest::newRow("another operation holds the link") << "" << QByteArray() << true << int(JigRun::Note::Busy) << "";
    }

    void shouldRefuseBeforeSendingAnything()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, value);
        QFETCH(bool, busy);
        QFETCH(int, note);
        QFETCH(QString, reason);
        RunFolder folder;
        JigRun::Fields fields = folder.fields();
        if (field == QLatin1String("map")) {
            fields.mapSetting = folder.write(QStringLiteral("jig.map"), value);
            reason = reason.arg(fields.mapSetting);
        }
        if (field == QLatin1String("station"))
            fields.station = QString::fromUtf8(value);
        if (field == QLatin1String("operator"))
            fields.operatorName = QString::fromUtf8(value);
        if (field == QLatin1String("store"))
            fields.storeSetting = QString::fromUtf8(value);
        JigRun run(folder.pending());

        QVERIFY(!run.prepare(fields, busy));
        // A map the station cannot read is its own fault (ERROR); the rest wait on the operator.
        QCOMPARE(run.verdict(), note == int(JigRun::Note::MapDamaged) ? JigRun::Verdict::Error : JigRun::Verdict::NotTested);
        QCOMPARE(int(run.whyNotTested().note), note);
        QVERIFY2(run.whyNotTested().why.left(reason.size()) == reason, qPrintable(run.whyNotTested().why));
        QVERIFY(!run.shownStep());
        QCOMPARE(recordsIn(run), 0);
        QVERIFY(!QFile::exists(folder.pending()));
    }

    // A unit that does not answer leaves no record: there is no serial number to keep it under.
    void shouldRecordNothingWhenNoUnitAnswers()
    {
        RunFolder folder;
        JigRun run(folder.pending());
        const JigStation::Unit unit = testUnit(run, folder.fields(), JigResults::silent());
        QCOMPARE(run.verdict(), JigRun::Verdict::Fail);
        QCOMPARE(run.shownStep()->measured, QStringLiteral("not identified"));
        QCOMPARE(run.note().note, JigRun::Note::NoUnit);
        QVERIFY2(run.keptWhy().contains(QStringLiteral("No answer to 000AS")), qPrintable(run.keptWhy()));
        QVERIFY(!unit.record);
        QCOMPARE(recordsIn(run), 0);
        QCOMPARE(run.counters()->units, 0);
    }

    // The store cannot be reached: the verdict stands, the records wait on this PC for that
    // store. Another store named next does not take them; it does, exactly once, only when the
    // operator sends them there.
    void shouldKeepTheRecordWhenTheStoreIsAway()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        RunFolder folder;
        JigRun run(folder.pending());
        JigRun::Fields away = folder.fields();
        away.storeSetting = QStringLiteral("postgresql://line@127.0.0.1:%1/records").arg(port);

        for (int unit = 0; unit < 2; ++unit)
            testUnit(run, away, JigResults::identified(JigResults::goodSteps(), QStringLiteral("2401000%1").arg(unit)));
        QCOMPARE(run.verdict(), JigRun::Verdict::Pass);
        QCOMPARE(run.storeShown(), away.storeSetting);
        QCOMPARE(run.note().note, JigRun::Note::Pending);
        QCOMPARE(run.waiting(), 2);
        QVERIFY(!run.counters());
        QVERIFY(!run.whyNoCounters().isEmpty());
        QVERIFY(QFile::exists(folder.pending()));

        QVERIFY(run.useStore(folder.store(), QStringLiteral("Line 2")));
        QCOMPARE(run.waiting(), 0);
        QCOMPARE(run.waitingElsewhere(), (QList<PendingRecords::StoreCount>{ { away.storeSetting, 2 } }));
        QCOMPARE(recordsIn(run), 0);
        testUnit(run, folder.fields(), JigResults::identified(JigResults::goodSteps(), QStringLiteral("24010009")));
        QCOMPARE(recordsIn(run), 1);
        QCOMPARE(run.waitingElsewhere().size(), 1);

        for (int round = 0; round < 2; ++round) {
            const PendingRecords::Delivery delivery = run.deliverHere(away.storeSetting);
            QCOMPARE(delivery.delivered, round == 0 ? 2 : 0);
            QCOMPARE(run.note().note, JigRun::Note::Delivered);
            QCOMPARE(run.note().args, (QStringList{ QString::number(delivery.delivered), run.storeShown() }));
        }
        QCOMPARE(run.waitingElsewhere().size(), 0);
        QCOMPARE(recordsIn(run), 3);
        QCOMPARE(run.counters()->passed, 3);
        QVERIFY(!QFile::exists(folder.pending()));
    }

    void shouldExportTheDaysRecords()
    {
        RunFolder folder;
        JigRun run(folder.pending());
        QVERIFY(!run.exportDays(QDate::currentDate(), QDate::currentDate(), folder.filePath(QStringLiteral("none.csv")), QString()));
        QCOMPARE(run.note().note, JigRun::Note::ExportFailed);
        for (const char *measured : { "DI1", "none", "DI1" })
            testUnit(run, folder.fields(), JigResults::identified(JigResults::withDo1(measured)));

        const QString csvPath = folder.filePath(QStringLiteral("today.csv"));
        QVERIFY(run.exportDays(QDate::currentDate(), QDate::currentDate(), csvPath, QString()));
        QCOMPARE(run.note(), (JigRun::Message { JigRun::Note::Exported, { "3", QDir::toNativeSeparators(csvPath) }, QString() }));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        // A header, then one row per step of each unit.
        QCOMPARE(csv.readAll().count('\n'), 1 + 3 * JigResults::goodSteps().size());

        const QString units = folder.filePath(QStringLiteral("units"));
        QVERIFY(run.exportDays(QDate::currentDate().addDays(-1), QDate::currentDate(), QString(), units));
        const QStringList files = QDir(units).entryList({ QStringLiteral("*.json") }, QDir::Files);
        QCOMPARE(files.size(), 3);
        int failed = 0;
        for (const QString &name : files) {
            QFile file(QDir(units).filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            failed += QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("verdict")).toString() == QLatin1String("FAIL");
        }
        QCOMPARE(failed, 1);

        // A range that ends before it starts is refused, nothing written; so is a day of nothing.
        const QString none = folder.filePath(QStringLiteral("none.csv"));
        QVERIFY(!run.exportDays(QDate::currentDate().addDays(1), QDate::currentDate(), none, QString()));
        QVERIFY(!run.exportDays(QDate(), QDate::currentDate(), none, QString()));
        QVERIFY(!QFile::exists(none));
        QCOMPARE(run.note().note, JigRun::Note::ExportFailed);
        QVERIFY(!run.note().why.isEmpty());
    }

    // The map field: the built-in map when empty, a file's map by its name, or why not.
    void shouldNameTheMapOfTheField_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: the field is empty
        QTest::addColumn<bool>("builtIn");
        QTest::addColumn<QString>("name");         // empty: refused
        QTest::newRow("empty field") << QByteArray() << true << "Simulator jig";
        QTest::newRow("a file") << QByteArray("name = Fixture B\nDO1 = DI1\nDO2 = DI2\nDO3 = DI3\nDO4 = none\n") << false << "Fixture B";
        QTest::newRow("a damaged file") << QByteArray("name = B\n") << false << "";
    }

    void shouldNameTheMapOfTheField()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, builtIn);
        QFETCH(QString, name);
        RunFolder folder;
        JigRun run(folder.pending());
        const QString setting = content.isEmpty() ? QStringLiteral("  ") : folder.write(QStringLiteral("b.map"), content);
        QCOMPARE(run.useMap(setting).has_value(), !name.isEmpty());
        QCOMPARE(run.mapBuiltIn(), builtIn);
        QCOMPARE(run.mapName(), name);
        QCOMPARE(run.whyNoMap().isEmpty(), !name.isEmpty());
    }

    // Whether a unit gets a certificate and where: the window's switch with its folder (none:
    // the user's documents), and the command line's file or folder, named after the unit and the
    // end of its test in a folder so that a retest never overwrites it.
    void shouldSayWhereTheCertificateGoes_data()
    {
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("folder");   // the window's setting; %T the run's folder
        QTest::addColumn<QString>("cliPath");  // the command line's, instead of the window's when set
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<QString>("expected"); // %T the run's folder, %D the documents; empty: none
        const QString name = QStringLiteral("certificate-24010042-20260304-050608.pdf");
        QTest::newRow("not asked") << false << QString() << QString() << "24010042" << true << QString();
        QTest::newRow("documents folder") << true << QString() << QString() << "24010042" << true << "%D/" + name;
        QTest::newRow("folder setting") << true << "%T/certs" << QString() << "24010042" << true << "%T/certs/" + name;
        QTest::newRow("no unit answered") << true << "%T" << QString() << "24010042" << false << QString();
        QTest::newRow("serial a file name cannot hold") << true << "%T" << QString() << "A/B:1*" << true
                                                        << "%T/certificate-A_B_1_-20260304-050608.pdf";
        QTest::newRow("command line, a folder that exists") << true << QString() << "%T" << "24010042" << true << "%T/" + name;
        QTest::newRow("command line, a file") << true << QString() << "%T/unit.pdf" << "24010042" << true << "%T/unit.pdf";
    }

    void shouldSayWhereTheCertificateGoes()
    {
        QFETCH(bool, asked);
        QFETCH(QString, folder);
        QFETCH(QString, cliPath);
        QFETCH(QString, serial);
        QFETCH(bool, answered);
        QFETCH(QString, expected);
        RunFolder runFolder;
        const QString here = QFileInfo(runFolder.filePath(QStringLiteral("x"))).absolutePath();
        auto place = [&](QString text) {
            return text.replace(QStringLiteral("%T"), here)
                .replace(QStringLiteral("%D"), QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        };
        const QDateTime start = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)).toUTC();
        const JigTest::Result result = answered ? JigResults::identified(JigResults::goodSteps(), serial, start) : JigResults::silent(start);
        JigRun run(runFolder.pending());
        JigRun::Fields fields = runFolder.fields();
        fields.certificate = asked;
        fields.certificateFolder = place(folder);
        std::optional<JigStation::Setup> setup = run.prepare(fields, false);
        QVERIFY(setup);
        if (!cliPath.isEmpty())
            setup->certificate = place(cliPath);
        run.begin();
        const JigStation::Unit unit = run.finish(result, *setup);
        QCOMPARE(unit.certificate, place(expected));
        QCOMPARE(run.certificateFile(), place(expected));
        // Nothing of it stays for the next unit that is refused.
        run.prepare({}, false);
        QCOMPARE(run.certificateFile(), QString());
    }
};

QTEST_GUILESS_MAIN(JigRunTest)
#include "jigruntest.moc"
