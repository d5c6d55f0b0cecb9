#include "protocol/commandframe.h"
#include "operationprobe.h"
#include "i18n/texttable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>

// Reboot, set initial, the free command and the link presets through the real window.
class MaintenanceTest : public QObject
{
    Q_OBJECT

    static QString text(int id) { return TextTable::text(id, TextTable::English); }

    // The window connected to `sim` with scan ID `scanId`.
    static bool connect(WindowHarness &h, Simulator &sim, const QString &scanId = QStringLiteral("000"))
    {
        h.find<QLineEdit>("edScanId")->setText(scanId);
        const bool ok = h.connectTo(sim);
        sim.clearRequests();
        return ok;
    }

private Q_SLOTS:
    void shouldSendTheMaintenanceCommand_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("net");
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("banner");
        const QString reboot = text(TextTable::SetRebootBanner);
        QTest::newRow("reboot, NET checked") << QByteArray("btnReboot") << true << Simulator::Wiring::Tcp << QByteArray("001AJ99") << reboot;
        QTest::newRow("reboot, NET unchecked") << QByteArray("btnReboot") << false << Simulator::Wiring::Pty << QByteArray("001AJ") << reboot;
        QTest::newRow("second reboot, NET checked") << QByteArray("btnReboot2") << true << Simulator::Wiring::InProcess << QByteArray("001AJ99") << reboot;
        QTest::newRow("second reboot, NET unchecked") << QByteArray("btnReboot2") << false << Simulator::Wiring::InProcess << QByteArray("001AJ") << reboot;
        QTest::newRow("set initial") << QByteArray("btnInitial") << true << Simulator::Wiring::InProcess << QByteArray("001AI")
                                     << text(TextTable::SetFactoryBanner);
    }
    void shouldSendTheMaintenanceCommand()
    {
        QFETCH(QByteArray, button);
        QFETCH(bool, net);
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QByteArray, sent);
        QFETCH(QString, banner);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        Simulator sim({ "--id", "001" }, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim, QStringLiteral("001")));
        h.find<QCheckBox>("chkNet")->setChecked(net);

        OperationProbe probe(h);
        probe.click(button.constData());
        QCOMPARE(sim.requests(), QList<QByteArray> { sent });
        QCOMPARE(probe.banners, (QStringList { text(TextTable::ConnectingDevice), banner, text(TextTable::CommandOk) }));
        QVERIFY(probe.busySamples > 0);
        checkEnding(h, text(TextTable::CommandOk), true);
    }

    void shouldRequireThePlainAcknowledgement_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("why");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("reboot answered with data") << QByteArray("btnReboot") << QStringList { "--reply", "AJ=1" } << "13 bytes" << Simulator::Wiring::Tcp;
        QTest::newRow("set initial answered with data") << QByteArray("btnInitial") << QStringList { "--reply", "AI=OK" } << "14 bytes" << Simulator::Wiring::InProcess;
        QTest::newRow("reboot unanswered") << QByteArray("btnReboot2") << QStringList { "--fault", "AJ:noreply" } << "No answer" << Simulator::Wiring::InProcess;
        QTest::newRow("set initial, bad checksum") << QByteArray("btnInitial") << QStringList { "--fault", "AI:badcrc" } << "checksum" << Simulator::Wiring::InProcess;
    }
    void shouldRequireThePlainAcknowledgement()
    {
        QFETCH(QByteArray, button);
        QFETCH(QStringList, simArgs);
        QFETCH(QString, why);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim(simArgs, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        const int descriptors = openDescriptors();

        h.click(button.constData());
        QCOMPARE(sim.requests().size(), 1);
        checkEnding(h, text(TextTable::CommandError), false);
        QVERIFY2(h.find("pnMsg")->toolTip().contains(why), qPrintable(h.find("pnMsg")->toolTip()));
        QCOMPARE(openDescriptors(), descriptors);
    }

    void shouldEndWithoutClosingWhenTheLinkCannotOpen_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("reboot") << QByteArray("btnReboot") << Simulator::Wiring::Tcp;
        QTest::newRow("second reboot") << QByteArray("btnReboot2") << Simulator::Wiring::InProcess;
        QTest::newRow("set initial") << QByteArray("btnInitial") << Simulator::Wiring::InProcess;
        QTest::newRow("command test") << QByteArray("btnCommand") << Simulator::Wiring::InProcess;
    }
    void shouldEndWithoutClosingWhenTheLinkCannotOpen()
    {
        QFETCH(QByteArray, button);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({}, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        sim.stop();
        const int closes = h.traffic.closes();
        const int descriptors = openDescriptors();

        h.click(button.constData());
        QCOMPARE(h.banner(), text(TextTable::ConnectDeviceError));
        QCOMPARE(h.lamp("shComm"), LampRed);
        QCOMPARE(h.tone->played.last().frequencyHz, 300);
        QVERIFY(h.window->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(h.traffic.closes(), closes);
        QVERIFY(!h.window->session().link().isOpen());
        QVERIFY(h.find("pnMsg")->toolTip().contains(QStringLiteral("refused")));
        QVERIFY(sim.requests().isEmpty());
        QCOMPARE(openDescriptors(), descriptors);
    }

    void shouldNotStartASecondOperationFromAQueuedClick()
    {
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        // The second click arrives while the first operation lets the window process messages,
        // before the window is disabled.
        QTimer::singleShot(0, h.window.get(), [&h] { h.click("btnReboot"); });
        h.click("btnReboot");
        QTest::qWait(100);
        QCOMPARE(sim.requests(), QList<QByteArray> { "000AJ" });
        QCOMPARE(h.traffic.opens(), h.traffic.closes());
        QVERIFY(!QApplication::overrideCursor());
    }

    void shouldAddressLaterCommandsWithTheLearnedId()
    {
        // The controller answers any ID with its own: the scan goes to 000, the rest to 042.
        Simulator sim({ "--any-id", "--id", "042" });
        QVERIFY(sim.start());
        WindowHarness h;
        h.use(sim);
        h.click("btnConnect");
        QCOMPARE(sim.requests(), (QList<QByteArray> { "000AS", "042AV", "042AS" }));
        QCOMPARE(h.window->session().deviceId(), QByteArray("042"));

        h.find<QLineEdit>("edScanId")->setText(QStringLiteral("777"));
        sim.clearRequests();
        h.click("btnInitial");
        h.find<QLineEdit>("edCommandSend")->setText(QStringLiteral("AB"));
        h.click("btnCommand");
        QCOMPARE(sim.requests(), (QList<QByteArray> { "042AI", "042AB" }));
    }

    void shouldShowTheRawReplyOfTheFreeCommand_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<Simulator::Wiring>("wiring");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("shownData"); // between the two head characters and EOT
        QTest::newRow("default AB") << "AB" << QStringList { "--reply", "AB=HELLO" } << Simulator::Wiring::Tcp << QByteArray("000AB") << "ABHELLO";
        QTest::newRow("empty text sends the ID alone") << "" << QStringList() << Simulator::Wiring::Pty << QByteArray("000") << "";
        QTest::newRow("typed as is") << " ab c " << QStringList { "--reply", "*=x" } << Simulator::Wiring::InProcess << QByteArray("000 ab c ")
                                     << QStringLiteral(" ax");
        QTest::newRow("control bytes in the data")
            << "ZZ" << QStringList { "--reply", "ZZ=A\\x07B\\x1b\\x7f" } << Simulator::Wiring::InProcess << QByteArray("000ZZ")
            << QStringLiteral("ZZA\u2407B\u241B\u2421");
        QTest::newRow("GB2312 text") << QStringLiteral("XY\u4E2D") << QStringList() << Simulator::Wiring::InProcess
                                     << QByteArray("000XY\xD6\xD0") << "XY";
    }
    void shouldShowTheRawReplyOfTheFreeCommand()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, simArgs);
        QFETCH(Simulator::Wiring, wiring);
        QFETCH(QByteArray, sent);
        QFETCH(QString, shownData);
        if (const QString why = Simulator::unavailable(wiring); !why.isEmpty())
            QSKIP(qPrintable(why));
        Simulator sim(simArgs, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        h.find<QLineEdit>("edCommandSend")->setText(typed);

        OperationProbe probe(h);
        probe.click("btnCommand");
        QCOMPARE(sim.requests(), QList<QByteArray> { sent });
        // The command test has no banner of its own.
        QCOMPARE(probe.banners, (QStringList { text(TextTable::ConnectingDevice), text(TextTable::CommandOk) }));
        checkEnding(h, text(TextTable::CommandOk), true);

        const QByteArray reply = h.traffic.lastReply();
        const QString crcDigits = QString::fromLatin1(reply.right(5).left(4));
        const QString expected = QStringLiteral("\u2403000") + shownData + QStringLiteral("\u2404") + crcDigits
            + QStringLiteral("\u240D");
        QCOMPARE(h.find<QLineEdit>("edCommandRecv")->text(), expected);
        QVERIFY(CommandFrame::isValidReply(reply));
    }

    void shouldKeepTheLastReplyWhenAnExchangeFails()
    {
        // Requests 1 to 3 are the connect, 4 the first command; the 5th goes unanswered.
        Simulator sim({ "--reply", "AB=FIRST", "--fail-nth", "5" });
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        h.click("btnCommand");
        const QString shown = h.find<QLineEdit>("edCommandRecv")->text();
        QVERIFY(shown.contains(QStringLiteral("ABFIRST")));

        h.click("btnCommand");
        QCOMPARE(sim.requests().size(), 2);
        checkEnding(h, text(TextTable::CommandError), false);
        QCOMPARE(h.find<QLineEdit>("edCommandRecv")->text(), shown);
    }

    void shouldRefuseACommandThatCannotGoOut_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<QString>("why");
        QTest::addColumn<int>("banner");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        const int gb2312 = 2;
        const int tooLong = TextTable::CommandTooLong;
        const int invalid = TextTable::InvalidValue;
        QTest::newRow("one byte too long") << QString(1491, QLatin1Char('B')) << gb2312 << "1494 bytes" << tooLong << Simulator::Wiring::Tcp;
        QTest::newRow("far too long") << QString(5000, QLatin1Char('B')) << gb2312 << "5003 bytes" << tooLong << Simulator::Wiring::InProcess;
        // Two bytes per character in GB2312: 746 characters are 1492 bytes.
        QTest::newRow("too long once encoded") << QString(746, QChar(0x4E2D)) << gb2312 << "1495 bytes" << tooLong << Simulator::Wiring::InProcess;
        QTest::newRow("STX inside") << QStringLiteral("A\u0002B") << gb2312 << "control character" << invalid << Simulator::Wiring::InProcess;
        QTest::newRow("CR inside") << QStringLiteral("AB\r") << gb2312 << "control character" << invalid << Simulator::Wiring::InProcess;
        QTest::newRow("NUL inside") << QString(QChar(0)) + QStringLiteral("AB") << gb2312 << "control character" << invalid << Simulator::Wiring::InProcess;
        QTest::newRow("Thai in GB2312") << QStringLiteral("A\u0E01") << gb2312 << "GB2312" << invalid << Simulator::Wiring::InProcess;
        QTest::newRow("Thai in Big5") << QStringLiteral("A\u0E01") << 1 << "BIG5" << invalid << Simulator::Wiring::InProcess;
    }
    void shouldRefuseACommandThatCannotGoOut()
    {
        QFETCH(QString, typed);
        QFETCH(int, encoding);
        QFETCH(QString, why);
        QFETCH(int, banner);
        QFETCH(Simulator::Wiring, wiring);
        Simulator sim({}, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        h.click("btnCommand");
        const QString shown = h.find<QLineEdit>("edCommandRecv")->text();
        const int opens = h.traffic.opens();
        sim.clearRequests();
        h.tone->played.clear();

        h.find<QComboBox>("cmbEncode")->setCurrentIndex(encoding);
        auto field = h.find<QLineEdit>("edCommandSend");
        field->setMaxLength(32767);
        field->setText(typed);
        QCOMPARE(field->text(), typed);
        h.click("btnCommand");
        QCOMPARE(h.banner(), text(banner));
        QVERIFY2(h.find("pnMsg")->toolTip().contains(why), qPrintable(h.find("pnMsg")->toolTip()));
        QCOMPARE(h.lamp("shComm"), LampRed);
        QCOMPARE(h.tone->played.size(), 1);
        QCOMPARE(h.tone->played.first().frequencyHz, 300);
        QCOMPARE(h.traffic.opens(), opens);
        QVERIFY(h.window->isEnabled());
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(h.find<QLineEdit>("edCommandRecv")->text(), shown);
        QTest::qWait(100);
        QVERIFY(sim.requests().isEmpty());
    }

    void shouldSendTheLongestCommandThatFits()
    {
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connect(h, sim));
        const QByteArray longest(CommandFrame::MaxCommandLength - 3, 'B');
        h.find<QLineEdit>("edCommandSend")->setMaxLength(32767);
        h.find<QLineEdit>("edCommandSend")->setText(QString::fromLatin1(longest));
        h.click("btnCommand");
        QCOMPARE(sim.requests(), QList<QByteArray> { "000" + longest });
        checkEnding(h, text(TextTable::CommandOk), true);
    }

    void shouldFillInThePreset_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("selBaud");
        // Before each press: 10.0.0.7, port 9, line 4800,n,8,1, controller speed item 0.
        QTest::newRow("5001") << QByteArray("btn5001") << "192.168.1.101" << "5001" << "4800,n,8,1" << 0;
        QTest::newRow("5003") << QByteArray("btn5003") << "192.168.1.101" << "5003" << "4800,n,8,1" << 0;
        QTest::newRow("19200") << QByteArray("btn19200") << "10.0.0.7" << "9" << "19200,e,8,1" << 0;
        QTest::newRow("115200") << QByteArray("btn115200") << "10.0.0.7" << "9" << "115200,n,8,1" << 0;
        QTest::newRow("controller 19200") << QByteArray("btnSel19200") << "10.0.0.7" << "9" << "4800,n,8,1" << 5;
        QTest::newRow("controller 115200") << QByteArray("btnSel115200") << "10.0.0.7" << "9" << "4800,n,8,1" << 10;
    }
    void shouldFillInThePreset()
    {
        QFETCH(QByteArray, button);
        QFETCH(QString, ip);
        QFETCH(QString, port);
        QFETCH(QString, line);
        QFETCH(int, selBaud);
        WindowHarness h;
        // The controller's own speed buttons sit in the work area, usable once connected.
        h.find("pcMain")->setEnabled(true);
        h.find<QLineEdit>("edIP")->setText(QStringLiteral("10.0.0.7"));
        h.find<QLineEdit>("edPort")->setText(QStringLiteral("9"));
        h.find<QComboBox>("cmbBaudrate")->setEditText(QStringLiteral("4800,n,8,1"));
        h.find<QComboBox>("cmbSelBaud")->setCurrentIndex(0);
        const QString banner = h.banner();

        h.click(button.constData());
        QCOMPARE(h.find<QLineEdit>("edIP")->text(), ip);
        QCOMPARE(h.find<QLineEdit>("edPort")->text(), port);
        QCOMPARE(h.find<QComboBox>("cmbBaudrate")->currentText(), line);
        QCOMPARE(h.find<QComboBox>("cmbSelBaud")->currentIndex(), selBaud);
        QCOMPARE(h.find<QComboBox>("cmbSelBaud")->currentText(), h.find<QComboBox>("cmbBaudrate")->itemText(selBaud));
        QCOMPARE(h.traffic.opens(), 0);
        QCOMPARE(h.banner(), banner);
        QVERIFY(h.tone->played.isEmpty());
    }
};

QTEST_MAIN(MaintenanceTest)
#include "maintenancetest.moc"
