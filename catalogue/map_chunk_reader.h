#pragma once

#include "listed_map.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace runtime {
class FolderNames;
}

namespace catalogue {

// Opens map's file in the folder mapsDirFd for block reading, with codes and
// messages about messagePath (relative to relativeTo), which ends in the
// map's file name. Names come resolved from names, the folder's listing, so
// a map named ".FCW" opens without a directory pass of its own; a map whose
// own listing saw a regular file needs neither. A map known by its entry
// alone falls back on FileListedAs. Raises EInOutError when it cannot be
// opened.
void OpenMapFile(runtime::IoCheckedFile &file, const runtime::FolderNames &names, int mapsDirFd, const ListedMap &map,
                 const std::string &messagePath, int relativeTo);

class TreeFolders;
// The same for a map of the tree: a listed file "FOLDER/NAME" opens as NAME
// in FOLDER, reached from the top by descriptors (TreeFolders); any other
// map opens in the top folder.
void OpenMapFile(runtime::IoCheckedFile &file, TreeFolders &tree, const ListedMap &map, const std::string &messagePath,
                 int relativeTo);

// The same for one map in the folder dir (relative to relativeTo), named by
// its path; returns the path it opened.
std::string OpenMapAt(runtime::IoCheckedFile &file, int relativeTo, const std::string &dir, const ListedMap &map);

// Has the system read the first bytes of each map opened ahead in the
// background, unless the last of them already starts in memory: maps read
// before are then in memory throughout, and asking after every page of
// every map cost more than the reading it spared. Each item has a `file`.
template <class Items>
void ReadAheadUnlessInMemory(Items &opened, std::uint64_t bytes)
{
    if (opened.empty() || runtime::StartIsInMemory(opened.back().file))
        return;
    for (auto &map : opened)
        runtime::StartReadingAhead(map.file, bytes);
}

// Reads one map file, opened with OpenBlockFile and a record size of 1, in
// chunks as large as the buffer the caller owns. Map files are read, never
// mapped: a file cut short while we read gives an error, not a crash.
// The reader refers to both the file and the buffer: neither may end before it.
class MapChunkReader final {
public:
    MapChunkReader(runtime::IoCheckedFile &file, std::span<char> buffer) : file_(file), buffer_(buffer) {}

    // The next bytes of the file, nothing at its end. The view points into the
    // buffer and is invalidated by the next call. A read that fails after some
    // bytes came hands those bytes out first; the next call raises the error.
    // At most `most` bytes come, where a caller wants only a file's start.
    std::optional<std::string_view> next(std::size_t most = SIZE_MAX);

private:
    runtime::IoCheckedFile &file_;
    std::span<char> buffer_;
    std::optional<runtime::EInOutError> failure_;
};

} // namespace catalogue
