// Identity and display commands.
#include "tfrmmodule.h"

#include "ui_tfrmmodule.h"

void TfrmModule::btnLanguageClick() {}
void TfrmModule::btnSetBaudClick() {}
void TfrmModule::btnSetMasterClick() {}
void TfrmModule::btnSetIDClick() {}
void TfrmModule::btnSetTitleClick() {}
void TfrmModule::btnSetShowClick() {}
void TfrmModule::sbSetIDChange(int) {}
