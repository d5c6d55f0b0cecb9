// The automatic product test.
#include "tfrmmodule.h"

#include "ui_tfrmmodule.h"

void TfrmModule::btnAutoClick() {}
