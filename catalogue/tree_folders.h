#pragma once

#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace catalogue {

// The folders of a tree of maps, each reached from the folder above it by
// its descriptor, one name at a time and never through a symbolic link, so
// a map is opened in its own folder and never by a path string: paths past
// the system's limit read, and a folder swapped for a link since the walk
// is not followed. Folders the walk holds open are handed in, so the maps
// are read in the very folders it listed. Safe from several threads.
class TreeFolders final {
public:
    struct Folder {
        runtime::DirectoryHandle handle; // invalid when it did not open
        int error = 0;                   // errno of the failed open
        runtime::FolderNames names;      // the folder's listing, taken on a miss
        explicit Folder(runtime::DirectoryHandle opened, int hostError = 0)
            : handle(std::move(opened)), error(hostError), names(handle.fd())
        {}
    };

    explicit TreeFolders(int topFd) : topFd_(topFd), top_(topFd) {}

    // The top folder's names, shared by every map read in it.
    const runtime::FolderNames &topNames() const { return top_; }
    int topFd() const { return topFd_; }

    // Holds folder (the path below the top, "/" between names) as the walk
    // opened it; an invalid handle is ignored.
    void adopt(const std::string &folder, runtime::DirectoryHandle handle);

    // The folder below the top, opened on first use (or as handed in).
    std::shared_ptr<const Folder> at(const std::string &folder);

private:
    std::shared_ptr<const Folder> openLocked(const std::string &folder);
    void makeRoom();

    int topFd_;
    runtime::FolderNames top_;
    std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const Folder>> open_;
};

} // namespace catalogue
