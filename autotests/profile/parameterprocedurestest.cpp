// Writing values to a controller: only what differs (or everything), one restart at the end when
// needed, a read-back that names what did not take, and nothing written when anything is wrong.
#include "controller/controllersession.h"
#include "profile/parametercatalog.h"
#include "profile/parameterprocedures.h"
#include "inprocesssim.h"

#include <QSet>
#include <QTest>

namespace {

using C = ParameterCatalog;
using Result = ParameterProcedures::ApplyResult;

const QList<QByteArray> Reads { "AV", "AP000A15", "AP008608" };

// How the controller misbehaves, beyond what zu42sim does by default.
struct Quirks
{
    QSet<int> ignoredWrites;     // addresses whose writes are acknowledged but not kept
    QStringList silentFor;       // command letters that get no answer
    int silentAfterRestart = 0;  // requests left unanswered after each "AJ", as a restart does
};

// The simulated controller, ID "001", with its session on an open link, pauses skipped. Its card
// bits command lands in the parameter memory, so that an RO420's write reads back.
struct Bench
{
    static constexpr const char *Id = "001";
    std::shared_ptr<InProcessSim> sim;
    ControllerSession session;

    explicit Bench(const QByteArray &version = "ZO425V05",
                   const LinkSettings &link = LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003")),
                   const Quirks &quirks = {})
        : sim(makeSim(version, quirks))
        , session(sim->factory())
    {
        session.setPause([](int) {});
        session.setDeviceId(Id);
        session.open(link);
    }
    explicit Bench(const Quirks &quirks)
        : Bench("ZO425V05", LinkSettings::tcp(QStringLiteral("127.0.0.1"), QStringLiteral("5003")), quirks)
    {
    }

    static std::shared_ptr<InProcessSim> makeSim(const QByteArray &version, const Quirks &quirks)
    {
        QStringList arguments { QStringLiteral("--id"), QString::fromLatin1(Id), QStringLiteral("--version-text"),
                                QString::fromLatin1(version) };
        for (const QString &letters : quirks.silentFor)
            arguments << QStringLiteral("--fault") << letters + QStringLiteral(":noreply");
        QString error;
        auto sim = InProcessSim::create(
            arguments,
            [&](SimOptions &options) {
                options.ignoredWrites = quirks.ignoredWrites;
                options.silentAfterRestart = quirks.silentAfterRestart;
                options.cardBitsByCommand = true;
            },
            &error);
        if (!sim)
            qFatal("The simulator would not start: %s", qPrintable(error));
        return sim;
    }

    // What was sent after the ID, reads left out.
    QList<QByteArray> writes() const
    {
        QList<QByteArray> out;
        for (const QByteArray &c : sim->requests())
            if (!Reads.contains(c.mid(3)))
                out.append(c.mid(3));
        return out;
    }
    QList<QByteArray> sent() const
    {
        QList<QByteArray> out;
        for (const QByteArray &c : sim->requests())
            out.append(c.mid(3));
        return out;
    }
};

ParameterValues values(std::initializer_list<std::pair<QLatin1String, const char *>> list)
{
    ParameterValues v;
    for (const auto &[name, value] : list)
        v.insert(name, QString::fromUtf8(value));
    return v;
}

} // namespace

class ParameterProceduresTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadEveryValueTheControllerReports()
    {
        Bench bench("RO426V05", LinkSettings::serial(QStringLiteral("ttyS0"), QStringLiteral("19200,E,8,1")));
        const ParameterProcedures::Snapshot s = ParameterProcedures::read(bench.session);
        QVERIFY2(s.ok(), qPrintable(s.why));
        QCOMPARE(s.model, QByteArray("RO426"));
        QCOMPARE(bench.sent(), Reads);
        // The factory values, the RO426's DI mode, and the line settings the serial link proves.
        QCOMPARE(s.values.size(), 19);
        QCOMPARE(s.values.value(C::TextEncoding), QStringLiteral("gb2312"));
        QCOMPARE(s.values.value(C::CardBits), QStringLiteral("24"));
        QCOMPARE(s.values.value(C::CardDisplay), QStringLiteral("card-uid"));
        QCOMPARE(s.values.value(C::DoorTimeoutTime), QStringLiteral("20"));
        QCOMPARE(s.values.value(C::DiMode), QStringLiteral("di-input"));
        QCOMPARE(s.values.value(C::BaudRate), QStringLiteral("19200,e,8,1"));
        QVERIFY(!s.values.contains(C::TitleLine1));
    }

    void shouldWriteOnlyWhatDiffersAndRestartOnce_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<ParameterValues>("wanted");
        QTest::addColumn<QList<QByteArray>>("writes");
        QTest::addColumn<QStringList>("written");

        QTest::newRow("one of two differs") << QByteArray("ZO425V05")
                                            << values({ { C::DoorLog, "off" }, { C::SameCardDelay, "10" } })
                                            << QList<QByteArray> { "AP008B0100" } << QStringList { C::DoorLog };
        QTest::newRow("nothing differs") << QByteArray("ZO425V05") << values({ { C::DoorLog, "on" }, { C::HourFormat, "24h" } })
                                         << QList<QByteArray> {} << QStringList {};
        QTest::newRow("three need one restart")
            << QByteArray("ZO425V05")
            << values({ { C::ShowStatus, "off" }, { C::Language, "simplified-chinese" }, { C::HourFormat, "12h" } })
            << QList<QByteArray> { "AP000A020202", "AP000C0101", "AP001B03020001", "AJ" }
            << QStringList { C::Language, C::HourFormat, C::ShowStatus };
        QTest::newRow("a shared command keeps the other value")
            << QByteArray("ZO425V05") << values({ { C::Language, "english" }, { C::TextEncoding, "big5" } })
            << QList<QByteArray> { "AP000A020001", "AJ" } << QStringList { C::TextEncoding };
        QTest::newRow("two values of one command go out once")
            << QByteArray("ZO425V05") << values({ { C::CardDisplay, "none" }, { C::UseStatus, "off" } })
            << QList<QByteArray> { "AP001B03000100", "AJ" } << QStringList { C::CardDisplay, C::UseStatus };
        QTest::newRow("card bits of the RO420") << QByteArray("RO420V05") << values({ { C::CardBits, "32" } })
                                                << QList<QByteArray> { "AF32" } << QStringList { C::CardBits };
        QTest::newRow("card bits of the ZO425") << QByteArray("ZO425V05") << values({ { C::CardBits, "32" } })
                                                << QList<QByteArray> { "AP00160120" } << QStringList { C::CardBits };
        QTest::newRow("card type is one more than its position")
            << QByteArray("ZO425V05") << values({ { C::CardType, "type-2" }, { C::TitleLines, "2" } })
            << QList<QByteArray> { "AT02", "AP00150103" } << QStringList { C::TitleLines, C::CardType };
        QTest::newRow("DI mode of the RO426") << QByteArray("RO426V05") << values({ { C::DiMode, "wiegand" } })
                                              << QList<QByteArray> { "AP008D0101" } << QStringList { C::DiMode };
    }

    void shouldWriteOnlyWhatDiffersAndRestartOnce()
    {
        QFETCH(QByteArray, version);
        QFETCH(ParameterValues, wanted);
        QFETCH(QList<QByteArray>, writes);
        QFETCH(QStringList, written);
        Bench bench(version);
        const Result result = ParameterProcedures::apply(bench.session, wanted, {});
        QVERIFY2(result.ok(), qPrintable(result.why));
        QCOMPARE(bench.writes(), writes);
        QCOMPARE(result.written, written);
        QCOMPARE(result.restarted, writes.contains("AJ"));
        // Read once before; read back once after anything was written.
        QCOMPARE(bench.sent().count("AP000A15"), written.isEmpty() ? 1 : 2);
        // What was written is what the controller now holds.
        QCOMPARE(ParameterProcedures::read(bench.session).values.value(written.value(0)), wanted.value(written.value(0)));
    }

    void shouldWriteEverythingWhenAsked()
    {
        Bench bench;
        ParameterProcedures::ApplyOptions options;
        options.everything = true;
        const Result result = ParameterProcedures::apply(
            bench.session, values({ { C::DoorLog, "on" }, { C::UseStatus, "on" }, { C::TitleLine1, "Gate" } }), options);
        QVERIFY2(result.ok(), qPrintable(result.why));
        QCOMPARE(bench.writes(), (QList<QByteArray> { "AP001B03020101", "AP008B0101", "AT1Gate", "AJ" }));
        QCOMPARE(result.unverified, QStringList { C::TitleLine1 });
        QVERIFY(result.notCompared.isEmpty());
    }

    // A title line cannot be read back: without "everything" nobody can say it differs.
    void shouldLeaveWhatCannotBeComparedUnlessEverythingIsAsked()
    {
        Bench bench;
        const Result result = ParameterProcedures::apply(
            bench.session, values({ { C::TitleLine1, "Gate" }, { C::BaudRate, "9600,n,8,1" }, { C::DoorLog, "off" } }), {});
        QVERIFY2(result.ok(), qPrintable(result.why));
        QCOMPARE(bench.writes(), QList<QByteArray> { "AP008B0100" });
        QCOMPARE(result.notCompared, (QStringList { C::BaudRate, C::TitleLine1 }));
    }

    // Once the line settings change, the controller talks at others: they go out after the
    // restart and the read-back, and count as written, not as read back.
    void shouldWriteLineSettingsLast()
    {
        Bench bench("ZO425V05", LinkSettings::serial(QStringLiteral("ttyS0"), QStringLiteral("19200,e,8,1")));
        const Result result = ParameterProcedures::apply(
            bench.session, values({ { C::BaudRate, "9600,n,8,1" }, { C::ShowStatus, "off" } }), {});
        QVERIFY2(result.ok(), qPrintable(result.why));
        QCOMPARE(bench.sent().mid(3), (QList<QByteArray> { "AP001B03020001", "AJ", "AP000A15", "AP008608", "AE2" }));
        QCOMPARE(result.unverified, QStringList { C::BaudRate });
    }

    void shouldSayWhichValuesDidNotTake()
    {
        Quirks quirks;
        quirks.ignoredWrites = { 0x8B, 0x1C };
        Bench bench(quirks);
        const Result result = ParameterProcedures::apply(
            bench.session, values({ { C::DoorLog, "off" }, { C::ShowStatus, "off" }, { C::SameCardDelay, "99" } }), {});
        QCOMPARE(result.stage, Result::Stage::Done);
        QVERIFY(!result.ok());
        QCOMPARE(result.notTaken.size(), 2);
        QCOMPARE(result.notTaken[0].name, QString(C::ShowStatus));
        QCOMPARE(result.notTaken[0].wanted, QStringLiteral("off"));
        QCOMPARE(result.notTaken[0].got, QStringLiteral("on"));
        QCOMPARE(result.notTaken[1].name, QString(C::DoorLog));
    }

    // A controller that restarts is silent for a moment: the read-back waits for it.
    void shouldReadBackAfterTheRestartOnceTheControllerAnswers()
    {
        Quirks quirks;
        quirks.silentAfterRestart = 3;
        Bench bench(quirks);
        const Result result = ParameterProcedures::apply(bench.session, values({ { C::Language, "traditional-chinese" } }), {});
        QVERIFY2(result.ok(), qPrintable(result.why));
        QVERIFY(result.restarted);
        QCOMPARE(bench.sent().count("AP000A15"), 4); // before, two lost to the restart, then the one that counts
    }

    void shouldSayWhenTheReadBackAfterWritingDoesNotCome()
    {
        Quirks quirks;
        quirks.silentAfterRestart = 1000;
        Bench bench(quirks);
        const Result result = ParameterProcedures::apply(bench.session, values({ { C::Language, "traditional-chinese" } }), {});
        QVERIFY(!result.ok());
        QCOMPARE(result.notTaken.size(), 1);
        QVERIFY(result.notTaken[0].got.isEmpty());
        QVERIFY2(result.why.startsWith(QStringLiteral("The read-back after writing did not come")), qPrintable(result.why));
        QCOMPARE(bench.sent().count("AP000A15"), 1 + ParameterProcedures::ReadAttemptsAfterRestart);
    }

    void shouldStopAtAWriteThatIsNotAnswered()
    {
        Quirks quirks;
        quirks.silentFor = { QStringLiteral("AP008B") };
        Bench bench(quirks);
        const Result result = ParameterProcedures::apply(
            bench.session, values({ { C::ShowStatus, "off" }, { C::DoorLog, "off" }, { C::ExtReader, "entry" } }), {});
        QCOMPARE(result.stage, Result::Stage::WriteFailed);
        QCOMPARE(bench.writes(), (QList<QByteArray> { "AP001B03020001", "AP008B0100" })); // no ext reader, no restart
    }

    // An apply cut short on a given request (the link lost there, opened again as it was; how the
    // link comes back is LinkRecovery's): going on reads the controller again and writes what
    // still differs, so across both every write and the one restart reach the controller exactly
    // once and every value ends as wanted.
    void shouldGoOnWithAnApplyCutShortWithoutWritingTwice_data()
    {
        QTest::addColumn<int>("cutOn");         // the request that goes unanswered, from 1
        QTest::addColumn<bool>("everything");
        QTest::addColumn<int>("firstStage");    // of the apply cut short
        // Reads: model and two read-backs (3), then the four writes and the restart.
        QTest::newRow("during the first read") << 2 << false << int(Result::Stage::ReadFailed);
        QTest::newRow("at the third write") << 6 << false << int(Result::Stage::WriteFailed);
        QTest::newRow("at the third write, everything asked") << 6 << true << int(Result::Stage::WriteFailed);
        QTest::newRow("at the restart: still owed") << 8 << false << int(Result::Stage::WriteFailed);
        QTest::newRow("at the read-back after the restart") << 9 << false << int(Result::Stage::Done);
    }
    void shouldGoOnWithAnApplyCutShortWithoutWritingTwice()
    {
        QFETCH(int, cutOn);
        QFETCH(bool, everything);
        QFETCH(int, firstStage);
        const ParameterValues wanted = values(
            { { C::ShowStatus, "off" }, { C::Language, "simplified-chinese" }, { C::HourFormat, "12h" }, { C::DoorLog, "off" } });
        const LinkSettings line = LinkSettings::serial(QStringLiteral("ttyUSB0"), QStringLiteral("19200,e,8,1"));
        ParameterProcedures::ApplyOptions options;
        options.everything = everything;

        Bench bench("ZO425V05", line);
        bench.sim->setVanishAfter(cutOn);
        const Result cut = ParameterProcedures::apply(bench.session, wanted, options);
        QCOMPARE(int(cut.stage), firstStage);
        QVERIFY(!cut.ok());

        bench.sim->plugBackIn();
        bench.session.close();
        QVERIFY(bench.session.open(line));
        const Result resumed = ParameterProcedures::apply(bench.session, wanted, ParameterProcedures::resumeOptions(options, cut));
        QVERIFY2(resumed.ok(), qPrintable(resumed.why));
        QCOMPARE(resumed.written.size(), wanted.size()); // what went out before the cut is told too

        QCOMPARE(bench.writes(), (QList<QByteArray> { "AP000A020202", "AP000C0101", "AP001B03020001", "AP008B0100", "AJ" }));
        const ParameterValues now = ParameterProcedures::read(bench.session).values;
        for (auto it = wanted.cbegin(); it != wanted.cend(); ++it)
            QCOMPARE(now.value(it.key()), it.value());
    }

    // Nothing at all is sent for values that cannot be right, and nothing written for a
    // controller they were not made for.
    void shouldRefuseWithNothingWritten_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<ParameterValues>("wanted");
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<QString>("why");

        QTest::newRow("unknown name") << QByteArray("ZO425V05") << values({ { QLatin1String("door-logs"), "on" } })
                                      << QByteArray() << QList<QByteArray> {} << "Unknown value name \"door-logs\"";
        QTest::newRow("value not canonical") << QByteArray("ZO425V05") << values({ { C::DoorLog, "ON" } }) << QByteArray()
                                             << QList<QByteArray> {} << "door-log: \"ON\" is not as written";
        QTest::newRow("value out of range") << QByteArray("ZO425V05") << values({ { C::SameCardDelay, "300" } }) << QByteArray()
                                            << QList<QByteArray> {} << "same-card-delay: 300 is outside 0 to 255";
        QTest::newRow("no values") << QByteArray("ZO425V05") << ParameterValues() << QByteArray() << QList<QByteArray> {}
                                   << "No values to write";
        QTest::newRow("another model") << QByteArray("ZO425V05") << values({ { C::DoorLog, "off" } }) << QByteArray("RO420")
                                       << QList<QByteArray> { "AV" }
                                       << "The values were made for the RO420; this controller is the ZO425";
        QTest::newRow("a value the model lacks") << QByteArray("ZO425V05") << values({ { C::DiMode, "wiegand" } })
                                                 << QByteArray() << QList<QByteArray> { "AV" }
                                                 << "di-mode: the ZO425 has no such value";
        QTest::newRow("title the encoding cannot carry")
            << QByteArray("ZO425V05") << values({ { C::TextEncoding, "big5" }, { C::TitleLine1, "\xF0\x9F\x98\x80" }, { C::DoorLog, "off" } })
            << QByteArray() << Reads << "title-line-1 holds a character that big5 cannot carry, or a control character";
    }

    void shouldRefuseWithNothingWritten()
    {
        QFETCH(QByteArray, version);
        QFETCH(ParameterValues, wanted);
        QFETCH(QByteArray, model);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(QString, why);
        Bench bench(version);
        ParameterProcedures::ApplyOptions options;
        options.model = model;
        options.everything = true;
        const Result result = ParameterProcedures::apply(bench.session, wanted, options);
        QCOMPARE(result.stage, Result::Stage::Refused);
        QCOMPARE(result.why, why);
        QCOMPARE(bench.sent(), sent);
    }

    void shouldOnlyReadInADryRun()
    {
        Bench bench;
        ParameterProcedures::ApplyOptions options;
        options.dryRun = true;
        const Result result = ParameterProcedures::apply(bench.session, values({ { C::Language, "traditional-chinese" }, { C::DoorLog, "off" } }), options);
        QVERIFY(result.ok());
        QCOMPARE(bench.sent(), Reads);
        QCOMPARE(result.commands, (QList<QByteArray> { "AP000A020102", "AP008B0100", "AJ" }));
        QCOMPARE(result.written, (QStringList { C::Language, C::DoorLog }));
    }

    void shouldWriteNothingWhenTheControllerCannotBeRead()
    {
        Quirks quirks;
        quirks.silentFor = { QStringLiteral("AP0086") };
        Bench bench(quirks);
        const Result result = ParameterProcedures::apply(bench.session, values({ { C::DoorLog, "off" } }), {});
        QCOMPARE(result.stage, Result::Stage::ReadFailed);
        QVERIFY2(result.why.startsWith(QStringLiteral("The read-back gave only its first range")), qPrintable(result.why));
        QVERIFY(bench.writes().isEmpty());
    }
};

QTEST_APPLESS_MAIN(ParameterProceduresTest)
#include "parameterprocedurestest.moc"
