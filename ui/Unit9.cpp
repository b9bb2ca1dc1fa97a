#include "Unit9.h"
#include "ui_Unit9.h"

TfrmConfirmClear *frmConfirmClear = nullptr;

TfrmConfirmClear::TfrmConfirmClear(QWidget *parent)
    : ModalDialog(parent, true), ui(std::make_unique<Ui::TfrmConfirmClear>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TfrmConfirmClear::reject);
}

TfrmConfirmClear::~TfrmConfirmClear() = default;
