// Which rows the monitor shows: by outcome and by command letters, on a run that has every
// kind of row, and while rows keep arriving.
#include "trafficevents.h"
#include "traffic/trafficfilter.h"
#include "traffic/trafficmodel.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace TrafficEvents;
using Outcome = TrafficRow::Outcome;

class TrafficFilterTest : public QObject
{
    Q_OBJECT

    // Rows 1 to 10, in this order.
    static QList<ExchangeEvent> run()
    {
        return {
            linkEvent(ExchangeEvent::Kind::LinkOpened),               // 1
            exchange(Verdict::Answered, frame("000AS")),               // 2
            exchange(Verdict::Answered, frame("000AV")),               // 3
            exchange(Verdict::NoReply, frame("000IE")),                // 4
            exchange(Verdict::BadCheckDigits, frame("000DF")),         // 5
            exchange(Verdict::Refused, QByteArray(), {}, "Invalid"),   // 6: nothing to send
            linkEvent(ExchangeEvent::Kind::LinkClosed),                // 7
            exchange(Verdict::LinkFailed, QByteArray()),               // 8
            exchange(Verdict::CutOff, frame("5ie")),                   // 9: another ID, lower case
            exchange(Verdict::Answered, frame("000AA1000")),           // 10
        };
    }

    static QList<quint64> shown(const TrafficFilter &filter, const TrafficModel &model)
    {
        QList<quint64> out;
        for (int i = 0; i < filter.rowCount(); ++i)
            out.append(model.row(filter.mapToSource(filter.index(i, 0)).row()).number);
        return out;
    }

private Q_SLOTS:
    void shouldShowOnlyTheChosenRows_data()
    {
        QTest::addColumn<quint32>("outcomes");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QList<quint64>>("rows");
        const quint32 all = TrafficFilter::AllOutcomes;
        QTest::newRow("everything") << all << "" << QList<quint64> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
        QTest::newRow("blanks are no filter") << all << "  ,  " << QList<quint64> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
        QTest::newRow("problems") << TrafficFilter::Problems << "" << QList<quint64> { 4, 5, 6, 8, 9 };
        QTest::newRow("answered") << TrafficFilter::bit(Outcome::Answered) << "" << QList<quint64> { 2, 3, 10 };
        QTest::newRow("opened and closed") << (TrafficFilter::bit(Outcome::LinkOpened) | TrafficFilter::bit(Outcome::LinkClosed))
                                           << "" << QList<quint64> { 1, 7 };
        QTest::newRow("refused") << TrafficFilter::bit(Outcome::Refused) << "" << QList<quint64> { 6 };
        QTest::newRow("nothing chosen") << quint32(0) << "" << QList<quint64> {};
        QTest::newRow("one command, any case") << all << "as" << QList<quint64> { 2 };
        QTest::newRow("a first letter") << all << "A" << QList<quint64> { 2, 3, 10 };
        QTest::newRow("two, comma and blank") << all << "IE, DF" << QList<quint64> { 4, 5, 9 };
        QTest::newRow("ID is not a command") << all << "000" << QList<quint64> {};
        QTest::newRow("letters with the value") << all << "AA1" << QList<quint64> { 10 };
        QTest::newRow("both filters") << TrafficFilter::Problems << "IE" << QList<quint64> { 4, 9 };
        QTest::newRow("no such command") << all << "ZZ" << QList<quint64> {};
    }
    void shouldShowOnlyTheChosenRows()
    {
        QFETCH(quint32, outcomes);
        QFETCH(QString, commands);
        QFETCH(QList<quint64>, rows);
        // Chosen before the rows arrive, and after: both must agree.
        for (const bool before : { true, false }) {
            TrafficModel model;
            TrafficFilter filter;
            filter.setSourceModel(&model);
            QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
            if (before) {
                filter.setOutcomes(outcomes);
                filter.setCommands(commands);
            }
            for (const ExchangeEvent &e : run())
                model.append(e);
            if (!before) {
                filter.setOutcomes(outcomes);
                filter.setCommands(commands);
            }
            QCOMPARE(shown(filter, model), rows);
        }
    }

    void shouldFollowTheRingWhileFiltering()
    {
        TrafficModel model;
        model.setCapacity(100);
        TrafficFilter filter;
        filter.setSourceModel(&model);
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        filter.setOutcomes(TrafficFilter::Problems);
        // Every third exchange fails; the ring goes round three times.
        for (int i = 1; i <= 300; ++i)
            model.append(exchange(i % 3 == 0 ? Verdict::NoReply : Verdict::Answered, frame("000IE")));
        QList<quint64> expected;
        for (quint64 n = 201; n <= 300; ++n)
            if (n % 3 == 0)
                expected.append(n);
        QCOMPARE(shown(filter, model), expected);
    }
};

QTEST_GUILESS_MAIN(TrafficFilterTest)
#include "trafficfiltertest.moc"
