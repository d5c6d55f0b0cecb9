// The jig test window's values in the settings file: read under their own names, each on its
// own, and written without touching the main window's values.
#include "settings/jigsettings.h"
#include "scratchstore.h"
#include "storefile.h"

#include <QSysInfo>
#include <QTest>

class JigSettingsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_dir;

private slots:
    void init() { m_dir = std::make_unique<ScratchStore>(); }
    void cleanup() { m_dir.reset(); }

    void shouldReadEachValueOnItsOwn_data()
    {
        QTest::addColumn<QByteArray>("values");
        QTest::addColumn<QStringList>("expected"); // station, operator, map, store; "*" the host name
        QTest::newRow("nothing stored yet") << QByteArray() << QStringList { "*", "", "", "" };
        QTest::newRow("all four") << QByteArray("\"JigStation\"=\"二号线\"\n\"JigOperator\"=\"Li Wei\"\n"
                                                "\"JigMapFile\"=\"/srv/jig/b.map\"\n\"JigRecordStore\"=\"postgresql://line@db/records\"\n")
                                  << QStringList { "二号线", "Li Wei", "/srv/jig/b.map", "postgresql://line@db/records" };
        // Unlike the main window's values, one of the wrong type does not end the reading.
        QTest::newRow("a number where a text belongs") << QByteArray("\"JigStation\"=dword:00000002\n\"JigOperator\"=\"Li Wei\"\n")
                                                       << QStringList { "*", "Li Wei", "", "" };
        QTest::newRow("names in another case") << QByteArray("\"jigstation\"=\"L3\"\n\"JIGMAPFILE\"=\"m.map\"\n")
                                               << QStringList { "L3", "", "m.map", "" };
        QTest::newRow("an emptied station stays empty") << QByteArray("\"JigStation\"=\"\"\n") << QStringList { "", "", "", "" };
#ifndef Q_OS_WIN
        // A registry key is never damaged: there the store is no file.
        QTest::newRow("a damaged file") << QByteArray("\"JigStation\"=\"L3\"\nnot a value line\n") << QStringList { "*", "", "", "" };
#endif
    }

    void shouldReadEachValueOnItsOwn()
    {
        QFETCH(QByteArray, values);
        QFETCH(QStringList, expected);
        if (!values.isEmpty())
            QVERIFY(StoreFile::write(m_dir->path(), StoreFile::withValues(values)));
        const JigSettings read = JigSettings::read();
        expected.replaceInStrings(QStringLiteral("*"), QSysInfo::machineHostName());
        QCOMPARE((QStringList { read.station, read.operatorName, read.jigMapPath, read.recordStore }), expected);
    }

    void shouldWriteItsValuesBesideTheMainWindows()
    {
        const QByteArray mainValues = "\"TYPE\"=dword:00000001\n\"NetIP\"=\"10.0.0.9\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n";
        QVERIFY(StoreFile::write(m_dir->path(), StoreFile::withValues(mainValues + "\"JigOperator\"=\"old\"\n")));
        JigSettings settings;
        settings.station = QStringLiteral("Line \"2\"");
        settings.operatorName = QStringLiteral("王小明");
        settings.jigMapPath = QStringLiteral("C:\\jig\\b.map");
        settings.recordStore = QString();
        QVERIFY(settings.save());

        const QByteArray stored = StoreFile::read(m_dir->path());
        for (const QByteArray &line : mainValues.split('\n'))
            QVERIFY2(stored.contains(line), stored.constData());
        QVERIFY2(!stored.contains("\"old\""), stored.constData());
        const JigSettings back = JigSettings::read();
        QCOMPARE((QStringList { back.station, back.operatorName, back.jigMapPath, back.recordStore }),
                 (QStringList { settings.station, settings.operatorName, settings.jigMapPath, QString() }));
    }
};

QTEST_GUILESS_MAIN(JigSettingsTest)
#include "jigsettingstest.moc"
