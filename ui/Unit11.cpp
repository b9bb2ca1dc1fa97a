#include "Unit11.h"
#include "ui_Unit11.h"

TfrmNotFound *frmNotFound = nullptr;

// No Cancel button, so Esc has nothing to click.
TfrmNotFound::TfrmNotFound(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Ignored), widgets_(std::make_unique<Ui::TfrmNotFound>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    QFont headline = widgets_->Label2->font();
    headline.setPixelSize(13);
    widgets_->Label2->setFont(headline);
    ui::SetTextColour(*widgets_->Label2, QColor(255, 0, 0));
    widgets_->BitBtn1->setFocus();

    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmNotFound::~TfrmNotFound() = default;
