#pragma once

#include "controllerlink.h"
#include "texttable.h"

#include <QByteArray>
#include <QMainWindow>
#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfrmModule;
}
class QTimer;
class Tone;

// The tool's one window. It owns every control and the working state of the run; its handlers
// read controls, call the plain code of the link, test and parameter modules, and show results.
// The handlers are spread over tfrmmodule_*.cpp by subject.
class TfrmModule : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfrmModule(QWidget *parent = nullptr);
    ~TfrmModule() override;

    // Tests put a recording tone here; the default is the platform's tone.
    void setTone(std::unique_ptr<Tone> tone);

    // ---- working state --------------------------------------------------------------------
    // The link fields (LinkMode, PortName, LineMode, HostAddress, HostPort) and the exchange
    // results (LastReply, ReplyLength, CheckHigh, CheckLow) live in the link.
    ControllerLink link;
    QByteArray DeviceId;     // learned by the connect; in front of every command text
    QByteArray SerialNumber;
    bool AutoTestRunning = false;
    int LanguageIndex = 0;   // 0 English, 1 Simplified Chinese, 2 Traditional Chinese
    QString LanguageFlag;    // "English", "ChineseGB", "ChineseBIG5"

    // ---- text table and languages ---------------------------------------------------------
    QString LocalText(int id) const;
    void ApplyLanguageFont(QWidget *target);

    // ---- the operation bracket ------------------------------------------------------------
    bool BeginOperation();
    void EndOperationOk();
    // expectedReply names what a reply of the wrong kind should have been ("12 bytes"), for the
    // banner's tool tip; the link's own reason is used when the exchange itself failed.
    void EndOperationFailed(const QString &expectedReply = QString());
    void EndOperationNoLink();
    void SetBusy(bool on);
    // An operator's value that cannot go out: said in the banner (with the reason in its tool
    // tip), red lamp, low tone; nothing is opened or sent.
    void RefuseInput(const QString &reason, int messageId = TextTable::InvalidValue);

    // ---- the automatic product test ---------------------------------------------------------
    // The caption btnAuto reads in the current language: "Cancel auto test" from the start of a
    // run until it has finished, "Auto test" otherwise. The language switch writes this one.
    QString autoTestCaption() const;

    // ---- settings ---------------------------------------------------------------------------
    void SaveLinkSettings();
    void SaveLanguageSetting();

public Q_SLOTS:
    // start-up, languages, shutdown
    void FormCreate();
    void FormShow();
    void mnuEnglishClick();
    void mnuSimplifiedClick();
    void mnuTraditionalClick();
    void mnuExitClick();
    void tmrBusyTimer();

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
    // Lets the window handle what is pending (repaint, lamp, the operator's clicks).
    void processMessages();
    // A fixed pause between the steps of an operation; blocks without processing messages.
    void wait(int milliseconds);
    void captureLinkSettings();
    void setBusyCursor(bool on);
    void setBanner(const QString &text);
    void playTone(int frequencyHz, int durationMs);
    void finishEnding();
    void runAcknowledgedCommand(int bannerId, const std::function<QByteArray()> &command);
    // Sends DeviceId followed by the command letters and data.
    bool sendCommand(const QByteArray &commandAfterId);
    // The parameter and identity writes. A step builds its command text when its turn comes;
    // it gives nothing, and says why in *refusal, when the operator's value cannot go out.
    using CommandStep = std::function<std::optional<QByteArray>(QString *refusal)>;
    void runCommandSteps(int bannerId, const QList<CommandStep> &steps);
    void runParameterWrite(const std::optional<QByteArray> &command, const QString &refusal);
    // One pass of the automatic test: changed outputs, then the inputs and the clock.
    void autoTestPass(std::array<bool, 4> &lastSentOutputs);
    void autoTestReadInputs();
    void autoTestReadExtraInputs();
    void autoTestEnd();

    std::unique_ptr<Ui::TfrmModule> ui;
    QTimer *tmrBusy = nullptr;
    int tmrBusyTag = 0; // blink phase
    std::unique_ptr<Tone> m_tone;
    bool m_busyCursor = false;
    bool m_operationActive = false;
    bool m_closePending = false;
    bool m_shownOnce = false;
    // From the start of a run to its finish; AutoTestRunning only says whether passes go on.
    bool m_autoTestInProgress = false;
};
