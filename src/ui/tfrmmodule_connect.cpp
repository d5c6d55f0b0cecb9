// Connect and identify.
#include "tfrmmodule.h"

#include "commandtextguard.h"
#include "identifyreplies.h"
#include "texttable.h"
#include "ui_tfrmmodule.h"

namespace {

constexpr int ScanAttempts = 3;

// Why an exchange did not count, for the banner's tool tip. A valid reply of the wrong length
// leaves the link's own reason at whatever an earlier exchange failed with, so it is said here.
QString whyNot(const ControllerLink &link, bool sent, const QString &expectedLength)
{
    if (!sent)
        return link.lastFailureText();
    return QStringLiteral("Reply of %1 bytes where %2 were expected").arg(link.ReplyLength).arg(expectedLength);
}

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
        why = scan ? whyNot(link, sent, scanLength) : QStringLiteral("The ID holds a frame delimiter");
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
        why = whyNot(link, sent, QStringLiteral("%1 or %2").arg(IdentifyReplies::ShortVersionLength).arg(IdentifyReplies::LongVersionLength));
        EndOperationFailed();
        ui->pnMsg->setToolTip(why);
        return;
    }
    ui->pnVER->setText(version->panelText);
    ui->btnDI_3_4Mode->setVisible(version->isRo426);
    ui->cmbDI_3_4Mode->setVisible(version->isRo426);

    wait(20);
    sent = sendCommand(IdentifyReplies::serialCommand());
    const auto serial = sent ? IdentifyReplies::serial(link.LastReply, link.ReplyLength, DeviceId) : std::nullopt;
    if (!serial) {
        why = whyNot(link, sent, scanLength);
        EndOperationFailed();
        ui->pnMsg->setToolTip(why);
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
