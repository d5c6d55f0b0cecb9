// The three languages of the window: chosen from the menu, stored at once, applied to the font,
// the check marks, the title and every caption; the controls with a font of their own keep it.
#include "app/lamp.h"
#include "i18n/languagefont.h"
#include "settings/storedsettings.h"
#include "storefile.h"
#include "i18n/texttable.h"
#include "windowharness.h"

#include <QAction>
#include <QCheckBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>

namespace {

const QString ApplicationTitle = QStringLiteral("ZU42vIZ-O5 Test Tools");

struct OwnFont
{
    const char *name;
    const char *family;
    int pixelSize;
};

// The controls that carry their own font, all bold.
const OwnFont ownFonts[] = {
    { "btnConnect", "MS Sans Serif", 19 }, { "pnMsg", "MS Sans Serif", 19 },  { "pnVER", "Arial Narrow", 35 },
    { "pnSN", "Arial Narrow", 35 },        { "pnAuto", "Arial", 21 },         { "pnReboot", "MS Sans Serif", 19 },
    { "btnCommand", "MS Sans Serif", 19 }, { "lblDI1", "Calibri", 24 },       { "lblDI2", "Calibri", 24 },
    { "lblDI3", "Calibri", 24 },           { "lblDI4", "Calibri", 24 },       { "lblDI5", "Calibri", 24 },
    { "lblDI6", "Calibri", 24 },           { "chkDO1", "Calibri", 24 },       { "chkDO2", "Calibri", 24 },
    { "chkDO3", "Calibri", 24 },           { "chkDO4", "Calibri", 24 },
};

// Reads the store the moment the window font or title starts to change.
class StoreWatcher : public QObject
{
public:
    QStringList flagsAtFontChange;
    QStringList flagsAtTitleChange;

    explicit StoreWatcher(TfrmModule *window)
    {
        window->installEventFilter(this);
        connect(window, &QWidget::windowTitleChanged, this,
                [this] { flagsAtTitleChange.append(StoredSettings::read().languageFlag); });
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange)
            flagsAtFontChange.append(StoredSettings::read().languageFlag);
        return false;
    }
};

} // namespace

class LanguageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;

    void showWindow()
    {
        h->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h->window.get()));
    }

    void choose(int language)
    {
        static const char *const entries[] = { "mnuEnglish", "mnuSimplified", "mnuTraditional" };
        h->find<QAction>(entries[language])->trigger();
        QCoreApplication::processEvents();
    }

    QString tabText(const char *pages, const char *page) const
    {
        auto *tabs = h->find<QTabWidget>(pages);
        return tabs->tabText(tabs->indexOf(h->find(page)));
    }

    void verifyOwnFonts()
    {
        for (const OwnFont &expected : ownFonts) {
            QWidget *w = h->find(expected.name);
            QVERIFY(w);
            const QFont f = w->font();
            QVERIFY2(f.family() == QLatin1String(expected.family),
                     qPrintable(QStringLiteral("%1: %2").arg(expected.name, f.family())));
            QVERIFY2(f.pixelSize() == expected.pixelSize,
                     qPrintable(QStringLiteral("%1: %2 px").arg(expected.name).arg(f.pixelSize())));
            QVERIFY2(f.bold(), expected.name);
        }
    }

    void verifyCaptions(int language)
    {
        auto text = [language](int id) { return TextTable::text(id, language); };
        // One or more captions of every step of the language's application.
        QCOMPARE(h->window->windowTitle(), text(TextTable::WindowTitle));
        QCOMPARE(h->find<QMenu>("mnuLanguage")->title(), text(TextTable::LanguageMenu));
        QCOMPARE(h->find<QMenu>("mnuFile")->title(), text(TextTable::FileMenu));
        QCOMPARE(h->find<QAction>("mnuExit")->text(), text(TextTable::ExitMenuEntry));
        QCOMPARE(tabText("pcPort", "tsNet"), text(TextTable::NetTab));
        QCOMPARE(tabText("pcPort", "tsCom"), text(TextTable::ComTab));
        QCOMPARE(h->find<QLabel>("lblPort")->text(), text(TextTable::PortLabel));
        QCOMPARE(h->find<QLabel>("lblNetPort")->text(), text(TextTable::PortLabel));
        QCOMPARE(h->find<QLabel>("lblSpeed")->text(), text(TextTable::SpeedLabel));
        QCOMPARE(tabText("pcMain", "tsFactory"), text(TextTable::FunctionTestTab));
        QCOMPARE(tabText("pcMain", "tsCommand"), text(TextTable::CommandTestTab));
        QCOMPARE(tabText("pcMain", "tsSet"), text(TextTable::SetZo425Tab));
        QCOMPARE(tabText("pcMain", "tsSet120"), text(TextTable::SetRo420Tab));
        QCOMPARE(h->find<QPushButton>("btnConnect")->text(), text(TextTable::ConnectDeviceButton));
        QCOMPARE(h->find<QPushButton>("btnAuto")->text(), text(TextTable::AutoTestButton));
        QCOMPARE(h->find<QPushButton>("btnInitial")->text(), text(TextTable::SetFactoryButton));
        QCOMPARE(h->find<QPushButton>("btnReboot")->text(), text(TextTable::SetRebootButton));
        QCOMPARE(h->find<QPushButton>("btnReboot2")->text(), text(TextTable::SetRebootButton));
        QCOMPARE(h->find<QPushButton>("btnSetShow")->text(), text(TextTable::SetShowStatus));
        QCOMPARE(h->find<QCheckBox>("chkUseStatus")->text(), text(TextTable::UseStatusCheck));
        QCOMPARE(h->find<QCheckBox>("chkShowStatus")->text(), text(TextTable::ShowStatusCheck));
        QCOMPARE(h->banner(), text(TextTable::StartConnectDevice));
        QCOMPARE(h->find<QLabel>("lblCommandSend")->text(), text(TextTable::SendCommandLabel));
        QCOMPARE(h->find<QLabel>("lblCommandRecv")->text(), text(TextTable::ReceiveDataLabel));
        QCOMPARE(h->find<QPushButton>("btnCommand")->text(), text(TextTable::CommandTestButton));
        QCOMPARE(h->find<QGroupBox>("gbController")->title(), text(TextTable::ControllerCommandTestGroup));
        QCOMPARE(h->find<QPushButton>("btnCardByte120")->text(), text(TextTable::SetCardBitsButton));
        QCOMPARE(h->find<QPushButton>("btnCardByte")->text(), text(TextTable::SetCardBitsButton));
        QCOMPARE(h->find<QPushButton>("btnDoorTimeoutTime")->text(), text(TextTable::SetTimeoutTimeButton));
        QCOMPARE(h->find<QLabel>("pnReboot")->text(), text(TextTable::RebootAfterChangeWarning));
        QCOMPARE(h->find<QPushButton>("btnDI_3_4Mode")->text(), text(TextTable::SetDiModeButton));
        // Never translated.
        QCOMPARE(h->find<QLabel>("Label1")->text(), QStringLiteral("ID:"));
        QCOMPARE(h->find<QLabel>("lblIP")->text(), QStringLiteral("IP:"));
        QCOMPARE(h->find<QPushButton>("btnSel115200")->text(), QStringLiteral("115200,n,8,1"));
        QCOMPARE(h->find<QLabel>("lblDI5")->text(), QStringLiteral("DI7"));
        QCOMPARE(h->find<QCheckBox>("chkNet")->text(), QStringLiteral("NET"));
    }

    void verifyMenuEntries(int language)
    {
        static const char *const entries[] = { "mnuEnglish", "mnuSimplified", "mnuTraditional" };
        for (int i = 0; i < 3; ++i) {
            auto *entry = h->find<QAction>(entries[i]);
            QCOMPARE(entry->isChecked(), i == language);
            QCOMPARE(entry->text(), TextTable::text(TextTable::LanguageEntries, i));
        }
    }

    void verifyWindowFont(int language)
    {
        const LanguageFont row = LanguageFont::forLanguage(language);
        const QFont font = h->window->font();
        QCOMPARE(font.family(), row.name);
        QCOMPARE(font.pointSize(), row.size.toInt());
        QVERIFY(!font.bold());
        QCOMPARE(row.charsetNumber(), (QList<int> { 0, 134, 136 }).at(language));
        // The face actually drawn must cover the script the character set stands for.
        const QString face = QFontInfo(font).family();
        QVERIFY2(QFontDatabase::writingSystems(face).contains(row.writingSystem()), qPrintable(face));
        // Controls without a font of their own follow the window.
        QCOMPARE(h->find<QPushButton>("btnSetMaster")->font().family(), row.name);
        QCOMPARE(h->find<QLabel>("lblSpeed")->font().pointSize(), row.size.toInt());
        QCOMPARE(h->find<QLabel>("lblSpeed")->palette().color(QPalette::WindowText), row.textColor());
        // A button that cannot be pressed must still look greyed.
        const QPalette buttons = h->find<QPushButton>("btnSetMaster")->palette();
        QVERIFY(buttons.color(QPalette::Disabled, QPalette::ButtonText) != buttons.color(QPalette::Active, QPalette::ButtonText));
    }

private slots:
    void initTestCase()
    {
        // As the program entry sets it: Qt would write it after every window title.
        QGuiApplication::setApplicationDisplayName(ApplicationTitle);
    }

    void init()
    {
        h = std::make_unique<WindowHarness>();
    }

    void cleanup() { h.reset(); }

    void shouldApplyTheChosenLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("flag");
        QTest::newRow("Simplified Chinese") << 1 << "ChineseGB";
        QTest::newRow("Traditional Chinese") << 2 << "ChineseBIG5";
        QTest::newRow("back to English") << 0 << "English";
    }

    void shouldApplyTheChosenLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, flag);
        showWindow();
        if (language == TextTable::English)
            choose(TextTable::TraditionalChinese);
        choose(language);

        QCOMPARE(h->window->languageIndex(), language);
        QCOMPARE(h->window->languageFlag(), flag);
        QCOMPARE(StoredSettings::read().languageFlag, flag);
        verifyCaptions(language);
        verifyMenuEntries(language);
        verifyWindowFont(language);
        verifyOwnFonts();
        QCOMPARE(QGuiApplication::applicationDisplayName(), ApplicationTitle);
    }

    void shouldReadTheTraditionalTextsAsWritten()
    {
        showWindow();
        choose(TextTable::TraditionalChinese);
        QCOMPARE(h->window->windowTitle(), QString::fromUtf8(u8"ZU42vIZ-O5 控制器測試工具 V0563"));
        QCOMPARE(h->banner(), QString::fromUtf8(u8"連線裝置"));
        QCOMPARE(tabText("pcMain", "tsSet"), QString::fromUtf8(u8"設定(ZO425)"));
        QCOMPARE(h->window->font().family(), QString::fromUtf8(u8"細明體"));
        QCOMPARE(h->window->font().pointSize(), 12);
    }

    void shouldShowTheStoredLanguageAtStart_data()
    {
        QTest::addColumn<QByteArray>("flag");
        QTest::addColumn<int>("language");
        QTest::newRow("ChineseGB") << QByteArray("ChineseGB") << 1;
        QTest::newRow("ChineseBIG5") << QByteArray("ChineseBIG5") << 2;
        QTest::newRow("chinesebig5") << QByteArray("chinesebig5") << 0;
        QTest::newRow("nothing stored") << QByteArray() << 0;
    }

    void shouldShowTheStoredLanguageAtStart()
    {
        QFETCH(QByteArray, flag);
        QFETCH(int, language);
        h = std::make_unique<WindowHarness>([&](const QString &dir) {
            if (!flag.isEmpty())
                QVERIFY(StoreFile::write(dir, StoreFile::withValues("\"LanguageFlag\"=\"" + flag + "\"")));
        });
        showWindow();
        verifyCaptions(language);
        verifyMenuEntries(language);
        verifyWindowFont(language);
        verifyOwnFonts();
    }

    void shouldStoreTheLanguageBeforeTheCaptionsChange()
    {
        showWindow();
        StoreWatcher watcher(h->window.get());
        choose(TextTable::SimplifiedChinese);
        QVERIFY(!watcher.flagsAtFontChange.isEmpty());
        QVERIFY(!watcher.flagsAtTitleChange.isEmpty());
        for (const QString &seen : watcher.flagsAtFontChange + watcher.flagsAtTitleChange)
            QCOMPARE(seen, QStringLiteral("ChineseGB"));
    }

    void shouldRepeatTheLanguageAlreadyInForce()
    {
        showWindow();
        h->find<QLabel>("pnMsg")->setText(QStringLiteral("Command ok."));
        choose(TextTable::English);
        QCOMPARE(h->banner(), QStringLiteral("Start connect device"));
        QVERIFY(h->find<QAction>("mnuEnglish")->isChecked());
        QCOMPARE(StoredSettings::read().languageFlag, QStringLiteral("English"));
    }

    void shouldKeepTheWorkAreaAndTheOperatorsValuesAcrossAChange()
    {
        showWindow();
        auto *work = h->find<QTabWidget>("pcMain");
        work->setEnabled(true);
        work->setCurrentWidget(h->find("tsCommand"));
        h->find<QLabel>("pnVER")->setText(QStringLiteral("RO426 V1.02"));
        h->find<QLabel>("pnSN")->setText(QStringLiteral("S/N 12345 ID 001"));
        h->find<QLabel>("pnAuto")->setText(QStringLiteral("2024/05/06 10:11:12"));
        h->find("shComm")->setProperty("color", QColor(Qt::yellow));
        h->find<QComboBox>("cmbTitle")->setCurrentIndex(2);
        h->find<QLineEdit>("edCommandSend")->setText(QStringLiteral("AV"));
        h->find<QCheckBox>("chkDO2")->setChecked(true);
        h->find<QTabWidget>("pcPort")->setCurrentWidget(h->find("tsNet"));

        choose(TextTable::TraditionalChinese);

        QVERIFY(work->isEnabled());
        QCOMPARE(work->currentWidget(), h->find("tsFactory"));
        QCOMPARE(h->find<QLabel>("pnVER")->text(), QStringLiteral("RO426 V1.02"));
        QCOMPARE(h->find<QLabel>("pnSN")->text(), QStringLiteral("S/N 12345 ID 001"));
        QCOMPARE(h->find<QLabel>("pnAuto")->text(), QStringLiteral("2024/05/06 10:11:12"));
        QCOMPARE(h->lamp("shComm"), QColor(Qt::yellow));
        QCOMPARE(h->find<QComboBox>("cmbTitle")->currentIndex(), 2);
        QCOMPARE(h->find<QLineEdit>("edCommandSend")->text(), QStringLiteral("AV"));
        QVERIFY(h->find<QCheckBox>("chkDO2")->isChecked());
        QCOMPARE(h->find<QTabWidget>("pcPort")->currentWidget(), h->find("tsNet"));
    }

    void shouldLeaveTheWorkAreaDisabledWhenNotConnected()
    {
        showWindow();
        choose(TextTable::SimplifiedChinese);
        QVERIFY(!h->find("pcMain")->isEnabled());
        QCOMPARE(h->find<QTabWidget>("pcMain")->currentWidget(), h->find("tsFactory"));
    }

    void shouldKeepTheClientAreaWhole_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << 0;
        QTest::newRow("Simplified Chinese") << 1;
        QTest::newRow("Traditional Chinese") << 2;
    }

    void shouldKeepTheClientAreaWhole()
    {
        QFETCH(int, language);
        showWindow();
        choose(language);
        QTest::qWait(0);
        QWidget *client = h->window->centralWidget();
        QCOMPARE(client->size(), QSize(680, 627));
        QVERIFY(h->window->menuBar()->geometry().bottom() < client->y());
        QCOMPARE(client->geometry().bottom(), h->window->height() - 1);
    }

    // The grey lamps' question mark is Latin: the Chinese windows draw it as the English one does.
    void shouldDrawTheUnknownLampAlikeInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("Simplified Chinese") << 1;
        QTest::newRow("Traditional Chinese") << 2;
    }
    void shouldDrawTheUnknownLampAlikeInEveryLanguage()
    {
        QFETCH(int, language);
        showWindow();
        auto *lamp = h->find<Lamp>("shDI1");
        lamp->setUnknown();
        const QImage english = lamp->grab().toImage();
        choose(language);
        QCOMPARE(lamp->grab().toImage(), english);
    }
};

QTEST_MAIN(LanguageTest)
#include "languagetest.moc"
