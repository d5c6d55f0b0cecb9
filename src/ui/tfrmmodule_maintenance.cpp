// Maintenance commands and link presets.
#include "tfrmmodule.h"

#include "commandframe.h"
#include "commandtextguard.h"
#include "commandtextencoder.h"
#include "linkpresets.h"
#include "maintenancecommands.h"
#include "rawreplytext.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

void TfrmModule::btnRebootClick()
{
    // "NET" is read when the command is built, after the link has opened.
    runAcknowledgedCommand(TextTable::SetRebootBanner, [this] { return MaintenanceCommands::reboot(ui->chkNet->isChecked()); });
}

void TfrmModule::btnInitialClick()
{
    runAcknowledgedCommand(TextTable::SetFactoryBanner, &MaintenanceCommands::initial);
}

// Reboot and set initial: one command whose only accepted answer is the plain acknowledgement.
void TfrmModule::runAcknowledgedCommand(int bannerId, const std::function<QByteArray()> &command)
{
    if (!BeginOperation()) {
        EndOperationNoLink();
        return;
    }
    setBanner(LocalText(bannerId));
    processMessages();
    wait(100);
    if (sendCommand(command()) && link.ReplyLength == MaintenanceCommands::AcceptedReplyLength)
        EndOperationOk();
    else
        EndOperationFailed(QString::number(MaintenanceCommands::AcceptedReplyLength));
}

void TfrmModule::btnCommandClick()
{
    // The text goes out as typed, in the encoding the controller is set to; what cannot go out
    // whole is refused before the link is touched.
    const QString typed = ui->edCommandSend->text();
    if (!CommandTextGuard::isSendable(typed.toUtf8())) {
        RefuseInput(QStringLiteral("The command holds a control character that ends the frame"));
        return;
    }
    const std::optional<QByteArray> bytes = CommandTextEncoder::encode(typed, ui->cmbEncode->currentIndex());
    if (!bytes) {
        RefuseInput(QStringLiteral("The command has characters that %1 cannot carry").arg(ui->cmbEncode->currentText()));
        return;
    }
    if (DeviceId.size() + bytes->size() > CommandFrame::MaxCommandLength) {
        RefuseInput(QStringLiteral("Command of %1 bytes with the ID; at most %2 fit the frame")
                        .arg(DeviceId.size() + bytes->size())
                        .arg(CommandFrame::MaxCommandLength),
                    TextTable::CommandTooLong);
        return;
    }

    if (!BeginOperation()) {
        EndOperationNoLink();
        return;
    }
    wait(100);
    if (sendCommand(*bytes)) {
        ui->edCommandRecv->setText(RawReplyText::fromBytes(link.LastReply));
        EndOperationOk();
    } else {
        EndOperationFailed();
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
