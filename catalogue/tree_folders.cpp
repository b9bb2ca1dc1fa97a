#include "tree_folders.h"

#include <cerrno>

namespace catalogue {
namespace {

// Folders held open at once: a reading goes through a tree a folder after
// another, so the ones it left are seldom needed again, and a large tree
// must not use up the process's descriptors.
constexpr std::size_t MostHeld = 256;

} // namespace

void TreeFolders::makeRoom()
{
    if (open_.size() >= MostHeld)
        open_.clear(); // the folders in use stay open with their users
}

void TreeFolders::adopt(const std::string &folder, runtime::DirectoryHandle handle)
{
    if (folder.empty() || !handle.valid())
        return;
    const std::lock_guard lock(mutex_);
    makeRoom();
    open_.insert_or_assign(folder, std::make_shared<const Folder>(std::move(handle)));
}

std::shared_ptr<const TreeFolders::Folder> TreeFolders::at(const std::string &folder)
{
    const std::lock_guard lock(mutex_);
    return openLocked(folder);
}

std::shared_ptr<const TreeFolders::Folder> TreeFolders::openLocked(const std::string &folder)
{
    if (const auto found = open_.find(folder); found != open_.end())
        return found->second;
    const std::size_t slash = folder.rfind('/');
    int parentFd = topFd_;
    std::shared_ptr<const Folder> parent; // held while its child opens
    if (slash != std::string::npos) {
        parent = openLocked(folder.substr(0, slash));
        parentFd = parent->handle.fd();
    }
    std::shared_ptr<const Folder> opened;
    if (parent && !parent->handle.valid()) {
        opened = std::make_shared<const Folder>(runtime::DirectoryHandle(), parent->error);
    } else {
        runtime::DirectoryHandle handle = runtime::DirectoryHandle::OpenBelow(
            parentFd, slash == std::string::npos ? folder : folder.substr(slash + 1));
        const int error = handle.valid() ? 0 : errno;
        opened = std::make_shared<const Folder>(std::move(handle), error);
    }
    makeRoom();
    open_.emplace(folder, opened);
    return opened;
}

} // namespace catalogue
