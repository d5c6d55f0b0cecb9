#include "i18n/languagefont.h"

#include <QFontInfo>
#include <QTest>

class LanguageFontTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldUseTheRowOfTheLanguage_data()
    {
        QTest::addColumn<int>("languageIndex");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("charset");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("writingSystem");
        QTest::newRow("English") << 0 << QStringLiteral("MS Sans Serif") << 0 << 10 << int(QFontDatabase::Latin);
        QTest::newRow("Simplified") << 1 << QStringLiteral("宋体") << 134 << 12
                                    << int(QFontDatabase::SimplifiedChinese);
        QTest::newRow("Traditional") << 2 << QStringLiteral("細明體") << 136 << 12
                                     << int(QFontDatabase::TraditionalChinese);
        QTest::newRow("unknown index") << 3 << QStringLiteral("MS Sans Serif") << 0 << 10 << int(QFontDatabase::Latin);
        QTest::newRow("negative index") << -1 << QStringLiteral("MS Sans Serif") << 0 << 10
                                        << int(QFontDatabase::Latin);
    }

    void shouldUseTheRowOfTheLanguage()
    {
        QFETCH(int, languageIndex);
        QFETCH(QString, face);
        QFETCH(int, charset);
        QFETCH(int, points);
        QFETCH(int, writingSystem);
        const LanguageFont row = LanguageFont::forLanguage(languageIndex);
        const QFont font = row.font();
        QCOMPARE(font.families().value(0), face);
        QCOMPARE(row.charsetNumber(), charset);
        QCOMPARE(font.pointSize(), points);
        QCOMPARE(int(row.writingSystem()), writingSystem);
        QVERIFY(!font.bold() && !font.italic() && !font.underline() && !font.strikeOut());
        QCOMPARE(row.textColor(), QColor(Qt::black));
    }

    void shouldApplyStyleBits_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<bool>("strikeOut");
        QTest::newRow("regular") << "0" << false << false << false << false;
        QTest::newRow("bold") << "1" << true << false << false << false;
        QTest::newRow("italic") << "2" << false << true << false << false;
        QTest::newRow("underline") << "4" << false << false << true << false;
        QTest::newRow("strike-out") << "8" << false << false << false << true;
        QTest::newRow("bold and underline") << "5" << true << false << true << false;
        QTest::newRow("all in hexadecimal") << "0xF" << true << true << true << true;
        QTest::newRow("not a number") << "bold" << false << false << false << false;
    }

    void shouldApplyStyleBits()
    {
        QFETCH(QString, style);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, underline);
        QFETCH(bool, strikeOut);
        LanguageFont row = LanguageFont::forLanguage(0);
        row.style = style;
        const QFont font = row.font();
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(font.underline(), underline);
        QCOMPARE(font.strikeOut(), strikeOut);
    }

    void shouldReadColourInWindowsOrder_data()
    {
        QTest::addColumn<QString>("color");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("black") << "0x0" << QColor(Qt::black);
        QTest::newRow("red is the low byte") << "0xFF" << QColor(255, 0, 0);
        QTest::newRow("blue is the third byte") << "0xFF0000" << QColor(0, 0, 255);
        QTest::newRow("not a number") << "navy" << QColor(Qt::black);
        QTest::newRow("too large") << "0x1FFFFFFFF" << QColor(Qt::black);
    }

    void shouldReadColourInWindowsOrder()
    {
        QFETCH(QString, color);
        QFETCH(QColor, expected);
        LanguageFont row = LanguageFont::forLanguage(0);
        row.color = color;
        QCOMPARE(row.textColor(), expected);
    }

    void shouldIgnoreSizeThatIsNotPositive_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("zero") << "0";
        QTest::newRow("negative") << "-12";
        QTest::newRow("text") << "large";
        QTest::newRow("empty") << "";
    }

    void shouldIgnoreSizeThatIsNotPositive()
    {
        QFETCH(QString, size);
        LanguageFont row = LanguageFont::forLanguage(1);
        row.size = size;
        QCOMPARE(row.font().pointSize(), QFont().pointSize());
        row.charset = size;
        QCOMPARE(row.charsetNumber(), size == QLatin1String("0") ? 0 : -1);
    }

    // The Windows faces do not exist here; the substitutes must give a face that has the
    // language's script, or the Chinese captions turn into boxes.
    void shouldResolveToInstalledFaceOfTheScript_data()
    {
        QTest::addColumn<int>("languageIndex");
        QTest::newRow("English") << 0;
        QTest::newRow("Simplified") << 1;
        QTest::newRow("Traditional") << 2;
    }

    void shouldResolveToInstalledFaceOfTheScript()
    {
        QFETCH(int, languageIndex);
        const LanguageFont row = LanguageFont::forLanguage(languageIndex);
        const QFont font = row.font();
        const QStringList candidates = QFont::substitutes(row.name);
        QVERIFY(!candidates.isEmpty());
        const QStringList installed = QFontDatabase::families(row.writingSystem());
        const bool anyInstalled = std::any_of(candidates.begin(), candidates.end(),
                                              [&](const QString &f) { return installed.contains(f, Qt::CaseInsensitive); });
        if (!anyInstalled)
            QSKIP("none of the substitute faces is installed (scripts/install-deps.sh installs them)");
        const QString used = QFontInfo(font).family();
        QVERIFY2(installed.contains(used), qPrintable(used));
        QCOMPARE(QFontInfo(font).pointSize(), row.size.toInt());
    }
};

QTEST_MAIN(LanguageFontTest)
#include "languagefonttest.moc"
