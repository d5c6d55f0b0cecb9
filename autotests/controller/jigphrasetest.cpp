// The jig test's phrases in English: the words the records and the command line have always had.
#include "controller/jigphrase.h"

#include <QTest>

Q_DECLARE_METATYPE(JigPhrase)

class JigPhraseTest : public QObject
{
    Q_OBJECT
private slots:
    void shouldSayTheRecordsEnglish_data()
    {
        QTest::addColumn<JigPhrase>("phrase");
        QTest::addColumn<QString>("english");
        using K = JigPhrase::Kind;
        QTest::newRow("step Identify") << JigPhrase(K::StepIdentify) << "Identify";
        QTest::newRow("step Set clock") << JigPhrase(K::StepSetClock) << "Set clock";
        QTest::newRow("step Clock kept") << JigPhrase(K::StepClockKept) << "Clock kept";
        QTest::newRow("step DO3 alone") << JigPhrase(K::StepOutputAlone, { "DO3" }) << "DO3 alone";
        QTest::newRow("step All off") << JigPhrase(K::StepAllOff) << "All off";
        QTest::newRow("step End") << JigPhrase(K::StepEnd) << "End";
        QTest::newRow("answering ID") << JigPhrase(K::AnsweringId, { "000" }) << "a controller answering ID 000";
        QTest::newRow("answered") << JigPhrase(K::Answered) << "answered";
        QTest::newRow("answered at") << JigPhrase(K::AnsweredAt, { "2024/03/15  14:25:30" }) << "answered (2024/03/15  14:25:30)";
        QTest::newRow("within seconds") << JigPhrase(K::WithinSeconds, { "2" }) << "within 2 s of the PC";
        QTest::newRow("two inputs") << JigPhrase(K::Inputs, { "DI1", "DI7" }) << "DI1 DI7";
        QTest::newRow("no input") << JigPhrase(K::NoInputs) << "none";
        QTest::newRow("unit identity") << JigPhrase(K::UnitIdentity, { "ZO425", "24010042", "000" }) << "ZO425 S/N 24010042 ID 000";
        QTest::newRow("not identified") << JigPhrase(K::NotIdentified) << "not identified";
        QTest::newRow("no valid clock") << JigPhrase(K::NoValidClock) << "no valid clock";
        QTest::newRow("clock ahead") << JigPhrase(K::ClockOffset, { "2024/03/15  14:25:35", "+5" }) << "2024/03/15  14:25:35 (+5 s)";
        QTest::newRow("no reply") << JigPhrase::replyVerdict(Verdict::NoReply) << "no reply";
        QTest::newRow("cut off") << JigPhrase::replyVerdict(Verdict::CutOff) << "reply cut off";
        QTest::newRow("wrong length") << JigPhrase(K::ReplyLength, { "12" }) << "reply of 12 bytes";
        QTest::newRow("a text as it is") << JigPhrase::text("D%1I") << "D%1I";
        // A value that holds a placeholder is not filled again.
        QTest::newRow("a model holding %2") << JigPhrase(K::UnitIdentity, { "Z%2", "1", "000" }) << "Z%2 S/N 1 ID 000";
        // Arguments missing from a damaged phrase leave gaps, nothing worse.
        QTest::newRow("arguments missing") << JigPhrase(K::UnitIdentity) << " S/N  ID ";
        QTest::newRow("a verdict out of range") << JigPhrase(K::ReplyVerdict, { "99" }) << "";
    }

    void shouldSayTheRecordsEnglish()
    {
        QFETCH(JigPhrase, phrase);
        QFETCH(QString, english);
        QCOMPARE(phrase.english(), english);
        QCOMPARE(phrase.isEmpty(), false);
    }

    void shouldTellAStepMadeOfStringsAlone()
    {
        QVERIFY(JigPhrase().isEmpty());
        QVERIFY(!JigPhrase::text(QString()).isEmpty());
    }
};

QTEST_APPLESS_MAIN(JigPhraseTest)
#include "jigphrasetest.moc"
