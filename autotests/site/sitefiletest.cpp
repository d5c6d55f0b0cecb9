// The site file: what is written reads back equal; a damaged, foreign or newer file is refused
// whole with the first thing wrong, and a save replaces the old file whole.
#include "site/sitefile.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

Site sample()
{
    Site site;
    site.name = QStringLiteral("North gate");
    site.link = LinkSettings::tcp(QStringLiteral("10.0.0.7"), QStringLiteral("5003"));
    site.profileName = QStringLiteral("lobby.json");
    site.profileModel = "ZO425";
    site.profileValues = { { QStringLiteral("same-card-delay"), QStringLiteral("30") } };
    SiteUnit a;
    a.id = "001";
    a.model = "ZO425";
    a.version = QStringLiteral("RO420DA ZO425V05");
    a.serialNumber = "24010042";
    a.clockOffsetS = -3;
    a.profileState = SiteUnit::ProfileState::Differs;
    a.differing = 2;
    a.lastAction = QStringLiteral("apply");
    a.lastWhy = QStringLiteral("No answer");
    a.lastAt = QDateTime(QDate(2026, 12, 8), QTime(9, 1, 2, 345), Qt::OffsetFromUTC, 8 * 3600);
    a.values = site.profileValues;
    a.replaced = { { "24010007", QDateTime(QDate(2026, 12, 1), QTime(8, 0), Qt::UTC) } };
    SiteUnit b;
    b.id = "300";
    b.failed = true;
    site.units = { a, b };
    return site;
}

} // namespace

class SiteFileTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldReadBackWhatItWrote_data()
    {
        QTest::addColumn<bool>("serial");
        QTest::newRow("TCP") << false;
        QTest::newRow("serial line") << true;
    }

    void shouldReadBackWhatItWrote()
    {
        QFETCH(bool, serial);
        Site site = sample();
        if (serial)
            site.link = LinkSettings::serial(QStringLiteral("ttyUSB0"), QStringLiteral("19200,e,8,1"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("site.json"));
        QString why;
        QVERIFY2(SiteFile::save(path, site, QStringLiteral("test"), &why), qPrintable(why));
        const std::optional<Site> back = SiteFile::load(path, &why);
        QVERIFY2(back, qPrintable(why));
        QCOMPARE(back->name, site.name);
        QVERIFY(back->link == site.link);
        QCOMPARE(back->profileValues, site.profileValues);
        QCOMPARE(back->units.size(), 2);
        QVERIFY(back->units[0].lastAt == site.units[0].lastAt);
        QVERIFY(back->units[0] == site.units[0]);
        QVERIFY(back->units[1] == site.units[1]);
    }

    // A local time is kept with its offset: the file says which moment it was wherever it is read.
    void shouldKeepTimesWithTheirOffset()
    {
        Site site = sample();
        site.units[0].lastAt = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::LocalTime);
        const QByteArray text = SiteFile::toJson(site, QDateTime::currentDateTime(), QString());
        const int offset = site.units[0].lastAt.offsetFromUtc();
        const QString expected = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::OffsetFromUTC, offset).toString(Qt::ISODateWithMs);
        QVERIFY2(text.contains(("\"last-at\": \"" + expected + "\"").toUtf8()), text.constData());
        QVERIFY(SiteFile::parse(text)->units[0].lastAt == site.units[0].lastAt);
    }

    void shouldRefuseABadFileWhole_data()
    {
        QTest::addColumn<QByteArray>("edit"); // what replaces the marker in a good file
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged") << QByteArray("\"units\": [ {") << QByteArray("\"units\": [") << "damaged JSON";
        QTest::newRow("another format") << QByteArray("\"format\": \"zu42-profile\"") << QByteArray("\"format\": \"zu42-site\"")
                                        << "\"format\" is not \"zu42-site\"";
        QTest::newRow("newer") << QByteArray("\"version\": 2") << QByteArray("\"version\": 1")
                               << "Site file version 2 is newer than this program, which reads version 1";
        QTest::newRow("a key of another version") << QByteArray("\"wiring\": 1, \"name\"") << QByteArray("\"name\"")
                                                  << "holds \"wiring\"";
        QTest::newRow("ID of two digits") << QByteArray("\"id\": \"01\"") << QByteArray("\"id\": \"001\"") << "\"id\" is not three digits";
        QTest::newRow("ID twice") << QByteArray("\"id\": \"001\"") << QByteArray("\"id\": \"300\"") << "ID 001 is on the site twice";
        QTest::newRow("value out of range") << QByteArray("\"same-card-delay\": 300") << QByteArray("\"same-card-delay\": 30")
                                            << "same-card-delay: 300 is outside 0 to 255";
        QTest::newRow("replaced without date") << QByteArray("\"dat\"") << QByteArray("\"date\"")
                                               << "a replaced unit without its serial number and date";
    }

    void shouldRefuseABadFileWhole()
    {
        QFETCH(QByteArray, edit);
        QFETCH(QByteArray, marker);
        QFETCH(QString, reason);
        QByteArray text = SiteFile::toJson(sample(), QDateTime::currentDateTime(), QString());
        QVERIFY2(text.contains(marker), text.constData());
        text.replace(text.indexOf(marker), marker.size(), edit);
        QString why;
        QVERIFY(!SiteFile::parse(text, &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(SiteFileTest)
#include "sitefiletest.moc"
