#pragma once

#include "file_stamp.h"
#include "io_error.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

namespace FileAttribute {
inline constexpr std::uint32_t ReadOnly = 1;
inline constexpr std::uint32_t Hidden = 2;
inline constexpr std::uint32_t System = 4;
inline constexpr std::uint32_t VolumeLabel = 8;
inline constexpr std::uint32_t Directory = 16;
inline constexpr std::uint32_t Archive = 32;
inline constexpr std::uint32_t Any = 63;
} // namespace FileAttribute

// Code returned when an enumeration has no (more) entries.
inline constexpr std::int32_t NoMoreFiles = IoCode::NoMoreFiles;

// One directory enumeration. The listing is taken when it starts and handed
// out in name order, so it reads alphabetically whatever the file system does.
struct MatchRecord {
    std::string Name; // the entry's name, without directory
    std::uint64_t Size = 0;
    std::uint32_t Attributes = 0;
    std::int64_t WriteTime = 0; // seconds since the epoch
    FileStamp Stamp;            // none when the listing gave only types
    std::uint32_t ExcludeMask = 0;

    struct Entry {
        std::string name;
        std::uint64_t size;
        std::uint32_t attributes;
        std::int64_t writeTime;
        FileStamp stamp;
    };
    std::vector<Entry> pending; // entries not yet handed out
    std::size_t next = 0;
    bool open = false;
};

// How much ListMatches learns of each entry: everything (one fstatat each),
// or only what the listing's entry types give (Directory, System, Hidden;
// no size or time), with fstatat only where the type is unknown or a link.
enum class MatchDetail { Full, TypesOnly };

// Every entry of the directory dirFd whose name matches namePattern, in name
// order. Returns 0, or the code of a directory that cannot be listed.
std::int32_t ListMatches(int dirFd, const std::string &namePattern, std::vector<MatchRecord::Entry> &entries,
                         MatchDetail detail = MatchDetail::Full);

// What a full listing says of dirFd's entry name; false when it is gone.
bool StatMatch(int dirFd, const std::string &name, MatchRecord::Entry &entry);

// The entries of one listing that learned only their types, in name order.
// The names stand in one buffer, so a folder of many thousand maps is listed
// without an allocation for each name.
class TypedListing final {
public:
    std::size_t size() const { return slots_.size(); }
    std::string_view name(std::size_t index) const
    {
        return std::string_view(names_).substr(slots_[index].offset, slots_[index].length);
    }
    // Directory, System, Hidden as ListMatches gives them with TypesOnly.
    std::uint32_t attributes(std::size_t index) const { return slots_[index].attributes; }

private:
    friend std::int32_t ListMatchTypes(int dirFd, const std::string &namePattern, TypedListing &listing);
    struct Slot {
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t attributes;
    };
    std::string names_;
    std::vector<Slot> slots_;
};

// ListMatches with TypesOnly, into a TypedListing: the same entries in the
// same order.
std::int32_t ListMatchTypes(int dirFd, const std::string &namePattern, TypedListing &listing);

// Starts an enumeration of pattern ("dir/*.fcw" or "*.fcw"); 0 or a code.
std::int32_t FindFirstMatch(const std::string &pattern, std::uint32_t attributeMask, MatchRecord &record);
std::int32_t FindNextMatch(MatchRecord &record);
void EndMatchSearch(MatchRecord &record);

// True when the first entry matching name or pattern exists and is not a directory.
bool FirstMatchIsFile(const std::string &nameOrPattern);
// The same for a name (no pattern) in the directory dirFd.
bool FirstMatchIsFile(int dirFd, const std::string &name);

} // namespace runtime

namespace runtime {

// The file that path (relative to dirFd) opens, so a collection copied with
// other cases still opens. Of the last component: the name itself when it
// exists; else an entry with its stem and its extension in any case ("a.FCW"
// for "a.fcw"); else the first entry equal to it ignoring ASCII case, in
// listing order; else the name unchanged. The directory part stays as written.
std::string ResolveNameIgnoringCase(int dirFd, const std::string &path);
// The same relative to the current directory.
std::string ResolveNameIgnoringCase(const std::string &path);

} // namespace runtime

namespace runtime {

// Resolves many names in one folder as ResolveNameIgnoringCase does, with at
// most one directory pass for all of them: the folder is listed the first
// time a name is missing, and every later name is looked up in that listing.
// Until then names are taken as they stand, and the caller reports a miss
// with resolveAfterMiss. Safe to use from several threads at once.
class FolderNames final {
public:
    explicit FolderNames(int dirFd) : dirFd_(dirFd) {}
    FolderNames(const FolderNames &) = delete;
    FolderNames &operator=(const FolderNames &) = delete;

    // The name to open: name itself until the folder has been listed.
    std::string resolve(const std::string &name) const;
    // name did not open as it stands: lists the folder (once) and resolves it.
    std::string resolveAfterMiss(const std::string &name) const;
    // Lists the folder now, for a caller about to open most of it: one pass
    // answers every name, and tells which names are regular files, so their
    // opens need not ask.
    void listNow() const { list(); }
    // The listing (if taken) gave name as a regular file.
    bool listedRegular(const std::string &name) const;

private:
    struct ListedName {
        std::string name;
        bool regular = false; // as the listing gave its type
    };

    void list() const;
    std::string lookUp(const std::string &name) const;
    const ListedName *exact(const std::string &name) const;

    int dirFd_;
    mutable std::once_flag listing_;
    mutable std::atomic<bool> listed_{false};
    // In listing order, which is also the order of binary search: names
    // equal but for case stand together. No index beside them: on 20,000
    // maps the hash tables took 20 to 30 ms to build before a search began.
    mutable std::vector<ListedName> names_;
};

} // namespace runtime
