#include "map_scan.h"

#include "runtime/byte_strings.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

namespace catalogue {
namespace {

runtime::TypedListing listMaps(int mapsDirFd)
{
    runtime::TypedListing found;
    if (const std::int32_t code = runtime::ListMatchTypes(mapsDirFd, MapPattern, found); code != 0) {
        runtime::RecordIoCode(code);
        runtime::CheckIo();
    }
    return found;
}

bool regularIn(std::uint32_t attributes)
{
    return (attributes & (runtime::FileAttribute::Directory | runtime::FileAttribute::System)) == 0;
}

} // namespace

std::string MapListEntry(std::string_view fileName)
{
    return std::string(fileName.substr(0, fileName.find('.')));
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
    const runtime::TypedListing listed = listMaps(mapsDirFd);
    std::vector<ListedMap> maps;
    maps.reserve(listed.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const std::string_view name = listed.name(i);
        maps.emplace_back(MapListEntry(name), std::string(name), regularIn(listed.attributes(i)));
    }
    return maps;
}

ListedMap ListedFrom(runtime::MatchRecord::Entry found)
{
    std::string entry = MapListEntry(found.name);
    return {std::move(entry), std::move(found.name), regularIn(found.attributes)};
}

std::optional<std::string> FileListedAs(int dirFd, const std::string &entry)
{
    runtime::TypedListing found;
    if (runtime::ListMatchTypes(dirFd, MapPattern, found) != 0)
        return std::nullopt;
    const std::string own = MapFileName(entry);
    std::optional<std::string> first;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::string_view name = found.name(i);
        if (runtime::EqualsIgnoringAsciiCase(name, own))
            return std::nullopt;
        if (!first && MapListEntry(name) == entry)
            first = std::string(name);
    }
    return first;
}

bool MapsPresent(int mapsDirFd)
{
    const runtime::TypedListing found = listMaps(mapsDirFd);
    return found.size() != 0 && (found.attributes(0) & runtime::FileAttribute::Directory) == 0;
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
