#include "Unit8.h"
#include "ui_Unit8.h"

TfrmError *frmError = nullptr;

TfrmError::TfrmError(QWidget *parent) : MessageDialog(parent) {}

TfrmError::~TfrmError() = default;
