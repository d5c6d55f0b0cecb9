// The handover report's words: a failed unit's result in the report's language (its reason in
// full in English, the short word of its kind of failure in Chinese, the English reason where
// the kind is not known), its action and column heads likewise.
#include "i18n/texttable.h"
#include "site/sitereport.h"

#include <QTest>

Q_DECLARE_METATYPE(SiteUnit::Failure)

class SiteReportTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldSayAFailureInTheReportsLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<SiteUnit::Failure>("failure");
        QTest::addColumn<int>("kindText"); // -1: the reason itself
        using F = SiteUnit::Failure;
        QTest::newRow("English, no answer") << int(TextTable::English) << F::NoAnswer << -1;
        QTest::newRow("Simplified, no answer") << int(TextTable::SimplifiedChinese) << F::NoAnswer << int(TextTable::SiteFailNoAnswer);
        QTest::newRow("Traditional, not taken") << int(TextTable::TraditionalChinese) << F::NotTaken << int(TextTable::SiteFailNotTaken);
        QTest::newRow("Simplified, cancelled") << int(TextTable::SimplifiedChinese) << F::Cancelled << int(TextTable::SiteFailCancelled);
        QTest::newRow("Simplified, kind not known") << int(TextTable::SimplifiedChinese) << F::Other << -1;
        QTest::newRow("Traditional, opened from a file") << int(TextTable::TraditionalChinese) << F::None << -1;
    }
    void shouldSayAFailureInTheReportsLanguage()
    {
        QFETCH(int, language);
        QFETCH(SiteUnit::Failure, failure);
        QFETCH(int, kindText);
        Site site;
        SiteUnit unit;
        unit.id = "004";
        unit.lastAction = QStringLiteral("apply");
        unit.lastWhy = QStringLiteral("The read-back after writing did not come: No answer");
        unit.lastFailure = failure;
        site.add(unit);
        const QString said = kindText < 0 ? unit.lastWhy : TextTable::text(kindText, language);
        const QStringList row = SiteReport::rows(site, language).at(0);
        QCOMPARE(row.at(8), TextTable::text(TextTable::ResultFailed, language).arg(said));
        QCOMPARE(row.at(7), language == TextTable::English ? QStringLiteral("apply") : TextTable::text(TextTable::SiteApplyButton, language));
        QCOMPARE(SiteReport::header(language).at(5), TextTable::text(TextTable::AtLastReadColumn, language));
    }
};

QTEST_GUILESS_MAIN(SiteReportTest)
#include "sitereporttest.moc"
