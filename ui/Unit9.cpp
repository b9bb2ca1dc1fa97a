#include "Unit9.h"
#include "ui_Unit9.h"

TfrmConfirmClear *frmConfirmClear = nullptr;

TfrmConfirmClear::TfrmConfirmClear(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Cancels), widgets_(std::make_unique<Ui::TfrmConfirmClear>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(widgets_->BitBtn2, &QPushButton::clicked, this, &TfrmConfirmClear::reject);
}

TfrmConfirmClear::~TfrmConfirmClear() = default;
