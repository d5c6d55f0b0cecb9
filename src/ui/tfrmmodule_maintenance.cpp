// Maintenance commands and link presets.
#include "tfrmmodule.h"

#include "ui_tfrmmodule.h"

void TfrmModule::btnRebootClick() {}
void TfrmModule::btnInitialClick() {}
void TfrmModule::btnCommandClick() {}
void TfrmModule::btn5001Click() {}
void TfrmModule::btn5003Click() {}
void TfrmModule::btn19200Click() {}
void TfrmModule::btn115200Click() {}
void TfrmModule::btnSel19200Click() {}
void TfrmModule::btnSel115200Click() {}
