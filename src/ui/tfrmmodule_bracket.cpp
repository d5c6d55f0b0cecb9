// The operation bracket: every exchange with the controller runs between BeginOperation and
// exactly one of the three endings, which report through banner, lamp and tone.
#include "tfrmmodule.h"

#include "texttable.h"
#include "tone.h"
#include "ui_tfrmmodule.h"

#include <QApplication>
#include <QTimer>

namespace {
const QColor LampRed(255, 0, 0);
const QColor LampYellow(255, 255, 0);
} // namespace

void TfrmModule::setBanner(const QString &text)
{
    ui->pnMsg->setText(text);
}

void TfrmModule::setBusyCursor(bool on)
{
    if (on == m_busyCursor)
        return;
    m_busyCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmModule::playTone(int frequencyHz, int durationMs)
{
    if (m_tone)
        m_tone->play(frequencyHz, durationMs);
}

void TfrmModule::SetBusy(bool on)
{
    if (on) {
        tmrBusy->start();
        setEnabled(false);
    } else {
        setEnabled(true);
        tmrBusy->stop();
    }
}

void TfrmModule::tmrBusyTimer()
{
    if (tmrBusyTag == 1) {
        tmrBusyTag = 0;
        ui->shComm->setColor(LampYellow);
    } else {
        tmrBusyTag = 1;
        ui->shComm->setColor(LampRed);
    }
}

void TfrmModule::captureLinkSettings()
{
    if (ui->pcPort->currentWidget() == ui->tsCom) {
        link.LinkMode = ControllerLink::Com;
        link.PortName = ui->cmbPort->currentText();
        link.LineMode = ui->cmbBaudrate->currentText();
    } else {
        link.LinkMode = ControllerLink::Net;
        link.HostAddress = ui->edIP->text();
        link.HostPort = ui->edPort->text();
    }
}

bool TfrmModule::BeginOperation()
{
    m_operationActive = true;
    ui->pnMsg->setToolTip(QString());
    setBusyCursor(true);
    processMessages();
    setEnabled(false);
    SetBusy(true);
    setBanner(LocalText(TextTable::ConnectingDevice));
    processMessages();
    captureLinkSettings();
    return link.OpenLink();
}

void TfrmModule::EndOperationNoLink()
{
    SetBusy(false);
    ui->shComm->setColor(LampRed);
    setBanner(LocalText(TextTable::ConnectDeviceError));
    ui->pnMsg->setToolTip(link.lastFailureText());
    playTone(300, 300);
    setBusyCursor(false);
    setEnabled(true);
    finishEnding();
}

void TfrmModule::EndOperationOk()
{
    setBanner(LocalText(TextTable::CommandOk));
    SetBusy(false);
    ui->shComm->setColor(LampYellow);
    playTone(1000, 300);
    link.CloseLink();
    setBusyCursor(false);
    setEnabled(true);
    finishEnding();
}

void TfrmModule::EndOperationFailed(const QString &expectedReply)
{
    setBanner(LocalText(TextTable::CommandError));
    // A valid reply of the wrong kind leaves no failure in the link: say what came instead.
    if (link.lastFailure() != ControllerLink::Failure::None)
        ui->pnMsg->setToolTip(link.lastFailureText());
    else if (!expectedReply.isEmpty())
        ui->pnMsg->setToolTip(QStringLiteral("Reply of %1 bytes where %2 were expected").arg(link.ReplyLength).arg(expectedReply));
    else
        ui->pnMsg->setToolTip(QStringLiteral("Unexpected reply of %1 bytes").arg(link.ReplyLength));
    SetBusy(false);
    ui->shComm->setColor(LampRed);
    playTone(300, 300);
    link.CloseLink();
    setBusyCursor(false);
    setEnabled(true);
    finishEnding();
}

void TfrmModule::RefuseInput(const QString &reason, int messageId)
{
    ui->shComm->setColor(LampRed);
    setBanner(LocalText(messageId));
    ui->pnMsg->setToolTip(reason);
    playTone(300, 300);
}

void TfrmModule::finishEnding()
{
    m_operationActive = false;
    if (m_closePending && !AutoTestRunning)
        QTimer::singleShot(0, this, &QWidget::close);
}
