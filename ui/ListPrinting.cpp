#include "ListPrinting.h"

#include "runtime/io_error.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <memory>

namespace {

// Puts back what printing changes on the run's printer.
class PrinterStateGuard final {
public:
    explicit PrinterStateGuard(QPrinter &printer)
        : printer_(printer), docName_(printer.docName()), fullPage_(printer.fullPage()),
          layout_(printer.pageLayout())
    {
    }
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

} // namespace

void PrintDocument(const QTextDocument &doc, QPrinter &printer)
{
    const PrinterStateGuard restore(printer);
    printer.setDocName(QString());
    // The page is the printable area: margins no smaller than the printer's own.
    printer.setFullPage(false);
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());

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
        const QRectF view = page.translated(0, index * page.height());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        copy->documentLayout()->draw(&painter, context);
        painter.restore();
    }
    if (!painter.end())
        throw runtime::Exception("Printer is not currently printing");
}
