#pragma once

#include "catalogue/views.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// Collects the detail lines with their style, then prints them.
class DetailLines final : public catalogue::DetailsView {
public:
    struct Line {
        std::string text;
        bool bold;
        catalogue::TextColour colour;
    };

    void clear() override { lines_.clear(); }
    void setBold(bool bold) override { bold_ = bold; }
    void setColour(catalogue::TextColour colour) override { colour_ = colour; }
    void appendLine(const std::string &line) override { lines_.push_back({line, bold_, colour_}); }

    const std::vector<Line> &lines() const { return lines_; }
    // One line per LF. For a terminal: decoded from Windows-1252 as the
    // window shows it, controls escaped, styles as terminal escapes.
    void print(std::ostream &out, bool terminal) const;

private:
    std::vector<Line> lines_;
    bool bold_ = false;
    catalogue::TextColour colour_ = catalogue::TextColour::Black;
};

// Shows the content search's progress on a terminal, or nothing at all.
class TerminalProgress final : public catalogue::ProgressView {
public:
    TerminalProgress(std::ostream &out, bool enabled, std::string verb = "Searching")
        : out_(out), enabled_(enabled), verb_(std::move(verb))
    {}
    // A search that ends in an error leaves no half line behind.
    ~TerminalProgress() override { setVisible(false); }
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    void setMaximum(int maximum) override { maximum_ = maximum; }
    void setPosition(int position) override;
    int position() const override { return position_; }
    void setVisible(bool visible) override;

private:
    std::ostream &out_;
    bool enabled_;
    std::string verb_;
    int maximum_ = 0;
    int position_ = 0;
    bool visible_ = false;
};

class CapturedStatus final : public catalogue::StatusText {
public:
    void setText(const std::string &text) override { text_ = text; }
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

} // namespace cli
