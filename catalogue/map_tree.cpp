#include "map_tree.h"

#include "map_scan.h"

#include "runtime/folder_walk.h"

namespace catalogue {

std::vector<MapFolder> ScanMapTree(int topFd, runtime::MatchDetail detail)
{
    std::vector<MapFolder> folders;
    runtime::WalkFolders(
        topFd,
        [&](const std::string &path, int fd) {
            MapFolder folder{path, {}, std::nullopt};
            if (const std::int32_t code = runtime::ListMatches(fd, MapPattern, folder.maps, detail); code != 0) {
                if (path.empty()) {
                    runtime::RecordIoCode(code);
                    runtime::CheckIo();
                }
                folder.error.emplace(runtime::IoMessageTable(code), code, path);
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
            folders.push_back({error.path(), {}, error});
        });
    return folders;
}

std::string FolderPath(const std::string &dir, const std::string &folder)
{
    return folder.empty() ? dir : dir + '/' + folder;
}

} // namespace catalogue
