#include "vector_map_list.h"

namespace catalogue {

std::vector<std::string> VectorMapList::entries() const
{
    std::vector<std::string> entries;
    entries.reserve(maps_.size());
    for (const ListedMap &map : maps_)
        entries.push_back(map.entry);
    return entries;
}

} // namespace catalogue
