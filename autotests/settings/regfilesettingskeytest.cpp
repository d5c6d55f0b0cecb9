#include "settings/regfilesettingskey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SettingsKey::ValueType)

namespace {

const QByteArray header = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class RegFileSettingsKeyTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init() { m_path = m_dir.filePath(QStringLiteral("ZOVUR/RO420DA_Tools.reg")); QFile::remove(m_path); }

    void shouldPlaceStoreInFirstAbsoluteConfigFolder_data()
    {
        QTest::addColumn<QByteArray>("dirs");
        QTest::addColumn<QString>("path");
        // Entries are separated as in PATH: ":" here, ";" on Windows, where ":" follows a drive letter.
        const QByteArray sep(1, char(QDir::listSeparator().unicode()));
        QTest::newRow("unset") << QByteArray() << "/etc/xdg/ZOVUR/RO420DA_Tools.reg";
        QTest::newRow("one folder") << QByteArray("/opt/conf/") << "/opt/conf/ZOVUR/RO420DA_Tools.reg";
        QTest::newRow("first of several") << "/a" + sep + "/b" << "/a/ZOVUR/RO420DA_Tools.reg";
        QTest::newRow("relative entries ignored") << sep + sep + "conf" + sep + "/b" << "/b/ZOVUR/RO420DA_Tools.reg";
        QTest::newRow("only relative") << QByteArray("conf") << "/etc/xdg/ZOVUR/RO420DA_Tools.reg";
#ifdef Q_OS_WIN
        QTest::newRow("drive letters") << QByteArray("C:\\conf;D:/b") << "C:/conf/ZOVUR/RO420DA_Tools.reg";
#endif
    }

    void shouldPlaceStoreInFirstAbsoluteConfigFolder()
    {
        QFETCH(QByteArray, dirs);
        QFETCH(QString, path);
        const QByteArray saved = qgetenv("XDG_CONFIG_DIRS");
        if (dirs.isNull())
            qunsetenv("XDG_CONFIG_DIRS");
        else
            qputenv("XDG_CONFIG_DIRS", dirs);
        const QString actual = RegFileSettingsKey::storePath();
        qputenv("XDG_CONFIG_DIRS", saved);
        QCOMPARE(actual, path);
    }

    void shouldReadValueForms_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("name");
        QTest::addColumn<SettingsKey::ValueType>("type");
        QTest::addColumn<QString>("value");
        using T = SettingsKey::ValueType;
        QTest::newRow("dword") << QByteArray("\"TYPE\"=dword:00000007\n") << "TYPE" << T::Dword << "7";
        QTest::newRow("dword upper case, short") << QByteArray("\"TYPE\"=DWORD:Ff\n") << "TYPE" << T::Dword << "255";
        QTest::newRow("dword too long") << QByteArray("\"TYPE\"=dword:000000001\n") << "TYPE" << T::Other << "";
        QTest::newRow("dword not hex") << QByteArray("\"TYPE\"=dword:1g\n") << "TYPE" << T::Other << "";
        QTest::newRow("string") << QByteArray("\"NetIP\"=\"10.0.0.1\"\n") << "NetIP" << T::String << "10.0.0.1";
        QTest::newRow("empty string") << QByteArray("\"NetIP\"=\"\"\n") << "NetIP" << T::String << "";
        QTest::newRow("escapes") << QByteArray("\"P\"=\"\\\\\\\\.\\\\COM10 \\\"x\\\"\"\n") << "P" << T::String
                                 << "\\\\.\\COM10 \"x\"";
        QTest::newRow("unknown escape") << QByteArray("\"P\"=\"a\\nb\"\n") << "P" << T::Other << "";
        QTest::newRow("text after string") << QByteArray("\"P\"=\"a\" b\n") << "P" << T::Other << "";
        QTest::newRow("Chinese string") << QByteArray("\"L\"=\"" "\xe7\xb9\x81\xe9\xab\x94" "\"\n") << "L"
                                        << T::String << QStringLiteral("繁體");
        QTest::newRow("expandable, unexpanded") << QByteArray("\"H\"=hex(2):25,58,25,00\n") << "H"
                                                << T::ExpandString << "%X%";
        QTest::newRow("expandable on two lines") << QByteArray("\"H\"=hex(2):41,42,\\\n  43,00\n") << "H"
                                                 << T::ExpandString << "ABC";
        QTest::newRow("expandable without zero") << QByteArray("\"H\"=hex(2):41\n") << "H" << T::ExpandString << "A";
        QTest::newRow("expandable bad byte") << QByteArray("\"H\"=hex(2):4,00\n") << "H" << T::Other << "";
        QTest::newRow("binary") << QByteArray("\"B\"=hex:01,02\n") << "B" << T::Other << "";
        QTest::newRow("multi string") << QByteArray("\"M\"=hex(7):41,00,00\n") << "M" << T::Other << "";
        QTest::newRow("blanks around =") << QByteArray("\"NetPort\" = \"5001\"\n") << "NetPort" << T::String << "5001";
        QTest::newRow("name in other case") << QByteArray("\"type\"=dword:1\n") << "TYPE" << T::Dword << "1";
        QTest::newRow("last of two wins") << QByteArray("\"A\"=\"1\"\n\"a\"=\"2\"\n") << "A" << T::String << "2";
        QTest::newRow("unnamed value") << QByteArray("@=\"d\"\n") << "" << T::String << "d";
        QTest::newRow("absent") << QByteArray("\"A\"=\"1\"\n") << "B" << T::Absent << "";
        QTest::newRow("comments and CR LF") << QByteArray("; set by admin\r\n\r\n\"A\"=\"1\"\r\n") << "A"
                                            << T::String << "1";
    }

    void shouldReadValueForms()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, name);
        QFETCH(SettingsKey::ValueType, type);
        QFETCH(QString, value);
        QVERIFY(writeFile(m_path, header + body));
        const auto key = RegFileSettingsKey::openForReading(m_path);
        QVERIFY(key);
        QCOMPARE(key->type(name), type);
        if (type == SettingsKey::ValueType::Dword)
            QCOMPARE(key->readDword(name), std::optional<quint32>(value.toUInt()));
        else
            QVERIFY(!key->readDword(name));
        if (type == SettingsKey::ValueType::String || type == SettingsKey::ValueType::ExpandString)
            QCOMPARE(key->readString(name), std::optional<QString>(value));
        else
            QVERIFY(!key->readString(name));
    }

    void shouldTreatOtherFilesAsNoStore_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only") << QByteArray("REGEDIT4\n");
        QTest::newRow("no header") << QByteArray("[HKEY_LOCAL_MACHINE\\Software\\ZOVUR\\RO420DA_Tools]\n\"A\"=\"1\"\n");
        QTest::newRow("other key") << QByteArray("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\ZOVUR\\RO420DA_Tools]\n");
        QTest::newRow("second section") << header + "\"A\"=\"1\"\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n";
        QTest::newRow("stray line") << header + "TYPE=1\n";
        QTest::newRow("unterminated name") << header + "\"TYPE=dword:1\n";
        QTest::newRow("invalid UTF-8") << header + "\"A\"=\"\xff\xfe\"\n";
        QTest::newRow("binary junk") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0", 9);
        QTest::newRow("too large") << header + "\"A\"=\"" + QByteArray(RegFileFormat::MaxFileSize, 'x') + "\"\n";
    }

    void shouldTreatOtherFilesAsNoStore()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        QVERIFY(!RegFileSettingsKey::openForReading(m_path));
    }

    void shouldNotCreateAnythingWhenReading()
    {
        const QString untouched = m_dir.filePath(QStringLiteral("untouched"));
        QVERIFY(!RegFileSettingsKey::openForReading(untouched + QStringLiteral("/ZOVUR/RO420DA_Tools.reg")));
        QVERIFY(!QFileInfo::exists(untouched));
    }

    void shouldNotReadOrReplaceAFolder()
    {
        QVERIFY(QDir().mkpath(m_path));
        QVERIFY(!RegFileSettingsKey::openForReading(m_path));
        QVERIFY(!RegFileSettingsKey::openForWriting(m_path));
        QVERIFY(QDir().rmdir(m_path));
    }

    void shouldKeepOtherValuesVerbatimAndInOrder()
    {
        QVERIFY(writeFile(m_path, header + "\"Admin\"=\"x\"\r\n\"B\"=hex:01,02\n\"TYPE\"=dword:00000000\n"
                                           "\"H\"=hex(2):25,58,25,00\n@=-\n"));
        auto key = RegFileSettingsKey::openForWriting(m_path);
        QVERIFY(key);
        QVERIFY(key->writeDword(QStringLiteral("type"), 1));
        QVERIFY(key->writeString(QStringLiteral("NetIP"), QStringLiteral("10.1.1.1")));
        QVERIFY(key->commit());
        QCOMPARE(readFile(m_path), header + "\"Admin\"=\"x\"\n\"B\"=hex:01,02\n\"TYPE\"=dword:00000001\n"
                                             "\"H\"=hex(2):25,58,25,00\n@=-\n\"NetIP\"=\"10.1.1.1\"\n\n");
    }

    void shouldRefuseTextsThatBreakTheLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("line feed") << "a\nb";
        QTest::newRow("carriage return") << "a\rb";
        QTest::newRow("zero") << QString(QStringLiteral("a") + QChar(0));
    }

    void shouldRefuseTextsThatBreakTheLine()
    {
        QFETCH(QString, text);
        auto key = RegFileSettingsKey::openForWriting(m_path);
        QVERIFY(key);
        QVERIFY(!key->writeString(QStringLiteral("A"), text));
        QVERIFY(!key->writeDword(text, 1));
        QCOMPARE(key->type(QStringLiteral("A")), SettingsKey::ValueType::Absent);
    }

    void shouldNotWriteThroughAKeyOpenedForReading()
    {
        QVERIFY(writeFile(m_path, header + "\"A\"=\"1\"\n"));
        auto key = RegFileSettingsKey::openForReading(m_path);
        QVERIFY(key);
        QVERIFY(!key->writeString(QStringLiteral("A"), QStringLiteral("2")));
        QVERIFY(!key->commit());
        QCOMPARE(readFile(m_path), header + "\"A\"=\"1\"\n");
    }

    void shouldDropUncommittedWrites()
    {
        QVERIFY(writeFile(m_path, header + "\"A\"=\"1\"\n"));
        {
            auto key = RegFileSettingsKey::openForWriting(m_path);
            QVERIFY(key && key->writeString(QStringLiteral("A"), QStringLiteral("2")));
        }
        QCOMPARE(readFile(m_path), header + "\"A\"=\"1\"\n");
    }
};

QTEST_APPLESS_MAIN(RegFileSettingsKeyTest)
#include "regfilesettingskeytest.moc"
