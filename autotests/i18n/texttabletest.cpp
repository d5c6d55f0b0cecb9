#include "i18n/texttable.h"

#include <QTest>

#include <climits>

class TextTableTest : public QObject
{
    Q_OBJECT

private slots:
    void shouldHoldEveryMessageInEveryLanguage()
    {
        for (int id = 0; id < TextTable::MessageCount; ++id)
            for (int column = 0; column < TextTable::ColumnCount; ++column)
                QVERIFY2(!TextTable::text(id, column).isEmpty(),
                         qPrintable(QStringLiteral("message %1 column %2").arg(id).arg(column)));
    }

    void shouldGiveTheTextsAsWritten_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("title English") << 0 << 0 << QStringLiteral("ZU42vIZ-O5 Test Tools V0563");
        QTest::newRow("title Simplified") << 0 << 1 << QStringLiteral("ZU42vIZ-O5 控制器测试工具 V0563");
        QTest::newRow("title Traditional") << 0 << 2 << QStringLiteral("ZU42vIZ-O5 控制器測試工具 V0563");
        QTest::newRow("start banner Traditional") << 2 << 2 << QStringLiteral("連線裝置");
        QTest::newRow("language menu Simplified") << 5 << 1 << QStringLiteral("语言(&Language)");
        QTest::newRow("exit Traditional") << 8 << 2 << QStringLiteral("離開(&x)");
        QTest::newRow("connecting English") << 17 << 0 << QStringLiteral("Connecting device ...");
        QTest::newRow("connect error Simplified") << 18 << 1 << QStringLiteral("连线装置错误!");
        QTest::newRow("command ok Traditional") << 20 << 2 << QStringLiteral("指令完成.");
        QTest::newRow("reboot warning English") << 38 << 0
                                                << QStringLiteral("Please re-boot after parameter modification");
        QTest::newRow("set language Simplified") << 40 << 1 << QStringLiteral("设定语言(ZO425)");
        QTest::newRow("set tab Traditional") << 48 << 2 << QStringLiteral("設定(ZO425)");
        QTest::newRow("unshown misspelling kept") << 60 << 0 << QStringLiteral("Factory sucess.");
        QTest::newRow("receive label Traditional") << 67 << 2 << QStringLiteral("接收資料:");
        QTest::newRow("invalid value English") << 68 << 0 << QStringLiteral("Invalid value!");
        QTest::newRow("invalid value Simplified") << 68 << 1 << QStringLiteral("数值错误!");
        QTest::newRow("invalid value Traditional") << 68 << 2 << QStringLiteral("數值錯誤!");
        QTest::newRow("command too long English") << 69 << 0 << QStringLiteral("Command too long!");
        QTest::newRow("command too long Simplified") << 69 << 1 << QStringLiteral("指令过长!");
        QTest::newRow("command too long Traditional") << 69 << 2 << QStringLiteral("指令過長!");
    }

    void shouldGiveTheTextsAsWritten()
    {
        QFETCH(int, id);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(TextTable::text(id, column), text);
    }

    void shouldOfferEachLanguageUnderItsOwnName()
    {
        QCOMPARE(TextTable::text(TextTable::LanguageEntries, TextTable::English), QStringLiteral("&English"));
        QCOMPARE(TextTable::text(TextTable::LanguageEntries, TextTable::SimplifiedChinese),
                 QStringLiteral("&Simplified chinese(简体)"));
        QCOMPARE(TextTable::text(TextTable::LanguageEntries, TextTable::TraditionalChinese),
                 QStringLiteral("&Traditional chinese(繁體)"));
    }

    // Each named id must point at the message whose English text the caption or banner shows.
    void shouldNameTheRightMessages_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("english");
        const auto row = [](const char *name, int id, const char *english) {
            QTest::newRow(name) << id << QString::fromUtf8(english);
        };
        row("StartConnectDevice", TextTable::StartConnectDevice, "Start connect device");
        row("LanguageMenu", TextTable::LanguageMenu, "&Language");
        row("ExitMenuEntry", TextTable::ExitMenuEntry, "E&xit");
        row("ComTab", TextTable::ComTab, "COM");
        row("PortLabel", TextTable::PortLabel, "Port:");
        row("ConnectDeviceButton", TextTable::ConnectDeviceButton, "Connect device");
        row("CommandError", TextTable::CommandError, "Command error!");
        row("FunctionTestTab", TextTable::FunctionTestTab, "Function test");
        row("CommandTestTab", TextTable::CommandTestTab, "Command test");
        row("SetCardBitsButton", TextTable::SetCardBitsButton, "Set card bits");
        row("SetDoorLogButton", TextTable::SetDoorLogButton, "Set door LOG");
        row("SetTimeoutTimeButton", TextTable::SetTimeoutTimeButton, "Set timeout time");
        row("GetParameterButton", TextTable::GetParameterButton, "Get parameter");
        row("SetDiModeButton", TextTable::SetDiModeButton, "Set DI mode");
        row("SetBaudrate", TextTable::SetBaudrate, "Set baudrate");
        row("SetShowStatus", TextTable::SetShowStatus, "Set show status(ZO425)");
        row("SetBanner", TextTable::SetBanner, "Set");
        row("SetRo420Tab", TextTable::SetRo420Tab, "Set(RO420)");
        row("GetBanner", TextTable::GetBanner, "Get");
        row("AutoTestButton", TextTable::AutoTestButton, "Auto test");
        row("CancelAutoTestButton", TextTable::CancelAutoTestButton, "Cancel auto test");
        row("DidoTestBanner", TextTable::DidoTestBanner, "DIDO test");
        row("SetDateTimeBanner", TextTable::SetDateTimeBanner, "Set date and time");
        row("ControllerCommandTestGroup", TextTable::ControllerCommandTestGroup, "Controller command test");
        row("ReceiveDataLabel", TextTable::ReceiveDataLabel, "Receive data:");
        row("PortMakerTip", TextTable::PortMakerTip, "Maker:");
        row("PortSerialNumberTip", TextTable::PortSerialNumberTip, "Serial number:");
        row("PortDeviceTip", TextTable::PortDeviceTip, "Device:");
    }

    void shouldNameTheRightMessages()
    {
        QFETCH(int, id);
        QFETCH(QString, english);
        QCOMPARE(TextTable::text(id, TextTable::English), english);
    }

    // Buttons and the banners of their commands share a wording but are separate entries.
    void shouldKeepButtonAndBannerEntriesApart_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("banner");
        QTest::newRow("reboot") << TextTable::SetRebootButton << TextTable::SetRebootBanner;
        QTest::newRow("factory") << TextTable::SetFactoryButton << TextTable::SetFactoryBanner;
        QTest::newRow("command test") << TextTable::CommandTestButton << TextTable::CommandTestTab;
    }

    void shouldKeepButtonAndBannerEntriesApart()
    {
        QFETCH(int, button);
        QFETCH(int, banner);
        QVERIFY(button != banner);
        for (int column = 0; column < TextTable::ColumnCount; ++column)
            QCOMPARE(TextTable::text(button, column), TextTable::text(banner, column));
    }

    // The Chinese texts use the ASCII signs, never their full-width forms.
    void shouldKeepAsciiPunctuationInChineseTexts()
    {
        const QString fullWidth = QStringLiteral("！：．（）。");
        for (int id = 0; id < TextTable::MessageCount; ++id)
            for (int column = 1; column < TextTable::ColumnCount; ++column)
                for (const QChar c : fullWidth)
                    QVERIFY2(!TextTable::text(id, column).contains(c),
                             qPrintable(QStringLiteral("message %1 column %2").arg(id).arg(column)));
    }

    void shouldGiveEmptyTextOutsideTheTable_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("column");
        QTest::newRow("negative id") << -1 << 0;
        QTest::newRow("id past the end") << TextTable::MessageCount << 0;
        QTest::newRow("negative column") << 0 << -1;
        QTest::newRow("column past the end") << 0 << TextTable::ColumnCount;
        QTest::newRow("extremes") << INT_MIN << INT_MAX;
    }

    void shouldGiveEmptyTextOutsideTheTable()
    {
        QFETCH(int, id);
        QFETCH(int, column);
        QVERIFY(TextTable::text(id, column).isNull());
    }

    // The jig test window's messages, by their ids, in the three languages: a renumbering that
    // shifts them shows here. The placeholders must survive in every language.
    void shouldNameTheJigWindowsMessages_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("texts");
        const auto row = [](const char *name, int id, const char *en, const char *sc, const char *tc) {
            QTest::newRow(name) << id << QStringList { QString::fromUtf8(en), QString::fromUtf8(sc), QString::fromUtf8(tc) };
        };
        row("JigTestEntry", TextTable::JigTestEntry, "&Jig test", "治具测试(&J)", "治具測試(&J)");
        row("JigWindowTitle", TextTable::JigWindowTitle, "Jig test", "治具测试", "治具測試");
        row("JigStationLabel", TextTable::JigStationLabel, "Station:", "工站:", "工站:");
        row("JigOperatorLabel", TextTable::JigOperatorLabel, "Operator:", "作业员:", "作業員:");
        row("JigMapLabel", TextTable::JigMapLabel, "Jig map:", "治具接线表:", "治具接線表:");
        row("JigStoreLabel", TextTable::JigStoreLabel, "Record store:", "记录数据库:", "記錄資料庫:");
        row("JigStartButton", TextTable::JigStartButton, "START", "开始测试", "開始測試");
        row("JigPass", TextTable::JigPass, "PASS", "合格", "合格");
        row("JigFail", TextTable::JigFail, "FAIL", "不合格", "不合格");
        row("JigNotTested", TextTable::JigNotTested, "NOT TESTED", "未测试", "未測試");
        row("JigFailedStep", TextTable::JigFailedStep, "%1: measured %2, expected %3", "%1: 实测 %2, 应为 %3", "%1: 實測 %2, 應為 %3");
        row("JigStepOutputAlone", TextTable::JigStepOutputAlone, "%1 alone", "单独开启 %1", "單獨開啟 %1");
        row("JigStepEnd", TextTable::JigStepEnd, "End", "结束测试", "結束測試");
        row("JigYieldLabel", TextTable::JigYieldLabel, "First-pass yield:", "直通率:", "直通率:");
        row("JigWaitingText", TextTable::JigWaitingText, "Records waiting on this PC: %1", "本机待上传记录: %1 笔", "本機待上傳記錄: %1 筆");
        row("JigPendingNote", TextTable::JigPendingNote,
            "Record store not reached: the record waits on this PC and is sent later. Go on testing.",
            "无法连接记录数据库: 记录暂存本机, 稍后自动上传. 可继续测试.", "無法連線記錄資料庫: 記錄暫存本機, 稍後自動上傳. 可繼續測試.");
        row("JigBusy", TextTable::JigBusy, "The main window is busy with another operation.", "主窗口正在执行其他操作.", "主視窗正在執行其他操作.");
        row("JigExported", TextTable::JigExported, "Exported %1 units to %2", "已导出 %1 笔记录至 %2", "已匯出 %1 筆記錄至 %2");
        row("JigExportFailed", TextTable::JigExportFailed, "Export failed:", "导出失败:", "匯出失敗:");
    }

    void shouldNameTheJigWindowsMessages()
    {
        QFETCH(int, id);
        QFETCH(QStringList, texts);
        for (int column = 0; column < TextTable::ColumnCount; ++column)
            QCOMPARE(TextTable::text(id, column), texts[column]);
    }
};

QTEST_APPLESS_MAIN(TextTableTest)
#include "texttabletest.moc"
