// Start-up, settings, languages and shutdown of the window.
#include "tfrmmodule.h"

#include "texttable.h"
#include "ui_tfrmmodule.h"

QString TfrmModule::LocalText(int id) const
{
    return TextTable::text(id, LanguageIndex);
}

void TfrmModule::ApplyLanguageFont(QWidget *) {}
void TfrmModule::FormCreate() { ui->pcMain->setEnabled(false); }
void TfrmModule::FormShow() {}
void TfrmModule::SaveLinkSettings() {}
void TfrmModule::SaveLanguageSetting() {}
void TfrmModule::mnuEnglishClick() {}
void TfrmModule::mnuSimplifiedClick() {}
void TfrmModule::mnuTraditionalClick() {}
void TfrmModule::mnuExitClick() { close(); }
