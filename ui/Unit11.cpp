#include "Unit11.h"
#include "ui_Unit11.h"

#include "DialogLook.h"

#include <QKeyEvent>

TfrmNotFound *frmNotFound = nullptr;

TfrmNotFound::TfrmNotFound(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmNotFound>())
{
    ui->setupUi(this);
    dialoglook::MakeFixedDialog(*this, 297, 127);
    QFont headline = ui->Label2->font();
    headline.setPixelSize(13);
    ui->Label2->setFont(headline);
    dialoglook::SetTextColour(*ui->Label2, QColor(255, 0, 0));
    ui->BitBtn1->setFocus();

    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(dialoglook::ResultOk); });
}

TfrmNotFound::~TfrmNotFound() = default;

void TfrmNotFound::reject()
{
    done(dialoglook::ResultCancel);
}

void TfrmNotFound::keyPressEvent(QKeyEvent *event)
{
    // No Cancel button, so Esc has nothing to click.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmNotFound::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    dialoglook::CentreOnScreen(*this);
}
