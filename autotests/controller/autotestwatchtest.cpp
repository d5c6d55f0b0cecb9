#include "controller/autotestwatch.h"

#include <QTest>

// Passes as the watch is told of them: whether "IE" and whether "DF" was answered.
struct Pass
{
    bool inputs;
    bool extra;
};
Q_DECLARE_METATYPE(QList<Pass>)

class AutoTestWatchTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldTellWhichLampsAreNoLongerKnown_data()
    {
        QTest::addColumn<QList<Pass>>("passes");
        QTest::addColumn<QStringList>("silent");
        QTest::addColumn<bool>("lastPassAnswered");
        const Pass both { true, true }, none { false, false }, noInputs { false, true }, noExtra { true, false };
        QTest::newRow("no pass yet") << QList<Pass> {} << QStringList {} << true;
        QTest::newRow("every pass answered") << QList<Pass> { both, both, both } << QStringList {} << true;
        QTest::newRow("one silent pass is not yet silence") << QList<Pass> { both, none } << QStringList {} << false;
        QTest::newRow("two silent passes in a row") << QList<Pass> { both, none, none } << QStringList { "IE", "DF" } << false;
        QTest::newRow("silent passes not in a row") << QList<Pass> { none, both, none } << QStringList {} << false;
        QTest::newRow("one answer makes them known again") << QList<Pass> { none, none, none, both } << QStringList {} << true;
        QTest::newRow("IE silent, DF answered") << QList<Pass> { noInputs, noInputs } << QStringList { "IE" } << true;
        QTest::newRow("DF silent, IE answered") << QList<Pass> { noExtra, noExtra, noExtra } << QStringList { "DF" } << true;
        QTest::newRow("each command counted by itself") << QList<Pass> { noInputs, noExtra, noInputs } << QStringList {} << true;
    }
    void shouldTellWhichLampsAreNoLongerKnown()
    {
        QFETCH(QList<Pass>, passes);
        QFETCH(QStringList, silent);
        QFETCH(bool, lastPassAnswered);
        AutoTestWatch watch;
        for (const Pass &pass : passes)
            watch.passEnded(pass.inputs, pass.extra, pass.inputs && pass.extra ? QString() : QStringLiteral("No answer"));
        QCOMPARE(watch.silentCommands(), silent);
        QCOMPARE(watch.inputsUnknown(), silent.contains("IE"));
        QCOMPARE(watch.extraInputsUnknown(), silent.contains("DF"));
        QCOMPARE(watch.notAnswering(), !silent.isEmpty());
        QCOMPARE(watch.lastPassAnswered(), lastPassAnswered);
        QCOMPARE(watch.passes(), int(passes.size()));
        // The reason stays while anything goes unanswered, and goes with the first whole answer.
        const bool allAnswered = passes.isEmpty() || (passes.last().inputs && passes.last().extra);
        QCOMPARE(watch.why().isEmpty(), allAnswered);
    }

    void shouldReopenAtMostOnceASecond_data()
    {
        QTest::addColumn<QList<qint64>>("tries"); // when the link was tried again (ms)
        QTest::addColumn<qint64>("at");
        QTest::addColumn<bool>("due");
        QTest::newRow("never tried: at once") << QList<qint64> {} << qint64(5) << true;
        QTest::newRow("within the second after a try") << QList<qint64> { 0 } << qint64(999) << false;
        QTest::newRow("a second after a try") << QList<qint64> { 0 } << qint64(1000) << true;
        QTest::newRow("counted from the last try") << QList<qint64> { 0, 1000 } << qint64(1500) << false;
        QTest::newRow("a second after the last try") << QList<qint64> { 0, 1000 } << qint64(2000) << true;
    }
    void shouldReopenAtMostOnceASecond()
    {
        QFETCH(QList<qint64>, tries);
        QFETCH(qint64, at);
        QFETCH(bool, due);
        qint64 now = 0;
        AutoTestWatch watch([&now] { return now; });
        for (qint64 t : tries) {
            now = t;
            watch.reopenTried();
        }
        now = at;
        QCOMPARE(watch.reopenDue(), due);
    }
};

QTEST_GUILESS_MAIN(AutoTestWatchTest)
#include "autotestwatchtest.moc"
