#pragma once

#include <cstdint>
#include <string>
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
inline constexpr std::int32_t NoMoreFiles = 18;

// One directory enumeration. The listing is taken when it starts and handed
// out in name order, so it reads alphabetically whatever the file system does.
struct MatchRecord {
    std::string Name;          // the entry's name, without directory
    std::uint64_t Size = 0;
    std::uint32_t Attributes = 0;
    std::int64_t WriteTime = 0; // seconds since the epoch
    std::uint32_t ExcludeMask = 0;

    struct Entry {
        std::string name;
        std::uint64_t size;
        std::uint32_t attributes;
        std::int64_t writeTime;
    };
    std::vector<Entry> pending; // entries not yet handed out
    std::size_t next = 0;
    bool open = false;
};

// Starts an enumeration of pattern ("dir/*.fcw" or "*.fcw"); 0 or a code.
std::int32_t FindFirstMatch(const std::string &pattern, std::uint32_t attributeMask, MatchRecord &record);
std::int32_t FindNextMatch(MatchRecord &record);
void EndMatchSearch(MatchRecord &record);

// True when the first entry matching name or pattern exists and is not a directory.
bool FirstMatchIsFile(const std::string &nameOrPattern);

} // namespace runtime

namespace runtime {

// When path does not exist as written, the entry of its directory whose name
// equals its last component without regard to ASCII case (a collection
// copied with upper-case extensions still opens); otherwise path itself.
std::string ResolveNameIgnoringCase(const std::string &path);

} // namespace runtime
