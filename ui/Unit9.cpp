#include "Unit9.h"
#include "ui_Unit9.h"

TfrmConfirmClear *frmConfirmClear = nullptr;

TfrmConfirmClear::TfrmConfirmClear(QWidget *parent) : MessageDialog(parent) {}

TfrmConfirmClear::~TfrmConfirmClear() = default;
