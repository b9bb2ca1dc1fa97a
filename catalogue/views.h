#pragma once

#include "listed_map.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What the catalogue needs from whoever shows its results: the window
// implements these over its widgets, the command line over its streams.
namespace catalogue {

// The ordered list of map entries, each with the file it was listed from.
class MapList {
public:
    virtual ~MapList() = default;
    virtual std::size_t count() const = 0;
    // The entry's text: what is shown, saved, printed and searched by name.
    virtual std::string at(std::size_t index) const = 0;
    // The file the entry was listed from; empty when only its text is known.
    virtual std::string fileAt(std::size_t index) const = 0;
    virtual void clear() = 0;
    // Appends an entry known by its text alone.
    virtual void append(const std::string &entry) = 0;
    // Replaces the whole list, files and all.
    virtual void assign(const std::vector<ListedMap> &maps) = 0;

    // The entry with its file, and its type where the list still knows it.
    virtual ListedMap mapAt(std::size_t index) const { return {at(index), fileAt(index)}; }
};

enum class TextColour { Black, Red };

// The details pane: lines appended in the style set for the insertion point.
class DetailsView {
public:
    virtual ~DetailsView() = default;
    virtual void clear() = 0;
    virtual void setBold(bool bold) = 0;
    virtual void setColour(TextColour colour) = 0;
    virtual void appendLine(const std::string &line) = 0;
};

class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    virtual void setVisible(bool visible) = 0;
};

class StatusText {
public:
    virtual ~StatusText() = default;
    virtual void setText(const std::string &text) = 0;
};

// Asks the user for a file to write; nothing when the user cancels.
class FileNamePrompt {
public:
    virtual ~FileNamePrompt() = default;
    virtual std::optional<std::string> askFileName(const std::string &initialDirectory,
                                                   const std::string &suggestedName) = 0;
};

// Receives the two lines of the configuration file as they are read.
class ConfigurationFields {
public:
    virtual ~ConfigurationFields() = default;
    virtual void setMapsText(const std::string &text) = 0;
    virtual void setViewerText(const std::string &text) = 0;
};

} // namespace catalogue
