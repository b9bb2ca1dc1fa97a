#include "Unit4.h"
#include "ui_Unit4.h"

TfrmQuit *frmQuit = nullptr;

TfrmQuit::TfrmQuit(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Cancels), widgets_(std::make_unique<Ui::TfrmQuit>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(widgets_->BitBtn2, &QPushButton::clicked, this, &TfrmQuit::reject);
}

TfrmQuit::~TfrmQuit() = default;
