#include "PrintSetup.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

#include <algorithm>

namespace {

PrintSetup::Answer &testAnswer()
{
    static PrintSetup::Answer answer;
    return answer;
}

// Centred across the main window's screen, a third of the free height above.
void placeDialog(QPrintDialog &dialog, const QWidget *parent)
{
    const QScreen *screen = parent ? parent->screen() : dialog.screen();
    if (!screen)
        return;
    dialog.adjustSize();
    const QRect area = screen->availableGeometry();
    const QSize size = dialog.frameGeometry().size();
    dialog.move(area.left() + (area.width() - size.width()) / 2,
                area.top() + std::max(0, area.height() - size.height()) / 3);
}

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

    QPrintDialog dialog(&printer, parent);
    // Whole document only; "Print to File (PDF)" stays for users without a printer.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    placeDialog(dialog, parent);

    // The dialog writes the chosen printer, copies and collation into the
    // printer only when confirmed; the job itself is produced once.
    const int result = testAnswer() ? testAnswer()(dialog) : dialog.exec();
    if (result != QDialog::Accepted)
        return false;
    collate_ = printer.collateCopies();
    return true;
}

void PrintSetup::SetAnswerForTests(Answer answer)
{
    testAnswer() = std::move(answer);
}
