#pragma once

#include <string>

namespace catalogue {

// One map of the list: the text the list shows (the file name cut before its
// first ".") and the file it was listed from. Two files may give one text, so
// every reader opens the file; a map known only by its text (a name the user
// typed) has no file, and its text finds one by the rule of names.
struct ListedMap {
    ListedMap() = default;
    // Only the text is known: implicit, so a typed name is a map to open.
    ListedMap(std::string entryText) : entry(std::move(entryText)) {}
    ListedMap(const char *entryText) : entry(entryText) {}
    ListedMap(std::string entryText, std::string fileName) : entry(std::move(entryText)), file(std::move(fileName)) {}

    bool operator==(const ListedMap &) const = default;

    std::string entry;
    std::string file; // empty when only the entry is known
};

} // namespace catalogue
