#include "PrintSetup.h"

#include "DialogFrame.h"

#include <QComboBox>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QSet>

namespace ui {

namespace {

PrintSetup::Answer &testAnswer()
{
    static PrintSetup::Answer answer;
    return answer;
}

// Qt offers a page range (and odd or even pages) for the print system to
// pick out even when the dialog is told not to, and printing to a file then
// ignores the choice. The whole document is printed, so the choice goes:
// each time the dialog shows or another printer is picked, after Qt has
// set its widgets up again.
class WholeDocumentPrintDialog final : public QPrintDialog {
public:
    WholeDocumentPrintDialog(QPrinter *printer, QWidget *parent) : QPrintDialog(printer, parent)
    {
        if (auto *printers = findChild<QComboBox *>(QStringLiteral("printers"))) {
            connect(printers, &QComboBox::currentIndexChanged, this, &WholeDocumentPrintDialog::removePageChoices,
                    Qt::QueuedConnection);
        }
    }

    void setVisible(bool visible) override
    {
        QPrintDialog::setVisible(visible);
        if (visible)
            removePageChoices();
    }

private:
    void removePageChoices()
    {
        if (auto *all = pageChoice<QRadioButton>("printAll"))
            all->setChecked(true);
        for (const char *name : {"printRange", "from", "to", "pagesRadioButton", "pagesLineEdit"}) {
            if (auto *widget = pageChoice<QWidget>(name))
                widget->setEnabled(false);
        }
        for (const char *name : {"pageSetCombo", "pageSetLabel"}) {
            if (auto *widget = pageChoice<QWidget>(name))
                widget->hide();
        }
    }

    // Qt's own widget of that name. A Qt that renamed it leaves that choice
    // offered: say so, once, where a developer will see it.
    template <class Widget>
    Widget *pageChoice(const char *name)
    {
        auto *widget = findChild<Widget *>(QLatin1String(name));
        if (!widget && !warned_.contains(name)) {
            warned_.insert(name);
            qWarning("The print dialog has no widget \"%s\": its page choice stays offered", name);
        }
        return widget;
    }

    QSet<QByteArray> warned_;
};

} // namespace

PrintSetup::PrintSetup() = default;
PrintSetup::~PrintSetup() = default;

QPrinter &PrintSetup::Printer()
{
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setCollateCopies(collate_);
    }
    return *printer_;
}

bool PrintSetup::Execute(QWidget *parent)
{
    QPrinter &printer = Printer();
    printer.setPrintRange(QPrinter::AllPages);
    printer.setCollateCopies(collate_);

    WholeDocumentPrintDialog dialog(&printer, parent);
    // Whole document only; "Print to File (PDF)" stays for users without a printer.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize
                      | QAbstractPrintDialog::PrintCollateCopies);
    PlaceLikeCommonDialog(dialog, parent);

    // The dialog writes the chosen printer, copies and collation into the
    // printer only when confirmed; the job itself is produced once.
    const int result = testAnswer() ? testAnswer()(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    // Whatever range a dialog still offered, the whole document is printed.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPageRanges(QPageRanges());
    collate_ = printer.collateCopies();
    return true;
}

void PrintSetup::SetAnswerForTests(Answer answer)
{
    testAnswer() = std::move(answer);
}

} // namespace ui
