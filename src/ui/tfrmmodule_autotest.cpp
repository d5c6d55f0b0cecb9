// The automatic product test: the controller's clock is set, then the operator switches the four
// outputs while the window shows the inputs and the clock pass after pass, until cancelled.
#include "tfrmmodule.h"

#include "autotestcommands.h"
#include "autotestreplies.h"
#include "lamp.h"
#include "texttable.h"
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
    return LocalText(m_autoTestInProgress ? TextTable::CancelAutoTestButton : TextTable::AutoTestButton);
}

void TfrmModule::btnAutoClick()
{
    if (AutoTestRunning) {
        // "Cancel auto test", arriving nested inside the running test: that invocation ends
        // after its pass and does all the restoring.
        AutoTestRunning = false;
        return;
    }
    // Cancelled, but the pass in progress has not ended: no second run inside the first.
    if (m_autoTestInProgress)
        return;

    m_autoTestInProgress = true;
    AutoTestRunning = true;
    ui->btnAuto->setText(autoTestCaption());
    const QList<QPushButton *> locked = lockControllerButtons(*ui);
    setCommandTabVisible(*ui, false);

    if (BeginOperation()) {
        setBanner(LocalText(TextTable::SetDateTimeBanner));
        setBusyCursor(false);
        processMessages();
        sendCommand(AutoTestCommands::setClock(QDateTime::currentDateTime()));
        wait(20);
        setEnabled(true);
        setBanner(LocalText(TextTable::DidoTestBanner));
        processMessages();

        // Unchecked, as the previous run left the boxes: only boxes ticked since go out first.
        std::array<bool, 4> lastSentOutputs {};
        while (AutoTestRunning)
            autoTestPass(lastSentOutputs);
        autoTestEnd();
        EndOperationOk();
    } else {
        EndOperationNoLink();
    }

    AutoTestRunning = false;
    m_autoTestInProgress = false;
    for (QPushButton *button : locked)
        button->setEnabled(true);
    // The language may have changed during the run: the caption follows the one now in force.
    ui->btnAuto->setText(autoTestCaption());
    setCommandTabVisible(*ui, true);
}

void TfrmModule::autoTestPass(std::array<bool, 4> &lastSentOutputs)
{
    processMessages();
    const auto boxes = outputBoxes(*ui);
    for (int i = 0; i < AutoTestCommands::OutputCount; ++i) {
        const bool checked = boxes[std::size_t(i)]->isChecked();
        if (checked == lastSentOutputs[std::size_t(i)])
            continue;
        lastSentOutputs[std::size_t(i)] = checked;
        sendCommand(*AutoTestCommands::switchOutput(i + 1, checked));
        wait(100);
    }
    processMessages();
    wait(20);
    autoTestReadInputs();
    processMessages();
    wait(20);
    autoTestReadExtraInputs();
    wait(20);
}

void TfrmModule::autoTestReadInputs()
{
    // A failed exchange or a reply of another length leaves the window as it was.
    if (!sendCommand(AutoTestCommands::readInputs()))
        return;
    const auto inputs = AutoTestReplies::inputs(link.LastReply, link.ReplyLength);
    if (!inputs)
        return;
    ui->pnAuto->setText(inputs->clockText);
    const auto lamps = inputLamps(*ui);
    for (std::size_t i = 0; i < inputs->lit.size(); ++i)
        setLamp(lamps[i], inputs->lit[i]);
    if (!inputs->recordText)
        return;
    ui->pnAuto->setText(*inputs->recordText);
    wait(100);
    processMessages();
    sendCommand(AutoTestCommands::recordShown());
    wait(100);
}

void TfrmModule::autoTestReadExtraInputs()
{
    if (!sendCommand(AutoTestCommands::readExtraInputs()))
        return;
    const auto states = AutoTestReplies::extraInputs(link.LastReply, link.ReplyLength);
    if (!states)
        return;
    setLamp(ui->shDI5, (*states)[0]);
    setLamp(ui->shDI6, (*states)[1]);
}

void TfrmModule::autoTestEnd()
{
    for (Lamp *lamp : inputLamps(*ui))
        setLamp(lamp, false);
    // Unchecking by the program sends nothing: the boxes have no handler of their own.
    for (QCheckBox *box : outputBoxes(*ui))
        box->setChecked(false);
    sendCommand(AutoTestCommands::endTest());
}
