#include "terminal_views.h"

#include "catalogue/text_encoding.h"
#include "quoting.h"

namespace cli {

void DetailLines::print(std::ostream &out, bool terminal) const
{
    for (const auto &line : lines_) {
        const bool red = line.colour == catalogue::TextColour::Red;
        const std::string text = terminal ? TerminalText(catalogue::Windows1252ToUtf8(line.text)) : line.text;
        if (terminal && (line.bold || red))
            out << "\x1b[" << (line.bold ? "1" : "") << (line.bold && red ? ";" : "") << (red ? "31" : "") << 'm'
                << text << "\x1b[0m\n";
        else
            out << text << '\n';
    }
}

void TerminalProgress::setPosition(int position)
{
    position_ = position;
    if (enabled_ && visible_)
        out_ << '\r' << verb_ << " map " << position_ << " of " << maximum_ << std::flush;
}

void TerminalProgress::setVisible(bool visible)
{
    if (enabled_ && visible_ && !visible)
        out_ << "\r\x1b[K" << std::flush;
    visible_ = visible;
}

} // namespace cli
