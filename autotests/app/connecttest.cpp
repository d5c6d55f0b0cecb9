#include "operationprobe.h"
#include "i18n/texttable.h"

#include <QFileInfo>
#include <QLabel>
#include <QScrollBar>
#include <QTcpServer>

// The connect procedure through the real window, against the simulator over TCP and over a
// pseudo-terminal.
class ConnectTest : public QObject
{
    Q_OBJECT

    static QString text(int id) { return TextTable::text(id, TextTable::English); }
    static QString countDown(int n) { return text(TextTable::ConnectingDevice) + QStringLiteral(" ( %1 )").arg(n); }

    static quint16 portWithNobodyListening()
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort();
    }

private Q_SLOTS:
    void shouldScanWithTheIdStrippedOfBlanks_data()
    {
        QTest::addColumn<QString>("scanId");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("default") << "000" << QByteArray("000AS") << Simulator::Wiring::Tcp;
        QTest::newRow("blank, 5, blank") << " 5 " << QByteArray("5AS") << Simulator::Wiring::InProcess;
        QTest::newRow("tab before") << "\t42" << QByteArray("42AS") << Simulator::Wiring::InProcess;
        QTest::newRow("one digit") << "7" << QByteArray("7AS") << Simulator::Wiring::InProcess;
    }
    void shouldScanWithTheIdStrippedOfBlanks()
    {
        QFETCH(QString, scanId);
        QFETCH(QByteArray, sent);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({ "--any-id" }, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        h.find<QLineEdit>("edScanId")->setText(scanId);
        h.connectTo(sim);
        QVERIFY(!sim.requests().isEmpty());
        QCOMPARE(sim.requests().first(), sent);
    }

    void shouldCountDownAfterEachFailedAttempt_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QStringList>("banners");
        QTest::addColumn<QList<QByteArray>>("requests");
        const QString connecting = text(TextTable::ConnectingDevice);
        const QString noDevice = text(TextTable::ConnectDeviceError);
        const QStringList three { connecting, countDown(3), countDown(2), countDown(1), noDevice };
        const QList<QByteArray> threeScans { "000AS", "000AS", "000AS" };
        QTest::newRow("reply of another length, tcp") << QStringList { "--reply", "AS=123" } << Simulator::Wiring::Tcp << three << threeScans;
        QTest::newRow("no reply, serial") << QStringList { "--fault", "AS:noreply" } << Simulator::Wiring::Pty << three << threeScans;
        QTest::newRow("bad checksum, serial") << QStringList { "--fault", "AS:badcrc" } << Simulator::Wiring::InProcess << three << threeScans;
        QTest::newRow("first attempt lost, serial")
            << QStringList { "--fail-nth", "1" } << Simulator::Wiring::InProcess << QStringList { connecting, countDown(3), text(TextTable::CommandOk) }
            << QList<QByteArray> { "000AS", "000AS", "000AV", "000AS" };
        QTest::newRow("answer at once, tcp") << QStringList() << Simulator::Wiring::InProcess
                                             << QStringList { connecting, text(TextTable::CommandOk) }
                                             << QList<QByteArray> { "000AS", "000AV", "000AS" };
    }
    void shouldCountDownAfterEachFailedAttempt()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QStringList, banners);
        QFETCH(QList<QByteArray>, requests);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        Simulator sim(simArgs, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        h.use(sim);
        const int descriptors = openDescriptors();
        OperationProbe probe(h);
        probe.click("btnConnect");
        QCOMPARE(probe.banners, banners);
        QVERIFY(probe.busySamples > 0);
        QCOMPARE(sim.requests(), requests);

        const bool found = banners.last() == text(TextTable::CommandOk);
        checkEnding(h, banners.last(), found);
        QCOMPARE(h.find("pcMain")->isEnabled(), found);
        QCOMPARE(h.traffic.opens(), 1);
        // The settings are stored only once a controller has answered.
        QCOMPARE(settingsStored(h), found);
        if (!found) {
            QVERIFY(!h.find("pnMsg")->toolTip().isEmpty());
            QCOMPARE(openDescriptors(), descriptors);
        }
    }

    void shouldIdentifyTheController_data()
    {
        QTest::addColumn<QString>("versionText");
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("diMode");
        QTest::newRow("short version, tcp") << "ZO425V05" << Simulator::Wiring::Tcp << "RO420DA ZO425V05" << false;
        QTest::newRow("short version, serial") << "RO420V03" << Simulator::Wiring::Pty << "RO420DA RO420V03" << false;
        QTest::newRow("long version, tcp") << "ZO425V0563ABCDEF" << Simulator::Wiring::InProcess << "ZO425V0563ABCDEF" << false;
        QTest::newRow("RO426 long, serial") << "RO426V0563ABCDEF" << Simulator::Wiring::InProcess << "RO426V0563ABCDEF" << true;
        QTest::newRow("RO426 short, tcp") << "RO426V01" << Simulator::Wiring::InProcess << "RO420DA RO426V01" << true;
    }
    void shouldIdentifyTheController()
    {
        QFETCH(QString, versionText);
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QString, version);
        QFETCH(bool, diMode);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        Simulator sim({ "--version-text", versionText, "--serial", "SN123456" }, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        h.find<QLabel>("pnAuto")->setText(QStringLiteral("PASS"));
        h.find<QLabel>("pnSN")->setText(QStringLiteral("S/N:old"));

        QVERIFY(h.connectTo(sim));
        checkEnding(h, text(TextTable::CommandOk), true);
        QCOMPARE(sim.requests(), (QList<QByteArray> { "000AS", "000AV", "000AS" }));
        QCOMPARE(h.find<QLabel>("pnVER")->text(), version);
        QCOMPARE(h.find<QLabel>("pnSN")->text(), QStringLiteral("S/N:SN123456   ID:000"));
        QCOMPARE(h.window->session().serialNumber(), QByteArray("SN123456"));
        QCOMPARE(h.window->session().deviceId(), QByteArray("000"));
        QVERIFY(h.find<QLabel>("pnAuto")->text().isEmpty());
        QCOMPARE(!h.find("btnDI_3_4Mode")->isHidden(), diMode);
        QCOMPARE(!h.find("cmbDI_3_4Mode")->isHidden(), diMode);
        QVERIFY(settingsStored(h));
    }

    void shouldShowTheDiModePairOnlyForTheLastRo426()
    {
        WindowHarness h;
        const QList<QPair<QString, bool>> models { { "RO426", true }, { "ZO425", false }, { "RO420", false }, { "RO426", true } };
        for (const auto &[model, shown] : models) {
            Simulator sim({ "--model", model });
            QVERIFY(sim.start());
            QVERIFY(h.connectTo(sim));
            QCOMPARE(!h.find("btnDI_3_4Mode")->isHidden(), shown);
            QCOMPARE(!h.find("cmbDI_3_4Mode")->isHidden(), shown);
        }
    }

    void shouldKeepWhatWasLearnedWhenIdentificationFails_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("why");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        // The first connect uses requests 1 to 3; the second one's AV is 5, its AS 6.
        QTest::newRow("second AS unanswered") << QStringList { "--fail-nth", "6" } << "RO420DA RO426V05" << "No answer" << Simulator::Wiring::Tcp;
        QTest::newRow("AV unanswered") << QStringList { "--fail-nth", "5" } << QString() << "No answer" << Simulator::Wiring::InProcess;
        QTest::newRow("AV of another length") << QStringList { "--reply", "AV=123" } << QString() << "15 bytes" << Simulator::Wiring::InProcess;
    }
    void shouldKeepWhatWasLearnedWhenIdentificationFails()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, version);
        QFETCH(QString, why);
        QFETCH(Simulator::Wiring, wiring);
        Simulator good({ "--model", "ZO425" }, wiring);
        Simulator sim(QStringList { "--model", "RO426", "--id", "007" } + simArgs, wiring);
        QVERIFY(good.start());
        QVERIFY(sim.start());
        WindowHarness h;
        const bool firstFine = !simArgs.contains("AV=123");
        if (firstFine) {
            // A first connect to the same controller; the failing one must not look like it.
            h.find<QLineEdit>("edScanId")->setText(QStringLiteral("007"));
            QVERIFY(h.connectTo(sim));
        } else {
            QVERIFY(h.connectTo(good));
            h.find<QLineEdit>("edScanId")->setText(QStringLiteral("007"));
        }
        removeStoredSettings(h);
        const int descriptors = openDescriptors();

        QVERIFY(!h.connectTo(sim));
        checkEnding(h, text(TextTable::CommandError), false);
        QVERIFY2(h.find("pnMsg")->toolTip().contains(why), qPrintable(h.find("pnMsg")->toolTip()));
        QCOMPARE(h.find<QLabel>("pnVER")->text(), version);
        QVERIFY(h.find<QLabel>("pnSN")->text().isEmpty());
        QCOMPARE(h.window->session().deviceId(), QByteArray("007"));
        QVERIFY(settingsStored(h));
        QCOMPARE(openDescriptors(), descriptors);
    }

    void shouldSayWhyALinkCannotBeOpened_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("why");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("nobody listening") << false << QString() << "refused" << Simulator::Wiring::Tcp;
        QTest::newRow("not an address") << false << "300.1.1.1" << "IPv4" << Simulator::Wiring::InProcess;
#ifdef Q_OS_WIN
        QTest::newRow("no such port") << true << "COM219" << "No such port" << Simulator::Wiring::InProcess;
#else
        QTest::newRow("no such port") << true << "/dev/zu42-no-such-port" << "No such port" << Simulator::Wiring::InProcess;
#endif
    }
    void shouldSayWhyALinkCannotBeOpened()
    {
        QFETCH(bool, serial);
        QFETCH(QString, address);
        QFETCH(QString, why);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({}, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        // A connect that worked, then the operator points the next one at nothing.
        QVERIFY(h.connectTo(sim));
        const int closes = h.traffic.closes();
        const int descriptors = openDescriptors();
        h.useRealLinks();
        if (serial) {
            h.useSerial(address);
        } else {
            h.useTcp(portWithNobodyListening());
            if (!address.isEmpty())
                h.find<QLineEdit>("edIP")->setText(address);
        }
        removeStoredSettings(h);
        const auto requests = sim.requests();

        h.click("btnConnect");
        QCOMPARE(h.banner(), text(TextTable::ConnectDeviceError));
        QCOMPARE(h.lamp("shComm"), LampRed);
        QCOMPARE(h.tone->played.last().frequencyHz, 300);
        QVERIFY(h.window->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(!h.find("pcMain")->isEnabled());
        QCOMPARE(h.traffic.closes(), closes);
        QVERIFY(!h.window->session().link().isOpen());
        QVERIFY2(h.find("pnMsg")->toolTip().contains(why), qPrintable(h.find("pnMsg")->toolTip()));
        QVERIFY(!settingsStored(h));
        QCOMPARE(sim.requests(), requests);
        QCOMPARE(openDescriptors(), descriptors);
    }

    // The adapter pulled out while the window talks to the controller: the connect ends at once
    // with the tool tip saying so, and the link is closed.
    void shouldSayTheAdapterWentWhenItVanishesDuringTheConnect()
    {
        if (const QString why = SimProcess::serialLineUnavailable(); !why.isEmpty())
            QSKIP(qPrintable(why));
        if (SimProcess::underWine())
            QSKIP("Wine reports the hang-up of a pseudo-terminal as silence");
        SimProcess sim({ "--vanish-after", "1" }, true);
        QVERIFY(sim.start());
        WindowHarness h;
        h.useSerial(sim.ptyPath());
        h.click("btnConnect");
        QCOMPARE(h.banner(), text(TextTable::ConnectDeviceError));
        const QString tip = h.find("pnMsg")->toolTip();
        QVERIFY2(tip.startsWith(text(TextTable::AdapterRemovedTip).arg(sim.ptyPath())), qPrintable(tip));
        QVERIFY(!h.window->session().link().isOpen());
        QCOMPARE(sim.requests().size(), 1);
    }

    void shouldShowTheScanBarPositionAsThreeDigits_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0") << 0 << "000";
        QTest::newRow("7") << 7 << "007";
        QTest::newRow("42") << 42 << "042";
        QTest::newRow("999") << 999 << "999";
    }
    void shouldShowTheScanBarPositionAsThreeDigits()
    {
        QFETCH(int, position);
        QFETCH(QString, shown);
        WindowHarness h;
        QCOMPARE(h.find<QLineEdit>("edScanId")->text(), QStringLiteral("000"));
        h.find<QScrollBar>("sbScanId")->setValue(position);
        QCOMPARE(h.find<QLineEdit>("edScanId")->text(), shown);
    }
};

QTEST_MAIN(ConnectTest)
#include "connecttest.moc"
