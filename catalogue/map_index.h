#pragma once

#include "listed_map.h"
#include "runtime/io_checked_file.h"

#include <array>
#include <deque>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {
class FolderNames;
struct WorkRun;
} // namespace runtime

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

// Reads the records of many maps in one folder: one per thread of
// ForEachInOrder. At the start of a run it opens the run's other maps and
// has their first blocks read in the background, so the disk serves many
// small reads at once instead of one per thread; each map's record, or its
// error, still comes at the map's own turn.
class FirstBlocksReader final {
public:
    using MapAt = std::function<ListedMap(std::size_t item)>;
    FirstBlocksReader(const runtime::FolderNames &names, int mapsDirFd, int relativeTo, const std::string &mapsDir,
                      MapAt mapAt)
        : names_(names), mapsDirFd_(mapsDirFd), relativeTo_(relativeTo), mapsDir_(mapsDir), mapAt_(std::move(mapAt))
    {}

    // Raises EInOutError when the map cannot be read.
    IndexRecord read(std::size_t item, const runtime::WorkRun &run);

private:
    struct Opened {
        runtime::IoCheckedFile file;
        std::exception_ptr error; // raised at the map's turn
    };
    void open(runtime::IoCheckedFile &file, const ListedMap &map) const;
    void openAhead(const runtime::WorkRun &run);

    const runtime::FolderNames &names_;
    int mapsDirFd_;
    int relativeTo_;
    const std::string &mapsDir_;
    MapAt mapAt_;
    std::deque<Opened> ahead_; // items aheadFirst_ on of the current run
    std::size_t aheadFirst_ = 0;
};

// The run each of threads readers claims: about 64 first blocks in flight in
// all, which is where the disk stopped getting faster, and few open files.
std::size_t FirstBlocksRun(unsigned threads);

// One map's outcome: its record, or the error that stopped its reading.
struct IndexResult {
    std::optional<IndexRecord> record;
    std::exception_ptr error;
};

// Reads the records of the listed maps in mapsDir (relative to the folder
// relativeTo) with up to jobs threads at once and hands each outcome to done,
// in list order, on the calling thread. Should done raise, the reading stops
// and the error comes out of here.
void ReadIndexRecordsAt(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed, unsigned jobs,
                        const std::function<void(std::size_t index, IndexResult &result)> &done);

} // namespace catalogue
