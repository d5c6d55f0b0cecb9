// Maintenance commands and link presets.
#include "app/tfrmmodule.h"

#include "app/linkpresets.h"
#include "app/operationbracket.h"
#include "controller/freecommand.h"
#include "controller/rawreplytext.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

void TfrmModule::btnRebootClick()
{
    runAcknowledged(TextTable::SetRebootBanner, true);
}

void TfrmModule::btnInitialClick()
{
    runAcknowledged(TextTable::SetFactoryBanner, false);
}

// Reboot and set initial: one command whose only accepted answer is the plain acknowledgement.
void TfrmModule::runAcknowledged(int bannerId, bool reboot)
{
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return;
    }
    m_bracket->setBanner(localText(bannerId));
    // "NET" is read when the command is built, after the link has opened.
    const Outcome outcome = reboot ? m_session.reboot(ui->chkNet->isChecked()) : m_session.setInitial();
    if (outcome.ok)
        m_bracket->endOk();
    else
        m_bracket->endFailed(outcome.why);
}

void TfrmModule::btnCommandClick()
{
    FreeCommand::Refusal refusal;
    const std::optional<QByteArray> bytes = FreeCommand::bytes(ui->edCommandSend->text(), ui->cmbEncode->currentIndex(),
                                                               ui->cmbEncode->currentText(), m_session.deviceId(), &refusal);
    if (!bytes) {
        m_bracket->refuse(refusal.why, refusal.tooLong ? TextTable::CommandTooLong : TextTable::InvalidValue);
        return;
    }

    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return;
    }
    const Reply reply = m_session.freeCommand(*bytes);
    if (reply.ok()) {
        ui->edCommandRecv->setText(RawReplyText::fromBytes(reply.bytes));
        m_bracket->endOk();
    } else {
        m_bracket->endFailed(reply.why());
    }
}

void TfrmModule::btn5001Click()
{
    ui->edIP->setText(LinkPresets::NetAddress);
    ui->edPort->setText(QString::number(LinkPresets::NetPort5001));
}

void TfrmModule::btn5003Click()
{
    ui->edIP->setText(LinkPresets::NetAddress);
    ui->edPort->setText(QString::number(LinkPresets::NetPort5003));
}

void TfrmModule::btn19200Click()
{
    ui->cmbBaudrate->setEditText(LinkPresets::Line19200);
}

void TfrmModule::btn115200Click()
{
    ui->cmbBaudrate->setEditText(LinkPresets::Line115200);
}

void TfrmModule::btnSel19200Click()
{
    ui->cmbSelBaud->setCurrentIndex(LinkPresets::SelBaud19200Index);
}

void TfrmModule::btnSel115200Click()
{
    ui->cmbSelBaud->setCurrentIndex(LinkPresets::SelBaud115200Index);
}
