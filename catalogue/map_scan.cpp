#include "map_scan.h"

#include "runtime/byte_strings.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace catalogue {
namespace {

std::vector<runtime::MatchRecord::Entry> listMaps(int mapsDirFd)
{
    std::vector<runtime::MatchRecord::Entry> found;
    if (const std::int32_t code = runtime::ListMatches(mapsDirFd, MapPattern, found, runtime::MatchDetail::TypesOnly);
        code != 0) {
        runtime::RecordIoCode(code);
        runtime::CheckIo();
    }
    return found;
}

} // namespace

std::string MapListEntry(const std::string &fileName)
{
    const std::size_t dot = runtime::FindSubstring(".", fileName);
    return dot == 0 ? fileName : fileName.substr(0, dot - 1);
}

std::string MapPath(const std::string &dir, const std::string &entry)
{
    return dir + runtime::PathSeparator + MapFileName(entry);
}

std::string MapFileName(const std::string &entry)
{
    return entry + MapExtension;
}

std::string ListedFileName(const ListedMap &map)
{
    return map.file.empty() ? MapFileName(map.entry) : map.file;
}

std::string ListedMapPath(const std::string &dir, const ListedMap &map)
{
    return dir + runtime::PathSeparator + ListedFileName(map);
}

std::vector<ListedMap> ScanListedMaps(int mapsDirFd)
{
    auto listed = listMaps(mapsDirFd);
    std::vector<ListedMap> maps;
    maps.reserve(listed.size());
    for (auto &found : listed)
        maps.push_back(ListedFrom(std::move(found)));
    return maps;
}

ListedMap ListedFrom(runtime::MatchRecord::Entry found)
{
    std::string entry = MapListEntry(found.name);
    const bool regular = (found.attributes & (runtime::FileAttribute::Directory | runtime::FileAttribute::System)) == 0;
    return {std::move(entry), std::move(found.name), regular};
}

std::optional<std::string> FileListedAs(int dirFd, const std::string &entry)
{
    std::vector<runtime::MatchRecord::Entry> found;
    if (runtime::ListMatches(dirFd, MapPattern, found, runtime::MatchDetail::TypesOnly) != 0)
        return std::nullopt;
    const std::string own = MapFileName(entry);
    std::optional<std::string> first;
    for (auto &map : found) {
        if (runtime::EqualsIgnoringAsciiCase(map.name, own))
            return std::nullopt;
        if (!first && MapListEntry(map.name) == entry)
            first = std::move(map.name);
    }
    return first;
}

bool MapsPresent(int mapsDirFd)
{
    const auto found = listMaps(mapsDirFd);
    return !found.empty() && (found.front().attributes & runtime::FileAttribute::Directory) == 0;
}

int ScanMaps(ProgramState &state, MapList &list)
{
    const std::vector<ListedMap> maps = ScanListedMaps(AT_FDCWD);
    list.assign(maps);
    const int count = static_cast<int>(maps.size());
    state.MapCount = count;
    return count;
}

std::string MapsFoundText(int count)
{
    return "Maps found: " + runtime::FormatInt(count);
}

} // namespace catalogue
