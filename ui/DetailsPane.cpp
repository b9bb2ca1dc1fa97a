#include "DetailsPane.h"

#include "Windows1252.h"
#include "runtime/io_error.h"

#include <QTextCursor>
#include <QTextEdit>

namespace ui {

RichEditDetailsView::RichEditDetailsView(QTextEdit &edit) : edit_(edit)
{
    format_.setFontWeight(QFont::Normal);
    format_.setForeground(QColor(0, 0, 0));
}

void RichEditDetailsView::clear()
{
    edit_.clear();
}

void RichEditDetailsView::setBold(bool bold)
{
    format_.setFontWeight(bold ? QFont::Bold : QFont::Normal);
}

void RichEditDetailsView::setColour(catalogue::TextColour colour)
{
    format_.setForeground(colour == catalogue::TextColour::Red ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void RichEditDetailsView::appendLine(const std::string &line)
{
    // The pane takes zero-terminated text: a NUL ends what is inserted, and
    // the line is then reported as not inserted.
    const std::size_t nul = line.find('\0');
    QTextCursor cursor(edit_.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(DecodeWindows1252(std::string_view(line).substr(0, nul)), format_);
    if (nul != std::string::npos)
        throw runtime::Exception("RichEdit line insertion error");
    cursor.insertBlock(QTextBlockFormat(), format_);
}

} // namespace ui
