// The daily log file: appended to, one line per event on disk as the event ends, a new file
// when the day changes, and a folder that cannot be written said, survived and caught up on.
#include "trafficevents.h"
#include "traffic/trafficexport.h"
#include "traffic/trafficlog.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace TrafficEvents;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray lineOf(const ExchangeEvent &e)
{
    return TrafficExport::textLine(e).toUtf8() + '\n';
}

ExchangeEvent eventAt(const QString &time, const QByteArray &command = "000AS")
{
    ExchangeEvent e = exchange(Verdict::Answered, frame(command));
    e.time = at(time);
    return e;
}

} // namespace

class TrafficLogTest : public QObject
{
    Q_OBJECT

    QDateTime m_now;
    TrafficLog::Clock clock()
    {
        return [this] { return m_now; };
    }

private Q_SLOTS:
    void shouldAppendEachLineAsTheEventEnds()
    {
        QTemporaryDir dir;
        m_now = at(QStringLiteral("2026-12-07T08:00:00.000"));
        const QString path = dir.filePath(QStringLiteral("traffic-2026-12-07.log"));
        QFile earlier(path);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("a line of an earlier run\n");
        earlier.close();

        TrafficLog log(dir.path(), clock());
        QVERIFY(log.setEnabled(true));
        QCOMPARE(log.currentPath(), path);
        QByteArray expected = "a line of an earlier run\n";
        for (const char *command : { "000AS", "000AV", "000IE" }) {
            const ExchangeEvent e = eventAt(QStringLiteral("2026-12-07T08:00:01.000"), command);
            log.write(e);
            expected += lineOf(e);
            // On disk while the log still holds the file open: a crash now loses nothing.
            QCOMPARE(contents(path), expected);
        }
        QVERIFY(log.why().isEmpty());
    }

    void shouldWriteEachLineIntoTheFileOfItsDay_data()
    {
        QTest::addColumn<QString>("clockAtStart");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QStringList>("files"); // of each line, in order
        QTest::newRow("midnight") << "2026-12-07T23:59:00.000"
                                  << QStringList { "2026-12-07T23:59:59.999", "2026-12-08T00:00:00.000" }
                                  << QStringList { "traffic-2026-12-07.log", "traffic-2026-12-08.log" };
        QTest::newRow("new year") << "2026-12-31T23:00:00.000"
                                  << QStringList { "2026-12-31T23:59:59.500", "2027-01-01T00:00:00.500", "2027-01-01T00:00:01.000" }
                                  << QStringList { "traffic-2026-12-31.log", "traffic-2027-01-01.log", "traffic-2027-01-01.log" };
        // An exchange that began before midnight and ended after it belongs to the day it began.
        QTest::newRow("late line of the day before") << "2026-12-08T00:00:01.000"
                                                     << QStringList { "2026-12-07T23:59:59.900" }
                                                     << QStringList { "traffic-2026-12-07.log" };
        QTest::newRow("no time: the clock's day") << "2026-12-09T12:00:00.000" << QStringList { QString() }
                                                  << QStringList { "traffic-2026-12-09.log" };
    }
    void shouldWriteEachLineIntoTheFileOfItsDay()
    {
        QFETCH(QString, clockAtStart);
        QFETCH(QStringList, times);
        QFETCH(QStringList, files);
        QTemporaryDir dir;
        m_now = at(clockAtStart);
        TrafficLog log(dir.path(), clock());
        QVERIFY(log.setEnabled(true));
        QMap<QString, QByteArray> expected;
        for (qsizetype i = 0; i < times.size(); ++i) {
            const ExchangeEvent e = eventAt(times[i], "000AS" + QByteArray::number(i));
            log.write(e);
            expected[files[i]] += lineOf(e);
            QCOMPARE(log.currentPath(), dir.filePath(files[i]));
        }
        QStringList written = QDir(dir.path()).entryList(QDir::Files);
        QStringList expectedFiles = expected.keys();
        // Switching on opened the clock's day, which may hold no line.
        written.removeAll(TrafficLog::fileName(at(clockAtStart).date()));
        expectedFiles.removeAll(TrafficLog::fileName(at(clockAtStart).date()));
        QCOMPARE(written, expectedFiles);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(contents(dir.filePath(it.key())), it.value());
    }

    void shouldSayWhyAndCatchUpWhenTheFolderComesBack()
    {
        QTemporaryDir dir;
        m_now = at(QStringLiteral("2026-12-07T08:00:00.000"));
        // The log's folder lies under a file: it cannot be made, whoever runs the test.
        const QString blocker = dir.filePath(QStringLiteral("data"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString folder = blocker + QStringLiteral("/traffic");
        TrafficLog log(folder, clock());
        QSignalSpy state(&log, &TrafficLog::stateChanged);
        QVERIFY(!log.setEnabled(true));
        QVERIFY(log.why().contains(QDir::toNativeSeparators(folder)));
        QVERIFY(state.size() > 0);

        QByteArray expected;
        for (int i = 0; i < 3; ++i) {
            const ExchangeEvent e = eventAt(QStringLiteral("2026-12-07T08:00:01.000"), "000AS" + QByteArray::number(i));
            log.write(e);
            expected += lineOf(e);
        }
        QCOMPARE(log.waitingLines(), 3);
        QVERIFY(!log.why().isEmpty());

        QVERIFY(QFile::remove(blocker));
        const ExchangeEvent next = eventAt(QStringLiteral("2026-12-07T08:00:02.000"), "000AV");
        log.write(next);
        expected += lineOf(next);
        QVERIFY(log.why().isEmpty());
        QCOMPARE(log.waitingLines(), 0);
        QCOMPARE(contents(folder + QStringLiteral("/traffic-2026-12-07.log")), expected);
    }

    void shouldCountTheLinesItCouldNotKeep()
    {
        QTemporaryDir dir;
        m_now = at(QStringLiteral("2026-12-07T08:00:00.000"));
        const QString blocker = dir.filePath(QStringLiteral("data"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TrafficLog log(blocker + QStringLiteral("/traffic"), clock());
        log.setEnabled(true);
        const int extra = 7;
        for (int i = 0; i < TrafficLog::MaxWaitingLines + extra; ++i)
            log.write(eventAt(QStringLiteral("2026-12-07T08:00:01.000"), "000AS" + QByteArray::number(i)));
        QCOMPARE(log.waitingLines(), TrafficLog::MaxWaitingLines);

        // The line that finds the folder back waits behind the others, and pushes out one more.
        QVERIFY(QFile::remove(blocker));
        log.write(eventAt(QStringLiteral("2026-12-07T08:00:02.000"), "000AV"));
        const QList<QByteArray> lines = contents(blocker + QStringLiteral("/traffic/traffic-2026-12-07.log")).split('\n');
        QCOMPARE(lines.size(), 1 + TrafficLog::MaxWaitingLines + 1); // the note, the kept lines, "" after the last \n
        QVERIFY(lines[0].startsWith(QByteArray::number(extra + 1) + " lines"));
        QVERIFY(lines[1].contains("000AS" + QByteArray::number(extra + 1) + "\xe2\x90\x82"));
        QVERIFY(lines[TrafficLog::MaxWaitingLines].contains("000AV"));
    }

    void shouldWriteNothingWhenSwitchedOff()
    {
        QTemporaryDir dir;
        m_now = at(QStringLiteral("2026-12-07T08:00:00.000"));
        TrafficLog log(dir.path(), clock());
        log.write(eventAt(QStringLiteral("2026-12-07T08:00:01.000")));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
        QVERIFY(log.currentPath().isEmpty());

        QVERIFY(log.setEnabled(true));
        const ExchangeEvent on = eventAt(QStringLiteral("2026-12-07T08:00:02.000"));
        log.write(on);
        QVERIFY(log.setEnabled(false));
        log.write(eventAt(QStringLiteral("2026-12-07T08:00:03.000")));
        QCOMPARE(contents(dir.filePath(QStringLiteral("traffic-2026-12-07.log"))), lineOf(on));
    }
};

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "trafficlogtest.moc"
