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

std::vector<std::string> ScanMapEntries(int mapsDirFd)
{
    const auto listed = listMaps(mapsDirFd);
    std::vector<std::string> entries;
    entries.reserve(listed.size());
    for (const auto &found : listed)
        entries.push_back(MapListEntry(found.name));
    return entries;
}

bool MapsPresent(int mapsDirFd)
{
    const auto found = listMaps(mapsDirFd);
    return !found.empty() && (found.front().attributes & runtime::FileAttribute::Directory) == 0;
}

int ScanMaps(ProgramState &state, MapList &list)
{
    const std::vector<std::string> entries = ScanMapEntries(AT_FDCWD);
    list.assign(entries);
    const int count = static_cast<int>(entries.size());
    state.MapCount = count;
    return count;
}

std::string MapsFoundText(int count)
{
    return "Maps found: " + runtime::FormatInt(count);
}

} // namespace catalogue
