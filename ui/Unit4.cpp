#include "Unit4.h"
#include "ui_Unit4.h"

TfrmQuit *frmQuit = nullptr;

TfrmQuit::TfrmQuit(QWidget *parent) : MessageDialog(parent) {}

TfrmQuit::~TfrmQuit() = default;
