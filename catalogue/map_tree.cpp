#include "map_tree.h"

#include "map_scan.h"

#include "runtime/folder_walk.h"
#include "runtime/io_depth.h"

#include <algorithm>

namespace catalogue {

std::vector<MapFolder> ScanMapTree(int topFd, runtime::MatchDetail detail)
{
    std::vector<MapFolder> folders;
    std::size_t held = 0;
    const std::size_t mostHeld = std::min<std::size_t>(HeldFolders, runtime::DescriptorShare());
    runtime::WalkFolders(
        topFd,
        [&](const std::string &path, int fd) {
            MapFolder folder{path, {}, std::nullopt, {}};
            if (const std::int32_t code = runtime::ListMatches(fd, MapPattern, folder.maps, detail); code != 0) {
                if (path.empty()) {
                    runtime::RecordIoCode(code);
                    runtime::CheckIo();
                }
                folder.error.emplace(runtime::IoMessageTable(code), code, path);
            }
            if (!path.empty() && !folder.maps.empty() && held < mostHeld) {
                folder.handle = runtime::DirectoryHandle::Duplicate(fd);
                held += folder.handle.valid() ? 1 : 0;
            }
            folders.push_back(std::move(folder));
        },
        [&](const runtime::EInOutError &error) {
            // A folder whose maps could not be listed fails again when its
            // subfolders are sought: that is the same error, said once.
            if (!folders.empty() && folders.back().folder == error.path() && folders.back().error)
                return;
            // A folder listed, then found unreadable when its subfolders were sought: its
            // maps stand, and the error follows them.
            folders.push_back({error.path(), {}, error, {}});
        });
    return folders;
}

std::string FolderPath(const std::string &dir, const std::string &folder)
{
    return folder.empty() ? dir : dir + '/' + folder;
}

} // namespace catalogue
