#include "Unit7.h"
#include "ui_Unit7.h"

#include "ErrorReport.h"
#include "Fonts.h"
#include "ListPrinting.h"

#include "catalogue/views.h"
#include "runtime/io_error.h"

#include <QCloseEvent>
#include <QFile>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <climits>

TfrmPrint *frmPrint = nullptr;

// No Cancel button: Esc has nothing to click.
TfrmPrint::TfrmPrint(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Ignored), widgets_(std::make_unique<Ui::TfrmPrint>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    // Points, not pixels: the pane is laid out again at the printer's resolution.
    widgets_->RichEdit1->setFont(QFont(QString::fromLatin1(ui::DialogFontFamily), 12));
    widgets_->RichEdit1->hide();
    widgets_->BitBtn1->hide();

    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmPrint::~TfrmPrint() = default;

void TfrmPrint::SetPrintJob(const catalogue::MapList &list, QPrinter &printer)
{
    list_ = &list;
    printer_ = &printer;
}

void TfrmPrint::reject()
{
    if (!working_)
        ModalDialog::reject();
}

void TfrmPrint::showEvent(QShowEvent *event)
{
    ModalDialog::showEvent(event);
    // The work starts once the dialog is up, once per showing.
    if (!event->spontaneous() && !activationPending_) {
        activationPending_ = true;
        QMetaObject::invokeMethod(this, &TfrmPrint::FormActivate, Qt::QueuedConnection);
    }
}

void TfrmPrint::closeEvent(QCloseEvent *event)
{
    if (working_) {
        event->ignore();
        return;
    }
    ModalDialog::closeEvent(event);
}

void TfrmPrint::FormActivate()
{
    if (!activationPending_)
        return;
    activationPending_ = false;
    if (!isVisible())
        return;

    widgets_->Label1->setText(QStringLiteral("Printing ..."));
    widgets_->BitBtn1->hide();
    working_ = true;
    ui::Guarded([this] { CopyAndPrint(); });
    working_ = false;
    // Shown after a failure too: it is the only way out of the dialog.
    widgets_->BitBtn1->show();
    widgets_->BitBtn1->setFocus();
}

void TfrmPrint::CopyAndPrint()
{
    // Let the dialog draw itself before the work starts.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    widgets_->RichEdit1->clear();

    const std::size_t count = list_ ? list_->count() : 0;
    // A range of 0 to 0 would turn the bar into a busy indicator, so the bar
    // runs to at least 1; a position past the end shows as a full bar.
    const int maximum = static_cast<int>(std::clamp<std::size_t>(count, 2, INT_MAX) - 1);
    widgets_->ProgressBar1->setRange(0, maximum);
    widgets_->ProgressBar1->setValue(count == 0 ? maximum : 0);

    for (std::size_t index = 0; index < count; ++index) {
        AppendLine(list_->at(index), index > 0);
        widgets_->ProgressBar1->setValue(std::min<std::size_t>(index + 1, maximum));
    }
    // An empty list prints nothing.
    if (count > 0 && printer_)
        PrintDocument(*widgets_->RichEdit1->document(), *printer_);
    widgets_->Label1->setText(QStringLiteral("Complete - select OK to return"));
}

void TfrmPrint::AppendLine(const std::string &entry, bool newParagraph)
{
    const QString text = QFile::decodeName(QByteArray::fromStdString(entry));
    QTextDocument &doc = *widgets_->RichEdit1->document();
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    // One paragraph per entry, without an empty one after the last.
    if (newParagraph)
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    const int start = cursor.position();
    cursor.insertText(text, QTextCharFormat());
    if (cursor.position() != start + text.size())
        throw runtime::Exception("RichEdit line insertion error");
}
