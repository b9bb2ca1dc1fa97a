#include "ListPrinting.h"

#include "runtime/io_error.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>

namespace {

constexpr qreal FileMarginInch = 0.25;

// Puts back what printing changes on the run's printer.
class PrinterStateGuard final {
public:
    explicit PrinterStateGuard(QPrinter &printer)
        : printer_(printer), docName_(printer.docName()), fullPage_(printer.fullPage()), layout_(printer.pageLayout())
    {}
    ~PrinterStateGuard()
    {
        printer_.setDocName(docName_);
        printer_.setFullPage(fullPage_);
        printer_.setPageLayout(layout_);
    }
    PrinterStateGuard(const PrinterStateGuard &) = delete;
    PrinterStateGuard &operator=(const PrinterStateGuard &) = delete;

private:
    QPrinter &printer_;
    QString docName_;
    bool fullPage_;
    QPageLayout layout_;
};

// Draws the lines that the layout put on the page whose rectangle in the
// document is page, and only those: a clip would keep text outside it out
// of sight but still in the file, where it would be found and copied.
void drawPage(const QTextDocument &doc, QPainter &painter, const QRectF &page)
{
    painter.save();
    painter.translate(0, -page.top());
    painter.setPen(Qt::black);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QPointF origin = doc.documentLayout()->blockBoundingRect(block).topLeft();
        const QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal top = origin.y() + line.y();
            if (top >= page.top() && top < page.bottom())
                line.draw(&painter, origin);
        }
    }
    painter.restore();
}

} // namespace

void PrintDocument(const QTextDocument &doc, QPrinter &printer)
{
    const PrinterStateGuard restore(printer);
    printer.setDocName(QString());
    // The page is the printable area: margins no smaller than the printer's
    // own. A file has none, so it gets the quarter inch a typical printer has.
    printer.setFullPage(false);
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        printer.setPageMargins(QMarginsF(FileMarginInch, FileMarginInch, FileMarginInch, FileMarginInch),
                               QPageLayout::Inch);
    } else {
        const QPageLayout layout = printer.pageLayout();
        printer.setPageMargins(layout.minimumMargins(), layout.units());
    }

    // Lay out a copy for the printer's resolution, so the pane keeps its own layout.
    const std::unique_ptr<QTextDocument> copy(doc.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setDocumentMargin(0);
    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    copy->setPageSize(page.size());
    const int pageCount = copy->pageCount();

    QPainter painter;
    if (!painter.begin(&printer))
        throw runtime::Exception("Printer selected is not valid");
    for (int index = 0; index < pageCount; ++index) {
        if (index > 0 && !printer.newPage())
            throw runtime::Exception("Printer is not currently printing");
        drawPage(*copy, painter, page.translated(0, index * page.height()));
    }
    if (!painter.end())
        throw runtime::Exception("Printer is not currently printing");
}
