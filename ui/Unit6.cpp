#include "Unit6.h"
#include "ui_Unit6.h"

TfrmDoConfig *frmDoConfig = nullptr;

TfrmDoConfig::TfrmDoConfig(QWidget *parent) : MessageDialog(parent) {}

TfrmDoConfig::~TfrmDoConfig() = default;
