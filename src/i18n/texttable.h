#pragma once

#include "i18n/language.h"

#include <QString>

// Every language-dependent text of the window: one message per id, held in three columns
// (0 English, 1 Simplified Chinese, 2 Traditional Chinese). The table is constant data, so
// it exists before the window and outlives it without any set-up.
class TextTable
{
public:
    static constexpr int MessageCount = 121;
    static constexpr int ColumnCount = Language::Count;

    // Columns, which are also the values of the window's language index.
    static constexpr int English = Language::English;
    static constexpr int SimplifiedChinese = Language::SimplifiedChinese;
    static constexpr int TraditionalChinese = Language::TraditionalChinese;

    // Ids of the messages some caption or banner shows. The ids not named here are kept in
    // the table so that the numbering matches the one the operators' documents use.
    static constexpr int WindowTitle = 0;
    static constexpr int StartConnectDevice = 2;      // banner after a language is applied
    static constexpr int LanguageMenu = 5;
    static constexpr int FileMenu = 6;
    static constexpr int ExitMenuEntry = 8;
    static constexpr int LanguageEntries = 9;         // read by column, never by language
    static constexpr int ComTab = 10;
    static constexpr int NetTab = 11;
    static constexpr int SpeedLabel = 12;
    static constexpr int PortLabel = 13;
    static constexpr int ConnectDeviceButton = 16;
    static constexpr int ConnectingDevice = 17;
    static constexpr int ConnectDeviceError = 18;
    static constexpr int CommandOk = 20;
    static constexpr int CommandError = 21;
    static constexpr int FunctionTestTab = 22;
    static constexpr int CommandTestTab = 24;
    static constexpr int SetCardTypeButton = 26;
    static constexpr int SetCardBitsButton = 27;
    static constexpr int SetSameCardDelayButton = 28;
    static constexpr int SetDateTypeButton = 29;
    static constexpr int SetHourTypeButton = 30;
    static constexpr int SetExtReaderButton = 31;
    static constexpr int SetReaderTypeButton = 32;
    static constexpr int SetDoorLogButton = 33;
    static constexpr int SetDoorForceButton = 34;
    static constexpr int SetDoorTimeoutButton = 35;
    static constexpr int SetTimeoutTimeButton = 36;
    static constexpr int GetParameterButton = 37;
    static constexpr int RebootAfterChangeWarning = 38;
    static constexpr int SetDiModeButton = 39;
    static constexpr int SetLanguage = 40;            // button and banner
    static constexpr int SetBaudrate = 41;            // button and banner
    static constexpr int SetMaster = 42;              // button and banner
    static constexpr int SetId = 43;                  // button and banner
    static constexpr int SetTitle = 44;               // button and banner
    static constexpr int SetShowStatus = 45;          // button and banner
    static constexpr int SetBanner = 46;
    static constexpr int SetRo420Tab = 47;
    static constexpr int SetZo425Tab = 48;
    static constexpr int GetBanner = 49;
    static constexpr int ShowStatusCheck = 50;
    static constexpr int UseStatusCheck = 51;
    static constexpr int TitleCaption = 52;
    static constexpr int AutoTestButton = 53;
    static constexpr int CancelAutoTestButton = 54;
    static constexpr int DidoTestBanner = 55;
    static constexpr int SetRebootButton = 56;
    static constexpr int SetFactoryButton = 57;
    static constexpr int SetFactoryBanner = 58;
    static constexpr int SetRebootBanner = 59;
    static constexpr int SetDateTimeBanner = 62;
    static constexpr int ControllerCommandTestGroup = 64;
    static constexpr int CommandTestButton = 65;
    static constexpr int SendCommandLabel = 66;
    static constexpr int ReceiveDataLabel = 67;
    static constexpr int InvalidValue = 68;           // banner when an operator value is refused
    static constexpr int CommandTooLong = 69;         // banner when a free command cannot fit a frame
    // The tools menu: windows and procedures beyond the main window's own.
    static constexpr int ToolsMenu = 70;
    static constexpr int TrafficMonitorEntry = 71;
    static constexpr int JigTestEntry = 72;
    static constexpr int BusScanEntry = 73;
    static constexpr int SaveProfileEntry = 74;
    static constexpr int LoadProfileEntry = 75;
    static constexpr int CompareProfileEntry = 76;
    static constexpr int ApplyProfileEntry = 77;
    // The tool tip of a port in the port list, under the adapter's own description.
    static constexpr int PortMakerTip = 78;
    static constexpr int PortSerialNumberTip = 79;
    static constexpr int PortDeviceTip = 80;
    // The traffic monitor window.
    static constexpr int MonitorTitle = 81;                  // the monitor window's title
    static constexpr int MonitorNumberHeader = 82;
    static constexpr int MonitorTimeHeader = 83;
    static constexpr int MonitorLinkHeader = 84;
    static constexpr int MonitorCommandHeader = 85;
    static constexpr int MonitorReplyHeader = 86;
    static constexpr int MonitorRoundTripHeader = 87;
    static constexpr int MonitorVerdictHeader = 88;
    static constexpr int MonitorDetailHeader = 89;
    static constexpr int VerdictAnswered = 90;               // the verdict column, in the order of TrafficRow::Outcome
    static constexpr int VerdictNoReply = 91;
    static constexpr int VerdictBadCheckDigits = 92;
    static constexpr int VerdictCutOff = 93;
    static constexpr int VerdictHungUp = 94;
    static constexpr int VerdictRefused = 95;
    static constexpr int VerdictLinkFailed = 96;
    static constexpr int VerdictLinkOpened = 97;
    static constexpr int VerdictLinkClosed = 98;
    static constexpr int MonitorShowAll = 99;                // entries of the verdict filter besides the verdicts
    static constexpr int MonitorShowProblems = 100;
    static constexpr int MonitorShowLinkEvents = 101;
    static constexpr int MonitorShowLabel = 102;
    static constexpr int MonitorCommandLabel = 103;
    static constexpr int MonitorCommandHint = 104;
    static constexpr int MonitorHexCheck = 105;
    static constexpr int MonitorPauseButton = 106;
    static constexpr int MonitorResumeButton = 107;
    static constexpr int MonitorClearButton = 108;
    static constexpr int MonitorCopyButton = 109;
    static constexpr int MonitorSaveCsvButton = 110;
    static constexpr int MonitorSaveTextButton = 111;
    static constexpr int MonitorLogFileCheck = 112;
    static constexpr int MonitorLogFilePath = 113;           // %1: the file
    static constexpr int MonitorLogFileError = 114;          // %1: the file and why
    static constexpr int MonitorRowsLabel = 115;
    static constexpr int MonitorSaved = 116;                 // %1: the file
    static constexpr int MonitorSaveError = 117;             // %1: the file and why
    static constexpr int MonitorPaused = 118;                // %1: how many
    static constexpr int MonitorCsvFiles = 119;
    static constexpr int MonitorTextFiles = 120;

    // The text of message id in the given column; an empty text for an id or column outside
    // the table.
    static QString text(int id, int column);
};
