#include "directory_match.h"

#include "byte_strings.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {
namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct SplitPattern {
    std::string directory; // "" for the current directory
    std::string namePattern;
};

SplitPattern splitPattern(const std::string &pattern)
{
    const auto slash = pattern.find_last_of('/');
    if (slash == std::string::npos)
        return {"", pattern};
    return {slash == 0 ? std::string("/") : pattern.substr(0, slash), pattern.substr(slash + 1)};
}

std::uint32_t attributesOf(const std::string &name, const struct stat &info)
{
    std::uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode))
        attributes |= FileAttribute::Directory;
    else
        attributes |= FileAttribute::Archive;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attributes |= FileAttribute::Hidden;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FileAttribute::ReadOnly;
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode))
        attributes |= FileAttribute::System; // devices, pipes and sockets
    return attributes;
}

// Every entry of directory whose name matches namePattern, in name order.
// Returns an empty list when the directory cannot be read.
std::vector<MatchRecord::Entry> listMatches(const SplitPattern &split)
{
    std::vector<MatchRecord::Entry> entries;
    const std::string dirPath = split.directory.empty() ? std::string(".") : split.directory;
    DirHandle dir(::opendir(dirPath.c_str()));
    if (!dir)
        return entries;
    const int dirFd = ::dirfd(dir.get());
    while (const dirent *item = ::readdir(dir.get())) {
        std::string name = item->d_name;
        if (!WildcardMatches(split.namePattern, name))
            continue;
        struct stat info {};
        if (::fstatat(dirFd, name.c_str(), &info, 0) != 0 && ::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // vanished meanwhile
        entries.push_back({name, static_cast<std::uint64_t>(info.st_size), attributesOf(name, info),
                           static_cast<std::int64_t>(info.st_mtime)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const MatchRecord::Entry &a, const MatchRecord::Entry &b) { return NameSortsBefore(a.name, b.name); });
    return entries;
}

bool hasWildcard(const std::string &text)
{
    return text.find_first_of("*?") != std::string::npos;
}

// Hands out the next entry that the exclusion mask lets through.
std::int32_t takeNext(MatchRecord &record)
{
    while (record.next < record.pending.size()) {
        const auto &entry = record.pending[record.next++];
        if (entry.attributes & record.ExcludeMask)
            continue;
        record.Name = entry.name;
        record.Size = entry.size;
        record.Attributes = entry.attributes;
        record.WriteTime = entry.writeTime;
        return 0;
    }
    return NoMoreFiles;
}

} // namespace

std::int32_t FindFirstMatch(const std::string &pattern, std::uint32_t attributeMask, MatchRecord &record)
{
    EndMatchSearch(record);
    record.ExcludeMask = ~attributeMask & 30u;
    record.pending = listMatches(splitPattern(pattern));
    record.next = 0;
    if (record.pending.empty())
        return 2; // nothing matches: "file not found", as an empty directory reports it
    record.open = true;
    const std::int32_t code = takeNext(record);
    if (code != 0)
        EndMatchSearch(record);
    return code;
}

std::int32_t FindNextMatch(MatchRecord &record)
{
    if (!record.open)
        return NoMoreFiles;
    return takeNext(record);
}

void EndMatchSearch(MatchRecord &record)
{
    record.pending.clear();
    record.pending.shrink_to_fit();
    record.next = 0;
    record.open = false;
}

bool FirstMatchIsFile(const std::string &nameOrPattern)
{
    if (!hasWildcard(nameOrPattern)) {
        struct stat info {};
        const std::string resolved = ResolveNameIgnoringCase(nameOrPattern);
        return ::stat(resolved.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
    }
    MatchRecord record;
    if (FindFirstMatch(nameOrPattern, FileAttribute::Any, record) != 0)
        return false;
    const bool isFile = (record.Attributes & FileAttribute::Directory) == 0;
    EndMatchSearch(record);
    return isFile;
}

std::string ResolveNameIgnoringCase(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 || errno != ENOENT)
        return path;
    const SplitPattern split = splitPattern(path);
    if (split.namePattern.empty())
        return path;
    const std::string dirPath = split.directory.empty() ? std::string(".") : split.directory;
    DirHandle dir(::opendir(dirPath.c_str()));
    if (!dir)
        return path;
    std::string best;
    bool found = false;
    while (const dirent *item = ::readdir(dir.get())) {
        std::string name = item->d_name;
        if (EqualsIgnoringAsciiCase(name, split.namePattern) && (!found || NameSortsBefore(name, best))) {
            best = std::move(name);
            found = true;
        }
    }
    if (!found)
        return path;
    return split.directory.empty() ? best
                                   : (split.directory == "/" ? "/" + best : split.directory + "/" + best);
}

} // namespace runtime
