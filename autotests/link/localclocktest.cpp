#include "link/localclock.h"

#include <QTest>
#include <QTimeZone>

// The kept offset against the system's own local time, instant by instant, across the
// transitions of zones with daylight-saving time, in both directions of the clock.
class LocalClockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_tz = qgetenv("TZ"); m_hadTz = qEnvironmentVariableIsSet("TZ"); }
    void cleanup()
    {
        if (m_hadTz)
            qputenv("TZ", m_tz);
        else
            qunsetenv("TZ");
    }
    void sameAsLocalTime_data();
    void sameAsLocalTime();

private:
    QByteArray m_tz;
    bool m_hadTz = false;
};

void LocalClockTest::sameAsLocalTime_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("transition");
    QTest::addColumn<int>("stepMs"); // negative: the clock goes back

    const auto utc = [](const char *text) { return QDateTime::fromString(QLatin1String(text), Qt::ISODate); };
    QTest::newRow("Berlin, to summer time") << QByteArray("Europe/Berlin") << utc("2026-03-29T01:00:00Z") << 1000;
    QTest::newRow("Berlin, to winter time") << QByteArray("Europe/Berlin") << utc("2026-10-25T01:00:00Z") << 1000;
    QTest::newRow("Berlin, clock set back") << QByteArray("Europe/Berlin") << utc("2026-10-25T01:00:00Z") << -1000;
    QTest::newRow("New York, to summer time") << QByteArray("America/New_York") << utc("2026-03-08T07:00:00Z") << 997;
    QTest::newRow("Lord Howe, half an hour") << QByteArray("Australia/Lord_Howe") << utc("2026-10-03T15:30:00Z") << 1000;
    QTest::newRow("Shanghai, no transition") << QByteArray("Asia/Shanghai") << utc("2026-12-08T04:00:00Z") << 1000;
}

void LocalClockTest::sameAsLocalTime()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, transition);
    QFETCH(int, stepMs);
    // Qt reads TZ again at every local-time conversion, the C library's own way included.
    qputenv("TZ", zone);
    if (QTimeZone::systemTimeZoneId() != zone)
        QSKIP("the system's zone is not taken from TZ here (Windows takes it from its settings)");

    // Three minutes around the transition, each instant after the one before (or before it).
    LocalClock clock;
    const qint64 middle = transition.toMSecsSinceEpoch();
    const qint64 span = 90 * 1000;
    qint64 at = stepMs > 0 ? middle - span : middle + span;
    for (; at >= middle - span && at <= middle + span; at += stepMs) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(at, Qt::LocalTime);
        const QDateTime kept = clock.at(at);
        const QString format = QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz");
        QCOMPARE(kept.toString(format), local.toString(format));
        QCOMPARE(kept.offsetFromUtc(), local.offsetFromUtc());
        QCOMPARE(kept.toMSecsSinceEpoch(), at);
    }
}

QTEST_GUILESS_MAIN(LocalClockTest)
#include "localclocktest.moc"
