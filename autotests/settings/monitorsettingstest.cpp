// The traffic monitor's values in the settings file: each read on its own, written under new
// names beside the link and language values, which stay exactly as they were.
#include "settings/monitorsettings.h"
#include "settings/storedsettings.h"
#include "scratchstore.h"
#include "storefile.h"

#include <QTest>

class MonitorSettingsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<ScratchStore>(); }
    void cleanup() { m_dir.reset(); }

    void shouldReadEachValueOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QByteArray>("geometry");
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("hex");
        QTest::addColumn<bool>("logFile");
        const QList<int> none;
        QTest::newRow("nothing stored") << QByteArray() << QByteArray() << none << 10000 << false << false;
        QTest::newRow("all stored") << QByteArray("\"MonitorGeometry\"=\"AdnQywADAAA=\"\n\"MonitorColumns\"=\"50,96,130\"\n"
                                                  "\"MonitorRows\"=dword:000003e8\n\"MonitorHex\"=dword:00000001\n"
                                                  "\"MonitorLogFile\"=dword:00000001\n")
                                    << QByteArray("\x01\xd9\xd0\xcb\x00\x03\x00\x00", 8) << QList<int> { 50, 96, 130 } << 1000
                                    << true << true;
        // A value of the wrong type or out of range is skipped; the ones after it still count.
        QTest::newRow("geometry as a number") << QByteArray("\"MonitorGeometry\"=dword:00000001\n\"MonitorRows\"=dword:000007d0\n")
                                              << QByteArray() << none << 2000 << false << false;
        QTest::newRow("a width that is no number") << QByteArray("\"MonitorColumns\"=\"50,wide,130\"\n\"MonitorHex\"=dword:00000001\n")
                                                   << QByteArray() << none << 10000 << true << false;
        QTest::newRow("a negative width") << QByteArray("\"MonitorColumns\"=\"50,-3\"\n") << QByteArray() << none << 10000 << false << false;
        QTest::newRow("no rows") << QByteArray("\"MonitorRows\"=dword:00000000\n\"MonitorLogFile\"=dword:00000001\n")
                                 << QByteArray() << none << 10000 << false << true;
        QTest::newRow("rows as text") << QByteArray("\"MonitorRows\"=\"500\"\n") << QByteArray() << none << 10000 << false << false;
        QTest::newRow("names in another case") << QByteArray("\"monitorhex\"=dword:00000001\n") << QByteArray() << none << 10000
                                               << true << false;
    }
    void shouldReadEachValueOnItsOwn()
    {
        QFETCH(QByteArray, values);
        QFETCH(QByteArray, geometry);
        QFETCH(QList<int>, columns);
        QFETCH(int, rows);
        QFETCH(bool, hex);
        QFETCH(bool, logFile);
        if (!values.isEmpty())
            QVERIFY(StoreFile::write(m_dir->path(), StoreFile::withValues(values)));
        const MonitorSettings read = MonitorSettings::read();
        QCOMPARE(read.geometry, geometry);
        QCOMPARE(read.columnWidths, columns);
        QCOMPARE(read.rows, rows);
        QCOMPARE(read.hexadecimal, hex);
        QCOMPARE(read.logFile, logFile);
    }

    void shouldWriteBesideTheOtherValuesAndReadThemBack()
    {
        const QByteArray before = "\"TYPE\"=dword:00000001\n\"NetIP\"=\"10.0.0.7\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n"
                                  "\"SomethingElse\"=\"kept\"\n";
        QVERIFY(StoreFile::write(m_dir->path(), StoreFile::withValues(before)));
        const QByteArray geometry("\x01\xd9\xd0\xcb\x00\x03\x00\x00\x7f\xff", 10);
        MonitorSettings::saveLayout(geometry, { 50, 96, 130, 170, 240, 90, 150, 200 });
        MonitorSettings::saveRows(2500);
        MonitorSettings::saveHexadecimal(true);
        MonitorSettings::saveLogFile(true);

        const QByteArray file = StoreFile::read(m_dir->path());
#ifdef Q_OS_WIN
        // The registry keeps no order of values: each is there as it was.
        for (const QByteArray &line : before.split('\n'))
            QVERIFY2(file.contains(line), line.constData());
#else
        QVERIFY(file.startsWith(StoreFile::withValues(before).chopped(1)));
#endif
        const MonitorSettings read = MonitorSettings::read();
        QCOMPARE(read.geometry, geometry);
        QCOMPARE(read.columnWidths, (QList<int> { 50, 96, 130, 170, 240, 90, 150, 200 }));
        QCOMPARE(read.rows, 2500);
        QVERIFY(read.hexadecimal);
        QVERIFY(read.logFile);
        const StoredSettings link = StoredSettings::read();
        QCOMPARE(link.type, quint32(1));
        QCOMPARE(link.netIp, QStringLiteral("10.0.0.7"));
        QCOMPARE(link.languageIndex, 2);

        MonitorSettings::saveHexadecimal(false);
        QVERIFY(!MonitorSettings::read().hexadecimal);
        QVERIFY(MonitorSettings::read().logFile);
    }
};

QTEST_GUILESS_MAIN(MonitorSettingsTest)
#include "monitorsettingstest.moc"
