#pragma once

#include "catalogue/views.h"

#include <string>
#include <vector>

namespace testing_support {

// Records what the catalogue shows, line by line with its style.
class RecordingDetails final : public catalogue::DetailsView {
public:
    struct Line {
        std::string text;
        bool bold;
        catalogue::TextColour colour;
        bool operator==(const Line &) const = default;
    };
    void clear() override { lines.clear(); ++clears; }
    void setBold(bool value) override { bold = value; }
    void setColour(catalogue::TextColour value) override { colour = value; }
    void appendLine(const std::string &line) override { lines.push_back({line, bold, colour}); }

    std::vector<Line> lines;
    bool bold = false;
    catalogue::TextColour colour = catalogue::TextColour::Black;
    int clears = 0;
};

class RecordingProgress final : public catalogue::ProgressView {
public:
    void setMaximum(int value) override { maximum = value; }
    void setPosition(int value) override { positions.push_back(value); current = value; }
    int position() const override { return current; }
    void setVisible(bool value) override { visible = value; }

    int maximum = -1;
    int current = 0;
    bool visible = false;
    std::vector<int> positions;
};

class RecordingStatus final : public catalogue::StatusText {
public:
    void setText(const std::string &value) override { text = value; }
    std::string text = "unchanged";
};

class ScriptedPrompt final : public catalogue::FileNamePrompt {
public:
    std::optional<std::string> answer;
    std::string askedDirectory, askedName;
    std::optional<std::string> askFileName(const std::string &initialDirectory, const std::string &suggestedName) override
    {
        askedDirectory = initialDirectory;
        askedName = suggestedName;
        return answer;
    }
};

class RecordingFields final : public catalogue::ConfigurationFields {
public:
    void setMapsText(const std::string &text) override { maps = text; }
    void setViewerText(const std::string &text) override { viewer = text; }
    std::string maps = "untouched", viewer = "untouched";
};

} // namespace testing_support
