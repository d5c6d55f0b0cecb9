#include "records/unitrecord.h"
#include "testrecords.h"

#include <QJsonArray>
#include <QTest>

namespace {

const QDateTime Start = QDateTime::fromString(QStringLiteral("2024-03-15T14:25:30.123Z"), Qt::ISODateWithMs);

// A change to one field of a good record's JSON.
using Damage = std::function<void(QJsonObject &)>;

Damage setField(const QString &key, const QJsonValue &value)
{
    return [=](QJsonObject &o) { o[key] = value; };
}

Damage setStepField(int step, const QString &key, const QJsonValue &value)
{
    return [=](QJsonObject &o) {
        QJsonArray steps = o[QStringLiteral("steps")].toArray();
        QJsonObject s = steps[step].toObject();
        if (value.isUndefined())
            s.remove(key);
        else
            s[key] = value;
        steps[step] = s;
        o[QStringLiteral("steps")] = steps;
    };
}

} // namespace

class UnitRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldRefuseDamagedJson_data();
    void shouldRefuseDamagedJson();
    void shouldFinishWithVerdictOfSteps_data();
    void shouldFinishWithVerdictOfSteps();
};

void UnitRecordTest::shouldRefuseDamagedJson_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("reason");

    QTest::newRow("field missing") << Damage([](QJsonObject &o) { o.remove(QStringLiteral("serialNumber")); }) << "serialNumber is missing";
    QTest::newRow("number for text") << setField(QStringLiteral("model"), 420) << "model is not a text";
    QTest::newRow("newer format") << setField(QStringLiteral("format"), UnitRecord::FormatVersion + 1) << "format 3 is not";
    QTest::newRow("engineering missing") << Damage([](QJsonObject &o) { o.remove(QStringLiteral("engineering")); }) << "engineering is missing";
    QTest::newRow("ERROR in format 1") << Damage([](QJsonObject &o) {
        o.insert(QStringLiteral("format"), 1);
        o.insert(QStringLiteral("verdict"), QStringLiteral("ERROR"));
    }) << "verdict ERROR in a record of format 1";
    QTest::newRow("id not a UUID") << setField(QStringLiteral("recordId"), QStringLiteral("12")) << "recordId \"12\" is not a UUID";
    QTest::newRow("time without zone") << setField(QStringLiteral("start"), QStringLiteral("2024-03-15T14:25:30")) << "start \"2024-03-15T14:25:30\" is not a time";
    QTest::newRow("end before start") << setField(QStringLiteral("end"), QStringLiteral("2024-03-15T14:00:00Z")) << "end is before start";
    QTest::newRow("verdict unknown") << setField(QStringLiteral("verdict"), QStringLiteral("pass")) << "verdict \"pass\" is not PASS, FAIL or ERROR";
    QTest::newRow("PASS with failed step") << setField(QStringLiteral("verdict"), QStringLiteral("PASS")) << "verdict is PASS but a step failed";
    QTest::newRow("empty serial") << setField(QStringLiteral("serialNumber"), QStringLiteral("  ")) << "serialNumber is empty";
    QTest::newRow("steps not a list") << setField(QStringLiteral("steps"), QJsonObject()) << "steps is not a list";
    QTest::newRow("step field missing") << setStepField(1, QStringLiteral("measured"), QJsonValue::Undefined) << "steps[1].measured is missing";
    QTest::newRow("step passed as text") << setStepField(0, QStringLiteral("passed"), QStringLiteral("true")) << "steps[0].passed is not true or false";
    QTest::newRow("steps out of order") << setStepField(2, QStringLiteral("index"), 2) << "steps[2].index is 2";
    QTest::newRow("fractional index") << setStepField(0, QStringLiteral("index"), 1.5) << "steps[0].index is not a whole number";
    QTest::newRow("NUL in text") << setStepField(0, QStringLiteral("measured"), QStringLiteral("a").append(QChar(0))) << "steps[0].measured holds a NUL";
    QTest::newRow("text too long") << setField(QStringLiteral("operator"), QString(UnitRecord::MaxTextLength + 1, QLatin1Char('x'))) << "operator is longer than 4096";
}

void UnitRecordTest::shouldRefuseDamagedJson()
{
    QFETCH(Damage, damage);
    QFETCH(QString, reason);

    QJsonObject json = TestRecords::unit(QStringLiteral("A1"), false, Start).toJson();
    damage(json);
    QString error;
    QVERIFY(!UnitRecord::fromJson(json, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void UnitRecordTest::shouldFinishWithVerdictOfSteps_data()
{
    QTest::addColumn<QList<bool>>("passed");
    QTest::addColumn<bool>("linkLost");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("all passed") << QList<bool>{ true, true, true } << false << "PASS";
    QTest::newRow("last failed") << QList<bool>{ true, true, false } << false << "FAIL";
    QTest::newRow("first failed") << QList<bool>{ false, true } << false << "FAIL";
    QTest::newRow("no steps") << QList<bool>{} << false << "FAIL";
    QTest::newRow("link lost") << QList<bool>{ true, false } << true << "ERROR";
    QTest::newRow("link lost after all passed") << QList<bool>{ true, true } << true << "PASS";
}

void UnitRecordTest::shouldFinishWithVerdictOfSteps()
{
    QFETCH(QList<bool>, passed);
    QFETCH(bool, linkLost);
    QFETCH(QString, verdict);

    UnitRecord r;
    r.serialNumber = QStringLiteral("A1");
    r.start = Start;
    for (bool p : passed)
        r.steps.append({ 7, QStringLiteral("step"), {}, QString::fromUtf8("raw\0reply", 9), p, {} });
    r.finish(Start.addSecs(5), linkLost);
    QCOMPARE(UnitRecord::verdictText(r.verdict), verdict);
    QCOMPARE(UnitRecord::fromJson(r.toJson()), std::optional<UnitRecord>(r));
    QVERIFY2(r.whyInvalid().isEmpty(), qPrintable(r.whyInvalid()));
    for (int i = 0; i < r.steps.size(); ++i) {
        QCOMPARE(r.steps[i].index, i + 1);
        QCOMPARE(r.steps[i].measured, QStringLiteral("raw\u2400reply"));
    }
    // Each finished unit is a record of its own, even for the same unit tested again.
    const QUuid first = r.recordId;
    r.finish(Start.addSecs(6));
    QVERIFY(!first.isNull() && r.recordId != first);
}

QTEST_APPLESS_MAIN(UnitRecordTest)
#include "unitrecordtest.moc"
