#include "Unit11.h"
#include "ui_Unit11.h"

TfrmNotFound *frmNotFound = nullptr;

TfrmNotFound::TfrmNotFound(QWidget *parent) : MessageDialog(parent)
{
    QFont headline = widgets_->Label2->font();
    headline.setPixelSize(13);
    widgets_->Label2->setFont(headline);
    ui::SetTextColour(*widgets_->Label2, QColor(255, 0, 0));
    widgets_->BitBtn1->setFocus();
}

TfrmNotFound::~TfrmNotFound() = default;
