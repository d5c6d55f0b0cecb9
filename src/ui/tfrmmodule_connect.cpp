// Connect and identify.
#include "tfrmmodule.h"

#include "ui_tfrmmodule.h"

void TfrmModule::btnConnectClick() {}
void TfrmModule::sbScanIdChange(int) {}
