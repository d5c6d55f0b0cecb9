// The monitor's rows: the newest N kept whatever comes, a pause that hides nothing, the two
// forms of the bytes. QAbstractItemModelTester watches every change the view would see.
#include "trafficevents.h"
#include "traffic/trafficfilter.h"
#include "traffic/trafficmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace TrafficEvents;

class TrafficModelTest : public QObject
{
    Q_OBJECT

    // The numbers of the model's rows, oldest first.
    static QList<quint64> numbers(const TrafficModel &model)
    {
        QList<quint64> out;
        for (int i = 0; i < model.rowCount(); ++i)
            out.append(model.row(i).number);
        return out;
    }
    static QList<quint64> range(quint64 first, quint64 last)
    {
        QList<quint64> out;
        for (quint64 n = first; n <= last; ++n)
            out.append(n);
        return out;
    }
    // The number a row's command carries, so a row is known to hold its own event.
    static quint64 carried(const TrafficRow &row)
    {
        return row.event.request.mid(6, row.event.request.indexOf('\x02') - 6).toULongLong();
    }

private Q_SLOTS:
    // Steps: "aN" appends N events, "cN" sets the capacity, "p" pauses, "r" resumes, "x" clears.
    void shouldKeepTheNewestRows_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<quint64>("first");
        QTest::addColumn<quint64>("last");
        QTest::newRow("fewer than the capacity") << 100 << "a50" << quint64(1) << quint64(50);
        QTest::newRow("exactly the capacity") << 100 << "a100" << quint64(1) << quint64(100);
        QTest::newRow("one past") << 100 << "a101" << quint64(2) << quint64(101);
        QTest::newRow("rounds past") << 100 << "a350" << quint64(251) << quint64(350);
        QTest::newRow("shrunk below the rows") << 200 << "a150 c100" << quint64(51) << quint64(150);
        QTest::newRow("shrunk, then more") << 200 << "a150 c100 a10" << quint64(61) << quint64(160);
        QTest::newRow("grown, then filled") << 100 << "a150 c300 a200" << quint64(51) << quint64(350);
        QTest::newRow("grown past what came") << 100 << "a150 c300 a10" << quint64(51) << quint64(160);
        QTest::newRow("shrunk below the least") << 300 << "a300 c5" << quint64(201) << quint64(300);
        QTest::newRow("paused, then resumed") << 100 << "a10 p a20 r" << quint64(1) << quint64(30);
        QTest::newRow("paused past the capacity") << 100 << "a50 p a250 r" << quint64(201) << quint64(300);
        QTest::newRow("paused, shrunk, resumed") << 200 << "a50 p a150 c100 r" << quint64(101) << quint64(200);
        QTest::newRow("cleared: numbers go on") << 100 << "a30 x a5" << quint64(31) << quint64(35);
        QTest::newRow("cleared while paused") << 100 << "a10 p a5 x r a2" << quint64(16) << quint64(17);
    }
    void shouldKeepTheNewestRows()
    {
        QFETCH(int, capacity);
        QFETCH(QString, steps);
        QFETCH(quint64, first);
        QFETCH(quint64, last);
        TrafficModel model;
        TrafficFilter filter;
        filter.setSourceModel(&model);
        QAbstractItemModelTester modelTester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester filterTester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setCapacity(capacity);
        int next = 1;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const int n = step.mid(1).toInt();
            switch (step.at(0).toLatin1()) {
            case 'a':
                for (int i = 0; i < n; ++i)
                    model.append(numbered(next++));
                break;
            case 'c': model.setCapacity(n); break;
            case 'p': model.setPaused(true); break;
            case 'r': model.setPaused(false); break;
            case 'x': model.clear(); break;
            }
        }
        QCOMPARE(numbers(model), range(first, last));
        QCOMPARE(filter.rowCount(), model.rowCount());
        for (int i = 0; i < model.rowCount(); ++i)
            QCOMPARE(carried(model.row(i)), model.row(i).number);
        QVERIFY(model.rowCount() <= model.capacity());
    }

    // Without the testers, which look at every row at every change.
    void shouldKeepTenThousandRowsByDefault()
    {
        TrafficModel model;
        QCOMPARE(model.capacity(), 10000);
        for (int i = 1; i <= 10001; ++i)
            model.append(numbered(i));
        QCOMPARE(model.rowCount(), 10000);
        QCOMPARE(model.row(0).number, quint64(2));
        QCOMPARE(carried(model.row(9999)), quint64(10001));
    }

    void shouldBoundTheCapacity_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("kept");
        QTest::newRow("zero") << 0 << 100;
        QTest::newRow("negative") << -5 << 100;
        QTest::newRow("below the least") << 99 << 100;
        QTest::newRow("in range") << 2500 << 2500;
        QTest::newRow("past the most") << 5000000 << 1000000;
    }
    void shouldBoundTheCapacity()
    {
        QFETCH(int, asked);
        QFETCH(int, kept);
        TrafficModel model;
        model.setCapacity(asked);
        QCOMPARE(model.capacity(), kept);
    }

    void shouldHoldBackRowsWhilePausedAndSayHowMany()
    {
        TrafficModel model;
        QSignalSpy waiting(&model, &TrafficModel::waitingChanged);
        model.append(numbered(1));
        model.setPaused(true);
        for (int i = 2; i <= 4; ++i)
            model.append(numbered(i));
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.waiting(), 3);
        QCOMPARE(waiting.last().at(0).toInt(), 3);
        model.setPaused(false);
        QCOMPARE(numbers(model), range(1, 4));
        QCOMPARE(model.waiting(), 0);
        QCOMPARE(waiting.last().at(0).toInt(), 0);
    }

    // The first row (as one after a quiet spell) at once; the rows right after it together, in
    // one insert with one removal of the oldest, once the interval has passed.
    void shouldPublishRowsInBatches()
    {
        TrafficModel model;
        model.setCapacity(100);
        model.setPublishInterval(150);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        model.append(numbered(1));
        QCOMPARE(inserted.size(), 1);
        for (int i = 2; i <= 130; ++i)
            model.append(numbered(i));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(numbers(model), QList<quint64> { 1 });
        QCOMPARE(model.waiting(), 100); // no more than the ring holds

        QVERIFY(inserted.wait(5000));
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.last().at(2).toInt() - inserted.last().at(1).toInt() + 1, 100);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(numbers(model), range(31, 130));
        QCOMPARE(model.waiting(), 0);
    }

    void shouldShowTheBytesInEitherForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<QString>("hex");
        QTest::newRow("request frame") << frame("000AS") << QString::fromUtf8(u8"␁000AS␂1A2B␍")
                                       << "01 30 30 30 41 53 02 31 41 32 42 0D";
        QTest::newRow("noise before a reply") << QByteArray("zq\x03" "0\x04" "F\r") << QString::fromUtf8(u8"zq␃0␄F␍")
                                              << "7A 71 03 30 04 46 0D";
        QTest::newRow("nothing") << QByteArray() << QString() << QString();
    }
    void shouldShowTheBytesInEitherForm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, pictures);
        QFETCH(QString, hex);
        TrafficModel model;
        model.append(exchange(Verdict::Answered, bytes, bytes));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        for (const int column : { int(TrafficModel::CommandColumn), int(TrafficModel::ReplyColumn) }) {
            QCOMPARE(model.index(0, column).data().toString(), pictures);
            QCOMPARE(model.index(0, column).data(Qt::ToolTipRole).toString(), hex);
        }
        model.setHexadecimal(true);
        QCOMPARE(changed.size(), 1);
        for (const int column : { int(TrafficModel::CommandColumn), int(TrafficModel::ReplyColumn) }) {
            QCOMPARE(model.index(0, column).data().toString(), hex);
            QCOMPARE(model.index(0, column).data(Qt::ToolTipRole).toString(), pictures);
        }
    }

    void shouldNameTheOutcomeInTheWordsGiven_data()
    {
        QTest::addColumn<ExchangeEvent>("event");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("english");
        QTest::newRow("answered") << exchange(Verdict::Answered, frame("000AS")) << int(TrafficRow::Outcome::Answered) << "answered";
        QTest::newRow("no reply") << exchange(Verdict::NoReply, frame("000AS")) << int(TrafficRow::Outcome::NoReply) << "no reply";
        QTest::newRow("check digits") << exchange(Verdict::BadCheckDigits, frame("000AS"))
                                      << int(TrafficRow::Outcome::BadCheckDigits) << "check digits wrong";
        QTest::newRow("cut off") << exchange(Verdict::CutOff, frame("000AS")) << int(TrafficRow::Outcome::CutOff) << "reply cut off";
        QTest::newRow("hung up") << exchange(Verdict::HungUp, frame("000AS")) << int(TrafficRow::Outcome::HungUp) << "line hung up";
        QTest::newRow("refused") << exchange(Verdict::Refused, QByteArray()) << int(TrafficRow::Outcome::Refused)
                                 << "refused before sending";
        QTest::newRow("link failed") << exchange(Verdict::LinkFailed, QByteArray()) << int(TrafficRow::Outcome::LinkFailed)
                                     << "link did not open";
        // An open or close carries the default verdict; its kind decides.
        QTest::newRow("opened") << linkEvent(ExchangeEvent::Kind::LinkOpened) << int(TrafficRow::Outcome::LinkOpened) << "link opened";
        QTest::newRow("closed") << linkEvent(ExchangeEvent::Kind::LinkClosed) << int(TrafficRow::Outcome::LinkClosed) << "link closed";
    }
    void shouldNameTheOutcomeInTheWordsGiven()
    {
        QFETCH(ExchangeEvent, event);
        QFETCH(int, outcome);
        QFETCH(QString, english);
        TrafficModel model;
        model.append(event);
        const QModelIndex verdict = model.index(0, TrafficModel::VerdictColumn);
        QCOMPARE(verdict.data(TrafficModel::OutcomeRole).toInt(), outcome);
        QCOMPARE(verdict.data().toString(), english);
        QStringList words;
        for (int i = 0; i < TrafficRow::OutcomeCount; ++i)
            words.append(QStringLiteral("word%1").arg(i));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setOutcomeWords(words);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(verdict.data().toString(), QStringLiteral("word%1").arg(outcome));
    }

    void shouldShowTimeRoundTripAndDetailOnOneLine()
    {
        TrafficModel model;
        ExchangeEvent e = exchange(Verdict::NoReply, frame("000IE"), QByteArray(), QStringLiteral("No reply\nwithin 1200 ms"), 1200345);
        e.time = at(QStringLiteral("2026-12-07T23:59:58.007"));
        model.append(e);
        QCOMPARE(model.index(0, TrafficModel::TimeColumn).data().toString(), QStringLiteral("23:59:58.007"));
        QCOMPARE(model.index(0, TrafficModel::RoundTripColumn).data().toString(), QStringLiteral("1200.345"));
        QCOMPARE(model.index(0, TrafficModel::DetailColumn).data().toString(), QString::fromUtf8(u8"No reply␊within 1200 ms"));
        QCOMPARE(model.index(0, TrafficModel::LinkColumn).data().toString(), QStringLiteral("127.0.0.1:5003"));
        model.append(exchange(Verdict::Refused, QByteArray()));
        QVERIFY(model.index(1, TrafficModel::RoundTripColumn).data().toString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TrafficModelTest)
#include "trafficmodeltest.moc"
