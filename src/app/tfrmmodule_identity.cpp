// Identity and display commands.
#include "app/tfrmmodule.h"

#include "controller/writeplans.h"
#include "i18n/texttable.h"
#include "ui_tfrmmodule.h"

void TfrmModule::btnLanguageClick()
{
    runPlan(TextTable::SetLanguage, WritePlans::language(ui->cmdLanguage->currentIndex(), ui->cmbEncode->currentIndex()));
}

void TfrmModule::btnSetBaudClick()
{
    runPlan(TextTable::SetBaudrate, WritePlans::baud(ui->cmbSelBaud->currentIndex()));
}

void TfrmModule::btnSetMasterClick()
{
    runPlan(TextTable::SetMaster,
            WritePlans::masters({ ui->edMasterUID1->text(), ui->edMasterUID2->text(), ui->edMasterUID3->text() },
                                { ui->edMasterPIN1->text(), ui->edMasterPIN2->text(), ui->edMasterPIN3->text() },
                                ui->cmbEncode->currentIndex(), ui->cmbEncode->currentText()));
}

void TfrmModule::btnSetIDClick()
{
    runPlan(TextTable::SetId, WritePlans::setId(ui->edSetID->text(), ui->cmbEncode->currentIndex(), ui->cmbEncode->currentText()));
}

void TfrmModule::btnSetTitleClick()
{
    runPlan(TextTable::SetTitle, WritePlans::title(ui->cmbTitle->currentIndex(), ui->edTitle1->text(), ui->edTitle2->text(),
                                                   ui->cmbEncode->currentIndex(), ui->cmbEncode->currentText()));
}

void TfrmModule::btnSetShowClick()
{
    runPlan(TextTable::SetShowStatus, WritePlans::show(ui->cmbCardShow->currentIndex(), ui->chkShowStatus->isChecked(),
                                                       ui->chkUseStatus->isChecked()));
}

void TfrmModule::sbSetIDChange(int position)
{
    ui->edSetID->setText(QString::asprintf("%03d", position));
}
