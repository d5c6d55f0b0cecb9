#include "controller/integertext.h"

#include <QTest>

using Value = std::optional<qint64>;

class IntegerTextTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadEditFieldInteger_data();
    void shouldReadEditFieldInteger();
    void shouldKeepBytesToOneByte_data();
    void shouldKeepBytesToOneByte();
};

void IntegerTextTest::shouldReadEditFieldInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Value>("expected");

    const Value invalid;
    QTest::newRow("decimal") << "10" << Value(10);
    QTest::newRow("zero") << "0" << Value(0);
    QTest::newRow("leading zeros") << "007" << Value(7);
    QTest::newRow("leading blanks") << "   42" << Value(42);
    QTest::newRow("plus") << "+5" << Value(5);
    QTest::newRow("minus") << "-5" << Value(-5);
    QTest::newRow("blank before sign") << " -5" << Value(-5);
    QTest::newRow("dollar hex") << "$1F" << Value(31);
    QTest::newRow("dollar hex lower") << "$ff" << Value(255);
    QTest::newRow("0x hex") << "0x0a" << Value(10);
    QTest::newRow("0X hex") << "0XfF" << Value(255);
    QTest::newRow("signed hex") << "-$10" << Value(-16);
    QTest::newRow("signed 0x hex") << "+0x10" << Value(16);
    QTest::newRow("largest") << "9223372036854775807" << Value(std::numeric_limits<qint64>::max());
    QTest::newRow("smallest") << "-9223372036854775808" << Value(std::numeric_limits<qint64>::min());
    QTest::newRow("largest hex") << "$7FFFFFFFFFFFFFFF" << Value(std::numeric_limits<qint64>::max());
    QTest::newRow("hex digits in decimal") << "1A" << invalid;
    QTest::newRow("empty") << "" << invalid;
    QTest::newRow("only blanks") << "   " << invalid;
    QTest::newRow("only sign") << "-" << invalid;
    QTest::newRow("only dollar") << "$" << invalid;
    QTest::newRow("only 0x") << "0x" << invalid;
    QTest::newRow("trailing blank") << "10 " << invalid;
    QTest::newRow("inner blank") << "1 0" << invalid;
    QTest::newRow("blank after sign") << "- 5" << invalid;
    QTest::newRow("two signs") << "+-5" << invalid;
    QTest::newRow("tab before") << "\t5" << invalid;
    QTest::newRow("letters") << "abc" << invalid;
    QTest::newRow("trailing junk") << "12abc" << invalid;
    QTest::newRow("non-hex after prefix") << "$G1" << invalid;
    QTest::newRow("0x twice") << "0x0x1" << invalid;
    QTest::newRow("x alone") << "x10" << invalid;
    QTest::newRow("fullwidth digit") << QString(QChar(0xFF11)) << invalid;
    QTest::newRow("one too large") << "9223372036854775808" << invalid;
    QTest::newRow("one too small") << "-9223372036854775809" << invalid;
    QTest::newRow("hex too large") << "$8000000000000000" << invalid;
    QTest::newRow("far too large") << "99999999999999999999999" << invalid;
}

void IntegerTextTest::shouldReadEditFieldInteger()
{
    QFETCH(QString, text);
    QFETCH(Value, expected);
    QCOMPARE(IntegerText::parse(text), expected);
}

void IntegerTextTest::shouldKeepBytesToOneByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<quint8>>("expected");

    QTest::newRow("0") << "0" << std::optional<quint8>(0);
    QTest::newRow("255") << "255" << std::optional<quint8>(255);
    QTest::newRow("$FF") << "$FF" << std::optional<quint8>(255);
    QTest::newRow("256") << "256" << std::optional<quint8>();
    QTest::newRow("-1") << "-1" << std::optional<quint8>();
    QTest::newRow("wraps to 0 if truncated") << "$100" << std::optional<quint8>();
    QTest::newRow("invalid") << "x" << std::optional<quint8>();
}

void IntegerTextTest::shouldKeepBytesToOneByte()
{
    QFETCH(QString, text);
    QFETCH(std::optional<quint8>, expected);
    QCOMPARE(IntegerText::parseByte(text), expected);
}

QTEST_APPLESS_MAIN(IntegerTextTest)
#include "integertexttest.moc"
