#include "Unit8.h"
#include "ui_Unit8.h"

TfrmError *frmError = nullptr;

TfrmError::TfrmError(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Ignored), widgets_(std::make_unique<Ui::TfrmError>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmError::~TfrmError() = default;
