// Parameter writes and the read-back.
#include "tfrmmodule.h"

#include "ui_tfrmmodule.h"

void TfrmModule::btnCardByteClick() {}
void TfrmModule::btnCardByte120Click() {}
void TfrmModule::btnCardTypeClick() {}
void TfrmModule::btnSameCardClick() {}
void TfrmModule::btnDateTypeClick() {}
void TfrmModule::btnHourTypeClick() {}
void TfrmModule::btnSetExtReaderClick() {}
void TfrmModule::btnDoorLogClick() {}
void TfrmModule::btnDoorForceClick() {}
void TfrmModule::btnDoorTimeoutClick() {}
void TfrmModule::btnDoorTimeoutTimeClick() {}
void TfrmModule::btnDI_3_4ModeClick() {}
void TfrmModule::btnSetReaderTypeClick() {}
void TfrmModule::btnGetParameterClick() {}
