#pragma once

#include "controller/controllersession.h"
#include "controller/commandplan.h"
#include "i18n/texttable.h"
#include "link/linksettings.h"

#include <QMainWindow>
#include <QString>
#include <memory>

namespace Ui {
class TfrmModule;
}
class ExchangeObserver;
class OperationBracket;
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

public Q_SLOTS:
    void mnuEnglishClick();
    void mnuSimplifiedClick();
    void mnuTraditionalClick();
    void mnuExitClick();

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
    void onOperationEnded();

    // A press that sends a plan: refused before the link opens when it cannot go out.
    void runPlan(int bannerId, const CommandPlan &plan);
    void runAcknowledged(int bannerId, bool reboot);
    void autoTestRun();

    std::unique_ptr<Ui::TfrmModule> ui;
    ControllerSession m_session;
    OperationBracket *m_bracket = nullptr;
    LinkSettings m_linkSettings;
    int m_languageIndex = TextTable::English;
    QString m_languageFlag;
    bool m_autoTestRunning = false;
    // From the start of a run to its finish; m_autoTestRunning only says whether passes go on.
    bool m_autoTestInProgress = false;
    bool m_closePending = false;
    bool m_shownOnce = false;

    // The traffic monitor (tfrmmodule_monitor.cpp): a window of its own, ended with this one.
    void startTrafficMonitor();
    void restoreTrafficMonitor();
    void endTrafficMonitor();
    TrafficMonitorWindow *m_monitor = nullptr;
};
