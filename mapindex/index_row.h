#pragma once

#include "runtime/file_stamp.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapindex {

enum class Change : std::uint8_t { None, New, Changed, Removed };

// What a changed map held when the maps were last marked as seen.
struct SeenState {
    std::uint64_t size = 0;
    std::array<std::optional<std::string>, 4> values;

    bool operator==(const SeenState &) const = default;
};

// Shared by the copies of a row, and only changed rows have one, so a large
// collection pays a pointer a row; equal when what they hold is.
struct SharedSeen {
    std::shared_ptr<const SeenState> state;

    bool operator==(const SharedSeen &other) const
    {
        return state == other.state || (state && other.state && *state == *other.state);
    }
};

// One listed map: what the listing said about its file and what its details say.
struct IndexRow {
    std::string fileName; // as listed; with the folder, the cache's key
    std::string entry;
    std::string folder; // the path below the folder read ("" for its own maps), "/" between names
    std::uint64_t size = 0;
    runtime::FileStamp stamp;                         // with size, what says the details are still those of the file
    std::array<std::optional<std::string>, 4> values; // Windows-1252 bytes, as the map holds them
    std::optional<std::string> error;                 // why the map could not be read
    Change change = Change::None;                     // new or changed, and not yet marked as seen
    SharedSeen seen;                                  // a changed map: what it held when last seen, when known

    bool operator==(const IndexRow &) const = default;
};

// The map's file below the folder read: "a/b/x.fcw", or "x.fcw" for its own
// maps; unique in a reading, so it keys the cache and the change marks.
inline std::string RowPath(const IndexRow &row)
{
    return row.folder.empty() ? row.fileName : row.folder + '/' + row.fileName;
}

// Rows that are never changed in place once made, so that the window and a
// worker thread may read them at once.
using SharedRows = std::shared_ptr<const std::vector<IndexRow>>;

// A map new, changed or removed since the maps were last marked as seen.
struct ChangeNote {
    Change kind = Change::None;
    std::string entry;
    std::string fileName;

    bool operator==(const ChangeNote &) const = default;
};

} // namespace mapindex
