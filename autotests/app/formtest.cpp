// Every control of the window, found by the name the operators' notes use, of its kind and
// with what it shows when the tool has just started in English.
#include "app/lamp.h"
#include "link/serialportlist.h"
#include "i18n/texttable.h"
#include "windowcontrols.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>

namespace {

const QStringList lineSettings = {
    "4800,n,8,1",   "4800,e,8,1",   "9600,n,8,1",   "9600,e,8,1",   "19200,n,8,1",  "19200,e,8,1",
    "38400,n,8,1",  "38400,e,8,1",  "57600,n,8,1",  "57600,e,8,1",  "115200,n,8,1", "115200,e,8,1",
    "230400,n,8,1", "230400,e,8,1", "460800,n,8,1", "460800,e,8,1", "921600,n,8,1", "921600,e,8,1",
};

QStringList pagesOf(const QTabWidget *pages)
{
    QStringList names;
    for (int i = 0; i < pages->count(); ++i)
        names.append(pages->widget(i)->objectName());
    return names;
}

} // namespace

class FormTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowHarness> h;

    template<typename T>
    T *control(const QByteArray &name)
    {
        T *found = h->window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qWarning("%s is missing or not of the expected kind", name.constData());
        return found;
    }

private slots:
    void init()
    {
        h = std::make_unique<WindowHarness>();
        h->window->show();
        QVERIFY(QTest::qWaitForWindowExposed(h->window.get()));
    }

    void cleanup() { h.reset(); }

    void shouldBeTheFixedWindowNamedFrmModule()
    {
        QCOMPARE(h->window->objectName(), QStringLiteral("frmModule"));
        QCOMPARE(h->window->centralWidget()->size(), QSize(680, 627));
        QCOMPARE(h->window->minimumSize(), h->window->maximumSize());
        QVERIFY(!h->window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(h->window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    }

    void shouldHaveButtonsWithTheirCaptions_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("caption");
        const QList<QPair<const char *, const char *>> rows = {
            { "btnConnect", "Connect device" },   { "btn19200", "19200" },
            { "btn115200", "115200" },            { "btn5001", "5001" },
            { "btn5003", "5003" },                { "btnAuto", "Auto test" },
            { "btnLanguage", "Set language(ZO425)" }, { "btnSel19200", "19200,e,8,1" },
            { "btnSel115200", "115200,n,8,1" },   { "btnSetBaud", "Set baudrate" },
            { "btnSetMaster", "Set master" },     { "btnSetID", "Set ID" },
            { "btnSetTitle", "Set title(ZO425)" }, { "btnSetShow", "Set show status(ZO425)" },
            { "btnReboot", "Set reboot" },        { "btnInitial", "Set factory" },
            { "btnCardByte", "Set card bits" },   { "btnDateType", "Set date type" },
            { "btnDoorLog", "Set door LOG" },     { "btnDoorTimeout", "Set door timeout" },
            { "btnSameCard", "Set same card delay" }, { "btnHourType", "Set hour type" },
            { "btnDoorForce", "Set door force" }, { "btnDoorTimeoutTime", "Set timeout time" },
            { "btnCardType", "Set card type" },   { "btnSetExtReader", "Set ext reader" },
            { "btnDI_3_4Mode", "Set DI mode" },   { "btnSetReaderType", "Set reader type" },
            { "btnGetParameter", "Get parameter" }, { "btnReboot2", "Set reboot" },
            { "btnCardByte120", "Set card bits" }, { "btnCommand", "Command test" },
        };
        for (const auto &[name, caption] : rows)
            QTest::newRow(name) << QByteArray(name) << QString::fromLatin1(caption);
    }

    void shouldHaveButtonsWithTheirCaptions()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, caption);
        auto *button = control<QPushButton>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
    }

    void shouldMakeConnectTheDefaultButton()
    {
        QVERIFY(control<QPushButton>("btnConnect")->isDefault());
    }

    void shouldHaveEditFieldsWithTheirLimitsAndContents_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("maxLength"); // 0: no limit of the tool's own
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readOnly");
        const QList<std::tuple<const char *, int, const char *, bool>> rows = {
            { "edIP", 15, "192.168.1.101", false },
            { "edPort", 0, "5003", false },
            { "edScanId", 3, "000", false },
            { "edMasterPIN1", 4, "7629", false },
            { "edMasterPIN2", 4, "7629", false },
            { "edMasterPIN3", 4, "7629", false },
            { "edMasterUID1", 8, "45515398", false },
            { "edMasterUID2", 8, "45515398", false },
            { "edMasterUID3", 8, "45515398", false },
            { "edSetID", 3, "001", false },
            { "edTitle1", 32, "ZOVUR CORP.", false },
            { "edTitle2", 32, "RD OFFICE", false },
            { "edSameCard", 3, "10", false },
            { "edDoorTimeout", 3, "20", false },
            { "edCommandSend", 0, "AB", false },
            { "edCommandRecv", 0, "", true },
        };
        for (const auto &[name, maxLength, text, readOnly] : rows)
            QTest::newRow(name) << QByteArray(name) << maxLength << QString::fromLatin1(text) << readOnly;
    }

    void shouldHaveEditFieldsWithTheirLimitsAndContents()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, maxLength);
        QFETCH(QString, text);
        QFETCH(bool, readOnly);
        auto *field = control<QLineEdit>(name);
        QVERIFY(field);
        if (maxLength > 0)
            QCOMPARE(field->maxLength(), maxLength);
        QCOMPARE(field->text(), text);
        QCOMPARE(field->isReadOnly(), readOnly);
    }

    void shouldShowTheReplyFieldOnSkyBlue()
    {
        const QColor base = control<QLineEdit>("edCommandRecv")->palette().color(QPalette::Base);
        QVERIFY2(base.blue() > 200 && base.green() > 180 && base.red() < 180, qPrintable(base.name()));
    }

    void shouldHaveDropDownsWithTheirItemsAndSelection_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("selected");
        const QStringList disableEnable = { "Disable", "Enable" };
        const QStringList cardBits = { "24 bits (26 bits)", "32 bits (34 bits)" };
        QTest::newRow("cmbBaudrate") << QByteArray("cmbBaudrate") << true << lineSettings << "19200,e,8,1";
        QTest::newRow("cmdLanguage") << QByteArray("cmdLanguage") << false
                                     << QStringList { "English", "Chinese Traditional", "Chinese Simplified" }
                                     << "English";
        QTest::newRow("cmbEncode") << QByteArray("cmbEncode") << false
                                   << QStringList { "UNICODE", "ASCII + BIG5", "ASCII + GB2312" } << "ASCII + GB2312";
        QTest::newRow("cmbSelBaud") << QByteArray("cmbSelBaud") << false << lineSettings << "19200,e,8,1";
        QTest::newRow("cmbTitle") << QByteArray("cmbTitle") << false << QStringList { "None", "One", "Two" } << "One";
        QTest::newRow("cmbCardShow") << QByteArray("cmbCardShow") << false
                                     << QStringList { "None", "Card No", "Card UID", "Card Text" } << "Card UID";
        QTest::newRow("cmbCardByte") << QByteArray("cmbCardByte") << false << cardBits << cardBits.first();
        QTest::newRow("cmbDateType") << QByteArray("cmbDateType") << false
                                     << QStringList { "YYYY/MM/DD", "DD/MM/YYYY", "MM/DD/YYYY" } << "YYYY/MM/DD";
        QTest::newRow("cmbDoorLog") << QByteArray("cmbDoorLog") << false << disableEnable << "Enable";
        QTest::newRow("cmbDoorTimeout") << QByteArray("cmbDoorTimeout") << false << disableEnable << "Disable";
        QTest::newRow("cmbHourType") << QByteArray("cmbHourType") << false << QStringList { "24H", "12H" } << "24H";
        QTest::newRow("cmbDoorForce") << QByteArray("cmbDoorForce") << false << disableEnable << "Disable";
        QTest::newRow("cmbCardType") << QByteArray("cmbCardType") << false
                                     << QStringList { "1:Stand", "2:Type #1", "3:Type #2" } << "1:Stand";
        QTest::newRow("cmbExtReader") << QByteArray("cmbExtReader") << false << QStringList { "Exit", "Entry" }
                                      << "Exit";
        QTest::newRow("cmbDI_3_4Mode") << QByteArray("cmbDI_3_4Mode") << false
                                       << QStringList { "DI input", "Weigand input" } << "DI input";
        QTest::newRow("cmbReaderType") << QByteArray("cmbReaderType") << false << QStringList { "Keypad", "Stand" }
                                       << "Keypad";
        QTest::newRow("cmbCardByte120") << QByteArray("cmbCardByte120") << false << cardBits << cardBits.first();
    }

    void shouldHaveDropDownsWithTheirItemsAndSelection()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, editable);
        QFETCH(QStringList, items);
        QFETCH(QString, selected);
        auto *box = control<QComboBox>(name);
        QVERIFY(box);
        QCOMPARE(box->isEditable(), editable);
        QCOMPARE(itemsOf(box), items);
        QCOMPARE(box->currentText(), selected);
    }

    void shouldOfferThePortsPresentInAnEditablePortBox()
    {
        auto *box = control<QComboBox>("cmbPort");
        QVERIFY(box);
        QVERIFY(box->isEditable());
        QCOMPARE(itemsOf(box), SerialPortList::names());
        QCOMPARE(box->currentText(), QStringLiteral("COM1"));
    }

    void shouldHaveCheckBoxesWithTheirCaptionsAndStates_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("checked");
        for (int i = 1; i <= 4; ++i)
            QTest::addRow("chkDO%d", i) << QByteArray("chkDO" + QByteArray::number(i)) << QStringLiteral("DO%1").arg(i)
                                        << false;
        QTest::newRow("chkUseStatus") << QByteArray("chkUseStatus") << "Use status" << true;
        QTest::newRow("chkShowStatus") << QByteArray("chkShowStatus") << "Show status" << true;
        QTest::newRow("chkNet") << QByteArray("chkNet") << "NET" << false;
    }

    void shouldHaveCheckBoxesWithTheirCaptionsAndStates()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        auto *box = control<QCheckBox>(name);
        QVERIFY(box);
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->isChecked(), checked);
    }

    void shouldHaveLabelsAndPanelsWithTheirTexts_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char *, const char *>> rows = {
            { "pnMsg", "Start connect device" },
            { "pnVER", "" },
            { "pnSN", "" },
            { "lblPort", "Port:" },
            { "lblSpeed", "Speed:" },
            { "lblIP", "IP:" },
            { "lblNetPort", "Port:" },
            { "Label1", "ID:" },
            { "lblDI1", "DI1" },
            { "lblDI2", "DI2" },
            { "lblDI3", "DI3" },
            { "lblDI4", "DI4" },
            { "lblDI5", "DI7" },
            { "lblDI6", "DI8" },
            { "pnAuto", "" },
            { "lblSameCard", "* 0.1 Sec" },
            { "lblDoorTimeout", "Sec" },
            { "pnReboot", "Please re-boot after parameter modification" },
            { "lblCommandSend", "Send command:" },
            { "lblCommandRecv", "Receive data:" },
        };
        for (const auto &[name, text] : rows)
            QTest::newRow(name) << QByteArray(name) << QString::fromLatin1(text);
    }

    void shouldHaveLabelsAndPanelsWithTheirTexts()
    {
        QFETCH(QByteArray, name);
        QFETCH(QString, text);
        auto *label = control<QLabel>(name);
        QVERIFY(label);
        QCOMPARE(label->text(), text);
        QVERIFY(!label->isHidden());
    }

    void shouldHaveScrollBarsWithTheirRanges_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("pageStep");
        QTest::addColumn<int>("position");
        QTest::newRow("sbScanId") << QByteArray("sbScanId") << 0 << 999 << 10 << 1;
        QTest::newRow("sbSetID") << QByteArray("sbSetID") << 1 << 999 << 10 << 1;
    }

    void shouldHaveScrollBarsWithTheirRanges()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, pageStep);
        QFETCH(int, position);
        auto *bar = control<QScrollBar>(name);
        QVERIFY(bar);
        QCOMPARE(bar->minimum(), minimum);
        QCOMPARE(bar->maximum(), maximum);
        QCOMPARE(bar->pageStep(), pageStep);
        QCOMPARE(bar->value(), position);
    }

    void shouldHaveLampsInTheirStartColours_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QColor>("color");
        QTest::newRow("shComm") << QByteArray("shComm") << QColor(Qt::red);
        for (int i = 1; i <= 6; ++i)
            QTest::addRow("shDI%d", i) << QByteArray("shDI" + QByteArray::number(i)) << QColor(Qt::white);
    }

    void shouldHaveLampsInTheirStartColours()
    {
        QFETCH(QByteArray, name);
        QFETCH(QColor, color);
        auto *lamp = control<Lamp>(name);
        QVERIFY(lamp);
        QCOMPARE(lamp->color(), color);
    }

    void shouldKeepTheCommunicationLampInsideTheBanner()
    {
        auto *lamp = control<Lamp>("shComm");
        QVERIFY(lamp);
        QCOMPARE(lamp->parentWidget(), control<QLabel>("pnMsg"));
    }

    void shouldHaveThePagesInOrder_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("pages");
        QTest::addColumn<QString>("captionOfFirst");
        QTest::newRow("pcPort") << QByteArray("pcPort") << QStringList { "tsCom", "tsNet" } << "COM";
        QTest::newRow("pcMain") << QByteArray("pcMain") << QStringList { "tsFactory", "tsSet", "tsSet120", "tsCommand" }
                                << "Function test";
    }

    void shouldHaveThePagesInOrder()
    {
        QFETCH(QByteArray, name);
        QFETCH(QStringList, pages);
        QFETCH(QString, captionOfFirst);
        auto *tabs = control<QTabWidget>(name);
        QVERIFY(tabs);
        QCOMPARE(pagesOf(tabs), pages);
        QCOMPARE(tabs->tabText(0), captionOfFirst);
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void shouldStartWithTheWorkAreaDisabled()
    {
        QVERIFY(!control<QTabWidget>("pcMain")->isEnabled());
        QVERIFY(control<QPushButton>("btnConnect")->isEnabled());
        QVERIFY(control<QTabWidget>("pcPort")->isEnabled());
    }

    void shouldGroupTheCommandTest()
    {
        auto *group = control<QGroupBox>("gbController");
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("Controller command test"));
        for (const char *inside :
             { "lblCommandSend", "edCommandSend", "lblCommandRecv", "edCommandRecv", "btnCommand" })
            QVERIFY2(group->isAncestorOf(control<QWidget>(inside)), inside);
    }

    void shouldHaveTheBusyTimerOff()
    {
        auto *timer = control<QTimer>("tmrBusy");
        QVERIFY(timer);
        QCOMPARE(timer->interval(), 200);
        QVERIFY(!timer->isActive());
    }

    void shouldHaveTheMenusWithTheirEntries()
    {
        auto *file = control<QMenu>("mnuFile");
        auto *language = control<QMenu>("mnuLanguage");
        auto *tools = control<QMenu>("mnuTools");
        QVERIFY(file && language && tools);
        QCOMPARE(file->title(), QStringLiteral("&File"));
        QCOMPARE(language->title(), QStringLiteral("&Language"));
        QCOMPARE(tools->title(), QStringLiteral("&Tools"));
        QCOMPARE(h->window->menuBar()->actions(),
                 (QList<QAction *> { file->menuAction(), language->menuAction(), tools->menuAction() }));

        // The tools after the written menus: windows of their own, then the profiles.
        QStringList toolEntries;
        for (const QAction *entry : tools->actions())
            toolEntries << (entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
        QCOMPARE(toolEntries, (QStringList { "mnuMonitor", "mnuJig", "mnuRecords", "mnuBusScan", "mnuSite", "-", "mnuProfileSave",
                                             "mnuProfileLoad", "mnuProfileCompare", "mnuProfileApply" }));

        auto *exit = control<QAction>("mnuExit");
        QVERIFY(exit);
        QCOMPARE(file->actions(), QList<QAction *> { exit });
        QCOMPARE(exit->text(), QStringLiteral("E&xit"));

        const QList<QAction *> entries = language->actions();
        QCOMPARE(entries.size(), 3);
        const QStringList names = { "mnuEnglish", "mnuSimplified", "mnuTraditional" };
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(entries[i]->objectName(), names[i]);
            QVERIFY(entries[i]->isCheckable());
            QCOMPARE(entries[i]->isChecked(), i == 0);
            QCOMPARE(entries[i]->text(), TextTable::text(TextTable::LanguageEntries, i));
        }
    }
};

QTEST_MAIN(FormTest)
#include "formtest.moc"
