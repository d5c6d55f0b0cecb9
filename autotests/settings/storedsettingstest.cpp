#include "settings/storedsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray header = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]\n";

struct Expected
{
    quint32 type = 0;
    QString comPortName = QStringLiteral("COM1");
    QString comBaudRate = QStringLiteral("19200,e,8,1");
    QString netIp = QStringLiteral("192.168.1.101");
    QString netPort = QStringLiteral("5003");
    QString languageFlag = QStringLiteral("English");
    int languageIndex = 0;
};

void compare(const StoredSettings &actual, const Expected &expected)
{
    QCOMPARE(actual.type, expected.type);
    QCOMPARE(actual.comPortName, expected.comPortName);
    QCOMPARE(actual.comBaudRate, expected.comBaudRate);
    QCOMPARE(actual.netIp, expected.netIp);
    QCOMPARE(actual.netPort, expected.netPort);
    QCOMPARE(actual.languageFlag, expected.languageFlag);
    QCOMPARE(actual.languageIndex, expected.languageIndex);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class StoredSettingsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

    void store(const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_DIRS", (m_dir->path() + QStringLiteral(":/etc/xdg")).toLocal8Bit());
        m_path = m_dir->filePath(QStringLiteral("ZOVUR/RO420DA_Tools.reg"));
    }

    void cleanup()
    {
        chmod(QFile::encodeName(m_path).constData(), 0644);
        chmod(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), 0755);
    }

    void shouldGiveDefaultsOnFirstRunWithoutCreatingTheStore()
    {
        const StoredSettings settings = StoredSettings::read();
        compare(settings, Expected());
        QCOMPARE(settings.linkMode(), 0);
        QVERIFY(!QFileInfo::exists(QFileInfo(m_path).absolutePath()));
    }

    void shouldReadStoredValues_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Expected>("expected");
        Expected e;
        e.type = 7;
        QTest::newRow("TYPE 7") << QByteArray("\"TYPE\"=dword:00000007\n") << e;
        e = Expected();
        QTest::newRow("TYPE as a string stops the reading")
            << QByteArray("\"TYPE\"=\"1\"\n\"ComBaudRate\"=\"9600,n,8,1\"\n\"LanguageFlag\"=\"ChineseGB\"\n") << e;
        e.type = 1;
        e.comBaudRate = QStringLiteral("9600,n,8,1");
        QTest::newRow("wrong type in the middle")
            << QByteArray("\"TYPE\"=dword:1\n\"ComBaudRate\"=\"9600,n,8,1\"\n\"ComPortName\"=dword:3\n"
                          "\"NetIP\"=\"10.0.0.9\"\n\"LanguageFlag\"=\"ChineseGB\"\n")
            << e;
        e = Expected();
        e.comPortName = QStringLiteral("COM7");
        QTest::newRow("value of another type stops the reading")
            << QByteArray("\"ComPortName\"=\"COM7\"\n\"NetIP\"=hex:0a,00\n\"NetPort\"=\"5001\"\n") << e;
        e = Expected();
        e.type = 1;
        e.comPortName = QStringLiteral("COM3");
        e.comBaudRate = QStringLiteral("115200,n,8,1");
        e.netIp = QString();
        e.netPort = QStringLiteral("5001");
        e.languageFlag = QStringLiteral("ChineseBIG5");
        e.languageIndex = 2;
        QTest::newRow("all six in any order")
            << QByteArray("\"LanguageFlag\"=\"ChineseBIG5\"\n\"NetPort\"=\"5001\"\n\"NetIP\"=\"\"\n"
                          "\"ComPortName\"=\"COM3\"\n\"ComBaudRate\"=\"115200,n,8,1\"\n\"TYPE\"=dword:1\n")
            << e;
        e = Expected();
        e.languageFlag = QStringLiteral("ChineseGB");
        e.languageIndex = 1;
        QTest::newRow("ChineseGB") << QByteArray("\"LanguageFlag\"=\"ChineseGB\"\n") << e;
        e.languageFlag = QStringLiteral("chinesegb");
        e.languageIndex = 0;
        QTest::newRow("chinesegb in other case") << QByteArray("\"LanguageFlag\"=\"chinesegb\"\n") << e;
        e.languageFlag = QStringLiteral("ChineseBIG5 ");
        QTest::newRow("ChineseBIG5 with a blank") << QByteArray("\"LanguageFlag\"=\"ChineseBIG5 \"\n") << e;
        e = Expected();
        e.netIp = QStringLiteral("%CONTROLLER%");
        QTest::newRow("expandable string unexpanded")
            << QByteArray("\"NetIP\"=hex(2):25,43,4f,4e,54,52,4f,4c,4c,45,52,25,00\n") << e;
        e = Expected();
        QTest::newRow("malformed file") << QByteArray("\"TYPE\"=dword:1\ngarbage\n") << e;
    }

    void shouldReadStoredValues()
    {
        QFETCH(QByteArray, body);
        QFETCH(Expected, expected);
        store(header + body);
        compare(StoredSettings::read(), expected);
    }

    void shouldMapTypeToLinkMode()
    {
        StoredSettings settings;
        settings.type = 7;
        QCOMPARE(settings.linkMode(), 1);
        settings.type = 0;
        QCOMPARE(settings.linkMode(), 0);
    }

    void shouldGiveDefaultsForUnreadableStore()
    {
        store(header + "\"TYPE\"=dword:1\n");
        QVERIFY(chmod(QFile::encodeName(m_path).constData(), 0) == 0);
        QFile probe(m_path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file (root)");
        compare(StoredSettings::read(), Expected());
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        chmod(QFile::encodeName(m_path).constData(), 0644);
        QCOMPARE(readFile(m_path), header + "\"TYPE\"=dword:1\n");
    }

    void shouldReadStoreThatMayOnlyBeRead()
    {
        const QByteArray bytes = header + "\"TYPE\"=dword:1\n\"NetIP\"=\"10.2.3.4\"\n";
        store(bytes);
        const QDateTime written = QFileInfo(m_path).lastModified();
        QVERIFY(chmod(QFile::encodeName(m_path).constData(), 0444) == 0);
        QVERIFY(chmod(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), 0555) == 0);
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.type, 1u);
        QCOMPARE(settings.netIp, QStringLiteral("10.2.3.4"));
        QCOMPARE(readFile(m_path), bytes);
        QCOMPARE(QFileInfo(m_path).lastModified(), written);
    }

    void shouldWriteLinkSettingsInOrder()
    {
        StoredSettings::saveLink(1, QStringLiteral("5001"), QStringLiteral("10.0.0.2"),
                                 QStringLiteral("115200,n,8,1"), QStringLiteral("COM4"));
        QCOMPARE(readFile(m_path), header + "\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"\n\"NetIP\"=\"10.0.0.2\"\n"
                                            "\"ComBaudRate\"=\"115200,n,8,1\"\n\"ComPortName\"=\"COM4\"\n\n");
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.linkMode(), 1);
        QCOMPARE(settings.comPortName, QStringLiteral("COM4"));
    }

    void shouldKeepOtherValuesWhenSavingLink()
    {
        store(header + "\"Installer\"=\"site 4\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n\"TYPE\"=dword:00000001\n");
        StoredSettings::saveLink(0, QStringLiteral("5003"), QStringLiteral("192.168.1.101"),
                                 QStringLiteral("19200,e,8,1"), QStringLiteral("COM2"));
        QCOMPARE(readFile(m_path), header + "\"Installer\"=\"site 4\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n"
                                            "\"TYPE\"=dword:00000000\n\"NetPort\"=\"5003\"\n"
                                            "\"NetIP\"=\"192.168.1.101\"\n\"ComBaudRate\"=\"19200,e,8,1\"\n"
                                            "\"ComPortName\"=\"COM2\"\n\n");
        QCOMPARE(StoredSettings::read().languageIndex, 2);
    }

    void shouldStopSavingAtTextTheStoreCannotHold()
    {
        StoredSettings::saveLink(1, QStringLiteral("5001"), QStringLiteral("10.0.0.2\n"),
                                 QStringLiteral("9600,n,8,1"), QStringLiteral("COM4"));
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.type, 1u);
        QCOMPARE(settings.netPort, QStringLiteral("5001"));
        QCOMPARE(settings.netIp, Expected().netIp);
        QCOMPARE(settings.comBaudRate, Expected().comBaudRate);
    }

    void shouldRoundTripTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("backslashes") << QStringLiteral("\\\\.\\COM10");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\"");
        QTest::newRow("trailing backslash") << QStringLiteral("C:\\");
        QTest::newRow("backslash before quote") << QStringLiteral("\\\"");
        QTest::newRow("Chinese") << QStringLiteral("控制器測試");
        QTest::newRow("empty") << QString();
        QTest::newRow("looks like a dword") << QStringLiteral("dword:00000001");
    }

    void shouldRoundTripTexts()
    {
        QFETCH(QString, text);
        StoredSettings::saveLink(0, text, text, text, text);
        StoredSettings::saveLanguage(text);
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.netPort, text);
        QCOMPARE(settings.netIp, text);
        QCOMPARE(settings.comBaudRate, text);
        QCOMPARE(settings.comPortName, text);
        QCOMPARE(settings.languageFlag, text);
    }

    void shouldSaveLanguageAlone()
    {
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        QCOMPARE(readFile(m_path), header + "\"LanguageFlag\"=\"ChineseGB\"\n\n");
        QCOMPARE(StoredSettings::read().languageIndex, 1);
    }

    void shouldStartFreshOverMalformedStore()
    {
        store("not a settings file\n");
        StoredSettings::saveLanguage(QStringLiteral("ChineseBIG5"));
        QCOMPARE(readFile(m_path), header + "\"LanguageFlag\"=\"ChineseBIG5\"\n\n");
    }

    // A reader that has the old file open keeps seeing all of it: the new store replaces the
    // file instead of overwriting it, and no temporary file is left behind.
    void shouldReplaceTheFileAsAWhole()
    {
        const QByteArray old = header + "\"NetPort\"=\"5001\"\n";
        store(old);
        QFile reader(m_path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        StoredSettings::saveLink(1, QStringLiteral("5003"), QStringLiteral("10.0.0.2"),
                                 QStringLiteral("19200,e,8,1"), QStringLiteral("COM1"));
        QCOMPARE(reader.readAll(), old);
        QCOMPARE(StoredSettings::read().netPort, QStringLiteral("5003"));
        QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList { QStringLiteral("RO420DA_Tools.reg") });
    }

    void shouldFailSilentlyWhenTheFolderCannotBeMade()
    {
        const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CONFIG_DIRS", blocker.toLocal8Bit());
        StoredSettings::saveLink(1, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        QVERIFY(QFileInfo(blocker).isFile());
        compare(StoredSettings::read(), Expected());
    }
};

QTEST_APPLESS_MAIN(StoredSettingsTest)
#include "storedsettingstest.moc"
