#include "Unit10.h"
#include "ui_Unit10.h"

#include "Windows1252.h"

#include <QFile>

TfrmFind *frmFind = nullptr;

TfrmFind::TfrmFind(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Cancels), widgets_(std::make_unique<Ui::TfrmFind>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    ui::SetTextColour(*widgets_->Label4, QColor(255, 0, 0));
    widgets_->Edit1->setFocus(); // first in tab order at the first opening

    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(widgets_->BitBtn2, &QPushButton::clicked, this, [this] { done(ui::ResultCancel); });
}

TfrmFind::~TfrmFind() = default;

std::string TfrmFind::SearchText() const
{
    return QFile::encodeName(widgets_->Edit1->text()).toStdString();
}

std::string TfrmFind::ContentSearchText() const
{
    return ui::EncodeWindows1252(widgets_->Edit1->text()).value_or(widgets_->Edit1->text().toUtf8().toStdString());
}

void TfrmFind::SetSearchText(const std::string &text)
{
    widgets_->Edit1->setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

bool TfrmFind::FullSearch() const
{
    return widgets_->RadioButton2->isChecked();
}

void TfrmFind::SetFullSearch(bool full)
{
    (full ? widgets_->RadioButton2 : widgets_->RadioButton1)->setChecked(true);
}

void TfrmFind::setVisible(bool visible)
{
    if (!visible) {
        ModalDialog::setVisible(false);
        return;
    }
    // It opens with the last text selected: typing replaces it, and End or a
    // click keeps it to add to.
    ModalDialog::setVisible(true);
    widgets_->Edit1->selectAll();
}
