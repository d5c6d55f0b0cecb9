#include "settings/storedsettings.h"
#include "scratchstore.h"
#include "storefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include "registrystore.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

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

[[maybe_unused]] QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class StoredSettingsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScratchStore> m_dir;
    QString m_path;

    void store(const QByteArray &bytes) { QVERIFY(StoreFile::write(m_dir->path(), bytes)); }
    // The store's bytes; on Windows the key's values sorted by name (expect them through stored()).
    QByteArray readStore() const { return StoreFile::read(m_dir->path()); }
    static QByteArray stored(const QByteArray &bytes) { return StoreFile::asRead(bytes); }

private slots:
    void init()
    {
        m_dir = std::make_unique<ScratchStore>(QStringList { QStringLiteral("/etc/xdg") });
        m_path = StoreFile::path(m_dir->path());
    }

    void cleanup()
    {
#ifndef Q_OS_WIN
        chmod(QFile::encodeName(m_path).constData(), 0644);
        chmod(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), 0755);
#endif
        m_dir.reset();
    }

    void shouldGiveDefaultsOnFirstRunWithoutCreatingTheStore()
    {
        const StoredSettings settings = StoredSettings::read();
        compare(settings, Expected());
        QCOMPARE(settings.linkMode(), 0);
        QVERIFY(!StoreFile::exists(m_dir->path()));
#ifdef Q_OS_WIN
        QVERIFY(!RegistryStore::exists(WinRegistry::userKey()));
#else
        QVERIFY(!QFileInfo::exists(QFileInfo(m_path).absolutePath()));
#endif
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
#ifndef Q_OS_WIN
        // A registry key is never malformed: there the store is no file.
        e = Expected();
        QTest::newRow("malformed file") << QByteArray("\"TYPE\"=dword:1\ngarbage\n") << e;
#endif
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
#ifdef Q_OS_WIN
        // The machine key refuses reading; the save that follows goes to the user's key.
        QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_QUERY_VALUE));
        compare(StoredSettings::read(), Expected());
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        QCOMPARE(RegistryStore::exportSorted(WinRegistry::userKey()), stored(header + "\"LanguageFlag\"=\"ChineseGB\"\n\n"));
        QVERIFY(RegistryStore::allowAll(WinRegistry::machineKey()));
        QCOMPARE(readStore(), stored(header + "\"TYPE\"=dword:00000001\n\n"));
#else
        QVERIFY(chmod(QFile::encodeName(m_path).constData(), 0) == 0);
        QFile probe(m_path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("running with rights that read any file (root)");
        compare(StoredSettings::read(), Expected());
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        chmod(QFile::encodeName(m_path).constData(), 0644);
        QCOMPARE(readFile(m_path), header + "\"TYPE\"=dword:1\n");
#endif
    }

    void shouldReadStoreThatMayOnlyBeRead()
    {
        const QByteArray bytes = header + "\"TYPE\"=dword:1\n\"NetIP\"=\"10.2.3.4\"\n";
        store(bytes);
#ifdef Q_OS_WIN
        QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
#else
        const QDateTime written = QFileInfo(m_path).lastModified();
        QVERIFY(chmod(QFile::encodeName(m_path).constData(), 0444) == 0);
        QVERIFY(chmod(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), 0555) == 0);
#endif
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.type, 1u);
        QCOMPARE(settings.netIp, QStringLiteral("10.2.3.4"));
        QCOMPARE(readStore(), stored(bytes));
#ifdef Q_OS_WIN
        QVERIFY(!RegistryStore::exists(WinRegistry::userKey()));
#else
        QCOMPARE(QFileInfo(m_path).lastModified(), written);
#endif
    }

    void shouldWriteLinkSettingsInOrder()
    {
        StoredSettings::saveLink(1, QStringLiteral("5001"), QStringLiteral("10.0.0.2"),
                                 QStringLiteral("115200,n,8,1"), QStringLiteral("COM4"));
        // The order shows in the file; Wine's registry keeps values sorted by name.
        QCOMPARE(readStore(), stored(header + "\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"\n\"NetIP\"=\"10.0.0.2\"\n"
                                              "\"ComBaudRate\"=\"115200,n,8,1\"\n\"ComPortName\"=\"COM4\"\n\n"));
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.linkMode(), 1);
        QCOMPARE(settings.comPortName, QStringLiteral("COM4"));
    }

    void shouldKeepOtherValuesWhenSavingLink()
    {
        store(header + "\"Installer\"=\"site 4\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n\"TYPE\"=dword:00000001\n");
        StoredSettings::saveLink(0, QStringLiteral("5003"), QStringLiteral("192.168.1.101"),
                                 QStringLiteral("19200,e,8,1"), QStringLiteral("COM2"));
        QCOMPARE(readStore(), stored(header + "\"Installer\"=\"site 4\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n"
                                              "\"TYPE\"=dword:00000000\n\"NetPort\"=\"5003\"\n"
                                              "\"NetIP\"=\"192.168.1.101\"\n\"ComBaudRate\"=\"19200,e,8,1\"\n"
                                              "\"ComPortName\"=\"COM2\"\n\n"));
        QCOMPARE(StoredSettings::read().languageIndex, 2);
    }

    // The adapter goes beside the port's name, which stays as written; a damaged adapter value
    // costs itself only.
    void shouldKeepTheAdapterBesideThePortName()
    {
        store(header + "\"ComPortName\"=\"ttyUSB0\"\n\"ComPortStablePath\"=dword:00000007\n\"LanguageFlag\"=\"ChineseGB\"\n");
        QCOMPARE(StoredSettings::read().comPortStablePath, QString());
        QCOMPARE(StoredSettings::read().languageIndex, 1);
        StoredSettings::saveAdapter(QStringLiteral("/dev/serial/by-id/usb-FTDI_A50285BI"), QStringLiteral("A50285BI"));
        const StoredSettings settings = StoredSettings::read();
        QCOMPARE(settings.comPortName, QStringLiteral("ttyUSB0"));
        QCOMPARE(settings.comPortStablePath, QStringLiteral("/dev/serial/by-id/usb-FTDI_A50285BI"));
        QCOMPARE(settings.comPortSerialNumber, QStringLiteral("A50285BI"));
    }

    void shouldStopSavingAtTextTheStoreCannotHold()
    {
#ifdef Q_OS_WIN
        QSKIP("a registry string holds a line break; a refused registry write is "
              "shouldSaveUnderTheUserKeyWhenTheMachineKeyRefuses");
#endif
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
        QCOMPARE(readStore(), stored(header + "\"LanguageFlag\"=\"ChineseGB\"\n\n"));
        QCOMPARE(StoredSettings::read().languageIndex, 1);
    }

    void shouldStartFreshOverMalformedStore()
    {
#ifdef Q_OS_WIN
        QSKIP("a registry key is never malformed: there the store is no file");
#endif
        store("not a settings file\n");
        StoredSettings::saveLanguage(QStringLiteral("ChineseBIG5"));
        QCOMPARE(readStore(), stored(header + "\"LanguageFlag\"=\"ChineseBIG5\"\n\n"));
    }

    // A reader that has the old file open keeps seeing all of it: the new store replaces the
    // file instead of overwriting it, and no temporary file is left behind.
    void shouldReplaceTheFileAsAWhole()
    {
#ifdef Q_OS_WIN
        QSKIP("the registry writes value by value: there the store is no file");
#endif
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
#ifdef Q_OS_WIN
        QSKIP("no folder holds the registry key; a key that refuses writes is "
              "shouldSaveUnderTheUserKeyWhenTheMachineKeyRefuses");
#endif
        const QString blocker = m_dir->path() + QStringLiteral("/blocker");
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_CONFIG_DIRS", blocker.toLocal8Bit());
        StoredSettings::saveLink(1, QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"));
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        QVERIFY(QFileInfo(blocker).isFile());
        compare(StoredSettings::read(), Expected());
    }

    // A user without administrator rights may read the machine key but not write it: the
    // operator's settings are kept under the user's key, which is read first from then on.
    void shouldSaveUnderTheUserKeyWhenTheMachineKeyRefuses_data()
    {
        QTest::addColumn<QByteArray>("machine");
        QTest::addColumn<bool>("saveLanguage");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<Expected>("expected");
        const QByteArray installed = header + "\"TYPE\"=dword:00000000\n\"NetPort\"=\"5003\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n";
        Expected e;
        e.type = 1;
        e.netPort = QStringLiteral("5001");
        e.netIp = QStringLiteral("10.0.0.2");
        e.comBaudRate = QStringLiteral("9600,n,8,1");
        e.comPortName = QStringLiteral("COM4");
        e.languageFlag = QStringLiteral("ChineseBIG5");
        e.languageIndex = 2;
        const QByteArray linkValues = "\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"\n\"NetIP\"=\"10.0.0.2\"\n"
                                      "\"ComBaudRate\"=\"9600,n,8,1\"\n\"ComPortName\"=\"COM4\"\n";
        // The language the administrator set still comes from the machine key.
        QTest::newRow("link over an installed key") << installed << false << header + linkValues + "\n" << e;
        e.languageFlag = QStringLiteral("ChineseGB");
        e.languageIndex = 1;
        QTest::newRow("link and then the language")
            << installed << true << header + linkValues + "\"LanguageFlag\"=\"ChineseGB\"\n\n" << e;
        e.languageFlag = QStringLiteral("English");
        e.languageIndex = 0;
        QTest::newRow("link over an empty key") << header << false << header + linkValues + "\n" << e;
    }

    void shouldSaveUnderTheUserKeyWhenTheMachineKeyRefuses()
    {
#ifndef Q_OS_WIN
        QSKIP("the file store has no machine and user key (a file that cannot be written keeps "
              "nothing: shouldFailSilentlyWhenTheFolderCannotBeMade)");
#else
        QFETCH(QByteArray, machine);
        QFETCH(bool, saveLanguage);
        QFETCH(QByteArray, user);
        QFETCH(Expected, expected);
        store(machine);
        QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY));

        StoredSettings::saveLink(1, QStringLiteral("5001"), QStringLiteral("10.0.0.2"),
                                 QStringLiteral("9600,n,8,1"), QStringLiteral("COM4"));
        if (saveLanguage)
            StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));

        QCOMPARE(readStore(), stored(machine + "\n"));
        QCOMPARE(RegistryStore::exportSorted(WinRegistry::userKey()), stored(user));
        compare(StoredSettings::read(), expected);
#endif
    }

    // An administrator's save after the operator's: the user's key is read first, so it takes
    // the new values too, or the administrator's change would never show.
    void shouldKeepTheUserKeyCurrentOnceItExists()
    {
#ifndef Q_OS_WIN
        QSKIP("the file store has no machine and user key");
#else
        store(header);
        QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
        StoredSettings::saveLanguage(QStringLiteral("ChineseGB"));
        QVERIFY(RegistryStore::allowAll(WinRegistry::machineKey()));

        StoredSettings::saveLanguage(QStringLiteral("ChineseBIG5"));
        StoredSettings::saveLink(1, QStringLiteral("5001"), QStringLiteral("10.0.0.2"),
                                 QStringLiteral("9600,n,8,1"), QStringLiteral("COM4"));

        const QByteArray both = stored(header + "\"LanguageFlag\"=\"ChineseBIG5\"\n\"TYPE\"=dword:00000001\n"
                                                "\"NetPort\"=\"5001\"\n\"NetIP\"=\"10.0.0.2\"\n"
                                                "\"ComBaudRate\"=\"9600,n,8,1\"\n\"ComPortName\"=\"COM4\"\n\n");
        QCOMPARE(readStore(), both);
        QCOMPARE(RegistryStore::exportSorted(WinRegistry::userKey()), both);
        QCOMPARE(StoredSettings::read().languageIndex, 2);
#endif
    }

    // The machine key goes away between two values of one save (another program removed it):
    // the whole save, the values before the refusal included, lands in the user's key.
    void shouldCarryTheWholeSaveToTheUserKeyWhenRefusedMidway()
    {
#ifndef Q_OS_WIN
        QSKIP("the file store writes the whole file at commit, never value by value");
#else
        store(header);
        const auto key = SettingsKey::openForWriting();
        QVERIFY(key);
        QVERIFY(key->writeDword(QStringLiteral("TYPE"), 1));
        QCOMPARE(RegDeleteTreeW(HKEY_CURRENT_USER, WinRegistry::machineKey().path.c_str()), ERROR_SUCCESS);
        QVERIFY(!RegistryStore::exists(WinRegistry::machineKey()));
        QVERIFY(key->writeString(QStringLiteral("NetPort"), QStringLiteral("5001")));
        QVERIFY(key->commit());
        QCOMPARE(RegistryStore::exportSorted(WinRegistry::userKey()),
                 stored(header + "\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"\n\n"));
#endif
    }
};

QTEST_APPLESS_MAIN(StoredSettingsTest)
#include "storedsettingstest.moc"
