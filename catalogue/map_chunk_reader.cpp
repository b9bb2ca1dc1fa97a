#include "map_chunk_reader.h"

#include "map_scan.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/host_errors.h"
#include "runtime/working_directory.h"
#include "tree_folders.h"

#include <algorithm>

namespace catalogue {
namespace {

// Whether a failed open may still find the map by the first file listed as
// its entry: only a typed name that named no file at all.
bool mayFindByListing(const ListedMap &map)
{
    return map.file.empty() && map.entry.find('/') == std::string::npos
        && runtime::PendingIoCode() == runtime::IoCode::FileNotFound;
}

} // namespace

void OpenMapFile(runtime::IoCheckedFile &file, const runtime::FolderNames &names, int mapsDirFd, const ListedMap &map,
                 const std::string &messagePath, int relativeTo)
{
    const std::string name = ListedFileName(map);
    const bool inFolder = name.find('/') == std::string::npos;
    const std::string first = inFolder && !map.regular ? names.resolve(name) : name;
    if (inFolder)
        runtime::BindResolvedPath(file, messagePath, relativeTo, mapsDirFd, first,
                                  map.regular || names.listedRegular(first));
    else
        runtime::BindPath(file, messagePath, relativeTo); // resolved on open, as a path
    runtime::OpenBlockFile(file, 1);
    if (inFolder && runtime::PendingIoCode() == runtime::IoCode::FileNotFound) {
        const std::string other = names.resolveAfterMiss(name);
        if (other != first) {
            runtime::ClearIoCode();
            runtime::BindResolvedPath(file, messagePath, relativeTo, mapsDirFd, other);
            runtime::OpenBlockFile(file, 1);
        }
    }
    if (inFolder && mayFindByListing(map) && messagePath.ends_with(name)) {
        if (const auto listed = FileListedAs(mapsDirFd, map.entry)) {
            runtime::ClearIoCode();
            const std::string path = messagePath.substr(0, messagePath.size() - name.size()) + *listed;
            runtime::BindResolvedPath(file, path, relativeTo, mapsDirFd, *listed);
            runtime::OpenBlockFile(file, 1);
        }
    }
    runtime::CheckIo();
}

void OpenMapFile(runtime::IoCheckedFile &file, TreeFolders &tree, const ListedMap &map, const std::string &messagePath,
                 int relativeTo)
{
    const std::size_t slash = map.file.rfind('/');
    if (slash == std::string::npos) {
        OpenMapFile(file, tree.topNames(), tree.topFd(), map, messagePath, relativeTo);
        return;
    }
    const auto folder = tree.at(map.file.substr(0, slash));
    if (!folder->handle.valid()) {
        runtime::RecordHostError(folder->error, messagePath, relativeTo);
        runtime::CheckIo();
    }
    OpenMapFile(file, folder->names, folder->handle.fd(), ListedMap(map.entry, map.file.substr(slash + 1), map.regular),
                messagePath, relativeTo);
}

std::string OpenMapAt(runtime::IoCheckedFile &file, int relativeTo, const std::string &dir, const ListedMap &map)
{
    std::string path = ListedMapPath(dir, map);
    runtime::BindPath(file, path, relativeTo);
    runtime::OpenBlockFile(file, 1);
    if (mayFindByListing(map)) {
        std::optional<std::string> listed;
        {
            const runtime::SavedIoCode keep; // a folder that does not open leaves the map's own error
            const runtime::DirectoryHandle folder = runtime::DirectoryHandle::Open(dir, relativeTo);
            if (folder.valid())
                listed = FileListedAs(folder.fd(), map.entry);
        }
        if (listed) {
            runtime::ClearIoCode();
            path = dir + runtime::PathSeparator + *listed;
            runtime::BindPath(file, path, relativeTo);
            runtime::OpenBlockFile(file, 1);
        }
    }
    runtime::CheckIo();
    return path;
}

std::optional<std::string_view> MapChunkReader::next(std::size_t most)
{
    if (failure_)
        throw *failure_;
    const bool atEnd = runtime::BlockFileAtEnd(file_);
    runtime::CheckIo();
    if (atEnd)
        return std::nullopt;
    const std::size_t got = runtime::ReadBlock(file_, buffer_.data(), std::min(most, buffer_.size()));
    try {
        runtime::CheckIo();
    } catch (const runtime::EInOutError &error) {
        if (got == 0)
            throw;
        failure_ = error;
    }
    if (got == 0)
        return std::nullopt;
    return std::string_view(buffer_.data(), got);
}

} // namespace catalogue
