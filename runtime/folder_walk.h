#pragma once

#include "io_error.h"

#include <functional>
#include <string>

namespace runtime {

// Visits the folder dirFd and every folder below it, depth first: a folder,
// then each of its subfolders in byte order of their names, each with all of
// its own below it before the next. Symbolic links are never followed, so a
// link back up the tree cannot loop; a folder met twice (a bind mount) is
// visited once. visit gets the path below the top ("" for the top, "/"
// between names, bytes as listed) and the folder, open for listing. A
// subfolder that cannot be opened or listed goes to failed with its error
// (its path is the one below the top) and the walk goes on without it.
// Whatever visit raises ends the walk.
void WalkFolders(int dirFd, const std::function<void(const std::string &path, int folderFd)> &visit,
                 const std::function<void(const EInOutError &error)> &failed);

} // namespace runtime
