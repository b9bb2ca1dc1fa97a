#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

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
    ListedMap(std::string entryText, std::string fileName, bool listedRegular = false)
        : entry(std::move(entryText)), file(std::move(fileName)), regular(listedRegular)
    {}

    // The same map, however much is known of its type.
    bool operator==(const ListedMap &other) const { return entry == other.entry && file == other.file; }

    std::string entry;
    std::string file;     // empty when only the entry is known
    bool regular = false; // the listing that gave file saw a regular file there
};

// The maps whose type no listing has told: each needs a test before it opens.
inline std::size_t CountOfUntypedMaps(const std::vector<ListedMap> &maps)
{
    return static_cast<std::size_t>(
        std::count_if(maps.begin(), maps.end(), [](const ListedMap &map) { return !map.regular; }));
}

} // namespace catalogue
