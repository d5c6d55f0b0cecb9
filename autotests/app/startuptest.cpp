// Start-up from the settings store, storing the link that worked, the port list and the exit.
#include "app/portlistrefresher.h"
#include "link/serialportlist.h"
#include "settings/storedsettings.h"
#include "storefile.h"
#include "windowcontrols.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

QList<SerialPortEntry> portsNamed(const QStringList &names)
{
    QList<SerialPortEntry> ports;
    for (const QString &name : names)
        ports.append({ name, {}, {}, {}, {}, {} });
    return ports;
}

QStringList namesOf(const QList<SerialPortEntry> &ports)
{
    QStringList names;
    for (const SerialPortEntry &port : ports)
        names.append(port.name);
    return names;
}

QStringList comNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names.append(QStringLiteral("COM%1").arg(i));
    return names;
}

// What the window shows and holds after start-up.
struct Shown
{
    QString page = QStringLiteral("tsCom");
    int linkMode = 0;
    QString port = QStringLiteral("COM1");
    QString lineMode = QStringLiteral("19200,e,8,1");
    QString ip = QStringLiteral("192.168.1.101");
    QString netPort = QStringLiteral("5003");
    QString languageFlag = QStringLiteral("English");
    int languageIndex = 0;
};

// Every value in the store with its type: a 32-bit integer as quint32, a string as QString.
QVariantMap storedValues(const QString &configDir)
{
    QVariantMap values;
    const auto key = StoreFile::open(configDir);
    if (!key)
        return values;
    for (const char *name : { "TYPE", "ComPortName", "ComBaudRate", "NetIP", "NetPort", "LanguageFlag" }) {
        const QString n = QString::fromLatin1(name);
        switch (key->type(n)) {
        case SettingsKey::ValueType::Dword:
            values.insert(n, *key->readDword(n));
            break;
        case SettingsKey::ValueType::String:
            values.insert(n, *key->readString(n));
            break;
        case SettingsKey::ValueType::Absent:
            break;
        default:
            values.insert(n, QStringLiteral("<other type>"));
        }
    }
    return values;
}

} // namespace

Q_DECLARE_METATYPE(Shown)

class StartupTest : public QObject
{
    Q_OBJECT

    void verifyShown(WindowHarness &h, const Shown &expected)
    {
        TfrmModule &w = *h.window;
        QCOMPARE(h.find<QTabWidget>("pcPort")->currentWidget()->objectName(), expected.page);
        QCOMPARE(int(w.linkSettings().mode), expected.linkMode);
        QCOMPARE(h.find<QComboBox>("cmbPort")->currentText(), expected.port);
        QCOMPARE(w.linkSettings().portName, expected.port);
        QCOMPARE(h.find<QComboBox>("cmbBaudrate")->currentText(), expected.lineMode);
        QCOMPARE(w.linkSettings().lineMode, expected.lineMode);
        QCOMPARE(h.find<QLineEdit>("edIP")->text(), expected.ip);
        QCOMPARE(w.linkSettings().hostAddress, expected.ip);
        QCOMPARE(h.find<QLineEdit>("edPort")->text(), expected.netPort);
        QCOMPARE(w.linkSettings().hostPort, expected.netPort);
        QCOMPARE(w.languageFlag(), expected.languageFlag);
        QCOMPARE(w.languageIndex(), expected.languageIndex);
        QVERIFY(!h.find("pcMain")->isEnabled());
    }

private slots:
    void shouldStartFromTheStore_data()
    {
        QTest::addColumn<QByteArray>("store"); // empty: no store at all
        QTest::addColumn<Shown>("shown");

        QTest::newRow("first run without a store") << QByteArray() << Shown();

        Shown full;
        full.port = "COM7";
        full.lineMode = "115200,n,8,1";
        full.ip = "10.1.2.3";
        full.netPort = "5001";
        full.languageFlag = "ChineseBIG5";
        full.languageIndex = 2;
        QTest::newRow("every value stored")
            << StoreFile::withValues("\"TYPE\"=dword:00000000\n\"ComPortName\"=\"COM7\"\n"
                                     "\"ComBaudRate\"=\"115200,n,8,1\"\n\"NetIP\"=\"10.1.2.3\"\n"
                                     "\"NetPort\"=\"5001\"\n\"LanguageFlag\"=\"ChineseBIG5\"")
            << full;

        Shown net;
        net.page = "tsNet";
        net.linkMode = 1;
        net.ip = "10.0.0.9";
        QTest::newRow("TYPE 7 means TCP")
            << StoreFile::withValues("\"TYPE\"=dword:00000007\n\"NetIP\"=\"10.0.0.9\"") << net;

        QTest::newRow("TYPE as a string stops the reading")
            << StoreFile::withValues("\"TYPE\"=\"1\"\n\"ComPortName\"=\"COM7\"\n\"ComBaudRate\"=\"9600,n,8,1\"\n"
                                     "\"NetIP\"=\"10.0.0.9\"\n\"NetPort\"=\"6000\"\n\"LanguageFlag\"=\"ChineseGB\"")
            << Shown();

        Shown partly;
        partly.lineMode = "9600,n,8,1";
        QTest::newRow("a string value of another type keeps what came before")
            << StoreFile::withValues("\"ComBaudRate\"=\"9600,n,8,1\"\n\"ComPortName\"=dword:00000003\n"
                                     "\"NetIP\"=\"10.0.0.9\"")
            << partly;

        Shown lowerCase;
        lowerCase.languageFlag = "chinesegb";
        QTest::newRow("LanguageFlag in other letter case")
            << StoreFile::withValues("\"LanguageFlag\"=\"chinesegb\"") << lowerCase;

        Shown simplified;
        simplified.languageFlag = "ChineseGB";
        simplified.languageIndex = 1;
        QTest::newRow("Simplified Chinese") << StoreFile::withValues("\"LanguageFlag\"=\"ChineseGB\"") << simplified;

        Shown emptyIp;
        emptyIp.ip = "";
        QTest::newRow("an empty address stays empty") << StoreFile::withValues("\"NetIP\"=\"\"") << emptyIp;

        Shown expandable;
        expandable.port = "COM4";
        // "COM4" and its terminating zero as an expandable string.
        QTest::newRow("an expandable string is read unexpanded")
            << StoreFile::withValues("\"ComPortName\"=hex(2):43,4f,4d,34,00") << expandable;

#ifndef Q_OS_WIN
        // A registry key is never malformed: there the store is no file.
        QTest::newRow("malformed file") << QByteArray("this is not a registry export\n\"TYPE\"=dword:1\n")
                                        << Shown();
#endif
    }

    void shouldStartFromTheStore()
    {
        QFETCH(QByteArray, store);
        QFETCH(Shown, shown);
        WindowHarness h([&](const QString &dir) {
            if (!store.isEmpty())
                QVERIFY(StoreFile::write(dir, store));
        });
        verifyShown(h, shown);
        QCOMPARE(StoreFile::exists(h.configDir()), !store.isEmpty());
    }

    void shouldStartWithDefaultsWhenTheStoreCannotBeRead()
    {
#ifdef Q_OS_WIN
        // A machine key whose access list refuses reading to everyone, administrators included.
        WindowHarness h([](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"")));
            QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_QUERY_VALUE));
        });
#else
        // A folder where the file should be cannot be read by anyone, root included.
        WindowHarness h([](const QString &dir) { QVERIFY(QDir().mkpath(StoreFile::path(dir))); });
#endif
        verifyShown(h, Shown());
    }

    void shouldReadAStoreTheOperatorMayNotWrite()
    {
        QString folder;
        WindowHarness h([&](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"TYPE\"=dword:00000001\n\"NetPort\"=\"5001\"")));
#ifdef Q_OS_WIN
            Q_UNUSED(folder)
            QVERIFY(RegistryStore::deny(WinRegistry::machineKey(), KEY_SET_VALUE | KEY_CREATE_SUB_KEY));
#else
            folder = QFileInfo(StoreFile::path(dir)).absolutePath();
            QCOMPARE(chmod(QFile::encodeName(StoreFile::path(dir)).constData(), 0444), 0);
            QCOMPARE(chmod(QFile::encodeName(folder).constData(), 0555), 0);
#endif
        });
        Shown shown;
        shown.page = "tsNet";
        shown.linkMode = 1;
        shown.netPort = "5001";
        verifyShown(h, shown);
#ifndef Q_OS_WIN
        chmod(QFile::encodeName(folder).constData(), 0755);
#endif
    }

    void shouldShowAStoredPortNameTheListDoesNotHold()
    {
        WindowHarness h([](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"ComPortName\"=\"ttyNOWHERE9\"")));
        });
        auto *box = h.find<QComboBox>("cmbPort");
        QCOMPARE(box->currentText(), QStringLiteral("ttyNOWHERE9"));
        QCOMPARE(itemsOf(box), SerialPortList::names());
        QCOMPARE(box->currentIndex(), 0);
    }

    void shouldStoreTheFrontPageAndKeepTheOtherPagesPair_data()
    {
        QTest::addColumn<bool>("netInFront");
        QTest::addColumn<QVariantMap>("stored");
        QTest::newRow("serial page") << false
                                     << QVariantMap { { "TYPE", 0u },
                                                      { "NetPort", "5003" },
                                                      { "NetIP", "10.0.0.5" },
                                                      { "ComBaudRate", "9600,e,8,1" },
                                                      { "ComPortName", "ttyUSB3" },
                                                      { "LanguageFlag", "ChineseGB" } };
        QTest::newRow("TCP page") << true
                                  << QVariantMap { { "TYPE", 1u },
                                                   { "NetPort", "6000" },
                                                   { "NetIP", "127.0.0.1" },
                                                   { "ComBaudRate", "38400,n,8,1" },
                                                   { "ComPortName", "COM5" },
                                                   { "LanguageFlag", "ChineseGB" } };
    }

    void shouldStoreTheFrontPageAndKeepTheOtherPagesPair()
    {
        QFETCH(bool, netInFront);
        QFETCH(QVariantMap, stored);
        WindowHarness h([](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues(
                                              "\"TYPE\"=dword:00000000\n\"ComPortName\"=\"COM5\"\n"
                                              "\"ComBaudRate\"=\"38400,n,8,1\"\n\"NetIP\"=\"10.0.0.5\"\n"
                                              "\"NetPort\"=\"5003\"\n\"LanguageFlag\"=\"ChineseGB\"")));
        });
        // The operator edits both pages; only the one in front has been used.
        h.find<QComboBox>("cmbPort")->setEditText(QStringLiteral("ttyUSB3"));
        h.find<QComboBox>("cmbBaudrate")->setEditText(QStringLiteral("9600,e,8,1"));
        h.find<QLineEdit>("edIP")->setText(QStringLiteral("127.0.0.1"));
        h.find<QLineEdit>("edPort")->setText(QStringLiteral("6000"));
        h.find<QTabWidget>("pcPort")->setCurrentWidget(h.find(netInFront ? "tsNet" : "tsCom"));

        h.window->saveLinkSettings();

        QCOMPARE(storedValues(h.configDir()), stored);
        QCOMPARE(int(h.window->linkSettings().mode), netInFront ? 1 : 0);
        QCOMPARE(h.window->linkSettings().portName, netInFront ? QStringLiteral("COM5") : QStringLiteral("ttyUSB3"));
        QCOMPARE(h.window->linkSettings().hostAddress, netInFront ? QStringLiteral("127.0.0.1") : QStringLiteral("10.0.0.5"));
    }

    void shouldCreateTheStoreWhenSavingOnAFirstRun()
    {
        WindowHarness h;
        h.window->saveLinkSettings();
        const QVariantMap stored = { { "TYPE", 0u },
                                     { "NetPort", "5003" },
                                     { "NetIP", "192.168.1.101" },
                                     { "ComBaudRate", "19200,e,8,1" },
                                     { "ComPortName", "COM1" } };
        QCOMPARE(storedValues(h.configDir()), stored);
    }

    void shouldStoreTheLanguageFlagAsHeld()
    {
        // A flag in another letter case chooses English but is kept as it was written.
        WindowHarness h([](const QString &dir) {
            QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"LanguageFlag\"=\"chinesebig5\"")));
        });
        QCOMPARE(h.window->languageIndex(), TextTable::English);
        h.window->saveLanguageSetting();
        QCOMPARE(StoredSettings::read().languageFlag, QStringLiteral("chinesebig5"));
    }

    void shouldNotStoreAnythingAtStartOrExit()
    {
        WindowHarness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        h.find<QAction>("mnuExit")->trigger();
        QVERIFY(!h.window->isVisible());
        QVERIFY(!StoreFile::exists(h.configDir()));
    }

    void shouldRebuildThePortListWhenItOpens_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::newRow("mouse") << false;
        QTest::newRow("keyboard") << true;
    }

    void shouldRebuildThePortListWhenItOpens()
    {
        QFETCH(bool, byKeyboard);
        WindowHarness h;
        h.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h.window.get()));
        auto *box = h.find<QComboBox>("cmbPort");
        box->clear();
        box->addItems({ QStringLiteral("gone0"), QStringLiteral("gone1") });
        box->setEditText(QStringLiteral("ttyTyped7"));

        if (byKeyboard) {
            box->setFocus();
            QTest::keyClick(box, Qt::Key_F4);
        } else {
            QTest::mousePress(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
        }

        QCOMPARE(itemsOf(box), SerialPortList::names());
        QCOMPARE(box->currentText(), QStringLiteral("ttyTyped7"));
        QVERIFY(box->view()->isVisible());
        box->hidePopup();
        QCOMPARE(box->currentText(), QStringLiteral("ttyTyped7"));
    }

    void shouldListNewPortsInTheSystemsOrderEachTimeTheListOpens()
    {
        QComboBox box;
        box.setEditable(true);
        QList<QStringList> listings = { { "ttyS0" }, { "ttyUSB1", "ttyS0", "ttyUSB0", "ttyUSB0" }, {} };
        PortListRefresher::fill(&box, portsNamed(listings.first()), {});
        new PortListRefresher(
            &box, [&] { return SerialPortList::entriesOrFallback(portsNamed(listings.takeFirst())); }, {});
        box.setEditText(QStringLiteral("COM9"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));

        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(box.width() - 6, box.height() / 2));
        QCOMPARE(itemsOf(&box), QStringList { "ttyS0" });
        box.hidePopup();

        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(box.width() - 6, box.height() / 2));
        QCOMPARE(itemsOf(&box), (QStringList { "ttyUSB1", "ttyS0", "ttyUSB0", "ttyUSB0" }));
        box.hidePopup();

        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(box.width() - 6, box.height() / 2));
        QCOMPARE(itemsOf(&box), comNames(16));
        QCOMPARE(box.currentText(), QStringLiteral("COM9"));
        box.hidePopup();
    }

    void shouldLeaveADisabledPortBoxAlone()
    {
        QComboBox box;
        box.setEditable(true);
        int builds = 0;
        new PortListRefresher(
            &box,
            [&] {
                ++builds;
                return portsNamed({ "ttyS0" });
            },
            {});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        box.setEnabled(false);
        QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(box.width() - 6, box.height() / 2));
        QTest::keyClick(&box, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(builds, 0);
        box.setEnabled(true);
        box.setFocus();
        QTest::keyClick(&box, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(builds, 1);
        box.hidePopup();
    }

    void shouldFallBackToCom1ToCom16OnlyWithoutPorts()
    {
        const QList<SerialPortEntry> fallback = SerialPortList::entriesOrFallback({});
        QCOMPARE(namesOf(fallback), comNames(16));
        for (const SerialPortEntry &port : fallback)
            QVERIFY2(port.location.isEmpty() && port.description.isEmpty() && port.manufacturer.isEmpty()
                         && port.serialNumber.isEmpty(),
                     qPrintable(port.name));
        const QList<SerialPortEntry> present = portsNamed({ "COM3", "COM10", "COM3" });
        QCOMPARE(SerialPortList::entriesOrFallback(present), present);
    }
};

QTEST_MAIN(StartupTest)
#include "startuptest.moc"
