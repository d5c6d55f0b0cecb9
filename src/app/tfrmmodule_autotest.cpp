// The automatic product test: the controller's clock is set, then the operator switches the four
// outputs while the window shows the inputs and the clock pass after pass, until cancelled.
#include "app/tfrmmodule.h"

#include "app/lamp.h"
#include "app/linkfailuretip.h"
#include "app/operationbracket.h"
#include "controller/autotestcommands.h"
#include "controller/autotestpanel.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

#include <QDateTime>

namespace {

const QColor LampLit(255, 255, 0);
const QColor LampClear(255, 255, 255);

void setLamp(Lamp *lamp, bool lit)
{
    lamp->setColor(lit ? LampLit : LampClear);
}

std::array<Lamp *, 6> inputLamps(const Ui::TfrmModule &ui)
{
    return { ui.shDI1, ui.shDI2, ui.shDI3, ui.shDI4, ui.shDI5, ui.shDI6 };
}

std::array<QCheckBox *, 4> outputBoxes(const Ui::TfrmModule &ui)
{
    return { ui.chkDO1, ui.chkDO2, ui.chkDO3, ui.chkDO4 };
}

// The function-test page as the core sees it.
class FactoryPagePanel : public AutoTestPanel
{
public:
    // silenceTip: what the banner's tool tip says while the controller does not answer.
    FactoryPagePanel(Ui::TfrmModule &ui, std::function<QString(const AutoTestWatch &)> silenceTip)
        : m_ui(ui)
        , m_silenceTip(std::move(silenceTip))
    {
    }
    std::array<bool, 4> outputs() const override
    {
        std::array<bool, 4> checked {};
        const auto boxes = outputBoxes(m_ui);
        for (std::size_t i = 0; i < boxes.size(); ++i)
            checked[i] = boxes[i]->isChecked();
        return checked;
    }
    void showInputs(const AutoTestReplies::Inputs &inputs) override
    {
        m_ui.pnAuto->setText(inputs.clockText);
        const auto lamps = inputLamps(m_ui);
        for (std::size_t i = 0; i < inputs.lit.size(); ++i)
            setLamp(lamps[i], inputs.lit[i]);
    }
    void showRecord(const QString &text) override { m_ui.pnAuto->setText(text); }
    void showExtraInputs(const std::array<bool, 2> &states) override
    {
        setLamp(m_ui.shDI5, states[0]);
        setLamp(m_ui.shDI6, states[1]);
    }
    void showInputsUnknown() override
    {
        for (Lamp *lamp : { m_ui.shDI1, m_ui.shDI2, m_ui.shDI3, m_ui.shDI4 })
            lamp->setUnknown();
    }
    void showExtraInputsUnknown() override
    {
        m_ui.shDI5->setUnknown();
        m_ui.shDI6->setUnknown();
    }
    void showSilence(const AutoTestWatch &watch) override
    {
        m_ui.pnMsg->setToolTip(watch.notAnswering() ? m_silenceTip(watch) : QString());
    }

private:
    Ui::TfrmModule &m_ui;
    std::function<QString(const AutoTestWatch &)> m_silenceTip;
};

// Every button whose handler talks to the controller. The run holds the link and re-enables the
// window for the output boxes, so each of these would otherwise start an exchange in the middle
// of a pass.
QList<QPushButton *> controllerButtons(const Ui::TfrmModule &ui)
{
    return {
        ui.btnConnect, ui.btnReboot, ui.btnInitial, ui.btnLanguage, ui.btnSetMaster, ui.btnSetTitle,
        ui.btnSetBaud, ui.btnSetID, ui.btnSetShow, ui.btnReboot2, ui.btnCardType, ui.btnCardByte,
        ui.btnCardByte120, ui.btnSameCard, ui.btnDateType, ui.btnHourType, ui.btnSetExtReader,
        ui.btnDoorLog, ui.btnDoorForce, ui.btnDoorTimeout, ui.btnDoorTimeoutTime, ui.btnDI_3_4Mode,
        ui.btnSetReaderType, ui.btnGetParameter, ui.btnCommand,
    };
}

// Disables the buttons that were enabled and returns them, so that the finish gives back
// exactly the state it found.
QList<QPushButton *> lockControllerButtons(const Ui::TfrmModule &ui)
{
    QList<QPushButton *> locked;
    for (QPushButton *button : controllerButtons(ui)) {
        if (button->testAttribute(Qt::WA_ForceDisabled))
            continue;
        button->setEnabled(false);
        locked.append(button);
    }
    return locked;
}

void setCommandTabVisible(const Ui::TfrmModule &ui, bool visible)
{
    ui.pcMain->setTabVisible(ui.pcMain->indexOf(ui.tsCommand), visible);
}

} // namespace

QString TfrmModule::autoTestCaption() const
{
    return localText(m_autoTestInProgress ? TextTable::CancelAutoTestButton : TextTable::AutoTestButton);
}

void TfrmModule::btnAutoClick()
{
    if (m_autoTestRunning) {
        // "Cancel auto test", arriving nested inside the running test: that invocation ends
        // after its pass and does all the restoring.
        m_autoTestRunning = false;
        return;
    }
    // Cancelled, but the pass in progress has not ended: no second run inside the first.
    if (m_autoTestInProgress)
        return;

    m_autoTestInProgress = true;
    m_autoTestRunning = true;
    ui->btnAuto->setText(autoTestCaption());
    const QList<QPushButton *> locked = lockControllerButtons(*ui);
    setCommandTabVisible(*ui, false);

    if (m_bracket->begin([this] { return captureLinkSettings(); }))
        autoTestRun();
    else
        m_bracket->endNoLink();

    m_autoTestRunning = false;
    m_autoTestInProgress = false;
    for (QPushButton *button : locked)
        button->setEnabled(true);
    // The language may have changed during the run: the caption follows the one now in force.
    ui->btnAuto->setText(autoTestCaption());
    setCommandTabVisible(*ui, true);
}

void TfrmModule::autoTestRun()
{
    m_bracket->setBanner(localText(TextTable::SetDateTimeBanner));
    m_bracket->setBusyCursor(false);
    m_bracket->processMessages();
    m_session.autoTestStart(QDateTime::currentDateTime());
    setEnabled(true);
    m_bracket->setBanner(localText(TextTable::DidoTestBanner));
    m_bracket->processMessages();

    // Unchecked, as the previous run left the boxes: only boxes ticked since go out first.
    std::array<bool, 4> lastSent {};
    AutoTestWatch watch;
    const auto silenceTip = [this](const QStringList &commands, const QString &why) {
        const ControllerLink &link = m_session.link();
        return LinkFailureTip::notAnswering(commands, link.openFailure(), link.openFailureDetail(), why,
                                            [this](int id) { return localText(id); });
    };
    FactoryPagePanel panel(*ui, [&](const AutoTestWatch &w) { return silenceTip(w.silentCommands(), w.why()); });
    while (m_autoTestRunning)
        m_session.autoTestPass(lastSent, watch, panel);

    for (Lamp *lamp : inputLamps(*ui))
        setLamp(lamp, false);
    // Unchecking by the program sends nothing: the boxes have no handler of their own.
    for (QCheckBox *box : outputBoxes(*ui))
        box->setChecked(false);
    m_session.autoTestEnd(watch);
    // A run whose last pass went unanswered did not test the controller: it is not a success.
    if (watch.lastPassAnswered()) {
        m_bracket->endOk();
    } else {
        const QStringList both { QString::fromLatin1(AutoTestCommands::readInputs()),
                                 QString::fromLatin1(AutoTestCommands::readExtraInputs()) };
        m_bracket->endFailed(silenceTip(both, watch.why()));
    }
}
