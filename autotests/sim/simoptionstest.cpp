#include "simprocess.h"

#include <QProcess>
#include <QTest>

// The simulator is what users and tests run instead of a controller; a typo in its command
// line must say what is wrong and stop, not crash or serve something else.
class SimOptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldRefuseBadOptionWithClearMessage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown fault kind") << QStringList { "--fault", "AS:bogus" } << "bogus";
        QTest::newRow("fault without kind") << QStringList { "--fault", "AS" } << "--fault";
        QTest::newRow("delay without time") << QStringList { "--fault", "AS:delay" } << "delay";
        QTest::newRow("delay not a number") << QStringList { "--fault", "AS:delay:soon" } << "delay";
        QTest::newRow("negative delay") << QStringList { "--fault", "AS:delay:-5" } << "delay";
        QTest::newRow("split without gap") << QStringList { "--fault", "AS:split:4" } << "split";
        QTest::newRow("split of zero bytes") << QStringList { "--fault", "AS:split:0:10" } << "split";
        QTest::newRow("argument to noreply") << QStringList { "--fault", "AS:noreply:3" } << "noreply";
        QTest::newRow("two-digit id") << QStringList { "--id", "12" } << "--id";
        QTest::newRow("id with letters") << QStringList { "--id", "0a1" } << "--id";
        QTest::newRow("tcp nonsense") << QStringList { "--tcp", "nonsense" } << "--tcp";
        QTest::newRow("tcp port too big") << QStringList { "--tcp", "127.0.0.1:70000" } << "--tcp";
        QTest::newRow("short serial") << QStringList { "--serial", "123" } << "--serial";
        QTest::newRow("unknown model") << QStringList { "--model", "XX999" } << "--model";
        QTest::newRow("version of 9") << QStringList { "--version-text", "123456789" } << "--version-text";
        QTest::newRow("clock not a time") << QStringList { "--clock", "2024-13-01" } << "--clock";
        QTest::newRow("reply without command") << QStringList { "--reply", "=x" } << "--reply";
        QTest::newRow("fail-nth zero") << QStringList { "--fail-nth", "0" } << "--fail-nth";
        QTest::newRow("param out of range") << QStringList { "--param", "10000=1" } << "--param";
        QTest::newRow("param value too big") << QStringList { "--param", "10=100" } << "--param";
        QTest::newRow("inputs of 5") << QStringList { "--inputs", "10101" } << "--inputs";
        QTest::newRow("record-every negative") << QStringList { "--record-every", "-1" } << "--record-every";
        QTest::newRow("nothing to serve") << QStringList { "--no-tcp" } << "nothing to serve";
        QTest::newRow("pty link without pty") << QStringList { "--pty-link", "/tmp/zu42-com" } << "--pty-link";
        QTest::newRow("vanish without pty") << QStringList { "--vanish-after", "1" } << "--vanish-after";
        QTest::newRow("vanish-after negative") << QStringList { "--pty", "--vanish-after", "-1" } << "--vanish-after";
        QTest::newRow("return without vanish") << QStringList { "--pty", "--return-after", "300" } << "--return-after";
        QTest::newRow("twin of an ID not on the line") << QStringList { "--bus", "001-003", "--twin", "004" } << "--twin";
        QTest::newRow("dead-after-restart of two digits") << QStringList { "--dead-after-restart", "12" } << "--dead-after-restart";
        QTest::newRow("new units beyond a line's") << QStringList { "--bus", "001", "--new-units", "33" } << "--new-units";
        QTest::newRow("silent-after-restart negative") << QStringList { "--silent-after-restart", "-1" } << "--silent-after-restart";
        QTest::newRow("unknown option") << QStringList { "--bogus" } << "bogus";
        QTest::newRow("stray argument") << QStringList { "stray" } << "stray";
        QTest::newRow("missing value") << QStringList { "--id" } << "id";
    }
    void shouldRefuseBadOptionWithClearMessage()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, mentions);
        QProcess sim;
        // A port of its own, so that a simulator that wrongly starts cannot collide with another.
        sim.start(SimProcess::executable(), QStringList { "--tcp", "127.0.0.1:0" } + args);
        QVERIFY(sim.waitForStarted(5000));
        if (!sim.waitForFinished(5000)) {
            sim.kill();
            sim.waitForFinished();
            QFAIL("the simulator started serving instead of refusing the options");
        }
        QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.exitCode(), 2);
        const QString message = QString::fromLocal8Bit(sim.readAllStandardError()).trimmed();
        QVERIFY2(message.startsWith(QLatin1String("zu42sim: ")), qPrintable(message));
        QVERIFY2(message.size() > 20, qPrintable(message));
        QVERIFY2(message.contains(mentions, Qt::CaseInsensitive), qPrintable(message));
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }

    // Windows has no pseudo-terminal: the Windows simulator says so and stops, rather than
    // serve TCP alone to a test that waits on a serial line.
    void shouldRefuseAPseudoTerminalWithoutUnix()
    {
#ifndef Q_OS_WIN
        QSKIP("a Unix simulator serves the pseudo-terminal (seriallinktest)");
#else
        QProcess sim;
        sim.start(SimProcess::executable(), { "--tcp", "127.0.0.1:0", "--pty" });
        QVERIFY(sim.waitForStarted(5000));
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 1);
        const QString message = QString::fromLocal8Bit(sim.readAllStandardError()).trimmed();
        QVERIFY2(message.contains(QLatin1String("pseudo-terminals need a Unix system")), qPrintable(message));
#endif
    }

    void shouldPrintUsageOnHelp()
    {
        QProcess sim;
        sim.start(SimProcess::executable(), { "--help" });
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        const QByteArray usage = sim.readAllStandardOutput();
        for (const char *option : { "--fault", "--pty", "--id", "--log", "split:BYTES:MS" })
            QVERIFY2(usage.contains(option), option);
    }
};

QTEST_GUILESS_MAIN(SimOptionsTest)
#include "simoptionstest.moc"
