// Connect and identify.
#include "tfrmmodule.h"

#include "commandtextguard.h"
#include "identifyreplies.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

namespace {

constexpr int ScanAttempts = 3;

} // namespace

void TfrmModule::btnConnectClick()
{
    ui->pnAuto->clear();
    ui->pcMain->setEnabled(false);
    if (!BeginOperation()) {
        EndOperationNoLink();
        return;
    }

    const QString scanLength = QString::number(IdentifyReplies::ScanReplyLength);
    bool found = false;
    QString why;
    for (int i = 0; i < ScanAttempts; ++i) {
        wait(100);
        const std::optional<QByteArray> scan = IdentifyReplies::scanCommand(ui->edScanId->text());
        const bool sent = scan && link.SendCommand(*scan);
        if (sent && link.ReplyLength == IdentifyReplies::ScanReplyLength) {
            found = true;
            break;
        }
        if (!scan)
            why = QStringLiteral("The ID holds a frame delimiter");
        else if (!sent)
            why = link.lastFailureText();
        else
            why = QStringLiteral("Reply of %1 bytes where %2 were expected").arg(link.ReplyLength).arg(scanLength);
        setBanner(LocalText(TextTable::ConnectingDevice) + QString::asprintf(" ( %d )", ScanAttempts - i));
        processMessages();
    }
    if (!found) {
        link.CloseLink();
        EndOperationNoLink();
        ui->pnMsg->setToolTip(why);
        return;
    }

    // An ID that would end the request frame early cannot address anything; keep the old one.
    const QByteArray replyId = IdentifyReplies::deviceIdFrom(link.LastReply);
    if (!CommandTextGuard::isSendable(replyId)) {
        EndOperationFailed();
        ui->pnMsg->setToolTip(QStringLiteral("The controller's ID holds a frame delimiter"));
        return;
    }
    ui->pnVER->clear();
    ui->pnSN->clear();
    DeviceId = replyId;
    SaveLinkSettings();

    wait(20);
    bool sent = sendCommand(IdentifyReplies::versionCommand());
    const auto version = sent ? IdentifyReplies::version(link.LastReply, link.ReplyLength) : std::nullopt;
    if (!version) {
        EndOperationFailed(QStringLiteral("%1 or %2").arg(IdentifyReplies::ShortVersionLength).arg(IdentifyReplies::LongVersionLength));
        return;
    }
    ui->pnVER->setText(version->panelText);
    ui->btnDI_3_4Mode->setVisible(version->isRo426);
    ui->cmbDI_3_4Mode->setVisible(version->isRo426);

    wait(20);
    sent = sendCommand(IdentifyReplies::serialCommand());
    const auto serial = sent ? IdentifyReplies::serial(link.LastReply, link.ReplyLength, DeviceId) : std::nullopt;
    if (!serial) {
        EndOperationFailed(scanLength);
        return;
    }
    SerialNumber = serial->serialNumber;
    ui->pnSN->setText(serial->panelText);

    ui->pnAuto->clear();
    EndOperationOk();
    ui->pcMain->setEnabled(true);
}

void TfrmModule::sbScanIdChange(int position)
{
    ui->edScanId->setText(QString::asprintf("%03d", position));
}
