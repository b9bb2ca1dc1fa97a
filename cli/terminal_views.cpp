#include "terminal_views.h"

namespace cli {

void DetailLines::print(std::ostream &out, bool styled) const
{
    for (const auto &line : lines_) {
        const bool red = line.colour == catalogue::TextColour::Red;
        if (styled && (line.bold || red))
            out << "\x1b[" << (line.bold ? "1" : "") << (line.bold && red ? ";" : "") << (red ? "31" : "") << 'm'
                << line.text << "\x1b[0m\n";
        else
            out << line.text << '\n';
    }
}

void TerminalProgress::setPosition(int position)
{
    position_ = position;
    if (enabled_ && visible_)
        out_ << "\rSearching map " << position_ << " of " << maximum_ << std::flush;
}

void TerminalProgress::setVisible(bool visible)
{
    if (enabled_ && visible_ && !visible)
        out_ << "\r\x1b[K" << std::flush;
    visible_ = visible;
}

} // namespace cli
