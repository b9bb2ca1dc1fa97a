#include "Unit10.h"
#include "ui_Unit10.h"

#include "Windows1252.h"

#include <QFile>

TfrmFind *frmFind = nullptr;

TfrmFind::TfrmFind(QWidget *parent) : ModalDialog(parent, true), ui(std::make_unique<Ui::TfrmFind>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    ui::SetTextColour(*ui->Label4, QColor(255, 0, 0));
    ui->Edit1->setFocus(); // first in tab order at the first opening

    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(ui->BitBtn2, &QPushButton::clicked, this, [this] { done(ui::ResultCancel); });
}

TfrmFind::~TfrmFind() = default;

std::string TfrmFind::SearchText() const
{
    return QFile::encodeName(ui->Edit1->text()).toStdString();
}

std::string TfrmFind::ContentSearchText() const
{
    return ui::EncodeWindows1252(ui->Edit1->text()).value_or(ui->Edit1->text().toUtf8().toStdString());
}

void TfrmFind::SetSearchText(const std::string &text)
{
    ui->Edit1->setText(QFile::decodeName(QByteArray::fromStdString(text)));
}

bool TfrmFind::FullSearch() const
{
    return ui->RadioButton2->isChecked();
}

void TfrmFind::SetFullSearch(bool full)
{
    (full ? ui->RadioButton2 : ui->RadioButton1)->setChecked(true);
}

void TfrmFind::setVisible(bool visible)
{
    if (!visible) {
        ModalDialog::setVisible(false);
        return;
    }
    // Showing a dialog hands its focus widget a Tab-like focus, which would
    // select the whole text; reopening keeps the caret and selection instead.
    QLineEdit &edit = *ui->Edit1;
    const int caret = edit.cursorPosition();
    const int start = edit.selectionStart();
    const int length = edit.selectionLength();
    ModalDialog::setVisible(true);
    if (length > 0)
        edit.setSelection(caret == start ? start + length : start, caret == start ? -length : length);
    else
        edit.setCursorPosition(caret);
}
