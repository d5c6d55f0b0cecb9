#include "controller/commandtextencoder.h"

#include <QCryptographicHash>
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
    void shouldEncodeEveryCharacterAlikeOnEverySystem_data();
    void shouldEncodeEveryCharacterAlikeOnEverySystem();
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
    // Where ICU (Linux) and the code pages 950 and 936 (Windows) part ways, both systems send
    // the same bytes or refuse alike.
    QTest::newRow("middle dot A1A4, ICU's") << QStringLiteral("\u30FB") << int(Gb2312) << Bytes("\xA1\xA4");
    QTest::newRow("middle dot A1A4, Windows'") << QStringLiteral("A\u00B7B") << int(Gb2312) << Bytes("A\xA1\xA4" "B");
    QTest::newRow("dash A1AA, ICU's") << QStringLiteral("\u2015") << int(Gb2312) << Bytes("\xA1\xAA");
    QTest::newRow("dash A1AA, Windows'") << QStringLiteral("\u2014") << int(Gb2312) << Bytes("\xA1\xAA");
    QTest::newRow("A3A7, ICU's") << QStringLiteral("\u00B4") << int(Gb2312) << Bytes("\xA3\xA7");
    QTest::newRow("A3A7, Windows'") << QStringLiteral("\uFF07") << int(Gb2312) << Bytes("\xA3\xA7");
    QTest::newRow("ideographic full stop") << QStringLiteral("\u3002") << int(Gb2312) << Bytes("\xA1\xA3");
    QTest::newRow("last GB2312 hanzi") << QStringLiteral("\u9F44") << int(Gb2312) << Bytes("\xF7\xFE");
    QTest::newRow("GBK row refused") << QStringLiteral("\u4E02") << int(Gb2312) << refused;
    QTest::newRow("GBK small Roman numeral refused") << QStringLiteral("\u2170") << int(Gb2312) << refused;
    QTest::newRow("GBK vertical form refused") << QStringLiteral("\uFE35") << int(Gb2312) << refused;
    QTest::newRow("GBK pinyin letter refused") << QStringLiteral("\u0144") << int(Gb2312) << refused;
    QTest::newRow("euro sign refused in GB2312") << QStringLiteral("\u20AC") << int(Gb2312) << refused;
    QTest::newRow("C1 control refused in GB2312") << QStringLiteral("\u0085") << int(Gb2312) << refused;
    QTest::newRow("private use refused in GB2312") << QStringLiteral("\uE000") << int(Gb2312) << refused;
    QTest::newRow("private use refused in GB2312 past the rows") << QStringLiteral("\uE766") << int(Gb2312) << refused;
    QTest::newRow("private use refused in Big5") << QStringLiteral("\uE000") << int(Big5) << refused;
    QTest::newRow("private use refused in Big5, a single byte in ICU") << QStringLiteral("\uF8F8") << int(Big5) << refused;
    QTest::newRow("euro sign in Big5") << QStringLiteral("\u20AC") << int(Big5) << Bytes("\xA3\xE1");
    QTest::newRow("Big5 punctuation") << QStringLiteral("\uFF0C\u3002") << int(Big5) << Bytes("\xA1\x41\xA1\x43");
    QTest::newRow("Big5 last common hanzi") << QStringLiteral("\u9F98") << int(Big5) << Bytes("\xF9\xD5");
    QTest::newRow("Big5 of a best fit refused") << QStringLiteral("\u00E9") << int(Big5) << refused;
    QTest::newRow("lone surrogate refused in Big5") << QString(QChar(0xDC00)) << int(Big5) << refused;
    QTest::newRow("emoji refused in Big5") << QStringLiteral("\U0001F600") << int(Big5) << refused;
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

// Every character of the Basic Multilingual Plane, one at a time, against a digest of what the
// Linux build (ICU) sends for it: the Windows build (code pages 950 and 936) must send the same
// bytes for every one, and refuse the same. A change on either side, or in ICU, shows here
// before a controller's display does.
void CommandTextEncoderTest::shouldEncodeEveryCharacterAlikeOnEverySystem_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("sendable");
    QTest::addColumn<QByteArray>("digest");
    QTest::newRow("Big5") << int(Big5) << 13495
                          << QByteArray("69c6d8e7f9466b4320c936b46b663dcd225b657baf0e38ca13a4d0b1ddc7587f");
    QTest::newRow("GB2312") << int(Gb2312) << 7449
                            << QByteArray("386b77950c749ffec370501437ff0036da5710a12f4a70cf437c5b6cb9a3d9a2");
}

void CommandTextEncoderTest::shouldEncodeEveryCharacterAlikeOnEverySystem()
{
    QFETCH(int, encoding);
    QFETCH(int, sendable);
    QFETCH(QByteArray, digest);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    int count = 0;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const Bytes bytes = CommandTextEncoder::encode(QString::fromUcs4(&c, 1), encoding);
        if (!bytes)
            continue;
        ++count;
        hash.addData(QByteArray::number(uint(c), 16) + ':' + bytes->toHex() + '\n');
    }
    QCOMPARE(count, sendable);
    QCOMPARE(hash.result().toHex(), digest);
}

QTEST_APPLESS_MAIN(CommandTextEncoderTest)
#include "commandtextencodertest.moc"
