#pragma once

#include "i18n/language.h"

#include <QString>

// Every language-dependent text of the window: one message per id, held in three columns
// (0 English, 1 Simplified Chinese, 2 Traditional Chinese). The table is constant data, so
// it exists before the window and outlives it without any set-up.
class TextTable
{
public:
    static constexpr int MessageCount = 341;
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
    // The jig test window (frmJig).
    static constexpr int JigWindowTitle = 121;         // the production window's caption
    static constexpr int JigStationLabel = 122;
    static constexpr int JigOperatorLabel = 123;
    static constexpr int JigMapLabel = 124;
    static constexpr int JigMapBrowseButton = 125;
    static constexpr int JigMapDefault = 126;          // placeholder of an empty map field
    static constexpr int JigStoreLabel = 127;
    static constexpr int JigStoreDefault = 128;        // placeholder of an empty store field
    static constexpr int JigStartButton = 129;
    static constexpr int JigReady = 130;               // verdict panel before the first unit
    static constexpr int JigTesting = 131;
    static constexpr int JigPass = 132;                // verdict, and a passed step
    static constexpr int JigFail = 133;                // verdict, and a failed step
    static constexpr int JigNotTested = 134;           // verdict when no unit could be tested
    static constexpr int JigFailedStep = 135;          // %1 step, %2 measured, %3 expected
    static constexpr int JigStepColumn = 136;
    static constexpr int JigExpectedColumn = 137;
    static constexpr int JigMeasuredColumn = 138;
    static constexpr int JigResultColumn = 139;
    static constexpr int JigStepIdentify = 140;        // the steps by name
    static constexpr int JigStepSetClock = 141;
    static constexpr int JigStepClockKept = 142;
    static constexpr int JigStepOutputAlone = 143;    // %1 the output
    static constexpr int JigStepAllOff = 144;
    static constexpr int JigStepEnd = 145;
    static constexpr int JigTodayGroup = 146;
    static constexpr int JigUnitsLabel = 147;
    static constexpr int JigPassedLabel = 148;
    static constexpr int JigFailedLabel = 149;
    static constexpr int JigYieldLabel = 150;
    static constexpr int JigRecordsGroup = 151;
    static constexpr int JigWaitingText = 152;        // %1 records
    static constexpr int JigStoredNote = 153;
    static constexpr int JigPendingNote = 154;
    static constexpr int JigNotKeptNote = 155;
    static constexpr int JigNoUnitNote = 156;
    static constexpr int JigNoStation = 157;
    static constexpr int JigNoOperator = 158;
    static constexpr int JigMapDamaged = 159;         // followed by the reason
    static constexpr int JigStoreInvalid = 160;       // followed by the reason
    static constexpr int JigBusy = 161;
    static constexpr int JigCountersUnread = 162;
    static constexpr int JigExportFromLabel = 163;
    static constexpr int JigExportToLabel = 164;
    static constexpr int JigExportCsvButton = 165;
    static constexpr int JigExportJsonButton = 166;
    static constexpr int JigExported = 167;           // %1 units, %2 where
    static constexpr int JigExportFailed = 168;       // followed by the reason
    static constexpr int JigNotRun = 169;             // a step after the run stopped
    // The bus scan window.
    static constexpr int BusScanTitle = 170;
    static constexpr int ScanFromLabel = 171;
    static constexpr int ScanToLabel = 172;
    static constexpr int ScanButton = 173;
    static constexpr int CancelButton = 174;
    static constexpr int IdColumn = 175;
    static constexpr int ModelColumn = 176;
    static constexpr int SerialNumberColumn = 177;
    static constexpr int VersionColumn = 178;
    static constexpr int ScanningId = 179;             // %1: the ID
    static constexpr int ScanAnswered = 180;           // %1 answered of %2 scanned
    static constexpr int ScanCancelled = 181;          // %1: IDs scanned
    static constexpr int ScanHint = 182;
    // Profiles: file dialogs, the report window, the apply question, banners.
    static constexpr int ProfileFilesFilter = 183;
    static constexpr int ProfileReportTitle = 184;
    static constexpr int ValueColumn = 185;
    static constexpr int ControllerColumn = 186;
    static constexpr int ProfileColumn = 187;
    static constexpr int ResultColumn = 188;
    static constexpr int StateDiffers = 189;
    static constexpr int StateUnknown = 190;
    static constexpr int StateWritten = 191;
    static constexpr int StateNotTaken = 192;
    static constexpr int StateUnverified = 193;
    static constexpr int StateNotWritten = 194;
    static constexpr int CompareSummary = 195;        // %1 differ of %2
    static constexpr int ApplySummary = 196;          // %1 written, %2 did not take
    static constexpr int ApplyRestarted = 197;
    static constexpr int ApplyQuestion = 198;
    static constexpr int ApplyDifferencesButton = 199;
    static constexpr int ApplyEverythingButton = 200;
    static constexpr int ProfileRefused = 201;        // banner
    static constexpr int ProfileLoaded = 202;         // banner
    static constexpr int ProfileSaved = 203;          // banner
    static constexpr int CloseButton = 204;
    static constexpr int ConnectFirst = 205;          // banner: a profile needs a connected controller
    static constexpr int NothingToWrite = 206;
    // The jig test's own texts in the jig window: the built-in map's name, and what a step
    // expects and measures (the records keep them in English).
    static constexpr int JigBuiltInMapName = 207;
    static constexpr int JigAnsweringId = 208;        // %1 the ID
    static constexpr int JigAnswered = 209;
    static constexpr int JigAnsweredAt = 210;         // %1 the time set
    static constexpr int JigWithinSeconds = 211;      // %1 seconds
    static constexpr int JigNoInputs = 212;
    static constexpr int JigUnitIdentity = 213;       // %1 model, %2 serial number, %3 ID
    static constexpr int JigNotIdentified = 214;
    static constexpr int JigNoValidClock = 215;
    static constexpr int JigClockOffset = 216;        // %1 the clock, %2 signed seconds
    static constexpr int JigReplyLength = 217;        // %1 bytes
    static constexpr int ProfileForOtherModel = 218;  // %1 the profile's model, %2 the controller's
    // Why a serial port would not open or went away: tool tips of the banner.
    static constexpr int PortPermissionTip = 219;     // %1 the device, %2 its group, %3 the user
    static constexpr int AdapterRemovedTip = 220;     // %1 the port
    // An adapter found again under another name, and a batch that waits for its adapter.
    static constexpr int PortStablePathTip = 221;     // label in a port's tool tip
    static constexpr int AdapterMovedTip = 222;       // %1 the adapter, %2 its new port, %3 the old one
    static constexpr int AdapterWaitingTip = 223;     // %1 the port
    static constexpr int ResumeProfileQuestion = 224; // %1 the port it came back on
    static constexpr int ResumeJigQuestion = 225;     // %1 the port it came back on
    static constexpr int GoOnButton = 226;
    // The automatic test's controller gone silent: tool tip of the banner.
    static constexpr int NotAnsweringTip = 227;       // %1 the commands ("IE, DF")
    // The bus scan's speeds, its clock and a conflict; the site window.
    static constexpr int ScanQuick = 228;
    static constexpr int ScanThorough = 229;
    static constexpr int ScanTimes = 230;             // %1 elapsed, %2 remaining (m:ss)
    static constexpr int ScanConflict = 231;          // in the model column of an ID two controllers answer
    static constexpr int SiteEntry = 232;
    static constexpr int SiteTitle = 233;
    static constexpr int SiteNameLabel = 234;
    static constexpr int SiteOpenButton = 235;
    static constexpr int SiteSaveButton = 236;
    static constexpr int SiteReportButton = 237;
    static constexpr int SiteScanButton = 238;
    static constexpr int SiteAddButton = 239;
    static constexpr int SiteAddressButton = 240;
    static constexpr int SiteProfileButton = 241;
    static constexpr int SiteReadButton = 242;
    static constexpr int SiteApplyButton = 243;
    static constexpr int SiteRebootButton = 244;
    static constexpr int SiteFailedButton = 245;
    static constexpr int SiteReplaceButton = 246;
    static constexpr int SiteRetryButton = 247;
    static constexpr int ClockOffsetColumn = 248;
    static constexpr int LastActionColumn = 249;
    static constexpr int ProfileMatches = 250;
    static constexpr int ProfileDiffers = 251;
    static constexpr int ProfileNotRead = 252;
    static constexpr int ResultOk = 253;
    static constexpr int ResultFailed = 254;
    static constexpr int MarkedFailed = 255;
    static constexpr int SiteProgress = 256;
    static constexpr int SiteDone = 257;
    static constexpr int SiteAddressed = 258;
    static constexpr int SiteFileRefused = 259;
    static constexpr int SiteFilesFilter = 260;
    static constexpr int ReportFilesFilter = 261;
    static constexpr int SiteReplaced = 262;
    // The records: a test the station could not complete, and records waiting for their store.
    static constexpr int JigError = 263;              // verdict when the station could not test
    static constexpr int JigErrorsLabel = 264;
    static constexpr int JigWaitingHere = 265;        // %1 records for this store, %2 for others
    static constexpr int JigWaitingFor = 266;         // tool tip line: %1 records, %2 the store
    static constexpr int JigUnnamedStore = 267;       // the store of records an earlier version queued
    static constexpr int JigDeliverHereButton = 268;
    static constexpr int JigDeliverHereQuestion = 269; // %1 records, %2 meant for, %3 this store
    static constexpr int JigDelivered = 270;          // %1 records, %2 the store
    static constexpr int JigDeliveryFailed = 271;     // details in the tool tip
    static constexpr int JigNothingElsewhere = 272;   // no record waits for another store
    static constexpr int JigDetailsInTip = 273;       // after a one-line error: where its details are
    // The certificate of one test of a unit.
    static constexpr int CertificateTitle = 274;
    static constexpr int CertificateSerial = 275;
    static constexpr int CertificateModel = 276;
    static constexpr int CertificateVersion = 277;
    static constexpr int CertificateId = 278;
    static constexpr int CertificateStartEnd = 279;   // label of "start - end"
    static constexpr int CertificateTool = 280;       // the tool's name and version
    static constexpr int CertificateEngineering = 281; // beside the verdict of an engineering run
    static constexpr int CertificateRecord = 282;     // the record's id
    // The records window.
    static constexpr int RecordsEntry = 283;  // Tools menu
    static constexpr int RecordsWindowTitle = 284;  // the records window's caption
    static constexpr int RecordsFromLabel = 285;
    static constexpr int RecordsSerialLabel = 286;
    static constexpr int RecordsVerdictLabel = 287;
    static constexpr int RecordsAnyVerdict = 288;
    static constexpr int RecordsEngineering = 289;
    static constexpr int RecordsShowButton = 290;
    static constexpr int RecordsTestsTab = 291;
    static constexpr int RecordsYieldTab = 292;
    static constexpr int RecordsParetoTab = 293;
    static constexpr int RecordsHistoryOf = 294;  // %1 serial number, %2 tests
    static constexpr int RecordsCertificateButton = 295;
    static constexpr int RecordsStartColumn = 296;  // columns of the tests
    static constexpr int RecordsSerialColumn = 297;
    static constexpr int RecordsModelColumn = 298;
    static constexpr int RecordsStationColumn = 299;
    static constexpr int RecordsOperatorColumn = 300;
    static constexpr int RecordsVerdictColumn = 301;
    static constexpr int RecordsGroupByLabel = 302;
    static constexpr int RecordsByDay = 303;
    static constexpr int RecordsByStation = 304;
    static constexpr int RecordsByOperator = 305;
    static constexpr int RecordsTestsColumn = 306;  // columns of the yield
    static constexpr int RecordsUnitsColumn = 307;
    static constexpr int RecordsRetestsColumn = 308;
    static constexpr int RecordsFirstPassColumn = 309;
    static constexpr int RecordsLastPassColumn = 310;
    static constexpr int RecordsErrorsColumn = 311;
    static constexpr int RecordsStepColumn = 312;  // columns of the Pareto
    static constexpr int RecordsMeasuredColumn = 313;
    static constexpr int RecordsFailuresColumn = 314;
    static constexpr int RecordsShareColumn = 315;
    static constexpr int RecordsCumulativeColumn = 316;
    static constexpr int RecordsYieldChart = 317;  // chart titles
    static constexpr int RecordsParetoChart = 318;
    static constexpr int RecordsCumulativeLine = 319;
    static constexpr int RecordsNothing = 320;
    static constexpr int RecordsCertificateWritten = 321;  // %1 the file
    static constexpr int RecordsReadFailed = 322;  // details in the tool tip
    // The jig window's switch for engineering runs, and what it shows while on.
    static constexpr int JigEngineeringSwitch = 323;
    static constexpr int JigEngineeringBanner = 324;
    // The handover report in the window's language, and the short words for why a site's unit
    // failed (the detail, in English, stays in the tool tip).
    static constexpr int SiteReportTitle = 325;       // %1 the site's name
    static constexpr int SiteReportHeading = 326;     // %1 date, %2 tool, %3 controllers
    static constexpr int SiteReportProfile = 327;     // %1 the profile's file
    static constexpr int AtLastReadColumn = 328;
    static constexpr int ReplacedColumn = 329;
    static constexpr int SiteFailCancelled = 330;
    static constexpr int SiteFailNoAnswer = 331;
    static constexpr int SiteFailOtherUnit = 332;
    static constexpr int SiteFailNoProfile = 333;
    static constexpr int SiteFailProfileUnfit = 334;
    static constexpr int SiteFailReadFailed = 335;
    static constexpr int SiteFailNotAcknowledged = 336;
    static constexpr int SiteFailNotTaken = 337;
    // The jig window's switch for a certificate of each unit, where they go, and a failed one.
    static constexpr int JigCertificateSwitch = 338;
    static constexpr int JigCertificateFolderTip = 339;  // %1 the folder
    static constexpr int JigCertificateFailed = 340;     // details in the tool tip

    // The text of message id in the given column; an empty text for an id or column outside
    // the table.
    static QString text(int id, int column);
};
