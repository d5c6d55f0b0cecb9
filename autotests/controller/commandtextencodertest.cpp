#include "controller/commandtextencoder.h"

#include <QTest>

using Bytes = std::optional<QByteArray>;

namespace {

enum { Unicode = CommandTextEncoder::Unicode, Big5 = CommandTextEncoder::AsciiBig5,
       Gb2312 = CommandTextEncoder::AsciiGb2312 };

} // namespace

class CommandTextEncoderTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldEncodeInChosenEncoding_data();
    void shouldEncodeInChosenEncoding();
};

void CommandTextEncoderTest::shouldEncodeInChosenEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<Bytes>("expected");

    const Bytes refused;
    const QString chinese = QStringLiteral("中文");
    const QString traditionalOnly = QStringLiteral("國"); // no GB2312 code, a Big5 one
    const QString simplifiedOnly = QStringLiteral("国");  // a GB2312 code, no Big5 one

    for (const int e : { int(Unicode), int(Big5), int(Gb2312) }) {
        QTest::addRow("ASCII as it stands %d", e) << "ZOVUR CORP. 7629" << e << Bytes("ZOVUR CORP. 7629");
        QTest::addRow("empty %d", e) << "" << e << Bytes(QByteArray());
        QTest::addRow("tab kept %d", e) << "A\tB" << e << Bytes("A\tB");
        QTest::addRow("NUL refused %d", e) << QString(QChar(0)) + u'A' << e << refused;
        QTest::addRow("SOH refused %d", e) << "A\x01" << e << refused;
        QTest::addRow("STX refused %d", e) << "A\x02" << e << refused;
        QTest::addRow("ETX refused %d", e) << "A\x03" << e << refused;
        QTest::addRow("EOT refused %d", e) << "A\x04" << e << refused;
        QTest::addRow("CR refused %d", e) << "A\rB" << e << refused;
    }

    QTest::newRow("Chinese in UTF-8") << chinese << int(Unicode) << Bytes("\xE4\xB8\xAD\xE6\x96\x87");
    QTest::newRow("Chinese in Big5") << chinese << int(Big5) << Bytes("\xA4\xA4\xA4\xE5");
    QTest::newRow("Chinese in GB2312") << chinese << int(Gb2312) << Bytes("\xD6\xD0\xCE\xC4");
    QTest::newRow("mixed in GB2312") << "RD " + chinese << int(Gb2312) << Bytes("RD \xD6\xD0\xCE\xC4");
    QTest::newRow("traditional in Big5") << traditionalOnly << int(Big5) << Bytes("\xB0\xEA");
    QTest::newRow("traditional refused in GB2312") << traditionalOnly << int(Gb2312) << refused;
    QTest::newRow("simplified refused in Big5") << simplifiedOnly << int(Big5) << refused;
    QTest::newRow("traditional in UTF-8") << traditionalOnly << int(Unicode) << Bytes("\xE5\x9C\x8B");
    QTest::newRow("emoji refused in GB2312") << QStringLiteral("A\U0001F600") << int(Gb2312) << refused;
    QTest::newRow("emoji in UTF-8") << QStringLiteral("\U0001F600") << int(Unicode) << Bytes("\xF0\x9F\x98\x80");
    QTest::newRow("lone surrogate refused in UTF-8") << QString(QChar(0xD800)) << int(Unicode) << refused;
    QTest::newRow("ASCII with no encoding chosen") << "ABC" << -1 << Bytes("ABC");
    QTest::newRow("ASCII with an encoding past the items") << "ABC" << 3 << Bytes("ABC");
    QTest::newRow("Chinese with no encoding chosen") << chinese << -1 << refused;
    QTest::newRow("Chinese with an encoding past the items") << chinese << 3 << refused;
}

void CommandTextEncoderTest::shouldEncodeInChosenEncoding()
{
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(Bytes, expected);
    const Bytes actual = CommandTextEncoder::encode(text, encoding);
    QCOMPARE(actual.has_value(), expected.has_value());
    if (expected)
        QCOMPARE(actual->toHex(' '), expected->toHex(' '));
}

QTEST_APPLESS_MAIN(CommandTextEncoderTest)
#include "commandtextencodertest.moc"
