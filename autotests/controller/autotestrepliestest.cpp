#include "controller/autotestreplies.h"
#include "protocol/commandframe.h"

#include <QTest>

using Lamps = std::array<bool, 4>;
using ExtraLamps = std::optional<std::array<bool, 2>>;

namespace {

// 20 data characters: clock "yyyyMMddhhnnss", two unread, four inputs.
QByteArray inputsData(const QByteArray &inputs, const QByteArray &record = {})
{
    return "20240315142530" "xx" + inputs + record;
}

} // namespace

class AutoTestRepliesTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldLightInputsFromIe_data();
    void shouldLightInputsFromIe();
    void shouldShowRecordOfLongIe();
    void shouldIgnoreIeOfOtherLength_data();
    void shouldIgnoreIeOfOtherLength();
    void shouldLightExtraInputsFromDf_data();
    void shouldLightExtraInputsFromDf();
};

void AutoTestRepliesTest::shouldLightInputsFromIe_data()
{
    QTest::addColumn<QByteArray>("inputs");
    QTest::addColumn<Lamps>("lit");

    QTest::newRow("1001") << QByteArray("1001") << Lamps{ true, false, false, true };
    QTest::newRow("0110") << QByteArray("0110") << Lamps{ false, true, true, false };
    QTest::newRow("all on") << QByteArray("1111") << Lamps{ true, true, true, true };
    QTest::newRow("all off") << QByteArray("0000") << Lamps{ false, false, false, false };
    QTest::newRow("only '1' lights") << QByteArray("2 x1") << Lamps{ false, false, false, true };
}

void AutoTestRepliesTest::shouldLightInputsFromIe()
{
    QFETCH(QByteArray, inputs);
    QFETCH(Lamps, lit);

    const QByteArray reply = CommandFrame::encodeReply("001", "IE", inputsData(inputs));
    const auto in = AutoTestReplies::inputs(reply, int(reply.size()));
    QVERIFY(in);
    QCOMPARE(in->clockText, QStringLiteral("2024/03/15  14:25:30"));
    QCOMPARE(in->lit, lit);
    QVERIFY(!in->recordText);
}

void AutoTestRepliesTest::shouldShowRecordOfLongIe()
{
    const QByteArray reply = CommandFrame::encodeReply("001", "IE", inputsData("0100", "ABCDEFGHIJKLMNWXYZPQ"));
    QCOMPARE(reply.size(), AutoTestReplies::InputsWithRecordLength);
    const auto in = AutoTestReplies::inputs(reply, int(reply.size()));
    QVERIFY(in);
    QCOMPARE(in->recordText, std::optional<QString>(QStringLiteral("ABCDEFGHIJKLMN (WXYZ) (PQ)")));
    QCOMPARE(in->clockText, QStringLiteral("2024/03/15  14:25:30"));
    QCOMPARE(in->lit, (Lamps{ false, true, false, false }));
}

void AutoTestRepliesTest::shouldIgnoreIeOfOtherLength_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("ack") << QByteArray();
    QTest::newRow("one short") << inputsData("100");
    QTest::newRow("one long") << inputsData("10011");
    QTest::newRow("record one short") << inputsData("1001", "ABCDEFGHIJKLMNWXYZP");
    QTest::newRow("record one long") << inputsData("1001", "ABCDEFGHIJKLMNWXYZPQR");
}

void AutoTestRepliesTest::shouldIgnoreIeOfOtherLength()
{
    QFETCH(QByteArray, data);
    const QByteArray reply = CommandFrame::encodeReply("001", "IE", data);
    QVERIFY(!AutoTestReplies::inputs(reply, int(reply.size())));
}

void AutoTestRepliesTest::shouldLightExtraInputsFromDf_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<ExtraLamps>("expected");

    using Pair = ExtraLamps;
    QTest::newRow("10") << QByteArray("10") << Pair(std::array<bool, 2>{ true, false });
    QTest::newRow("01") << QByteArray("01") << Pair(std::array<bool, 2>{ false, true });
    QTest::newRow("11") << QByteArray("11") << Pair(std::array<bool, 2>{ true, true });
    QTest::newRow("00") << QByteArray("00") << Pair(std::array<bool, 2>{ false, false });
    QTest::newRow("other chars clear") << QByteArray("A0") << Pair(std::array<bool, 2>{ false, false });
    QTest::newRow("one char refused") << QByteArray("1") << Pair();
    QTest::newRow("three chars refused") << QByteArray("111") << Pair();
    QTest::newRow("ack refused") << QByteArray() << Pair();
}

void AutoTestRepliesTest::shouldLightExtraInputsFromDf()
{
    QFETCH(QByteArray, data);
    QFETCH(ExtraLamps, expected);
    const QByteArray reply = CommandFrame::encodeReply("001", "DF", data);
    QCOMPARE(AutoTestReplies::extraInputs(reply, int(reply.size())), expected);
}

QTEST_APPLESS_MAIN(AutoTestRepliesTest)
#include "autotestrepliestest.moc"
