#pragma once

#include "app/profilereportdialog.h"
#include "controller/busscan.h"
#include "controller/controllersession.h"
#include "controller/commandplan.h"
#include "i18n/texttable.h"
#include "link/adapteridentity.h"
#include "link/linksettings.h"
#include "profile/profile.h"
#include "site/siteactions.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfrmModule;
}
class BusScanWindow;
class SiteWindow;
class TextTableQuestion;
class ExchangeObserver;
class OperationBracket;
class PortListRefresher;
class Tone;
class TrafficMonitorWindow;

// The tool's one window. Its handlers read the controls, call the controller core and show
// the result; every exchange runs inside the operation bracket. The handlers are spread over
// tfrmmodule_*.cpp by subject.
class TfrmModule : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmModule(QWidget *parent = nullptr);
    ~TfrmModule() override;

    // Tests put a recording tone here; the default is the platform's tone.
    void setTone(std::unique_ptr<Tone> tone);
    // Told of every exchange and every open and close of the link (the traffic monitor).
    void addExchangeObserver(ExchangeObserver *observer);
    void removeExchangeObserver(ExchangeObserver *observer);
    // What the window's links talk through from the next operation on: tests put a simulated
    // controller in the test's own process here; empty, the real serial port or TCP connection.
    void setTransportFactory(ControllerLink::TransportFactory factory);

    const ControllerSession &session() const { return m_session; }
    // The window's copy of the link settings: the stored ones at start, then the ones the last
    // operation took from the link page.
    const LinkSettings &linkSettings() const { return m_linkSettings; }
    int languageIndex() const { return m_languageIndex; }
    QString languageFlag() const;
    // A message of the text table in the language in force.
    QString localText(int id) const;

    // The caption btnAuto reads in the current language: "Cancel auto test" from the start of a
    // run until it has finished, "Auto test" otherwise.
    QString autoTestCaption() const;
    // Whether the automatic test goes on with its passes.
    bool autoTestRunning() const { return m_autoTestRunning; }
    // Ends a running automatic test after its pass, as its button does.
    void cancelAutoTest() { m_autoTestRunning = false; }

    // The traffic monitor window once the Tools menu has opened it (or its log file was on at
    // start); nullptr before.
    TrafficMonitorWindow *trafficMonitor() const { return m_monitor; }

    // Stores the link page's settings (and the window's copy of the page not in front).
    void saveLinkSettings();
    void saveLanguageSetting();

    // ---- the jig test window (tfrmmodule_jig.cpp) ----------------------------------------------
    // The production window of the tools menu; nullptr until it is first opened.
    QWidget *jigWindow() const { return m_jigWindow.get(); }
    QWidget *recordsWindow() const { return m_recordsWindow.get(); }
    // Whether an operation holds the link (the automatic test included).
    bool operationRunning() const;
    enum class BracketRun { Ran, Busy, NoLink };
    // Runs body inside the operation bracket, on the link page's link, with the scan ID of the
    // connect page: the window is held off until body returns, then ends as it says (empty: ok,
    // else why it failed). Busy when an operation is already running; NoLink, with *why, when
    // the link did not open. Either way body is not called.
    BracketRun runInBracket(const std::function<QString(ControllerSession &session, const QString &scanId)> &body,
                            QString *why = nullptr);
    // Inside an operation whose serial adapter was just pulled out: waits up to a minute for it
    // (the banner's tool tip says so), opens the link again where it comes back, and asks the
    // question questionId (its %1 the port) once. True when the operation goes on.
    bool recoverLink(int questionId);
    // The question recoverLink asks once the adapter is back at port, in the language in force.
    // Without a parent: the main window and its children are disabled while it works.
    std::unique_ptr<TextTableQuestion> resumeQuestion(int questionId, const QString &port);

Q_SIGNALS:
    // Every caption has been set in the language in force.
    void languageApplied();

public Q_SLOTS:
    void mnuEnglishClick();
    void mnuSimplifiedClick();
    void mnuTraditionalClick();
    void mnuExitClick();
    void mnuJigClick();
    // Tools > Records: the line's records, read-only.
    void mnuRecordsClick();
    void addRecordsEntry();

    // tools
    void mnuMonitorClick();

    // connect and identify
    void btnConnectClick();
    void sbScanIdChange(int position);

    // product test and maintenance
    void btnAutoClick();
    void btnRebootClick();
    void btnInitialClick();
    void btnCommandClick();

    // link presets
    void btn5001Click();
    void btn5003Click();
    void btn19200Click();
    void btn115200Click();
    void btnSel19200Click();
    void btnSel115200Click();

    // parameter writes
    void btnCardByteClick();
    void btnCardByte120Click();
    void btnCardTypeClick();
    void btnSameCardClick();
    void btnDateTypeClick();
    void btnHourTypeClick();
    void btnSetExtReaderClick();
    void btnDoorLogClick();
    void btnDoorForceClick();
    void btnDoorTimeoutClick();
    void btnDoorTimeoutTimeClick();
    void btnDI_3_4ModeClick();
    void btnSetReaderTypeClick();
    void btnGetParameterClick();

    // identity and display
    void btnLanguageClick();
    void btnSetBaudClick();
    void btnSetMasterClick();
    void btnSetIDClick();
    void btnSetTitleClick();
    void btnSetShowClick();
    void sbSetIDChange(int position);

    // ---- profiles and the bus scan (tfrmmodule_profiles.cpp, tfrmmodule_busscan.cpp) -------
    // The menu entries ask for the file, then call these.
    void mnuProfileSaveClick();
    void mnuProfileLoadClick();
    void mnuProfileCompareClick();
    void mnuProfileApplyClick();
    void mnuBusScanClick();
    void mnuSiteClick();

public:
    // The connected controller's values, with the window's own for those it cannot report.
    bool saveProfile(const QString &path);
    // Into the controls; nothing is sent.
    bool loadProfile(const QString &path);
    // The differences, in the report window.
    void compareWithProfile(const QString &path);
    // What differs (or everything) written; the report window says what took.
    void applyProfile(const QString &path, bool everything);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void connectHandlers();
    // The stored settings into the link page; the work area disabled until a connect.
    void loadStoredSettings();
    // The language in force onto the font, the menu's check marks and every caption.
    void applyLanguage();
    void chooseLanguage(int index);
    void applyLanguageFont(QWidget *target);
    LinkSettings captureLinkSettings();
    // When the port box holds the port the remembered adapter was saved with and the adapter is
    // present under another name: that name into the box, and the sentence that says so.
    QString followRememberedAdapter(const QList<SerialPortEntry> &present);
    void onOperationEnded();

    // A press that sends a plan: refused before the link opens when it cannot go out.
    void runPlan(int bannerId, const CommandPlan &plan);
    void runAcknowledged(int bannerId, bool reboot);
    void autoTestRun();

    void connectProfileHandlers();
    void connectBusScanHandlers();
    void connectSiteHandlers();
    bool beginSiteWork();
    // The session's waits and exchanges made to repaint and take Cancel; what it returns puts
    // them back.
    std::function<void()> siteWaitsTakeCancel();
    // One of the site's fixed waits, live, ended by Cancel.
    void siteWait(int milliseconds);
    bool siteCancelled() const;
    void runSiteAction(SiteActions::Action action, const QList<QByteArray> &ids);
    void runSiteScan();
    // The new unit at 000 to the next free ID from `from`, or in place of `replacing`.
    void runSiteAddressing(const QByteArray &replacing, int from);
    void runBusScan(int first, int last, BusScan::Speed speed);
    std::optional<Profile> beginWithProfile(const QString &path);
    // The report window, which follows the language; titleId then the file name as its title.
    void showProfileReport(int titleId, const QString &fileName, const QList<ProfileReportDialog::Row> &rows,
                           ProfileReportDialog::Summary summary);
    // Only why, which comes from the profile or the link as it is.
    void showProfileFailure(int titleId, const QString &why);

    std::unique_ptr<Ui::TfrmModule> ui;
    ControllerSession m_session;
    OperationBracket *m_bracket = nullptr;
    LinkSettings m_linkSettings;
    // The adapter the stored port name stood for, and that name as it is now.
    AdapterIdentity m_rememberedAdapter;
    QString m_rememberedPort;
    PortListRefresher *m_portList = nullptr;
    int m_languageIndex = TextTable::English;
    QString m_languageFlag;
    bool m_autoTestRunning = false;
    // From the start of a run to its finish; m_autoTestRunning only says whether passes go on.
    bool m_autoTestInProgress = false;
    bool m_closePending = false;
    bool m_shownOnce = false;
    BusScanWindow *m_busScan = nullptr;
    SiteWindow *m_siteWindow = nullptr;
    QAction *m_mnuSite = nullptr;
    ProfileReportDialog *m_profileReport = nullptr;
    QString m_profileFolder;

    // The traffic monitor (tfrmmodule_monitor.cpp): a window of its own, ended with this one.
    void startTrafficMonitor();
    void restoreTrafficMonitor();
    void endTrafficMonitor();
    TrafficMonitorWindow *m_monitor = nullptr;
    // Last, so it goes first: it works through this window until it is gone.
    std::unique_ptr<QWidget> m_jigWindow;
    std::unique_ptr<QWidget> m_recordsWindow;
    // Added in code beside the form's entries: the form stays as it was drawn.
    QAction *m_mnuRecords = nullptr;
};
