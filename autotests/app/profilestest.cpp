// Profiles through the window, against two controllers on the simulator's bus: saved from one
// with the window's own fields, compared with and applied to the other, loaded into the
// controls; a bad profile refused with nothing sent; the menu entries with their dialogs.
#include "app/portlistrefresher.h"
#include "dialoganswerer.h"
#include "i18n/texttable.h"
#include "operationprobe.h"
#include "windowcontrols.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTableWidget>

namespace {

// The report window's rows as "name|controller|profile|result".
QStringList reportRows(const WindowHarness &h)
{
    auto *table = h.window->findChild<QTableWidget *>(QStringLiteral("tblProfileValues"));
    QStringList rows;
    for (int r = 0; table && r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QString reportSummary(const WindowHarness &h)
{
    auto *label = h.window->findChild<QLabel *>(QStringLiteral("lblProfileSummary"));
    return label ? label->text() : QString();
}

QList<QByteArray> writesTo(const Simulator &sim, const QByteArray &id)
{
    QList<QByteArray> out;
    for (const QByteArray &r : sim.requests()) {
        const QByteArray body = r.mid(3);
        if (r.startsWith(id) && body != "AS" && body != "AV" && !(body.startsWith("AP") && body.size() == 8))
            out << body;
    }
    return out;
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &text)
{
    QFile file(dir.filePath(QStringLiteral("profile.json")));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(text);
    return file.fileName();
}

} // namespace

class ProfilesTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldCarryAProfileFromOneControllerToAnother()
    {
        Simulator sim({ "--bus", "001-002" });
        QVERIFY(sim.start());
        WindowHarness h;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("site.json"));

        // The first controller set up by hand, saved with the window's title lines.
        QVERIFY(connectWithId(h, sim, QStringLiteral("001")));
        setControls(h, { "cmbDoorLog=0", "cmbHourType=1" });
        h.click("btnDoorLog");
        h.click("btnHourType");
        setControls(h, { "edTitle1=East gate", "edTitle2=", "cmbSelBaud=11" });
        QVERIFY(h.window->saveProfile(path));
        checkEnding(h, inEnglish(TextTable::ProfileSaved), true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonObject values = saved.value(QStringLiteral("values")).toObject();
        QCOMPARE(saved.value(QStringLiteral("serial-number")).toString(), QStringLiteral("24010042"));
        QCOMPARE(values.value(QStringLiteral("door-log")), QJsonValue(false));
        QCOMPARE(values.value(QStringLiteral("hour-format")), QJsonValue(QStringLiteral("12h")));
        QCOMPARE(values.value(QStringLiteral("title-line-1")), QJsonValue(QStringLiteral("East gate")));
        QCOMPARE(values.value(QStringLiteral("title-line-2")), QJsonValue(QString()));
        QCOMPARE(values.value(QStringLiteral("baud-rate")), QJsonValue(QStringLiteral("115200,e,8,1")));
        QCOMPARE(values.size(), 20);

        // The second differs in two values; what it cannot report is listed as such.
        QVERIFY(connectWithId(h, sim, QStringLiteral("002")));
        h.window->compareWithProfile(path);
        checkEnding(h, inEnglish(TextTable::CommandOk), true);
        QCOMPARE(reportRows(h), (QStringList { "hour-format|24h|12h|differs", "door-log|on|off|differs",
                                                "baud-rate||115200,e,8,1|cannot be read",
                                                "title-line-1||East gate|cannot be read", "title-line-2|||cannot be read" }));
        QCOMPARE(reportSummary(h), QStringLiteral("2 of 20 values differ"));
        QVERIFY(writesTo(sim, "002").isEmpty());

        // Applied: only what differs, no restart (neither value needs one), nothing to the first.
        sim.clearRequests();
        h.window->applyProfile(path, false);
        checkEnding(h, inEnglish(TextTable::CommandOk), true);
        QCOMPARE(writesTo(sim, "002"), (QList<QByteArray> { "AP000C0101", "AP008B0100" }));
        QVERIFY(writesTo(sim, "001").isEmpty());
        QCOMPARE(reportRows(h).mid(0, 3), (QStringList { "hour-format|24h|12h|written", "door-log|on|off|written",
                                                          "baud-rate||115200,e,8,1|not written (cannot be read)" }));
        QCOMPARE(reportSummary(h), QStringLiteral("2 values written, 0 did not take"));

        // Everything: the title lines and the line settings too, and a restart for the display.
        sim.clearRequests();
        h.window->applyProfile(path, true);
        checkEnding(h, inEnglish(TextTable::CommandOk), true);
        const QList<QByteArray> all = writesTo(sim, "002");
        QVERIFY(all.contains("AT1East gate"));
        QVERIFY(all.contains("AT2"));
        QCOMPARE(all.count("AJ"), 1);
        QCOMPARE(all.last(), QByteArray("AEB"));
        QVERIFY2(reportSummary(h).startsWith(QStringLiteral("20 values written, 0 did not take\nThe controller was restarted.")),
                 qPrintable(reportSummary(h)));
    }

    void shouldLoadAProfileIntoTheControlsWithoutSending()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, R"({"format": "zu42-profile", "version": 1, "model": "RO426",
            "created": "2026-12-07T10:00:00+08:00", "values": {"language": "simplified-chinese", "card-type": "type-2",
            "card-bits": "32", "same-card-delay": 7, "show-status": false, "door-force": true, "di-mode": "wiegand",
            "baud-rate": "9600,n,8,1", "title-line-1": "东门"}})");
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connectWithId(h, sim));
        setControls(h, { "cmbDoorLog=0", "edDoorTimeout=99" });
        QVERIFY(h.window->loadProfile(path));
        QCOMPARE(controlStates(h, { "cmdLanguage", "cmbCardType", "cmbCardByte", "cmbCardByte120", "edSameCard", "chkShowStatus",
                                    "cmbDoorForce", "cmbDI_3_4Mode", "cmbSelBaud", "edTitle1", "cmbDoorLog", "edDoorTimeout" }),
                 (QStringList { "cmdLanguage=2", "cmbCardType=2", "cmbCardByte=1", "cmbCardByte120=1", "edSameCard=7",
                                "chkShowStatus=0", "cmbDoorForce=1", "cmbDI_3_4Mode=1", "cmbSelBaud=2", "edTitle1=东门",
                                // values the profile does not hold stay as they were
                                "cmbDoorLog=0", "edDoorTimeout=99" }));
        QCOMPARE(h.banner(), inEnglish(TextTable::ProfileLoaded));
        QVERIFY(sim.requests().isEmpty());
        QCOMPARE(h.traffic.opens(), 1); // the connect's, and no other
    }

    // A file that cannot be right never opens the link; a profile for another model is refused
    // once the controller has said what it is, before anything is written.
    void shouldRefuseABadProfileWithNothingSent_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("banner");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QList<QByteArray>>("requests");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        const QByteArray head = R"({"format": "zu42-profile", "version": 1, "model": "ZO425", "created": "2026-12-07T10:00:00Z", )";
        QTest::newRow("damaged") << head + R"("values": {"door-log": fal)" << inEnglish(TextTable::ProfileRefused)
                                 << "Not a profile: damaged JSON" << QList<QByteArray> {} << Simulator::Wiring::Tcp;
        QTest::newRow("unknown version") << QByteArray(head).replace("\"version\": 1", "\"version\": 2") + R"("values": {"door-log": false}})"
                                         << inEnglish(TextTable::ProfileRefused) << "Profile version 2 is unknown to this program"
                                         << QList<QByteArray> {} << Simulator::Wiring::InProcess;
        QTest::newRow("out of range") << head + R"("values": {"title-lines": 3}})" << inEnglish(TextTable::ProfileRefused)
                                      << "Value title-lines: 3 is outside 0 to 2" << QList<QByteArray> {} << Simulator::Wiring::InProcess;
        QTest::newRow("another model") << QByteArray(head).replace("ZO425", "RO426") + R"("values": {"door-log": false}})"
                                       << inEnglish(TextTable::CommandError)
                                       << "The values were made for the RO426; this controller is the ZO425"
                                       << QList<QByteArray> { "000AV" } << Simulator::Wiring::InProcess;
    }

    void shouldRefuseABadProfileWithNothingSent()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, banner);
        QFETCH(QString, reason);
        QFETCH(QList<QByteArray>, requests);
        QFETCH(Simulator::Wiring, wiring);
        QTemporaryDir dir;
        const QString path = writeFile(dir, text);
        Simulator sim({}, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connectWithId(h, sim));
        const int opens = h.traffic.opens();
        h.window->applyProfile(path, true);
        QCOMPARE(h.banner(), banner);
        QVERIFY2(h.find<QLabel>("pnMsg")->toolTip().contains(reason), qPrintable(h.find<QLabel>("pnMsg")->toolTip()));
        QVERIFY2(reportSummary(h).contains(reason), qPrintable(reportSummary(h)));
        QCOMPARE(sim.requests(), requests);
        QCOMPARE(h.traffic.opens() - opens, requests.isEmpty() ? 0 : 1);
        QCOMPARE(h.lamp("shComm"), LampRed);
    }

    // The adapter pulled out during an apply and plugged in again as ttyUSB1: asked once, the
    // window goes on where it came back and writes each value once.
    void shouldAskOnceToGoOnWhenTheAdapterComesBack()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
            "created": "2026-12-07T10:00:00Z", "values": {"door-log": false, "hour-format": "12h",
            "show-status": false, "language": "simplified-chinese"}})");
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        h.window->setTransportFactory(sim.factory());
        QString adapterAt = QStringLiteral("ttyUSB0");
        h.find<QComboBox>("cmbPort")->findChild<PortListRefresher *>()->setSource([&] {
            if (sim.model()->unplugged())
                return QList<SerialPortEntry> {};
            return QList<SerialPortEntry> { { adapterAt, "/dev/" + adapterAt, "FT232R USB UART", "FTDI", "A50285BI", "/dev/serial/by-id/A" } };
        });
        h.useSerial(adapterAt);
        h.click("btnConnect");
        int questions = 0;
        DialogAnswerer answerer([&](QWidget *dialog) {
            if (auto *goOn = dialog->findChild<QPushButton *>("btnResumeGoOn"); goOn && ++questions)
                goOn->click();
        });
        // Plugged in again during the wait, under the next name.
        QTimer plug;
        QObject::connect(&plug, &QTimer::timeout, [&] {
            if (sim.model()->unplugged()) {
                adapterAt = QStringLiteral("ttyUSB1");
                sim.model()->plugBackIn();
            }
        });
        plug.start(100);
        sim.clearRequests();
        sim.model()->setVanishAfter(5); // the model, two read-backs, a write, then the second write

        h.window->applyProfile(path, false);

        QCOMPARE(questions, 1);
        QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));
        QCOMPARE(writesTo(sim, "000"), (QList<QByteArray> { "AP000A020202", "AP000C0101", "AP001B03020001", "AP008B0100", "AJ" }));
        QCOMPARE(h.find<QComboBox>("cmbPort")->currentText(), QStringLiteral("ttyUSB1"));
        QVERIFY(h.find<QLabel>("pnMsg")->toolTip().startsWith(inEnglish(TextTable::AdapterMovedTip).arg("FTDI FT232R USB UART A50285BI", "ttyUSB1", "ttyUSB0")));
    }

    // Before a connect the window knows no controller to save from or write to.
    void shouldAskForAConnectFirst()
    {
        QTemporaryDir dir;
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        h.use(sim);
        QVERIFY(!h.window->saveProfile(dir.filePath(QStringLiteral("p.json"))));
        QCOMPARE(h.banner(), inEnglish(TextTable::ConnectFirst));
        QVERIFY(sim.requests().isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("p.json"))));
    }

    // The menu entries, each through its file dialog; apply through its question as well.
    void shouldWorkFromTheToolsMenu()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("menu.json"));
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connectWithId(h, sim));
        QString button = QStringLiteral("btnApplyEverything");
        DialogAnswerer answerer([&](QWidget *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                // Typed into the file name field, as a person does.
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                QMetaObject::invokeMethod(files, "accept");
            } else if (auto *question = qobject_cast<QMessageBox *>(dialog)) {
                if (auto *b = question->findChild<QPushButton *>(button))
                    b->click();
            }
        });
        h.find<QAction>("mnuProfileSave")->trigger();
        QVERIFY(QFile::exists(path));
        QCOMPARE(h.banner(), inEnglish(TextTable::ProfileSaved));

        sim.clearRequests();
        h.find<QAction>("mnuProfileCompare")->trigger();
        QCOMPARE(reportSummary(h), QStringLiteral("0 of 20 values differ"));

        h.find<QAction>("mnuProfileApply")->trigger();
        QVERIFY(writesTo(sim, "000").contains("AT1ZOVUR CORP."));
        QCOMPARE(h.banner(), inEnglish(TextTable::CommandOk));

        sim.clearRequests();
        button = QStringLiteral("btnApplyDifferences");
        h.find<QAction>("mnuProfileApply")->trigger();
        QVERIFY(writesTo(sim, "000").isEmpty());
        QCOMPARE(reportSummary(h), inEnglish(TextTable::NothingToWrite));

        h.find<QAction>("mnuProfileLoad")->trigger();
        QCOMPARE(h.banner(), inEnglish(TextTable::ProfileLoaded));
    }

    // A damaged file is said at once: the operator is not asked how to apply what cannot be.
    void shouldRefuseADamagedProfileBeforeAskingHowToApplyIt()
    {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QByteArray("{\"format\": \"zu42-profile\", \"version\": 1, \"model\": \"ZO425\", \"values\": {\"door-log\": fal"));
        Simulator sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connectWithId(h, sim));
        sim.clearRequests();
        int asked = 0;
        DialogAnswerer answerer([&](QWidget *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                QMetaObject::invokeMethod(files, "accept");
            } else if (auto *question = qobject_cast<QMessageBox *>(dialog)) {
                ++asked;
                question->findChild<QPushButton *>(QStringLiteral("btnApplyCancel"))->click();
            }
        });
        h.find<QAction>("mnuProfileApply")->trigger();
        QCOMPARE(asked, 0);
        QCOMPARE(h.banner(), inEnglish(TextTable::ProfileRefused));
        QVERIFY2(reportSummary(h).contains(QStringLiteral("damaged JSON")), qPrintable(reportSummary(h)));
        QVERIFY(sim.requests().isEmpty());
    }

    void shouldShowTheReportInEveryLanguage_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("language");
        // Chosen while the report is open: what it already shows follows.
        QTest::addColumn<bool>("afterwards");
        QTest::addColumn<Simulator::Wiring>("wiring"); // one row reaches zu42sim as a process
        QTest::newRow("English") << "mnuEnglish" << int(TextTable::English) << false << Simulator::Wiring::Tcp;
        QTest::newRow("Simplified Chinese") << "mnuSimplified" << int(TextTable::SimplifiedChinese) << false << Simulator::Wiring::InProcess;
        QTest::newRow("Traditional Chinese") << "mnuTraditional" << int(TextTable::TraditionalChinese) << false << Simulator::Wiring::InProcess;
        QTest::newRow("Traditional Chinese, report open") << "mnuTraditional" << int(TextTable::TraditionalChinese) << true << Simulator::Wiring::InProcess;
    }

    void shouldShowTheReportInEveryLanguage()
    {
        QFETCH(QString, menu);
        QFETCH(int, language);
        QFETCH(bool, afterwards);
        QFETCH(Simulator::Wiring, wiring);
        QTemporaryDir dir;
        const QString path = writeFile(dir, R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
            "created": "2026-12-07T10:00:00Z", "values": {"door-log": false, "title-line-1": "A"}})");
        Simulator sim({}, wiring);
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(connectWithId(h, sim));
        if (!afterwards)
            h.find<QAction>(menu.toLatin1().constData())->trigger();
        h.window->compareWithProfile(path);
        if (afterwards)
            h.find<QAction>(menu.toLatin1().constData())->trigger();
        const auto text = [language](int id) { return TextTable::text(id, language); };
        auto *table = h.window->findChild<QTableWidget *>(QStringLiteral("tblProfileValues"));
        QCOMPARE(table->horizontalHeaderItem(0)->text(), text(TextTable::ValueColumn));
        QCOMPARE(table->horizontalHeaderItem(3)->text(), text(TextTable::ResultColumn));
        QCOMPARE(table->item(0, 3)->text(), text(TextTable::StateDiffers));
        QCOMPARE(table->item(1, 3)->text(), text(TextTable::StateUnknown));
        QCOMPARE(reportSummary(h), text(TextTable::CompareSummary).arg(1).arg(2));
        QCOMPARE(h.window->findChild<QPushButton *>(QStringLiteral("btnProfileClose"))->text(), text(TextTable::CloseButton));
        auto *report = h.window->findChild<QDialog *>(QStringLiteral("frmProfileReport"));
        QCOMPARE(report->windowTitle(), text(TextTable::ProfileReportTitle) + QStringLiteral(" - profile.json"));
    }

    void shouldAskInTheWindowsLanguage_data()
    {
        addLanguageRows();
    }

    // Every button of the apply question in the language; its Cancel applies nothing.
    void shouldAskInTheWindowsLanguage()
    {
        QFETCH(QString, menu);
        QFETCH(int, language);
        QTemporaryDir dir;
        const QString path = writeFile(dir, R"({"format": "zu42-profile", "version": 1, "model": "ZO425",
            "created": "2026-12-07T10:00:00Z", "values": {"door-log": false}})");
        WindowHarness h;
        h.find<QAction>(menu.toLatin1().constData())->trigger();
        QStringList buttons;
        DialogAnswerer answerer([&](QWidget *dialog) {
            if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
                files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
                QMetaObject::invokeMethod(files, "accept");
            } else if (auto *question = qobject_cast<QMessageBox *>(dialog)) {
                for (QAbstractButton *button : question->buttons())
                    buttons << button->text();
                question->findChild<QPushButton *>(QStringLiteral("btnApplyCancel"))->click();
            }
        });
        h.find<QAction>("mnuProfileApply")->trigger();
        const auto text = [language](int id) { return TextTable::text(id, language); };
        buttons.sort();
        QStringList expected { text(TextTable::ApplyDifferencesButton), text(TextTable::ApplyEverythingButton),
                               text(TextTable::CancelButton) };
        expected.sort();
        QCOMPARE(buttons, expected);
        QVERIFY(!h.window->findChild<QDialog *>(QStringLiteral("frmProfileReport")));
    }
};

QTEST_MAIN(ProfilesTest)
#include "profilestest.moc"
