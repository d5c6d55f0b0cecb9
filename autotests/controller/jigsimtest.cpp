// The jig test against the simulator's jig and its faults, in-process and over TCP: what a
// production line sees.
#include "controller/controllersession.h"
#include "controller/jigtest.h"
#include "simulator.h"

#include <QRegularExpression>
#include <QTest>

class JigSimTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldFindEachFaultAtTheStepMeantToFindIt_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("failingStep");
        QTest::addColumn<QString>("measured"); // a pattern: the clock reads whole seconds
        QTest::addColumn<QString>("reason");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("good unit") << QStringList() << QString() << QString() << QString() << Simulator::Wiring::Tcp;
        QTest::newRow("DI1 stuck on") << QStringList { "--jig-fault", "stuck-on:DI1" } << "DO2 alone" << "DI1 DI2" << "" << Simulator::Wiring::InProcess;
        QTest::newRow("DI4 stuck off") << QStringList { "--jig-fault", "stuck-off:DI4" } << "DO4 alone" << "DI8" << "" << Simulator::Wiring::InProcess;
        QTest::newRow("DI8 stuck on") << QStringList { "--jig-fault", "stuck-on:DI8" } << "DO1 alone" << "DI1 DI8" << "" << Simulator::Wiring::InProcess;
        QTest::newRow("DO3 drives nothing") << QStringList { "--jig-fault", "dead:DO3" } << "DO3 alone" << "none" << "" << Simulator::Wiring::InProcess;
        QTest::newRow("clock ignores the set") << QStringList { "--jig-fault", "clock:ignore", "--clock", "20200101000000" }
                                               << "Clock kept" << "2020/01/01" << "" << Simulator::Wiring::InProcess;
        QTest::newRow("clock set 30 s off") << QStringList { "--jig-fault", "clock:offset:30" } << "Clock kept" << R"(\(\+(29|30|31) s\))"
                                            << "" << Simulator::Wiring::InProcess;
        QTest::newRow("a reply lost mid-run") << QStringList { "--fault", "DF:noreply" } << "DO1 alone" << "no reply"
                                              << "DF: No answer" << Simulator::Wiring::InProcess;
        QTest::newRow("check digits wrong mid-run") << QStringList { "--fault", "JD20:badcrc" } << "DO2 alone"
                                                    << "" << "JD20: Invalid reply (checksum)" << Simulator::Wiring::InProcess;
    }
    void shouldFindEachFaultAtTheStepMeantToFindIt()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, failingStep);
        QFETCH(QString, measured);
        QFETCH(QString, reason);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim(QStringList { "--jig" } + simArgs, wiring);
        QVERIFY(sim.start());
        ControllerSession session;
        session.link().setTransportFactory(sim.factory());
        QVERIFY(session.open(sim.linkSettings()));
        JigTest::Options options;
        options.settleMs = 50;
        const JigTest::Result result = JigTest(session, JigMap::defaultMap(), options).run();
        session.close();

        if (failingStep.isEmpty()) {
            QVERIFY(result.passed());
            QStringList shown;
            for (const JigTest::Step &s : result.steps)
                shown << s.name + QStringLiteral(": ") + s.measured;
            QCOMPARE(shown.mid(3), (QStringList { "DO1 alone: DI1", "DO2 alone: DI2", "DO3 alone: DI3 DI7",
                                                  "DO4 alone: DI4 DI8", "All off: none", "End: answered" }));
            QCOMPARE(result.steps[0].measured, QStringLiteral("ZO425 S/N 24010042 ID 000"));
            QCOMPARE(sim.requests().last(), QByteArray("000JE"));
            return;
        }
        QVERIFY(!result.passed());
        const JigTest::Step *failed = result.firstFailure();
        QVERIFY(failed);
        QCOMPARE(failed->name, failingStep);
        QVERIFY2(failed->measured.contains(QRegularExpression(measured)), qPrintable(failed->measured));
        QVERIFY2(failed->why.contains(reason), qPrintable(failed->why));
        QCOMPARE(sim.requests().last(), QByteArray("000JE"));
    }
};

QTEST_GUILESS_MAIN(JigSimTest)
#include "jigsimtest.moc"
