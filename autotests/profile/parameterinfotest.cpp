// The one gate through which a value enters: what each kind of value takes, in which canonical
// form, and what it refuses; codes and JSON both ways.
#include "profile/parametercatalog.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QTest>

class ParameterInfoTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldTakeValuesInTheirCanonicalForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("canonical"); // empty: refused
        QTest::addColumn<int>("code");          // -1: none

        const auto row = [](const char *tag, QLatin1String name, const QString &text, const QString &canonical, int code) {
            QTest::newRow(tag) << QString(name) << text << canonical << code;
        };
        using C = ParameterCatalog;
        row("word as written", C::HourFormat, QStringLiteral("12h"), QStringLiteral("12h"), 1);
        row("word in capitals, blanks around", C::Language, QStringLiteral(" Simplified-Chinese "), QStringLiteral("simplified-chinese"), 2);
        row("word not in the list", C::HourFormat, QStringLiteral("13h"), QString(), -1);
        row("list position is not a word", C::CardType, QStringLiteral("1"), QString(), -1);
        row("card bits", C::CardBits, QStringLiteral("32"), QStringLiteral("32"), 1);
        row("line settings in capitals", C::BaudRate, QStringLiteral("115200,E,8,1"), QStringLiteral("115200,e,8,1"), 11);
        row("line settings not offered", C::BaudRate, QStringLiteral("115200,o,8,1"), QString(), -1);
        row("number", C::SameCardDelay, QStringLiteral("30"), QStringLiteral("30"), 30);
        row("number in hexadecimal", C::DoorTimeoutTime, QStringLiteral("0x1E"), QStringLiteral("30"), 30);
        row("highest number", C::SameCardDelay, QStringLiteral("255"), QStringLiteral("255"), 255);
        row("number beyond a byte", C::SameCardDelay, QStringLiteral("256"), QString(), -1);
        row("negative number", C::DoorTimeoutTime, QStringLiteral("-1"), QString(), -1);
        row("number beyond its list", C::TitleLines, QStringLiteral("3"), QString(), -1);
        row("number with a tail", C::SameCardDelay, QStringLiteral("10s"), QString(), -1);
        row("empty number", C::SameCardDelay, QString(), QString(), -1);
        row("flag on", C::DoorLog, QStringLiteral("on"), QStringLiteral("on"), 1);
        row("flag as true", C::ShowStatus, QStringLiteral("TRUE"), QStringLiteral("on"), 1);
        row("flag as disable", C::DoorForce, QStringLiteral("disable"), QStringLiteral("off"), 0);
        row("flag as a digit", C::DoorLog, QStringLiteral("1"), QString(), -1);
        row("text kept as typed", C::TitleLine1, QStringLiteral(" Gate B "), QStringLiteral(" Gate B "), -1);
        row("Chinese text", C::TitleLine2, QStringLiteral("东门"), QStringLiteral("东门"), -1);
        row("text of 32 characters", C::TitleLine1, QString(32, QLatin1Char('x')), QString(32, QLatin1Char('x')), -1);
        row("text of 33 characters", C::TitleLine1, QString(33, QLatin1Char('x')), QString(), -1);
        row("text with a carriage return", C::TitleLine1, QStringLiteral("A\rB"), QString(), -1);
        row("text with DEL", C::TitleLine2, QStringLiteral("A\x7F"), QString(), -1);
        row("text with a next line (C1)", C::TitleLine1, QStringLiteral("A\u0085B"), QString(), -1);
        row("text with a C1 control", C::TitleLine2, QStringLiteral("\u009B2J"), QString(), -1);
        row("text with a no-break space", C::TitleLine2, QStringLiteral("A\u00A0B"), QStringLiteral("A\u00A0B"), -1);
    }

    void shouldTakeValuesInTheirCanonicalForm()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, canonical);
        QFETCH(int, code);
        const ParameterInfo *parameter = ParameterCatalog::find(name);
        QVERIFY(parameter);
        QString why;
        const std::optional<QString> value = parameter->parse(text, &why);
        if (canonical.isEmpty()) {
            QVERIFY(!value);
            QVERIFY2(why.startsWith(name + QStringLiteral(": ")), qPrintable(why));
            return;
        }
        QVERIFY2(value, qPrintable(why));
        QCOMPARE(*value, canonical);
        QCOMPARE(parameter->code(*value).value_or(-1), code);
        // The canonical form reads back as itself, and as JSON as well.
        QCOMPARE(parameter->parse(*value), value);
        QCOMPARE(parameter->fromJson(parameter->toJson(*value)), value);
    }

    // What a controller holds beyond a value's list is shown, never taken back in.
    void shouldShowCodesOutsideTheValueInAFormNoOneCanEnter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("list position") << QString(ParameterCatalog::HourFormat) << 1 << QStringLiteral("12h");
        QTest::newRow("beyond the list") << QString(ParameterCatalog::HourFormat) << 16 << QStringLiteral("(16)");
        QTest::newRow("card type byte 0") << QString(ParameterCatalog::CardType) << -1 << QStringLiteral("(-1)");
        QTest::newRow("flag 2") << QString(ParameterCatalog::ShowStatus) << 2 << QStringLiteral("(2)");
        QTest::newRow("title lines 7") << QString(ParameterCatalog::TitleLines) << 7 << QStringLiteral("(7)");
        QTest::newRow("number") << QString(ParameterCatalog::DoorTimeoutTime) << 200 << QStringLiteral("200");
    }

    void shouldShowCodesOutsideTheValueInAFormNoOneCanEnter()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QFETCH(QString, shown);
        const ParameterInfo *parameter = ParameterCatalog::find(name);
        QCOMPARE(parameter->fromCode(code), shown);
        const bool inside = !shown.startsWith(QLatin1Char('('));
        QCOMPARE(parameter->parse(shown).has_value(), inside);
        QCOMPARE(parameter->code(shown).has_value(), inside);
    }

    void shouldRefuseJsonOfTheWrongKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QJsonValue>("json");
        QTest::newRow("number as a string") << QString(ParameterCatalog::SameCardDelay) << QJsonValue(QStringLiteral("10"));
        QTest::newRow("fraction") << QString(ParameterCatalog::SameCardDelay) << QJsonValue(10.5);
        QTest::newRow("huge number") << QString(ParameterCatalog::SameCardDelay) << QJsonValue(1e300);
        QTest::newRow("flag as a string") << QString(ParameterCatalog::DoorLog) << QJsonValue(QStringLiteral("on"));
        QTest::newRow("flag as a number") << QString(ParameterCatalog::DoorLog) << QJsonValue(1);
        QTest::newRow("word as a number") << QString(ParameterCatalog::CardBits) << QJsonValue(32);
        QTest::newRow("text as null") << QString(ParameterCatalog::TitleLine1) << QJsonValue();
        QTest::newRow("list as an array") << QString(ParameterCatalog::Language) << QJsonValue(QJsonArray { QStringLiteral("english") });
    }

    void shouldRefuseJsonOfTheWrongKind()
    {
        QFETCH(QString, name);
        QFETCH(QJsonValue, json);
        QString why;
        QVERIFY(!ParameterCatalog::find(name)->fromJson(json, &why));
        QVERIFY2(why.startsWith(name + QStringLiteral(": wants ")), qPrintable(why));
    }

    // The names are the shared vocabulary of files, the command line and the window.
    void shouldNameEveryValueOnce()
    {
        QSet<QString> names;
        for (const ParameterInfo &s : ParameterCatalog::all()) {
            QVERIFY2(!names.contains(s.name), qPrintable(s.name));
            names.insert(s.name);
            QVERIFY(!s.description.isEmpty());
            QCOMPARE(ParameterCatalog::find(s.name), &s);
        }
        QCOMPARE(names.size(), 21);
        QVERIFY(!ParameterCatalog::find(QStringLiteral("id")));
        QVERIFY(!ParameterCatalog::find(QStringLiteral("Door-Log")));
    }
};

QTEST_APPLESS_MAIN(ParameterInfoTest)
#include "parameterinfotest.moc"
