#include "Unit8.h"
#include "ui_Unit8.h"

TfrmError *frmError = nullptr;

TfrmError::TfrmError(QWidget *parent) : ModalDialog(parent, false), ui(std::make_unique<Ui::TfrmError>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmError::~TfrmError() = default;
