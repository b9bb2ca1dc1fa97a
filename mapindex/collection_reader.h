#pragma once

#include "index_row.h"
#include "unreachable_folders.h"

#include "catalogue/map_index.h"
#include "runtime/directory_handle.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapindex {

// The maps of mapsDir as the scan lists them, in listing order, with sizes
// and times but no details. Raises EInOutError when the folder cannot be listed.
std::vector<IndexRow> ListMaps(const std::string &mapsDir);
// The same, but nothing when every map stands as in previous (same file, in
// the same place, size and time, and read without an error): a collection
// that did not change then costs no second copy of its rows.
std::optional<std::vector<IndexRow>> ListChangedMaps(const std::string &mapsDir, const std::vector<IndexRow> *previous);

// The same for mapsDir and every folder below it (links to folders not
// followed), each folder's own maps first, then its subfolders in byte order.
// A subfolder that cannot be listed or entered goes to unreachable, so that
// its maps are not taken for removed. With held, the subfolders the walk
// opened stay open there, for their maps to be read in them.
using HeldFolders = std::vector<std::pair<std::string, runtime::DirectoryHandle>>;
std::vector<IndexRow> ListMapTree(const std::string &mapsDir, std::vector<UnreachableFolder> &unreachable,
                                  HeldFolders *held = nullptr);

// Whether some folder below mapsDir holds a map; false when none can be listed.
bool SubfoldersHoldMaps(const std::string &mapsDir);

// Reads one map's details; the seam through which tests count the opens.
using RecordReader = std::function<catalogue::IndexRecord(const std::string &mapsDir, const catalogue::ListedMap &map)>;

struct ReadRequest {
    std::string mapsDir;
    bool subfolders = false;                         // the maps of every folder below it too
    const std::vector<IndexRow> *previous = nullptr; // the last reading (the cache), if any
    RecordReader reader;                             // catalogue::ReadIndexRecord when empty
    unsigned jobs = 1;
    std::function<bool()> stop;                                        // true once the reading should end
    std::function<void(std::size_t done, std::size_t total)> progress; // any thread
};

struct ReadOutcome {
    std::vector<IndexRow> rows;  // listing order; none when sameAsPrevious
    bool sameAsPrevious = false; // the listing matched request.previous: its rows stand, marks and all
    std::size_t mapsRead = 0;    // details actually read, not taken from the cache
    bool cancelled = false;
    std::vector<UnreachableFolder> unreachable; // folders below not listed: their previous rows are kept
};

// Lists the folder and fills every row, taking a previous row as it is when
// its file kept its size and time; an unreadable map keeps its row with the
// error, and a subfolder that cannot be listed its previous rows. Raises
// EInOutError when the folder itself cannot be listed.
ReadOutcome ReadCollection(const ReadRequest &request);

} // namespace mapindex
