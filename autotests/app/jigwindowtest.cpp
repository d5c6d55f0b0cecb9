// The production window of the jig test, offscreen, against zu42sim over TCP: how its fields,
// buttons and keys reach the run's decisions (JigRunTest has the decisions themselves, one layer
// down), the main window held off meanwhile, the language switch, and the records in a real
// SQLite file of the data folder.
#include "app/jigstepmodel.h"
#include "app/jigwindow.h"
#include "app/verdictpanel.h"
#include "datahome.h"
#include "i18n/texttable.h"
#include "records/recordstore.h"
#include "settings/jigsettings.h"
#include "storefile.h"
#include "windowharness.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTableView>
#include <QTcpServer>
#include <QTimer>

namespace {

// The main window with its jig window open, its settings and its data folder in temporary
// folders, and the link page on the simulator's port.
class JigHarness
{
public:
    explicit JigHarness(const std::function<void(const QString &configDir)> &configure = {})
    {
        DataHome::set(m_dataDir.path());
        h = std::make_unique<WindowHarness>(configure);
        h->window->show();
        h->find<QAction>("mnuJig")->trigger();
        jig = qobject_cast<JigWindow *>(h->window->jigWindow());
        // Short settle times keep the series quick; the simulator's inputs follow at once.
        if (jig)
            jig->setSettleMs(20);
    }
    ~JigHarness()
    {
        h.reset();
        DataHome::unset();
    }

    template<typename T = QWidget>
    T *find(const char *name) const
    {
        T *w = jig->findChild<T *>(QLatin1String(name));
        if (!w)
            qWarning("no control named %s in frmJig", name);
        return w;
    }
    QString text(const char *label) const { return find<QLabel>(label)->text(); }
    void set(const char *field, const QString &text)
    {
        find<QLineEdit>(field)->setText(text);
        Q_EMIT find<QLineEdit>(field)->editingFinished();
    }
    void start() { find<QPushButton>("btnStart")->click(); }
    // A caption that does not fit its control at the window's smallest size ("name: width <
    // needed"), or nothing.
    QString cutCaption() const
    {
        jig->resize(jig->minimumSize());
        QCoreApplication::processEvents();
        for (const QWidget *w : jig->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<const QLabel *>(w);
            const bool caption = (label && !label->wordWrap()) || qobject_cast<const QPushButton *>(w);
            if (caption && w->isVisible() && w->width() < w->sizeHint().width())
                return QStringLiteral("%1: %2 < %3").arg(w->objectName()).arg(w->width()).arg(w->sizeHint().width());
        }
        return QString();
    }

    VerdictPanel::State verdict() const { return find<VerdictPanel>("pnVerdict")->state(); }
    QString verdictWord() const { return find<VerdictPanel>("pnVerdict")->word(); }
    QString verdictDetail() const { return find<VerdictPanel>("pnVerdict")->detail(); }

    QString sqlitePath() const { return m_dataDir.filePath(QStringLiteral("zu42tools/records.sqlite")); }
    QString pendingPath() const { return m_dataDir.filePath(QStringLiteral("zu42tools/records.pending.jsonl")); }
    QString dataDir() const { return m_dataDir.path(); }

    // Every record in the default store, read through a connection of the test's own.
    QList<UnitRecord> records() const
    {
        RecordStore reader(*RecordStoreSettings::parse(QStringLiteral("sqlite:") + sqlitePath()));
        const auto all = reader.unitsBetween(QDateTime::fromSecsSinceEpoch(0), QDateTime::currentDateTime().addDays(1));
        if (!all)
            qWarning("cannot read the records: %s", qPrintable(reader.why()));
        return all.value_or(QList<UnitRecord>());
    }

    // The steps table as the operator reads it: "step | measured | result" per row.
    QStringList table() const
    {
        const QAbstractItemModel *model = find<QTableView>("tblSteps")->model();
        QStringList rows;
        for (int r = 0; r < model->rowCount(); ++r)
            rows << QStringLiteral("%1 | %2 | %3").arg(model->index(r, 0).data().toString(), model->index(r, 2).data().toString(),
                                                        model->index(r, 3).data().toString());
        return rows;
    }

    std::unique_ptr<WindowHarness> h;
    JigWindow *jig = nullptr;

private:
    QTemporaryDir m_dataDir;
};

int countOf(const QList<QByteArray> &requests, const QByteArray &command)
{
    return int(requests.count(command));
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class JigWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldOpenFromTheToolsMenuOnce()
    {
        JigHarness j;
        QVERIFY(j.jig);
        QCOMPARE(j.jig->objectName(), QStringLiteral("frmJig"));
        QVERIFY(j.jig->isVisible());
        QVERIFY(!j.jig->parentWidget());
        j.h->find<QAction>("mnuJig")->trigger();
        QCOMPARE(j.h->window->jigWindow(), j.jig);
        QCOMPARE(j.jig->windowTitle(), QStringLiteral("Jig test"));
        QCOMPARE(j.verdict(), VerdictPanel::State::Ready);
        const QString cut = j.cutCaption();
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        QCOMPARE(j.h->window->size(), QSize(680, 627 + j.h->window->menuBar()->sizeHint().height()));
    }

    void shouldShowTheVerdictAndTheFailingStep_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("failedRow");
        QTest::newRow("good unit") << QStringList() << int(VerdictPanel::State::Pass) << "ZO425 S/N 24010042 ID 000" << "";
        QTest::newRow("DI3 stuck on") << QStringList { "--jig-fault", "stuck-on:DI3" } << int(VerdictPanel::State::Fail)
                                      << "DO1 alone: measured DI1 DI3, expected DI1" << "DO1 alone | DI1 DI3 | FAIL";
        // The other faults' verdicts and steps: JigRunTest, one layer down.
    }

    void shouldShowTheVerdictAndTheFailingStep()
    {
        QFETCH(QStringList, fault);
        QFETCH(int, verdict);
        QFETCH(QString, detail);
        QFETCH(QString, failedRow);
        SimProcess sim(QStringList { "--jig" } + fault);
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));

        // At each of the run's message points: is the main window held off, the jig window not?
        // And how many steps had their result in the table then: the operator sees them come.
        int heldOff = 0, notHeldOff = 0;
        QSet<int> stepsShown;
        QTimer sampler;
        sampler.setInterval(0);
        connect(&sampler, &QTimer::timeout, [&] {
            // From the link's opening to its close, when the bracket holds the main window.
            if (!j.jig->running() || !j.h->window->session().link().isOpen())
                return;
            (!j.h->window->isEnabled() && j.jig->isEnabled() ? heldOff : notHeldOff) += 1;
            stepsShown.insert(int(j.table().filter(QRegularExpression(QStringLiteral("\\| (PASS|FAIL)$"))).size()));
        });
        sampler.start();
        j.start();
        sampler.stop();

        QCOMPARE(int(j.verdict()), verdict);
        QCOMPARE(j.verdictWord(), QString(verdict == int(VerdictPanel::State::Pass) ? "PASS" : "FAIL"));
        QVERIFY2(j.verdictDetail().startsWith(detail), qPrintable(j.verdictDetail()));
        QVERIFY(heldOff > 3);
        QCOMPARE(notHeldOff, 0);
        QVERIFY2(stepsShown.contains(1) && stepsShown.contains(3), qPrintable(QString::number(stepsShown.size())));
        QVERIFY(j.h->window->isEnabled());
        QVERIFY(!j.h->window->session().link().isOpen());
        QCOMPARE(j.h->traffic.opens(), 1);
        QCOMPARE(j.h->traffic.closes(), 1);
        QCOMPARE(sim.requests().last(), QByteArray("000JE"));

        const QStringList table = j.table();
        QCOMPARE(table.size(), JigTest::stepNames().size());
        if (failedRow.isEmpty()) {
            for (const QString &row : table)
                QVERIFY2(row.endsWith(QLatin1String("| PASS")), qPrintable(row));
        } else {
            QVERIFY2(table.contains(failedRow), qPrintable(table.join(QLatin1Char('\n'))));
            // Stopped at the first failure: the steps after it say they did not run.
            QCOMPARE(table.last(), QStringLiteral("End |  | not run"));
        }

        // The record in the data folder's SQLite file says what the window showed.
        const QList<UnitRecord> records = j.records();
        QCOMPARE(records.size(), 1);
        const UnitRecord &record = records.first();
        QCOMPARE(record.verdict, verdict == int(VerdictPanel::State::Pass) ? UnitRecord::Verdict::Pass : UnitRecord::Verdict::Fail);
        QCOMPARE(record.serialNumber, QStringLiteral("24010042"));
        QCOMPARE(record.operatorName, QStringLiteral("Li Wei"));
        QCOMPARE(record.station, j.find<QLineEdit>("edStation")->text());
        QCOMPARE(record.jigMapName, QStringLiteral("Simulator jig"));
        // Every step that ran, in the table and in the record alike; a run stopped at its first
        // failure leaves the rest of the table empty.
        QStringList ran;
        for (const QString &row : table)
            if (!row.endsWith(QLatin1String("| not run")))
                ran << row.section(QStringLiteral(" | "), 1, 1);
        QStringList kept;
        for (const StepRecord &step : record.steps)
            kept << step.measured;
        QCOMPARE(kept, ran);
        QCOMPARE(j.text("lblNote"), QStringLiteral("Record stored."));
        QCOMPARE(j.text("lblPending"), QStringLiteral("Records waiting on this PC: 0"));
        QVERIFY(!QFile::exists(j.pendingPath()));
    }

    // The day's counters as the window shows them after each unit and for the station named; how
    // a retest counts is JigRunTest's.
    void shouldCountTheDayWithARetest()
    {
        SimProcess stuckA({ "--jig", "--serial", "24010001", "--jig-fault", "stuck-on:DI3" });
        SimProcess goodB({ "--jig", "--serial", "24010002" });
        for (SimProcess *sim : { &stuckA, &goodB })
            QVERIFY(sim->start());
        JigHarness j;
        j.set("edStation", QStringLiteral("Line 2"));
        j.set("edOperator", QStringLiteral("Li Wei"));
        QCOMPARE(j.text("lblUnits"), QStringLiteral("0"));
        QCOMPARE(j.text("lblYield"), QStringLiteral("-"));

        struct Expected { SimProcess *sim; const char *units, *passed, *failed, *yield; };
        const Expected series[] = {
            { &stuckA, "1", "0", "1", "0.0 % (0/1)" },
            { &goodB, "2", "1", "1", "50.0 % (1/2)" },
        };
        for (const Expected &unit : series) {
            j.h->useTcp(unit.sim->port());
            j.start();
            QCOMPARE(QStringList({ j.text("lblUnits"), j.text("lblPassed"), j.text("lblFailed"), j.text("lblYield") }),
                     QStringList({ unit.units, unit.passed, unit.failed, unit.yield }));
        }
        // Another station's counters are its own; a station's come back when it is named again.
        j.set("edStation", QStringLiteral("Line 3"));
        QCOMPARE(j.text("lblUnits"), QStringLiteral("0"));
        j.set("edStation", QStringLiteral("Line 2"));
        QCOMPARE(j.text("lblUnits"), QStringLiteral("2"));
        QCOMPARE(j.records().size(), 2);
    }

    // What the window refuses is refused before the link opens: nothing reaches the controller
    // and nothing is recorded.
    void shouldRefuseBeforeSendingAnything_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("value");   // for edJigMap: the content of a map file
        QTest::addColumn<QString>("detail");
        QTest::addColumn<bool>("stationFault");  // ERROR: the station cannot test, rather than NOT TESTED
        QTest::newRow("damaged jig map") << "edJigMap" << QByteArray("name = B\nDO1 = DI1\nDO2 = DI5\nDO3 = DI3\nDO4 = DI4\n")
                                         << "The jig map cannot be used:\nthe jig map %1 is damaged: line 3: DO2: unknown input \"DI5\"" << true;
        QTest::newRow("no station") << "edStation" << QByteArray("  ") << "Enter the station name." << false;
        QTest::newRow("no operator") << "edOperator" << QByteArray("") << "Enter the operator." << false;
        QTest::newRow("a store of no known kind") << "edRecordStore" << QByteArray("mysql://db/records")
                                                  << "The record store setting is not valid:\n\"mysql://db/records\" is neither" << false;
    }

    void shouldRefuseBeforeSendingAnything()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, value);
        QFETCH(QString, detail);
        QFETCH(bool, stationFault);
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        QTemporaryDir dir;
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        // A unit before: nothing of it may stay beside the refusal.
        j.start();
        QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
        sim.clearRequests();
        const int opensBefore = j.h->traffic.opens();
        QString text = QString::fromUtf8(value);
        if (field == QLatin1String("edJigMap")) {
            text = writeFile(dir, QStringLiteral("jig.map"), value);
            detail = detail.arg(text);
        }
        j.set(field.toLatin1().constData(), text);
        j.start();

        QCOMPARE(j.verdict(), stationFault ? VerdictPanel::State::Error : VerdictPanel::State::NotTested);
        QCOMPARE(j.verdictWord(), stationFault ? QStringLiteral("ERROR") : QStringLiteral("NOT TESTED"));
        QVERIFY2(j.verdictDetail().startsWith(detail), qPrintable(j.verdictDetail()));
        QVERIFY(sim.requests().isEmpty());
        QCOMPARE(j.h->traffic.opens(), opensBefore);
        QCOMPARE(j.records().size(), 1);
        QCOMPARE(j.text("lblNote"), QString());
        const QAbstractItemModel *steps = j.find<QTableView>("tblSteps")->model();
        for (int row = 0; row < steps->rowCount(); ++row)
            QCOMPARE(steps->index(row, JigStepModel::ResultColumn).data().toString(), QString());
        QVERIFY(j.h->window->isEnabled());
    }

    // A barcode scanner types into the focused field and ends with Enter; a foot switch sends a
    // space. Either starts a unit, but a space typed into a name stays a space and Enter in the
    // settings fields only applies them.
    void shouldStartOnTheKeysOfTheLine_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("operatorName");
        QTest::newRow("scanner in the operator field") << "edOperator" << "OP 1207" << int(Qt::Key_Return) << true << "OP 1207";
        QTest::newRow("keypad Enter in the station field") << "edStation" << "" << int(Qt::Key_Enter) << true << "Li Wei";
        QTest::newRow("foot switch on Start") << "btnStart" << "" << int(Qt::Key_Space) << true << "Li Wei";
        QTest::newRow("Enter on Start") << "btnStart" << "" << int(Qt::Key_Return) << true << "Li Wei";
        QTest::newRow("space in the operator field") << "edOperator" << "" << int(Qt::Key_Space) << false << "";
        QTest::newRow("Enter in the map field") << "edJigMap" << "" << int(Qt::Key_Return) << false << "";
        QTest::newRow("Enter in the store field") << "edRecordStore" << "" << int(Qt::Key_Return) << false << "";
        QTest::newRow("Enter on the export button") << "btnExportJson" << "" << int(Qt::Key_Return) << false << "";
    }

    void shouldStartOnTheKeysOfTheLine()
    {
        QFETCH(QString, focus);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(bool, starts);
        QFETCH(QString, operatorName);
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", typed.isEmpty() ? QStringLiteral("Li Wei") : QString());

        QWidget *target = j.find(focus.toLatin1().constData());
        target->setFocus();
        if (!typed.isEmpty())
            QTest::keyClicks(target, typed);
        QTest::keyClick(target, Qt::Key(key));

        QCOMPARE(countOf(sim.requests(), "000JE"), starts ? 1 : 0);
        const QList<UnitRecord> records = j.records();
        QCOMPARE(records.size(), starts ? 1 : 0);
        if (starts)
            QCOMPARE(records.first().operatorName, operatorName);
        if (focus == QLatin1String("edOperator") && key == Qt::Key_Space)
            QCOMPARE(j.find<QLineEdit>("edOperator")->text(), QStringLiteral("Li Wei "));
    }

    // Presses that arrive while a unit is on test (a second scan, a bouncing foot switch) and a
    // start while the main window runs an operation of its own change nothing.
    void shouldIgnoreAStartWhileAUnitIsOnTest()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        int pressedDuringRun = 0;
        QTimer::singleShot(150, j.jig, [&] {
            pressedDuringRun += j.jig->running() ? 1 : 0;
            j.start();
            QTest::keyClick(j.find("btnStart"), Qt::Key_Space);
            QTest::keyClick(j.find("edStation"), Qt::Key_Return);
            j.h->find<QAction>("mnuJig")->trigger();
        });
        j.start();
        QCOMPARE(pressedDuringRun, 1);
        QCOMPARE(countOf(sim.requests(), "000JE"), 1);
        QCOMPARE(countOf(sim.requests(), "000AS"), 2);   // the scan and the serial number, once
        QCOMPARE(j.records().size(), 1);
        QCOMPARE(j.h->traffic.opens(), 1);
        QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
    }

    // Closing the window while a unit is on test: the unit finishes and is recorded first.
    void shouldCloseOnlyAfterTheUnitIsRecorded()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        bool visibleAfterClose = false;
        QTimer::singleShot(150, j.jig, [&] {
            j.jig->close();
            visibleAfterClose = j.jig->isVisible();
        });
        j.start();
        QVERIFY(visibleAfterClose);
        QCOMPARE(j.records().size(), 1);
        QTRY_VERIFY(!j.jig->isVisible());
        QCOMPARE(countOf(sim.requests(), "000JE"), 1);
    }

    void shouldNotStartWhileTheMainWindowRunsAnOperation()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->find<QLineEdit>("edScanId")->setText(QStringLiteral("000"));
        QVERIFY(j.h->connectTo(sim));
        sim.clearRequests();
        j.set("edOperator", QStringLiteral("Li Wei"));
        // The automatic test keeps the window usable while it loops; the jig's Start comes in then.
        QTimer::singleShot(300, j.jig, [&] { j.start(); });
        QTimer::singleShot(600, j.h->window.get(), [&] { j.h->click("btnAuto"); });
        j.h->click("btnAuto");
        QCOMPARE(j.verdict(), VerdictPanel::State::NotTested);
        QCOMPARE(j.verdictDetail(), QStringLiteral("The main window is busy with another operation."));
        QCOMPARE(countOf(sim.requests(), "000AS"), 0);
        QVERIFY(j.records().isEmpty());
    }

    void shouldSayWhenTheLinkDoesNotOpen()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        JigHarness j;
        j.h->useTcp(port);
        j.set("edOperator", QStringLiteral("Li Wei"));
        j.start();
        QCOMPARE(j.verdict(), VerdictPanel::State::NotTested);
        QVERIFY2(j.verdictDetail().startsWith(QStringLiteral("Connect device error!\n")), qPrintable(j.verdictDetail()));
        QVERIFY(j.records().isEmpty());
        QVERIFY(j.h->window->isEnabled());
    }

    // The store cannot be reached: the verdict stands, the record waits on this PC with a note,
    // for that store only; it goes to another store when the operator says so, exactly once.
    void shouldKeepTheRecordWhenTheStoreIsAway()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        j.set("edRecordStore", QStringLiteral("postgresql://line@127.0.0.1:%1/records").arg(port));
        QCOMPARE(j.text("lblStore"), QStringLiteral("postgresql://line@127.0.0.1:%1/records").arg(port));

        j.start();
        QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
        QVERIFY2(j.text("lblNote").startsWith(QStringLiteral("Record store not reached")), qPrintable(j.text("lblNote")));
        QCOMPARE(j.text("lblPending"), QStringLiteral("Records waiting on this PC: 1"));
        QCOMPARE(j.text("lblUnits"), QStringLiteral("-"));
        QVERIFY(QFile::exists(j.pendingPath()));
        QVERIFY(j.find<QPushButton>("btnStart")->isEnabled());

        // Back to this PC's database: what waited for the server stays waiting for it.
        j.set("edRecordStore", QString());
        QCOMPARE(j.text("lblPending"), QStringLiteral("Records waiting on this PC: 0 for this store, 1 for other stores"));
        QCOMPARE(j.find<QLabel>("lblPending")->toolTip(), QStringLiteral("1 waiting for postgresql://line@127.0.0.1:%1/records").arg(port));
        QVERIFY(j.records().isEmpty());
        QVERIFY(QFile::exists(j.pendingPath()));

        // Sent here only when asked, and the question says from where to where.
        QStringList questions;
        bool answer = false;
        j.jig->setConfirm([&](const QString &question) {
            questions << question;
            return answer;
        });
        QVERIFY(j.find<QPushButton>("btnDeliverHere")->isVisibleTo(j.jig));
        for (bool yes : { false, true }) {
            answer = yes;
            j.find<QPushButton>("btnDeliverHere")->click();
            QCOMPARE(j.records().size(), yes ? 1 : 0);
        }
        QCOMPARE(questions.size(), 2);
        QCOMPARE(questions[1], QStringLiteral("Send the 1 records meant for postgresql://line@127.0.0.1:%1/records to %2 instead?")
                                   .arg(port)
                                   .arg(j.text("lblStore")));
        QCOMPARE(j.text("lblPending"), QStringLiteral("Records waiting on this PC: 0"));
        QCOMPARE(j.text("lblUnits"), QStringLiteral("1"));
        QVERIFY(!j.find<QPushButton>("btnDeliverHere")->isVisibleTo(j.jig));
        QVERIFY(!QFile::exists(j.pendingPath()));
    }

    // An engineering run: switched on in the window, remembered, shown large, recorded as one and
    // not counted.
    void shouldRecordEngineeringRunsApart()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        QCOMPARE(j.text("lblEngineering"), QString());
        j.find<QCheckBox>("chkEngineering")->setChecked(true);
        QCOMPARE(j.text("lblEngineering"), QStringLiteral("ENGINEERING RUN: not counted in yield"));
        QVERIFY(JigSettings::read().engineering);
        j.start();
        QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
        QCOMPARE(j.records().size(), 1);
        QVERIFY(j.records().constFirst().engineering);
        QCOMPARE(j.text("lblUnits"), QStringLiteral("0"));
        j.find<QCheckBox>("chkEngineering")->setChecked(false);
        QVERIFY(!JigSettings::read().engineering);
        j.start();
        QCOMPARE(j.records().size(), 2);
        QCOMPARE(j.text("lblUnits"), QStringLiteral("1"));
    }

    // A certificate after each unit when the switch is on: written where the settings say,
    // named after the unit, handed to the viewer once; the switch is remembered. A folder that
    // cannot take it is said in the note, and nothing is opened.
    void shouldWriteTheCertificateWhenAsked_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::newRow("folder setting") << true;
        QTest::newRow("folder is a file") << false;
    }

    void shouldWriteTheCertificateWhenAsked()
    {
        QFETCH(bool, writable);
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        QTemporaryDir dir;
        const QString folder = writable ? dir.filePath(QStringLiteral("certificates")) : writeFile(dir, QStringLiteral("taken"), "x");
        auto configure = [&](const QString &configDir) {
            StoreFile::write(configDir, StoreFile::withValues(QStringLiteral("\"JigCertificate\"=dword:00000001\n\"JigCertificateFolder\"=\"%1\"\n")
                                                                  .arg(folder).toUtf8()));
        };
        JigHarness j(configure);
        QStringList opened;
        j.jig->setOpenFile([&](const QString &path) { opened << path; });
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        QVERIFY(j.find<QCheckBox>("chkCertificate")->isChecked());
        j.start();
        QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
        if (!writable) {
            QCOMPARE(opened, QStringList());
            QVERIFY2(j.text("lblNote").contains(QStringLiteral("The certificate could not be written.")), qPrintable(j.text("lblNote")));
            QVERIFY2(j.find<QLabel>("lblNote")->toolTip().contains(folder), qPrintable(j.find<QLabel>("lblNote")->toolTip()));
            return;
        }
        const QStringList written = QDir(folder).entryList({ QStringLiteral("certificate-24010042-*.pdf") }, QDir::Files);
        QCOMPARE(written.size(), 1);
        QCOMPARE(opened, QStringList { QDir(folder).filePath(written.first()) });
        QFile pdf(opened.first());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.read(5) == "%PDF-");
        QVERIFY2(j.find<QLabel>("lblNote")->toolTip().contains(QDir::toNativeSeparators(opened.first())), qPrintable(j.find<QLabel>("lblNote")->toolTip()));
        // Switched off: remembered, and the next unit gets none.
        j.find<QCheckBox>("chkCertificate")->setChecked(false);
        QVERIFY(!JigSettings::read().certificate);
        QCOMPARE(JigSettings::read().certificateFolder, folder);
        j.start();
        QCOMPARE(j.records().size(), 2);
        QCOMPARE(opened.size(), 1);
    }

    // The window's values live in the settings store under names of their own; the main
    // window's values are left as they were, and a new window finds its values again.
    void shouldRememberItsFieldsUnderNewNames()
    {
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        QTemporaryDir dir;
        const QString mapPath = writeFile(dir, QStringLiteral("b.map"), "name = Fixture B\nDO1 = DI1\nDO2 = DI2\nDO3 = DI3 DI7\nDO4 = DI4 DI8\n");
        const QByteArray mainValues = "\"TYPE\"=dword:00000001\n\"NetIP\"=\"127.0.0.1\"\n\"LanguageFlag\"=\"English\"\n";
        auto configure = [&](const QString &configDir) { StoreFile::write(configDir, StoreFile::withValues(mainValues)); };
        QByteArray storedBytes;
        {
            JigHarness j(configure);
            const QString configDir = j.h->configDir();
            j.h->useTcp(sim.port());
            j.set("edStation", QStringLiteral("线 2"));
            j.set("edOperator", QStringLiteral("王小明"));
            j.set("edJigMap", mapPath);
            QCOMPARE(j.text("lblMapName"), QStringLiteral("Fixture B"));
            j.start();
            QCOMPARE(j.verdict(), VerdictPanel::State::Pass);
            QCOMPARE(j.records().first().jigMapName, QStringLiteral("Fixture B"));

            const QString stored = QString::fromUtf8(StoreFile::read(configDir));
            for (const QString &line : QString::fromUtf8(mainValues).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                QVERIFY2(stored.contains(line), qPrintable(stored));
            QVERIFY2(stored.contains(QStringLiteral("\"JigStation\"=\"线 2\"")), qPrintable(stored));
            QVERIFY2(stored.contains(QStringLiteral("\"JigOperator\"=\"王小明\"")), qPrintable(stored));
            QVERIFY2(stored.contains(QStringLiteral("\"JigMapFile\"=\"%1\"").arg(mapPath)), qPrintable(stored));
            QVERIFY2(stored.contains(QStringLiteral("\"JigRecordStore\"=\"\"")), qPrintable(stored));
            storedBytes = StoreFile::read(configDir);
        }
        JigHarness again([&](const QString &dir) { StoreFile::write(dir, storedBytes); });
        QCOMPARE(again.find<QLineEdit>("edStation")->text(), QStringLiteral("线 2"));
        QCOMPARE(again.find<QLineEdit>("edOperator")->text(), QStringLiteral("王小明"));
        QCOMPARE(again.find<QLineEdit>("edJigMap")->text(), mapPath);
        QCOMPARE(again.h->window->linkSettings().hostAddress, QStringLiteral("127.0.0.1"));
    }

    void shouldFollowTheMainWindowsLanguage_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("pass");
        QTest::addColumn<QString>("firstStep");
        QTest::addColumn<QString>("identity");   // the first step's measured value, and the verdict's detail
        QTest::addColumn<QString>("mapName");
        QTest::newRow("Simplified") << "mnuSimplified" << "治具测试" << "开始测试" << "合格" << "识别控制器" << "ZO425 序号 24010042 ID 000" << "模拟器治具";
        QTest::newRow("Traditional") << "mnuTraditional" << "治具測試" << "開始測試" << "合格" << "識別控制器" << "ZO425 序號 24010042 ID 000" << "模擬器治具";
        QTest::newRow("English") << "mnuEnglish" << "Jig test" << "START" << "PASS" << "Identify" << "ZO425 S/N 24010042 ID 000" << "Simulator jig";
    }

    void shouldFollowTheMainWindowsLanguage()
    {
        QFETCH(QString, menu);
        QFETCH(QString, title);
        QFETCH(QString, start);
        QFETCH(QString, pass);
        QFETCH(QString, firstStep);
        QFETCH(QString, identity);
        QFETCH(QString, mapName);
        SimProcess sim({ "--jig" });
        QVERIFY(sim.start());
        JigHarness j;
        j.h->useTcp(sim.port());
        j.set("edOperator", QStringLiteral("Li Wei"));
        j.start();
        // The language changes after the verdict: the verdict is shown again in the new one.
        j.h->find<QAction>(menu.toLatin1().constData())->trigger();
        QCOMPARE(j.jig->windowTitle(), title);
        QCOMPARE(j.find<QPushButton>("btnStart")->text(), start);
        QCOMPARE(j.verdictWord(), pass);
        QVERIFY2(j.table().first().startsWith(firstStep + QStringLiteral(" | ")), qPrintable(j.table().first()));
        QCOMPARE(j.table().first(), QStringLiteral("%1 | %2 | %3").arg(firstStep, identity, pass));
        QCOMPARE(j.verdictDetail(), identity);
        QCOMPARE(j.text("lblMapName"), mapName);
        // The records keep the English whatever the window's language.
        QCOMPARE(j.records().first().steps.first().measured, QStringLiteral("ZO425 S/N 24010042 ID 000"));
        const QString cut = j.cutCaption();
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
    }

    // The export buttons' paths and a refusal; what the files hold is JigRunTest's.
    void shouldExportTheDaysRecords()
    {
        SimProcess good({ "--jig" });
        QVERIFY(good.start());
        JigHarness j;
        j.set("edOperator", QStringLiteral("Li Wei"));
        j.h->useTcp(good.port());
        j.start();
        QTemporaryDir out;
        const QString csvPath = out.filePath(QStringLiteral("today.csv"));
        QVERIFY(j.jig->exportCsv(csvPath));
        QCOMPARE(j.text("lblNote"), QStringLiteral("Exported 1 units to %1").arg(QDir::toNativeSeparators(csvPath)));
        QVERIFY(QFile::exists(csvPath));
        QVERIFY(j.jig->exportJson(out.filePath(QStringLiteral("units"))));
        QCOMPARE(QDir(out.filePath(QStringLiteral("units"))).entryList({ QStringLiteral("*.json") }, QDir::Files).size(), 1);

        // A range that ends before it starts is refused, nothing written.
        j.find<QDateEdit>("dtExportFrom")->setDate(QDate::currentDate().addDays(1));
        QVERIFY(!j.jig->exportCsv(out.filePath(QStringLiteral("none.csv"))));
        QVERIFY(!QFile::exists(out.filePath(QStringLiteral("none.csv"))));
        QVERIFY2(j.text("lblNote").startsWith(QStringLiteral("Export failed:")), qPrintable(j.text("lblNote")));
    }
};

QTEST_MAIN(JigWindowTest)
#include "jigwindowtest.moc"
