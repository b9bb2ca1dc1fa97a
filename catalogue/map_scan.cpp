#include "map_scan.h"

#include "runtime/byte_strings.h"
#include "runtime/directory_match.h"
#include "runtime/working_directory.h"

namespace catalogue {

std::string MapListEntry(const std::string &fileName)
{
    const std::size_t dot = runtime::FindSubstring(".", fileName);
    return dot == 0 ? fileName : fileName.substr(0, dot - 1);
}

std::string MapPath(const std::string &dir, const std::string &entry)
{
    return dir + runtime::PathSeparator + entry + MapExtension;
}

int ScanMaps(ProgramState &state, MapList &list)
{
    list.clear();
    int count = 0;
    runtime::MatchRecord record;
    for (std::int32_t code = runtime::FindFirstMatch(MapPattern, runtime::FileAttribute::Any, record); code == 0;
         code = runtime::FindNextMatch(record)) {
        list.append(MapListEntry(record.Name));
        ++count;
    }
    runtime::EndMatchSearch(record);
    state.MapCount = count;
    return count;
}

std::string MapsFoundText(int count)
{
    return "Maps found: " + runtime::FormatInt(count);
}

} // namespace catalogue
