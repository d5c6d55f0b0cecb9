// Connect and identify.
#include "app/tfrmmodule.h"

#include "app/operationbracket.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

void TfrmModule::btnConnectClick()
{
    ui->pnAuto->clear();
    ui->pcMain->setEnabled(false);
    if (!m_bracket->begin([this] { return captureLinkSettings(); })) {
        m_bracket->endNoLink();
        return;
    }

    ControllerSession::IdentifyHooks hooks;
    hooks.retrying = [this](int attemptsLeft) {
        m_bracket->setBanner(localText(TextTable::ConnectingDevice) + QString::asprintf(" ( %d )", attemptsLeft));
        m_bracket->processMessages();
    };
    hooks.found = [this](const QByteArray &) {
        ui->pnVER->clear();
        ui->pnSN->clear();
        saveLinkSettings();
    };
    hooks.versionRead = [this](const IdentifyReplies::Version &version) {
        ui->pnVER->setText(version.panelText);
        ui->btnDI_3_4Mode->setVisible(version.isRo426);
        ui->cmbDI_3_4Mode->setVisible(version.isRo426);
    };
    const Identification found = m_session.identify(ui->edScanId->text(), hooks);

    switch (found.stage) {
    case Identification::Stage::NotFound:
        m_bracket->endNoLink(found.why);
        return;
    case Identification::Stage::BadId:
    case Identification::Stage::NoVersion:
    case Identification::Stage::NoSerial:
        m_bracket->endFailed(found.why);
        return;
    case Identification::Stage::Done:
        break;
    }
    ui->pnSN->setText(found.serial->panelText);
    ui->pnAuto->clear();
    m_bracket->endOk();
    ui->pcMain->setEnabled(true);
}

void TfrmModule::sbScanIdChange(int position)
{
    ui->edScanId->setText(QString::asprintf("%03d", position));
}
