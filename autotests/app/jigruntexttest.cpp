// What the jig window says, in each of its languages, without a window: the jig test's phrases,
// the failed step below the verdict, the notes, the map's name.
#include "app/jigruntext.h"
#include "i18n/texttable.h"

#include <QTest>

Q_DECLARE_METATYPE(JigPhrase)
Q_DECLARE_METATYPE(JigRun::Message)

namespace {

const QStringList Languages { "English", "Simplified", "Traditional" };

JigTest::Step failedStep(const JigPhrase &name, const JigPhrase &expected, const JigPhrase &measured, const QString &reason)
{
    JigTest::Step step;
    step.setName(name);
    step.setExpected(expected);
    step.setMeasured(measured);
    step.why = reason;
    return step;
}

} // namespace

class JigRunTextTest : public QObject
{
    Q_OBJECT

private slots:
    // Every kind of phrase in the three languages; the English column is the records' English.
    void shouldSayEveryPhraseInEveryLanguage_data()
    {
        QTest::addColumn<JigPhrase>("phrase");
        QTest::addColumn<QStringList>("texts");
        using K = JigPhrase::Kind;
        const auto row = [](const char *name, const JigPhrase &phrase, const char *sc, const char *tc) {
            QTest::newRow(name) << phrase << QStringList { phrase.english(), QString::fromUtf8(sc), QString::fromUtf8(tc) };
        };
        row("Identify", K::StepIdentify, "识别控制器", "識別控制器");
        row("Set clock", K::StepSetClock, "设定时钟", "設定時鐘");
        row("Clock kept", K::StepClockKept, "时钟走时", "時鐘走時");
        row("DO2 alone", JigPhrase(K::StepOutputAlone, { "DO2" }), "单独开启 DO2", "單獨開啟 DO2");
        row("All off", K::StepAllOff, "全部关闭", "全部關閉");
        row("End", K::StepEnd, "结束测试", "結束測試");
        row("answering ID", JigPhrase(K::AnsweringId, { "000" }), "ID 000 的控制器有回应", "ID 000 的控制器有回應");
        row("answered", K::Answered, "已回应", "已回應");
        row("answered at", JigPhrase(K::AnsweredAt, { "2026/12/07  14:20:22" }), "已回应 (2026/12/07  14:20:22)", "已回應 (2026/12/07  14:20:22)");
        row("within seconds", JigPhrase(K::WithinSeconds, { "2" }), "与电脑时间相差 2 秒以内", "與電腦時間相差 2 秒以內");
        row("inputs", JigPhrase(K::Inputs, { "DI1", "DI3" }), "DI1 DI3", "DI1 DI3");
        row("no input", K::NoInputs, "无", "無");
        row("unit identity", JigPhrase(K::UnitIdentity, { "ZO425", "24010042", "000" }), "ZO425 序号 24010042 ID 000", "ZO425 序號 24010042 ID 000");
        row("not identified", K::NotIdentified, "未能识别", "未能識別");
        row("no valid clock", K::NoValidClock, "时钟无效", "時鐘無效");
        row("clock offset", JigPhrase(K::ClockOffset, { "2026/12/07  14:20:22", "-3" }), "2026/12/07  14:20:22 (-3 秒)", "2026/12/07  14:20:22 (-3 秒)");
        row("no reply", JigPhrase::replyVerdict(Verdict::NoReply), "无回应", "無回應");
        row("line hung up", JigPhrase::replyVerdict(Verdict::HungUp), "线路已断开", "線路已斷開");
        row("a verdict out of range", JigPhrase(K::ReplyVerdict, { "99" }), "", "");
        row("reply length", JigPhrase(K::ReplyLength, { "12" }), "回应长度 12 字节", "回應長度 12 位元組");
        row("a text as it is", JigPhrase::text("D%1I"), "D%1I", "D%1I");
        row("an argument holding %1", JigPhrase(K::AnsweringId, { "%1" }), "ID %1 的控制器有回应", "ID %1 的控制器有回應");
    }

    void shouldSayEveryPhraseInEveryLanguage()
    {
        QFETCH(JigPhrase, phrase);
        QFETCH(QStringList, texts);
        for (int language = 0; language < TextTable::ColumnCount; ++language)
            QCOMPARE(JigRunText(language).phrase(phrase, QStringLiteral("unused")), texts[language]);
    }

    // A step made from strings alone (an older record's) is shown as its strings.
    void shouldShowAStepWithoutPhrasesAsItsStrings()
    {
        QCOMPARE(JigRunText(TextTable::SimplifiedChinese).phrase(JigPhrase(), QStringLiteral("DO1 alone")), QStringLiteral("DO1 alone"));
    }

    void shouldSayWhereAUnitFailed_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("detail");
        QTest::newRow("English") << int(TextTable::English) << "" << "DO1 alone: measured DI1 DI3, expected DI1";
        QTest::newRow("Simplified, with the reason") << int(TextTable::SimplifiedChinese) << "DF: No answer"
                                                     << "单独开启 DO1: 实测 DI1 DI3, 应为 DI1\nDF: No answer";
        QTest::newRow("Traditional") << int(TextTable::TraditionalChinese) << "" << "單獨開啟 DO1: 實測 DI1 DI3, 應為 DI1";
    }

    void shouldSayWhereAUnitFailed()
    {
        QFETCH(int, language);
        QFETCH(QString, reason);
        QFETCH(QString, detail);
        const JigTest::Step step = failedStep(JigPhrase(JigPhrase::Kind::StepOutputAlone, { "DO1" }), JigPhrase(JigPhrase::Kind::Inputs, { "DI1" }),
                                              JigPhrase(JigPhrase::Kind::Inputs, { "DI1", "DI3" }), reason);
        QCOMPARE(JigRunText(language).failedStep(step), detail);
    }

    void shouldSayTheNotes_data()
    {
        QTest::addColumn<JigRun::Message>("message");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << JigRun::Message {} << int(TextTable::English) << "";
        QTest::newRow("a reason alone") << JigRun::Message { JigRun::Note::None, {}, "disk full" } << int(TextTable::English) << "disk full";
        QTest::newRow("no station") << JigRun::Message { JigRun::Note::NoStation, {}, {} } << int(TextTable::SimplifiedChinese) << "请输入工站名称.";
        QTest::newRow("the link did not open") << JigRun::Message { JigRun::Note::NoLink, {}, "port busy" } << int(TextTable::TraditionalChinese)
                                               << "連線裝置錯誤!\nport busy";
        QTest::newRow("exported") << JigRun::Message { JigRun::Note::Exported, { "3", "/tmp/a%1.csv" }, {} } << int(TextTable::English)
                                  << "Exported 3 units to /tmp/a%1.csv";
        QTest::newRow("pending") << JigRun::Message { JigRun::Note::Pending, {}, {} } << int(TextTable::SimplifiedChinese)
                                 << "无法连接记录数据库: 记录暂存本机, 稍后自动上传. 可继续测试.";
    }

    void shouldSayTheNotes()
    {
        QFETCH(JigRun::Message, message);
        QFETCH(int, language);
        QFETCH(QString, text);
        QCOMPARE(JigRunText(language).message(message), text);
    }

    // The built-in map is named in the language; the records keep its English name.
    void shouldNameTheBuiltInMapInTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("name");
        QTest::newRow("English") << int(TextTable::English) << JigMap::defaultMap().name();
        QTest::newRow("Simplified") << int(TextTable::SimplifiedChinese) << "模拟器治具";
        QTest::newRow("Traditional") << int(TextTable::TraditionalChinese) << "模擬器治具";
    }

    void shouldNameTheBuiltInMapInTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, name);
        JigRun run(QStringLiteral("unused.jsonl"));
        run.useMap(QString());
        QCOMPARE(JigRunText(language).mapName(run), name);
        QCOMPARE(run.mapName(), JigMap::defaultMap().name());
    }
};

QTEST_APPLESS_MAIN(JigRunTextTest)
#include "jigruntexttest.moc"
