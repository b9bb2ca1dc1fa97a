#include "directory_match.h"

#include "byte_strings.h"
#include "directory_handle.h"
#include "host_errors.h"
#include "io_depth.h"
#include "ordered_work.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {
namespace {

struct DirCloser {
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirStream = std::unique_ptr<DIR, DirCloser>;

// A stream over the directory dirFd names; errno is set when it fails.
DirStream openListing(int dirFd, const char *path = ".")
{
    const int fd = ::openat(dirFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DirStream dir(::fdopendir(fd));
    if (!dir)
        ::close(fd);
    return dir;
}

// A stat with only the file type (and every write bit) an entry type gives.
struct stat typeMode(unsigned char type)
{
    struct stat info {};
    info.st_mode = S_IWUSR | (type == DT_DIR ? S_IFDIR : type == DT_REG ? S_IFREG : S_IFIFO);
    return info;
}

std::uint32_t attributesOf(std::string_view name, const struct stat &info)
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

// Sorts items as NameSortsBefore orders their names. Each name's first 16
// bytes, upper-cased, are packed once into two big-endian words, so most
// comparisons are two integer compares (a large folder's scan spent most of
// its time comparing names); only names that agree that far are compared
// in full.
template <class Item, class NameOf>
void sortByName(std::vector<Item> &items, const NameOf &nameOf)
{
    struct Key {
        std::uint64_t high = 0; // padded with NULs, which sort first, as a shorter name does
        std::uint64_t low = 0;
        std::size_t index = 0;
    };
    std::vector<Key> keys(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string_view name = nameOf(items[i]);
        keys[i].index = i;
        for (std::size_t k = 0; k < std::min<std::size_t>(name.size(), 16); ++k) {
            const std::uint64_t byte = static_cast<unsigned char>(AsciiUpper(name[k]));
            (k < 8 ? keys[i].high : keys[i].low) |= byte << (56 - 8 * (k % 8));
        }
    }
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return NameSortsBefore(nameOf(items[a.index]), nameOf(items[b.index]));
    });
    // Moved into place cycle by cycle: a second copy of a large listing
    // would double its memory for a moment.
    std::vector<std::size_t> from(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        from[i] = keys[i].index;
    keys = {};
    for (std::size_t start = 0; start < from.size(); ++start) {
        if (from[start] == start)
            continue;
        Item held = std::move(items[start]);
        std::size_t at = start;
        while (from[at] != start) {
            const std::size_t next = from[at];
            items[at] = std::move(items[next]);
            from[at] = at;
            at = next;
        }
        items[at] = std::move(held);
        from[at] = at;
    }
}

std::vector<std::string> sortedNames(DIR *dir)
{
    std::vector<std::string> names;
    while (const dirent *item = ::readdir(dir))
        names.emplace_back(item->d_name);
    sortByName(names, [](const std::string &name) -> const std::string & { return name; });
    return names;
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
        record.Stamp = entry.stamp;
        return 0;
    }
    return NoMoreFiles;
}

std::string extensionOf(const std::string &name)
{
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The entry's own stat, or its link's; false when it vanished meanwhile.
bool statEntry(int dirFd, const char *name, struct stat &info)
{
    return ::fstatat(dirFd, name, &info, 0) == 0 || ::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// Calls found(name, info, stamped) for each entry of the directory dirFd whose
// name matches namePattern, in the order the file system lists them. With
// TypesOnly, info holds only the type where the listing gives it (stamped is
// then false). Returns 0, or the code of a directory that cannot be listed.
// reserve(bytes) is told first the folder's size, where the file system gives one.
template <class Reserve, class Found>
std::int32_t visitMatches(int dirFd, const std::string &namePattern, MatchDetail detail, const Reserve &reserve,
                          const Found &found)
{
    const DirStream dir = openListing(dirFd);
    if (!dir)
        return CodeForHostError(errno, ".");
    const int listedFd = ::dirfd(dir.get());
    // The folder's size, so a large listing does not grow and copy itself
    // step by step: it holds every name, at some 32 bytes an entry.
    if (struct stat folder{}; ::fstat(listedFd, &folder) == 0 && folder.st_size > 0)
        reserve(std::min<std::size_t>(static_cast<std::size_t>(folder.st_size), 1u << 25));
    // On a share every stat waits a round trip: there the names are listed
    // first and stat'ed by many readers at once.
    const unsigned depth = detail == MatchDetail::Full ? ChosenIoDepth(listedFd) : 0;
    std::vector<std::string> toStat;
    for (;;) {
        errno = 0;
        const dirent *item = ::readdir(dir.get());
        if (!item)
            break;
        if (!WildcardMatches(namePattern, item->d_name))
            continue;
        if (detail == MatchDetail::TypesOnly && item->d_type != DT_UNKNOWN && item->d_type != DT_LNK) {
            found(item->d_name, typeMode(item->d_type), false);
            continue;
        }
        if (depth > 1) {
            toStat.emplace_back(item->d_name);
            continue;
        }
        struct stat info {};
        if (statEntry(listedFd, item->d_name, info))
            found(item->d_name, info, true);
    }
    if (errno != 0)
        return CodeForHostError(errno, ".");
    if (toStat.empty())
        return 0;
    OrderedWorkOptions options;
    options.threads = depth;
    runtime::ForEachInOrder(
        toStat.size(), options,
        [&](std::size_t i, const WorkStop &) {
            std::optional<struct stat> info(std::in_place);
            if (!statEntry(listedFd, toStat[i].c_str(), *info))
                info.reset();
            return info;
        },
        [&](std::size_t i, const std::optional<struct stat> &info) {
            if (info)
                found(toStat[i].c_str(), *info, true);
        });
    return 0;
}

} // namespace

bool StatMatch(int dirFd, const std::string &name, MatchRecord::Entry &entry)
{
    struct stat info {};
    if (!statEntry(dirFd, name.c_str(), info))
        return false;
    entry = {name, static_cast<std::uint64_t>(info.st_size), attributesOf(name, info),
             static_cast<std::int64_t>(info.st_mtime), StampOf(info)};
    return true;
}

std::int32_t ListMatches(int dirFd, const std::string &namePattern, std::vector<MatchRecord::Entry> &entries,
                         MatchDetail detail)
{
    entries.clear();
    const std::int32_t code = visitMatches(
        dirFd, namePattern, detail, [&](std::size_t bytes) { entries.reserve(bytes / 32); },
        [&](const char *name, const struct stat &info, bool stamped) {
            if (stamped)
                entries.push_back({name, static_cast<std::uint64_t>(info.st_size), attributesOf(name, info),
                                   static_cast<std::int64_t>(info.st_mtime), StampOf(info)});
            else
                entries.push_back({name, 0, attributesOf(name, info), 0, {}});
        });
    if (code != 0)
        return code;
    sortByName(entries, [](const MatchRecord::Entry &entry) -> const std::string & { return entry.name; });
    return 0;
}

std::int32_t ListMatchTypes(int dirFd, const std::string &namePattern, TypedListing &listing)
{
    listing.names_.clear();
    listing.slots_.clear();
    const std::int32_t code = visitMatches(
        dirFd, namePattern, MatchDetail::TypesOnly,
        [&](std::size_t bytes) {
            listing.slots_.reserve(bytes / 32);
            listing.names_.reserve(bytes);
        },
        [&](const char *name, const struct stat &info, bool) {
            const std::size_t length = std::strlen(name);
            listing.slots_.push_back(
                {listing.names_.size(), static_cast<std::uint32_t>(length), attributesOf(name, info)});
            listing.names_.append(name, length);
        });
    if (code != 0)
        return code;
    sortByName(listing.slots_, [&](const TypedListing::Slot &slot) {
        return std::string_view(listing.names_).substr(slot.offset, slot.length);
    });
    return 0;
}

std::int32_t FindFirstMatch(const std::string &pattern, std::uint32_t attributeMask, MatchRecord &record)
{
    EndMatchSearch(record);
    record.ExcludeMask = ~attributeMask & 30u;
    const PathParts split = SplitPath(pattern);
    DirectoryHandle directory;
    if (!split.folder.empty()) {
        const SavedIoCode keep; // an enumeration reports its code, it records none
        directory = DirectoryHandle::Open(split.folder);
        if (!directory.valid())
            return PendingIoCode();
    }
    const int dirFd = directory.valid() ? directory.fd() : AT_FDCWD;
    const std::int32_t listed = ListMatches(dirFd, split.name, record.pending);
    record.next = 0;
    if (listed != 0)
        return listed;
    if (record.pending.empty())
        return IoCode::FileNotFound; // nothing matches, as an empty directory reports it
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

bool FirstMatchIsFile(int dirFd, const std::string &name)
{
    struct stat info {};
    const std::string resolved = ResolveNameIgnoringCase(dirFd, name);
    return ::fstatat(dirFd, resolved.c_str(), &info, 0) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

std::string resolveInFolder(int dirFd, const std::string &name)
{
    struct stat info {};
    if (name.empty() || ::fstatat(dirFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT)
        return name;
    const DirStream dir = openListing(dirFd);
    if (!dir)
        return name;
    const std::string extension = extensionOf(name);
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extension.size());
    const std::string *caseless = nullptr;
    const std::vector<std::string> names = sortedNames(dir.get());
    for (const std::string &candidate : names) {
        if (!EqualsIgnoringAsciiCase(candidate, name))
            continue;
        if (std::string_view(candidate).substr(0, stem.size()) == stem)
            return candidate; // only the extension's case differs
        if (!caseless)
            caseless = &candidate;
    }
    return caseless ? *caseless : name;
}

} // namespace

std::string ResolveNameIgnoringCase(int dirFd, const std::string &path)
{
    const PathParts split = SplitPath(path);
    if (split.name.empty())
        return path;
    if (split.folder.empty())
        return resolveInFolder(dirFd, path);
    const SavedIoCode keep;
    const DirectoryHandle directory = DirectoryHandle::Open(split.folder, dirFd);
    if (!directory.valid())
        return path;
    const std::string name = resolveInFolder(directory.fd(), split.name);
    return split.folder == "/" ? "/" + name : split.folder + "/" + name;
}

std::string ResolveNameIgnoringCase(const std::string &path)
{
    return ResolveNameIgnoringCase(AT_FDCWD, path);
}

} // namespace runtime

namespace runtime {
void FolderNames::list() const
{
    std::call_once(listing_, [this] {
        if (const DirStream dir = openListing(dirFd_)) {
            while (const dirent *item = ::readdir(dir.get()))
                names_.push_back({item->d_name, item->d_type == DT_REG});
            sortByName(names_, [](const ListedName &listed) -> const std::string & { return listed.name; });
        }
        listed_.store(true, std::memory_order_release);
    });
}

const FolderNames::ListedName *FolderNames::exact(const std::string &name) const
{
    const auto found =
        std::lower_bound(names_.begin(), names_.end(), name, [](const ListedName &listed, const std::string &wanted) {
            return NameSortsBefore(listed.name, wanted);
        });
    return found != names_.end() && found->name == name ? &*found : nullptr;
}

std::string FolderNames::lookUp(const std::string &name) const
{
    if (name.empty() || exact(name))
        return name;
    // Names equal but for case, in listing order.
    const auto [first, last] =
        std::equal_range(names_.begin(), names_.end(), ListedName{name}, [](const ListedName &a, const ListedName &b) {
            return LessIgnoringAsciiCase(a.name, b.name);
        });
    if (first == last)
        return name;
    const std::string_view stem = std::string_view(name).substr(0, name.size() - extensionOf(name).size());
    for (auto candidate = first; candidate != last; ++candidate) {
        if (std::string_view(candidate->name).substr(0, stem.size()) == stem)
            return candidate->name; // only the extension's case differs
    }
    return first->name;
}

std::string FolderNames::resolve(const std::string &name) const
{
    return listed_.load(std::memory_order_acquire) ? lookUp(name) : name;
}

bool FolderNames::listedRegular(const std::string &name) const
{
    if (!listed_.load(std::memory_order_acquire))
        return false;
    const ListedName *listed = exact(name);
    return listed && listed->regular;
}

std::string FolderNames::resolveAfterMiss(const std::string &name) const
{
    list();
    return lookUp(name);
}

} // namespace runtime
