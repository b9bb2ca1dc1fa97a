#include "Unit11.h"
#include "ui_Unit11.h"

TfrmNotFound *frmNotFound = nullptr;

// No Cancel button, so Esc has nothing to click.
TfrmNotFound::TfrmNotFound(QWidget *parent)
    : ModalDialog(parent, false), ui(std::make_unique<Ui::TfrmNotFound>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    QFont headline = ui->Label2->font();
    headline.setPixelSize(13);
    ui->Label2->setFont(headline);
    ui::SetTextColour(*ui->Label2, QColor(255, 0, 0));
    ui->BitBtn1->setFocus();

    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmNotFound::~TfrmNotFound() = default;
