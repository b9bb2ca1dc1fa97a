#include "vector_map_list.h"

namespace catalogue {

void VectorMapList::clear()
{
    entries_.clear();
    files_.clear();
    regular_.clear();
}

void VectorMapList::append(const std::string &entry)
{
    entries_.push_back(entry);
    files_.emplace_back();
    regular_.push_back(false);
}

void VectorMapList::assign(const std::vector<ListedMap> &maps)
{
    clear();
    entries_.reserve(maps.size());
    files_.reserve(maps.size());
    regular_.reserve(maps.size());
    for (const ListedMap &map : maps) {
        entries_.push_back(map.entry);
        files_.push_back(map.file);
        regular_.push_back(map.regular);
    }
}

} // namespace catalogue
