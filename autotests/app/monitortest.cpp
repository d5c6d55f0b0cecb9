// The traffic monitor in the real window, against the simulator over TCP: every verdict as it
// comes from a real exchange, in the window's language; one window, raised again and recording
// while hidden; pause, copy, save, the log file and the settings it remembers.
#include "datahome.h"
#include "app/toollook.h"
#include "monitorharness.h"
#include "storefile.h"
#include "traffic/trafficexport.h"
#include "traffic/trafficfilter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTimer>

#include <csignal>
#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
#include <thread>

using namespace MonitorHarness;

namespace {

quint16 portWithNobodyListening()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString text(int id, int language = TextTable::English)
{
    return TextTable::text(id, language);
}

} // namespace

class MonitorTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_data;

    QString logPath() const
    {
        return m_data->path() + QStringLiteral("/zu42tools/traffic/")
            + QStringLiteral("traffic-%1.log").arg(QDate::currentDate().toString(Qt::ISODate));
    }

    // Every event the link reported is a row, in order, in the window's words.
    static void verifyMirrors(TrafficMonitorWindow *monitor, const ExchangeRecorder &traffic, int language)
    {
        QStringList words;
        for (const ExchangeEvent &e : traffic.events)
            words.append(word(e, language));
        QCOMPARE(column(monitor, TrafficModel::VerdictColumn), words);
    }

private Q_SLOTS:
    void init()
    {
        // The user's data folder, where the log file goes: the test's own.
        m_data = std::make_unique<QTemporaryDir>();
        DataHome::set(m_data->path());
    }

    void shouldShowEachVerdictOfARealExchange_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<QString>("command"); // the row's command, as the table shows it
        QTest::addColumn<QString>("replyStart");
        const QString identify = QString::fromUtf8(u8"␁000AS␂");
        QTest::newRow("answered") << QStringList() << "connect" << TextTable::VerdictAnswered << identify
                                  << QString::fromUtf8(u8"␃000");
        QTest::newRow("noise before the reply") << QStringList { "--fault", "AS:noise" } << "connect"
                                                << TextTable::VerdictAnswered << identify << QString::fromUtf8(u8"zq␃000");
        QTest::newRow("no reply") << QStringList { "--fault", "AS:noreply" } << "connect" << TextTable::VerdictNoReply << identify
                                  << QString();
        QTest::newRow("check digits") << QStringList { "--fault", "AS:badcrc" } << "connect" << TextTable::VerdictBadCheckDigits
                                      << identify << QString::fromUtf8(u8"␃000");
        QTest::newRow("reply cut off") << QStringList { "--fault", "AS:hangup" } << "connect" << TextTable::VerdictCutOff
                                       << identify << QString::fromUtf8(u8"␃0");
        QTest::newRow("line hung up") << QStringList { "--fault", "AS:noreply" } << "simulator dies" << TextTable::VerdictHungUp
                                      << identify << QString();
        QTest::newRow("link does not open") << QStringList() << "nobody listens" << TextTable::VerdictLinkFailed << QString()
                                            << QString();
        QTest::newRow("value refused") << QStringList() << "refused value" << TextTable::VerdictRefused << QString() << QString();
    }
    void shouldShowEachVerdictOfARealExchange()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, action);
        QFETCH(int, verdict);
        QFETCH(QString, command);
        QFETCH(QString, replyStart);
        SimProcess sim(simArgs);
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        QVERIFY(monitor && monitor->isVisible());

        if (action == QLatin1String("nobody listens")) {
            h.useTcp(portWithNobodyListening());
            h.click("btnConnect");
        } else if (action == QLatin1String("simulator dies")) {
            // The simulator goes away while the tool waits for its reply.
            const qint64 pid = sim.process().processId();
            std::thread killer([pid] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
#ifdef Q_OS_WIN
                if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid))) {
                    TerminateProcess(process, 9);
                    CloseHandle(process);
                }
#else
                ::kill(pid_t(pid), SIGKILL);
#endif
            });
            h.connectTo(sim);
            killer.join();
        } else {
            h.connectTo(sim);
            if (action == QLatin1String("refused value")) {
                QVERIFY(h.find("pcMain")->isEnabled());
                h.find<QLineEdit>("edSameCard")->setText(QStringLiteral("300"));
                h.click("btnSameCard");
            }
        }

        verifyMirrors(monitor, h.traffic, TextTable::English);
        const QStringList verdicts = column(monitor, TrafficModel::VerdictColumn);
        const int row = int(verdicts.indexOf(text(verdict)));
        QVERIFY2(row >= 0, qPrintable(verdicts.join(QLatin1String(" | "))));
        QVERIFY(cell(monitor, row, TrafficModel::CommandColumn).startsWith(command));
        QVERIFY(cell(monitor, row, TrafficModel::ReplyColumn).startsWith(replyStart));
        QVERIFY(QTime::fromString(cell(monitor, row, TrafficModel::TimeColumn), QStringLiteral("hh:mm:ss.zzz")).isValid());
        const bool sent = verdict != TextTable::VerdictRefused && verdict != TextTable::VerdictLinkFailed;
        QCOMPARE(!cell(monitor, row, TrafficModel::RoundTripColumn).isEmpty(), sent);
        // An operator's value is refused before any link is opened.
        if (verdict != TextTable::VerdictRefused)
            QVERIFY(cell(monitor, row, TrafficModel::LinkColumn).startsWith(QStringLiteral("127.0.0.1:")));
        if (verdict != TextTable::VerdictAnswered)
            QVERIFY(!cell(monitor, row, TrafficModel::DetailColumn).isEmpty());
    }

    void shouldFollowTheWindowsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("entry");
        QTest::newRow("Simplified Chinese") << TextTable::SimplifiedChinese << "mnuSimplified";
        QTest::newRow("Traditional Chinese") << TextTable::TraditionalChinese << "mnuTraditional";
        QTest::newRow("English again") << TextTable::English << "mnuEnglish";
    }
    void shouldFollowTheWindowsLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, entry);
        SimProcess sim({ "--fault", "AV:badcrc" });
        QVERIFY(sim.start());
        WindowHarness h;
        h.window->show();
        TrafficMonitorWindow *monitor = open(h);
        h.connectTo(sim);
        if (language == TextTable::English)
            h.find<QAction>("mnuTraditional")->trigger();
        h.find<QAction>(entry.toLatin1().constData())->trigger();

        QCOMPARE(monitor->windowTitle(), text(TextTable::MonitorTitle, language));
        verifyMirrors(monitor, h.traffic, language);
        QCOMPARE(table(monitor)->headerData(TrafficModel::VerdictColumn, Qt::Horizontal).toString(),
                 text(TextTable::MonitorVerdictHeader, language));
        QCOMPARE(table(monitor)->headerData(TrafficModel::RoundTripColumn, Qt::Horizontal).toString(),
                 text(TextTable::MonitorRoundTripHeader, language));
        QCOMPARE(control<QPushButton>(monitor, "btnPause")->text(), text(TextTable::MonitorPauseButton, language));
        QCOMPARE(control<QPushButton>(monitor, "btnSaveCsv")->text(), text(TextTable::MonitorSaveCsvButton, language));
        QCOMPARE(control<QCheckBox>(monitor, "chkLogFile")->text(), text(TextTable::MonitorLogFileCheck, language));
        QCOMPARE(control<QLineEdit>(monitor, "edCommandFilter")->placeholderText(), text(TextTable::MonitorCommandHint, language));
        auto *filter = control<QComboBox>(monitor, "cmbVerdictFilter");
        QCOMPARE(filter->itemText(1), text(TextTable::MonitorShowProblems, language));
        QCOMPARE(filter->itemText(4), text(TextTable::VerdictBadCheckDigits, language));
        // The tool windows' font of the language, so the Chinese texts are drawn in a face that has them.
        QCOMPARE(monitor->font().families(), ToolLook::families(language));
    }

    void shouldKeepTheChosenFilterAcrossALanguageSwitch()
    {
        SimProcess sim({ "--fault", "AV:badcrc" });
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        h.connectTo(sim);
        auto *filter = control<QComboBox>(monitor, "cmbVerdictFilter");
        filter->setCurrentIndex(1); // problems only
        control<QLineEdit>(monitor, "edCommandFilter")->setText(QStringLiteral("av"));
        QCOMPARE(column(monitor, TrafficModel::VerdictColumn), QStringList { text(TextTable::VerdictBadCheckDigits) });
        h.find<QAction>("mnuSimplified")->trigger();
        QCOMPARE(filter->currentIndex(), 1);
        QCOMPARE(column(monitor, TrafficModel::VerdictColumn),
                 QStringList { text(TextTable::VerdictBadCheckDigits, TextTable::SimplifiedChinese) });
    }

    void shouldOpenOneMonitorThatRecordsWhileHidden()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        QVERIFY(!h.window->trafficMonitor());
        TrafficMonitorWindow *monitor = open(h);
        QVERIFY(monitor->isVisible());
        QVERIFY(monitor->parent() == nullptr);
        QCOMPARE(monitor->objectName(), QStringLiteral("frmMonitor"));
        QVERIFY(monitor->close());
        QVERIFY(!monitor->isVisible());

        h.connectTo(sim);
        QVERIFY(!h.traffic.events.isEmpty());
        QCOMPARE(open(h), monitor);
        QVERIFY(monitor->isVisible());
        verifyMirrors(monitor, h.traffic, TextTable::English);
        // A busy main window disables its children; the monitor is none of them.
        h.window->setEnabled(false);
        QVERIFY(monitor->isEnabled());
    }

    void shouldBringNewRowsIntoViewByItself()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        // The view's own model, without publishing: the monitor's timer must do it.
        QAbstractItemModel *shown = control<QTableView>(monitor, "tblTraffic")->model();
        QVERIFY(h.connectTo(sim));
        QSignalSpy inserted(shown, &QAbstractItemModel::rowsInserted);
        if (shown->rowCount() < h.traffic.events.size())
            QVERIFY(inserted.wait(5000));
        QCOMPARE(shown->rowCount(), h.traffic.events.size());
    }

    void shouldHoldRowsBackWhilePaused()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        auto *pause = control<QPushButton>(monitor, "btnPause");
        pause->click();
        QCOMPARE(pause->text(), text(TextTable::MonitorResumeButton));
        h.connectTo(sim);
        QCOMPARE(table(monitor)->rowCount(), 0);
        QCOMPARE(control<QLabel>(monitor, "lblStatus")->text(),
                 text(TextTable::MonitorPaused).arg(h.traffic.events.size()));
        pause->click();
        QCOMPARE(pause->text(), text(TextTable::MonitorPauseButton));
        QVERIFY(control<QLabel>(monitor, "lblStatus")->text().isEmpty());
        verifyMirrors(monitor, h.traffic, TextTable::English);

        control<QPushButton>(monitor, "btnClear")->click();
        QCOMPARE(table(monitor)->rowCount(), 0);
    }

    void shouldShowHexadecimalBytesAndRememberIt()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        h.connectTo(sim);
        control<QCheckBox>(monitor, "chkHex")->click();
        QVERIFY(cell(monitor, 1, TrafficModel::CommandColumn).startsWith(QStringLiteral("01 30 30 30 41 53 02 ")));
        QVERIFY(cell(monitor, 1, TrafficModel::CommandColumn).endsWith(QStringLiteral(" 0D")));
        QVERIFY(StoreFile::read(h.configDir()).contains("\"MonitorHex\"=dword:00000001"));
    }

    void shouldFollowTheEndUnlessScrolledUp()
    {
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        QVERIFY(QTest::qWaitForWindowExposed(monitor));
        control<QSpinBox>(monitor, "edRows")->setValue(200);
        auto *view = control<QTableView>(monitor, "tblTraffic");
        QScrollBar *bar = view->verticalScrollBar();
        auto feed = [monitor](int count) {
            for (int i = 0; i < count; ++i) {
                ExchangeEvent e;
                e.time = QDateTime::currentDateTime();
                e.request = "\x01" "000IE\x02" "0000\r";
                monitor->observer()->exchangeEnded(e);
            }
            monitor->recorder().model().publish(); // as its timer does a moment later
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        };
        auto topNumber = [view] { return view->indexAt(QPoint(2, 2)).data().toString(); };

        feed(100);
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(cell(monitor, table(monitor)->rowCount() - 1, TrafficModel::NumberColumn), QStringLiteral("100"));

        // Scrolled up: the rows in view stay in view, also while the oldest make room. The view
        // scrolls by pixels.
        const int rowHeight = view->verticalHeader()->defaultSectionSize();
        bar->setValue(20 * rowHeight);
        QCOMPARE(topNumber(), QStringLiteral("21"));
        feed(30);
        QCOMPARE(topNumber(), QStringLiteral("21"));
        bar->setValue(100 * rowHeight);
        const QString top = topNumber();
        QCOMPARE(top, QStringLiteral("101"));
        feed(150); // 280 rows for a ring of 200: rows 1 to 80 go
        QCOMPARE(table(monitor)->rowCount(), 200);
        QCOMPARE(topNumber(), top);
        QVERIFY(bar->value() < bar->maximum());

        // Back at the end: following again.
        bar->setValue(bar->maximum());
        feed(10);
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(view->indexAt(QPoint(2, view->viewport()->height() - 2)).row() >= table(monitor)->rowCount() - 2);
    }

    // New rows are painted on their own, the rest of the table moved as pixels: what is on the
    // screen must be what a repaint of the whole table gives.
    void shouldShowNewRowsAsAWholeRepaintWould_data()
    {
        QTest::addColumn<int>("rows");     // the ring
        QTest::addColumn<QList<int>>("batches"); // rows published at a time
        QTest::addColumn<bool>("scrolledUp");
        QTest::newRow("fewer than the view holds") << 200 << QList<int> { 2, 1, 3 } << false;
        QTest::newRow("following the end") << 200 << QList<int> { 40, 7, 1, 6, 3 } << false;
        QTest::newRow("scrolled up") << 200 << QList<int> { 40, 7, 1 } << true;
        QTest::newRow("the oldest make room") << 50 << QList<int> { 45, 7, 1, 6 } << false;
        // The scroll bar's handle as small as it gets, at the end: only the rows change.
        QTest::newRow("a long table, following the end") << 2000 << QList<int> { 1500, 7, 1, 6 } << false;
        QTest::newRow("a long table, scrolled up") << 2000 << QList<int> { 1500, 7, 1, 6 } << true;
    }
    void shouldShowNewRowsAsAWholeRepaintWould()
    {
        QFETCH(int, rows);
        QFETCH(QList<int>, batches);
        QFETCH(bool, scrolledUp);
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        QVERIFY(QTest::qWaitForWindowExposed(monitor));
        control<QSpinBox>(monitor, "edRows")->setValue(rows);
        auto *view = control<QTableView>(monitor, "tblTraffic");
        int number = 0;
        for (const int batch : batches) {
            for (int i = 0; i < batch; ++i) {
                ExchangeEvent e;
                e.time = QDateTime(QDate(2026, 12, 8), QTime(1, 2, 3).addMSecs(++number * 37));
                e.request = "\x01" "000IE\x02" "0000\r";
                e.reply = "\x03" "000IE" + QByteArray::number(20261208000000LL + number) + "\x04" "9CD2\r";
                e.verdict = number % 5 == 0 ? Verdict::NoReply : Verdict::Answered;
                monitor->observer()->exchangeEnded(e);
            }
            monitor->recorder().model().publish();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            if (scrolledUp && number == batches.first())
                view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum() / 2);
        }
        const QImage onScreen = monitor->screen()->grabWindow(monitor->winId()).toImage();
        const QImage whole = monitor->grab().toImage().convertToFormat(onScreen.format());
        QCOMPARE(onScreen.size(), whole.size());
        QVERIFY(onScreen == whole);
    }

    void shouldCopyTheSelectedRowsAsShown()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        h.connectTo(sim);
        QVERIFY(table(monitor)->rowCount() > 3);
        auto *view = control<QTableView>(monitor, "tblTraffic");
        view->selectRow(1);
        view->selectionModel()->select(table(monitor)->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        control<QPushButton>(monitor, "btnCopy")->click();
        const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].split(u'\t').value(TrafficModel::VerdictColumn), text(TextTable::MonitorVerdictHeader));
        for (int i = 1; i <= 2; ++i) {
            const int row = i == 1 ? 1 : 3;
            QStringList cells;
            for (int c = 0; c < TrafficModel::ColumnCount; ++c)
                cells.append(cell(monitor, row, c));
            QCOMPARE(lines[i].split(u'\t'), cells);
        }
    }

    void shouldSaveTheShownRows_data()
    {
        QTest::addColumn<bool>("csv");
        QTest::newRow("CSV") << true;
        QTest::newRow("text") << false;
    }
    void shouldSaveTheShownRows()
    {
        QFETCH(bool, csv);
        SimProcess sim({ "--fault", "AV:noreply" });
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        h.connectTo(sim);
        control<QComboBox>(monitor, "cmbVerdictFilter")->setCurrentIndex(1); // problems only
        QCOMPARE(table(monitor)->rowCount(), 1);

        QTemporaryDir dir;
        const QString path = dir.filePath(csv ? QStringLiteral("rows.csv") : QStringLiteral("rows.log"));
        // The real file dialog, answered as the operator would.
        control<QPushButton>(monitor, csv ? "btnSaveCsv" : "btnSaveText")->click();
        auto *dialog = control<QFileDialog>(monitor, "frmSaveTraffic");
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
        QCOMPARE(control<QLabel>(monitor, "lblStatus")->text(), text(TextTable::MonitorSaved).arg(QDir::toNativeSeparators(path)));

        const QList<QByteArray> lines = contents(path).split('\n');
        const QByteArray verdict = "no reply";
        if (csv) {
            QCOMPARE(lines.size(), 3); // header, the row, "" after the last line end
            QVERIFY(lines[0].contains("number,time,link,verdict"));
            QVERIFY(lines[1].contains("," + verdict + ","));
            QVERIFY(lines[1].contains(QString::fromUtf8(u8"␁000AV␂").toUtf8()));
        } else {
            QCOMPARE(lines.size(), 2);
            QCOMPARE(lines[0].split('\t').value(2), verdict);
        }

        // A place that cannot be written: said, and the window goes on.
        QVERIFY(!monitor->saveCsv(dir.filePath(QStringLiteral("rows.csv/inside.csv"))));
        QVERIFY(control<QLabel>(monitor, "lblStatus")->text().startsWith(prefixOf(TextTable::MonitorSaveError)));
    }

    void shouldLogEveryEventInTheFileOfTheDay()
    {
        SimProcess sim({ "--fault", "AV:badcrc" });
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        h.find<QAction>("mnuSimplified")->trigger();
        control<QCheckBox>(monitor, "chkLogFile")->click();
        QCOMPARE(control<QLabel>(monitor, "lblLogFile")->text(),
                 text(TextTable::MonitorLogFilePath, TextTable::SimplifiedChinese).arg(QDir::toNativeSeparators(logPath())));
        h.connectTo(sim);

        const QList<QByteArray> lines = contents(logPath()).split('\n');
        QCOMPARE(lines.size(), h.traffic.events.size() + 1);
        for (qsizetype i = 0; i < h.traffic.events.size(); ++i)
            QCOMPARE(lines[i], TrafficExport::textLine(h.traffic.events[i]).toUtf8());
        // The file speaks English whatever the window's language, so it can be searched.
        QVERIFY(contents(logPath()).contains("\tcheck digits wrong\t"));
        QVERIFY(StoreFile::read(h.configDir()).contains("\"MonitorLogFile\"=dword:00000001"));
    }

    void shouldSayWhenTheLogCannotBeWrittenAndGoOn()
    {
        // The data folder is a file: nothing can be made under it, whoever runs the test.
        const QString blocker = m_data->filePath(QStringLiteral("blocked"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        DataHome::set(blocker);
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h;
        TrafficMonitorWindow *monitor = open(h);
        control<QCheckBox>(monitor, "chkLogFile")->click();
        const QString message = control<QLabel>(monitor, "lblLogFile")->text();
        QVERIFY2(message.startsWith(prefixOf(TextTable::MonitorLogFileError)), qPrintable(message));
        QVERIFY(message.contains(QDir::toNativeSeparators(blocker)));
        QCOMPARE(control<QLabel>(monitor, "lblLogFile")->palette().color(QPalette::WindowText),
                 ToolLook::colour(ToolLook::ErrorText));

        QVERIFY(h.connectTo(sim));
        QCOMPARE(h.banner(), text(TextTable::CommandOk));
        verifyMirrors(monitor, h.traffic, TextTable::English);
        QVERIFY(control<QLabel>(monitor, "lblLogFile")->text().startsWith(prefixOf(TextTable::MonitorLogFileError)));
    }

    void shouldLogFromTheStartWhenTheLogWasOn()
    {
        SimProcess sim;
        QVERIFY(sim.start());
        WindowHarness h([](const QString &configDir) {
            StoreFile::write(configDir, StoreFile::withValues("\"MonitorLogFile\"=dword:00000001\n"));
        });
        TrafficMonitorWindow *monitor = h.window->trafficMonitor();
        QVERIFY(monitor);
        QVERIFY(!monitor->isVisible());
        QVERIFY(h.connectTo(sim));
        QCOMPARE(contents(logPath()).count('\n'), h.traffic.events.size());
    }

    void shouldRememberItsPlaceColumnsAndRows()
    {
        const QByteArray linkValues = "\"TYPE\"=dword:00000001\n\"NetIP\"=\"10.1.2.3\"\n\"NetPort\"=\"5001\"\n";
        WindowHarness h([&linkValues](const QString &configDir) {
            StoreFile::write(configDir, StoreFile::withValues(linkValues));
        });
        TrafficMonitorWindow *monitor = open(h);
        monitor->setGeometry(QRect(40, 60, 1000, 330));
        auto *view = control<QTableView>(monitor, "tblTraffic");
        view->setColumnWidth(TrafficModel::CommandColumn, 222);
        view->setColumnWidth(TrafficModel::LinkColumn, 77);
        control<QSpinBox>(monitor, "edRows")->setValue(2500);
        monitor->close();

        h.window = std::make_unique<TfrmModule>();
        monitor = open(h);
        QCOMPARE(monitor->geometry(), QRect(40, 60, 1000, 330));
        view = control<QTableView>(monitor, "tblTraffic");
        QCOMPARE(view->columnWidth(TrafficModel::CommandColumn), 222);
        QCOMPARE(view->columnWidth(TrafficModel::LinkColumn), 77);
        QCOMPARE(control<QSpinBox>(monitor, "edRows")->value(), 2500);
        QCOMPARE(h.window->trafficMonitor()->recorder().model().capacity(), 2500);
        // The link values are where and as they were (the registry keeps no order of values).
#ifdef Q_OS_WIN
        for (const QByteArray &line : linkValues.split('\n'))
            QVERIFY2(StoreFile::read(h.configDir()).contains(line), line.constData());
#else
        QVERIFY(StoreFile::read(h.configDir()).contains(linkValues));
#endif
        QCOMPARE(h.window->linkSettings().hostAddress, QStringLiteral("10.1.2.3"));
    }
};

QTEST_MAIN(MonitorTest)
#include "monitortest.moc"
