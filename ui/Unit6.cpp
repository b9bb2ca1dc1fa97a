#include "Unit6.h"
#include "ui_Unit6.h"

TfrmDoConfig *frmDoConfig = nullptr;

TfrmDoConfig::TfrmDoConfig(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Ignored), widgets_(std::make_unique<Ui::TfrmDoConfig>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmDoConfig::~TfrmDoConfig() = default;
