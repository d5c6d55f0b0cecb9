#include "controllerbus.h"
#include "protocol/commandframe.h"
#include "simresponder.h"

#include <QTest>

#include <climits>

namespace {

SimOptions optionsOf(const QStringList &args)
{
    QString error;
    const std::optional<SimOptions> options = SimOptions::parse(QStringList { "zu42sim" } + args, &error);
    if (!options)
        qFatal("%s", qPrintable(error));
    return *options;
}

// The data of the one answer, after the ID that signs it, or how many answered instead.
QByteArray ask(ControllerBus &bus, const QByteArray &command)
{
    const QList<ControllerBus::Answer> answers = bus.handle(command);
    if (answers.size() != 1)
        return QByteArray::number(answers.size()) + " answers";
    return answers[0].id + ' ' + answers[0].reply.head + answers[0].reply.data;
}

} // namespace

// The bus and the jig faults as the tool meets them: in the replies, one command at a time.
class SimModelTest : public QObject
{
    Q_OBJECT
private slots:
    // zu42sim keeps every write and leaves the card bits command out of the memory; only the
    // tests' in-process simulator asks for otherwise.
    void shouldKeepWritesAndCardBitsAsAskedFor()
    {
        SimOptions plain = optionsOf({ "--id", "001" });
        ControllerBus plainBus(plain);
        QCOMPARE(ask(plainBus, "001AP008B0100"), QByteArray("001 AP"));
        QCOMPARE(ask(plainBus, "001AF32"), QByteArray("001 AF"));
        QCOMPARE(plainBus.controller(0).param(0x8B), quint8(0));
        QCOMPARE(plainBus.controller(0).param(0x16), quint8(0x18));

        SimOptions quirky = plain;
        quirky.ignoredWrites = { 0x8B };
        quirky.cardBitsByCommand = true;
        ControllerBus quirkyBus(quirky);
        QCOMPARE(ask(quirkyBus, "001AP008A020101"), QByteArray("001 AP"));
        QCOMPARE(ask(quirkyBus, "001AF32"), QByteArray("001 AF"));
        QCOMPARE(quirkyBus.controller(0).param(0x8A), quint8(1));
        QCOMPARE(quirkyBus.controller(0).param(0x8B), quint8(1)); // acknowledged, not kept
        QCOMPARE(quirkyBus.controller(0).param(0x16), quint8(0x20));
        QCOMPARE(ask(quirkyBus, "001AF24"), QByteArray("001 AF"));
        QCOMPARE(quirkyBus.controller(0).param(0x16), quint8(0x18));
    }

    void shouldStaySilentAfterARestartOnlyWhenAsked()
    {
        const auto answered = [](SimResponder &responder, const QByteArray &command) {
            return !responder.handle(*CommandFrame::encodeRequest(command), true).replies.isEmpty();
        };
        SimOptions plain = optionsOf({ "--id", "001" });
        SimResponder plainResponder(plain);
        QVERIFY(answered(plainResponder, "001AJ"));
        QVERIFY(answered(plainResponder, "001AV"));

        SimOptions slow = plain;
        slow.silentAfterRestart = 2;
        SimResponder slowResponder(slow);
        QVERIFY(answered(slowResponder, "001AV"));
        QVERIFY(answered(slowResponder, "001AJ"));
        QVERIFY(!answered(slowResponder, "001AV"));
        QVERIFY(!answered(slowResponder, "001AP008B0100"));
        QVERIFY(answered(slowResponder, "001AV"));
        // The writes it did not hear did not land.
        QCOMPARE(slowResponder.bus().controller(0).param(0x8B), quint8(1));
    }

    void shouldRefuseBadOption_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("bus id of two") << QStringList { "--bus", "001,02" } << "\"02\"";
        QTest::newRow("bus range backwards") << QStringList { "--bus", "009-003" } << "009-003";
        QTest::newRow("bus id twice") << QStringList { "--bus", "001-005,003" } << "003 twice";
        QTest::newRow("bus of 33") << QStringList { "--bus", "000-032" } << "at most 32";
        QTest::newRow("bus unknown model") << QStringList { "--bus", "001:XX999" } << "XX999";
        QTest::newRow("bus and --any-id") << QStringList { "--bus", "001,002", "--any-id" } << "--any-id";
        QTest::newRow("no such input") << QStringList { "--jig-fault", "stuck-on:DI5" } << "DI5";
        QTest::newRow("dead off the jig") << QStringList { "--jig-fault", "dead:DO2" } << "add --jig";
        QTest::newRow("stuck on and off") << QStringList { "--jig-fault", "stuck-on:DI7", "--jig-fault", "stuck-off:di7" } << "DI7 cannot";
        QTest::newRow("two clock faults") << QStringList { "--jig-fault", "clock:ignore", "--jig-fault", "clock:offset:5" } << "one clock";
        QTest::newRow("offset no number") << QStringList { "--jig-fault", "clock:offset:soon" } << "clock:offset:soon";
        QTest::newRow("lose-every negative") << QStringList { "--lose-every", "-1" } << "--lose-every";
        QTest::newRow("seed negative") << QStringList { "--seed", "-3" } << "--seed";
    }
    void shouldRefuseBadOption()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!SimOptions::parse(QStringList { "zu42sim" } + args, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }

    // Serial numbers must differ, or the tool would be tested against a bus that cannot exist.
    void shouldGiveEachBusMemberItsIdentity_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("scans");
        QTest::newRow("list") << QStringList { "--bus", "001,002,017:RO420" }
                              << QByteArray("001 AS24010042 AVZO425V05|002 AS24010043 AVZO425V05|017 AS24010058 AVRO420V05");
        QTest::newRow("range, carry, lower ID") << QStringList { "--bus", "099-100,005", "--serial", "AB123999" }
                                                << QByteArray("099 ASAB123999 AVZO425V05|100 ASAB124000 AVZO425V05|005 ASAB123905 AVZO425V05");
        QTest::newRow("round the top") << QStringList { "--bus", "001,004", "--serial", "99999998", "--model", "RO426" }
                                       << QByteArray("001 AS99999998 AVRO426V05|004 AS00000001 AVRO426V05");
        QTest::newRow("few trailing digits") << QStringList { "--bus", "003,002", "--serial", "ZU4200AB" }
                                             << QByteArray("003 ASZU4200AB AVZO425V05|002 ASZU420002 AVZO425V05");
    }
    void shouldGiveEachBusMemberItsIdentity()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, scans);
        ControllerBus bus(optionsOf(args));
        for (const QByteArray &expected : scans.split('|')) {
            QCOMPARE(ask(bus, expected.left(3) + "AS"), expected.left(14));
            QCOMPARE(ask(bus, expected.left(3) + "AV"), expected.left(4) + expected.mid(15));
        }
    }

    void shouldAnswerOnlyTheNamedControllerFromItsOwnMemory()
    {
        ControllerBus bus(optionsOf({ "--bus", "001-002,017" }));
        for (const QByteArray command : { "005AS", "000AS", "01", "003AJ" })
            QCOMPARE(ask(bus, command), QByteArray("0 answers"));
        QCOMPARE(ask(bus, "017AJ"), QByteArray("017 AJ"));
        QCOMPARE(ask(bus, "001AP000B015A"), QByteArray("001 AP"));
        QCOMPARE(ask(bus, "017AP000B0133"), QByteArray("017 AP"));
        QCOMPARE(ask(bus, "001AP000B01") + ask(bus, "002AP000B01") + ask(bus, "017AP000B01"), QByteArray("001 AP5A002 AP02017 AP33"));
        QCOMPARE(ask(bus, "001AI"), QByteArray("001 AI"));
        QCOMPARE(ask(bus, "001AP000B01") + ask(bus, "017AP000B01"), QByteArray("001 AP02017 AP33"));
    }

    void shouldShowJigFaultInInputs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("outputs"); // DO1..DO4
        QTest::addColumn<QByteArray>("inputs");  // DI1..DI4 from "IE", DI7 DI8 from "DF"
        QTest::newRow("sound jig") << QStringList { "--jig" } << QByteArray("1010") << QByteArray("1010 10");
        QTest::newRow("sound jig, DO4 alone") << QStringList { "--jig" } << QByteArray("0001") << QByteArray("0001 01");
        QTest::newRow("DI3 stuck on") << QStringList { "--jig", "--jig-fault", "stuck-on:DI3" } << QByteArray("0000") << QByteArray("0010 00");
        QTest::newRow("DI7 stuck off") << QStringList { "--jig", "--jig-fault", "stuck-off:DI7" } << QByteArray("1111") << QByteArray("1111 01");
        QTest::newRow("DI8 stuck on") << QStringList { "--jig", "--jig-fault", "stuck-on:DI8" } << QByteArray("0000") << QByteArray("0000 01");
        QTest::newRow("DO2 dead") << QStringList { "--jig", "--jig-fault", "dead:DO2" } << QByteArray("1111") << QByteArray("1011 11");
        QTest::newRow("DO4 dead, DI8 too") << QStringList { "--jig", "--jig-fault", "dead:DO4" } << QByteArray("0001") << QByteArray("0000 00");
        QTest::newRow("no jig, over --inputs") << QStringList { "--inputs", "101010", "--jig-fault", "stuck-off:DI1", "--jig-fault", "stuck-on:DI8" }
                                               << QByteArray("0000") << QByteArray("0010 11");
    }
    void shouldShowJigFaultInInputs()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, outputs);
        QFETCH(QByteArray, inputs);
        ControllerBus bus(optionsOf(args));
        // Acknowledged even by a dead output: the board cannot know its relay failed.
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ask(bus, "000JD" + QByteArray::number(i + 1) + outputs[i]), QByteArray("000 JD"));
        QCOMPARE(ask(bus, "000IE").mid(22) + ' ' + ask(bus, "000DF").mid(6), inputs);
    }

    void shouldReadClockBackAsItsFaultHasIt_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("offBySeconds"); // from the time set; INT_MIN: keeps its own
        QTest::newRow("sound") << QStringList {} << 0;
        QTest::newRow("ignores setting") << QStringList { "--jig-fault", "clock:ignore" } << INT_MIN;
        QTest::newRow("an hour ahead") << QStringList { "--jig-fault", "clock:offset:3600" } << 3600;
        QTest::newRow("behind") << QStringList { "--jig-fault", "clock:offset:-90" } << -90;
    }
    void shouldReadClockBackAsItsFaultHasIt()
    {
        QFETCH(QStringList, args);
        QFETCH(int, offBySeconds);
        ControllerBus bus(optionsOf(args));
        const QDateTime set(QDate(2031, 5, 6), QTime(7, 8, 9));
        QCOMPARE(ask(bus, "000AA" + set.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1()), QByteArray("000 AA"));
        const QDateTime read = QDateTime::fromString(QString::fromLatin1(ask(bus, "000IE").mid(6, 14)), QStringLiteral("yyyyMMddHHmmss"));
        const QDateTime expected = offBySeconds == INT_MIN ? QDateTime::currentDateTime() : set.addSecs(offBySeconds);
        QVERIFY2(qAbs(read.secsTo(expected)) <= 2, qPrintable(read.toString(Qt::ISODate)));
    }
};

QTEST_GUILESS_MAIN(SimModelTest)
#include "simmodeltest.moc"
