#pragma once

#include "listed_map.h"
#include "runtime/io_checked_file.h"

#include <array>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace catalogue {

// One map's row of the index: its entry and the values of the four detail
// keys, in key order. A value is Windows-1252 bytes, as read; it is empty
// (nothing) when the details would show no line for that key.
struct IndexRecord {
    std::string entry;
    std::array<std::optional<std::string>, 4> values;
};

// The value of a shown detail line: the line less the key and then less
// any leading ":" and blanks; nothing when the line is not the key's.
std::optional<std::string> DetailValue(std::string_view shownLine, std::string_view key);

// Reads the record of map's file in mapsDir (relative to the folder
// relativeTo), with the lines the details would show. Raises EInOutError
// when the map cannot be read.
IndexRecord ReadIndexRecord(const std::string &mapsDir, const ListedMap &map, int relativeTo = AT_FDCWD);

// One map's outcome: its record, or the error that stopped its reading.
struct IndexResult {
    std::optional<IndexRecord> record;
    std::exception_ptr error;
    // The file as it opened, when it did: a reading of names alone learns
    // from it what a full listing would have said.
    bool opened = false;
    std::uint64_t size = 0;
    runtime::FileStamp stamp;
};

// A reading of many maps' records: how map i opens (raising its error),
// and its entry.
struct RecordReading {
    std::size_t count = 0;
    std::function<void(std::size_t item, runtime::IoCheckedFile &file)> open;
    std::function<std::string(std::size_t item)> entryAt;
    int folderFd = AT_FDCWD; // where the storage is judged for the depth
    unsigned jobs = 1;       // threads that read the records
    unsigned ioDepth = 0;    // opens and first reads at once; 0 lets the storage choose
    // Reads map i some other way, in place of open (a seam for tests).
    std::function<IndexRecord(std::size_t item)> readOwn;
};

// Reads the records with jobs threads, the maps opened ahead (MapsAhead),
// and hands each outcome to done in list order on the calling thread; done
// returns false to stop. Should done raise, the reading stops and the error
// comes out of here.
void ReadRecords(const RecordReading &reading, const std::function<bool(std::size_t item, IndexResult &result)> &done);

// How ReadIndexRecordsIn reads.
struct FolderReading {
    unsigned jobs = 1;
    unsigned ioDepth = 0; // 0 lets the storage choose
    // Folders below mapsDir as a walk holds them open (path, descriptor):
    // their maps are read in them. The descriptors stay the caller's.
    std::vector<std::pair<std::string, int>> heldFolders;
    std::function<IndexRecord(const ListedMap &map)> readOwn; // a seam for tests
};

// Reads the records of the listed maps in mapsDir (relative to the folder
// relativeTo) as ReadRecords does. A map listed as "FOLDER/FILE" is read
// in FOLDER below mapsDir, reached by descriptors without following a link
// (TreeFolders), never by its path.
void ReadIndexRecordsIn(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed,
                        const FolderReading &how,
                        const std::function<bool(std::size_t index, IndexResult &result)> &done);
// The same with every outcome taken.
void ReadIndexRecordsAt(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed, unsigned jobs,
                        const std::function<void(std::size_t index, IndexResult &result)> &done, unsigned ioDepth = 0);

} // namespace catalogue
