#include "map_index.h"

#include "map_chunk_reader.h"
#include "map_details.h"
#include "map_read_ahead.h"
#include "map_scan.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/ordered_work.h"
#include "tree_folders.h"

#include <algorithm>
#include <utility>

namespace catalogue {
namespace {

// Keeps the value of each shown line; the notice lines match no key.
class RecordView final : public DetailsView {
public:
    explicit RecordView(IndexRecord &record) : record_(record) {}

    void clear() override { record_.values = {}; }
    void setBold(bool) override {}
    void setColour(TextColour) override {}
    void appendLine(const std::string &line) override
    {
        for (std::size_t k = 0; k < DetailKeys.size(); ++k) {
            if (auto value = DetailValue(line, DetailKeys[k]); value && !record_.values[k])
                record_.values[k] = std::move(value);
        }
    }

private:
    IndexRecord &record_;
};

// The run each of threads readers claims: about 64 first blocks asked for
// at once in all where each thread opens its run ahead, which is where a
// disk stopped getting faster, and few open files.
std::size_t firstBlocksRun(unsigned threads)
{
    return std::clamp<std::size_t>(64 / std::max(threads, 1u), 1, 32);
}

} // namespace

std::optional<std::string> DetailValue(std::string_view shownLine, std::string_view key)
{
    if (key.empty() || !shownLine.starts_with(key))
        return std::nullopt;
    shownLine.remove_prefix(key.size());
    const std::size_t start = shownLine.find_first_not_of(": \t");
    return std::string(start == std::string_view::npos ? std::string_view{} : shownLine.substr(start));
}

IndexRecord ReadIndexRecord(const std::string &mapsDir, const ListedMap &map, int relativeTo)
{
    IndexRecord record{map.entry, {}};
    RecordView view(record);
    ShowMapDetailsAt(relativeTo, mapsDir, map, view);
    return record;
}

void ReadRecords(const RecordReading &reading, const std::function<bool(std::size_t item, IndexResult &result)> &done)
{
    std::optional<MapsAhead> ahead;
    if (!reading.readOwn)
        ahead.emplace(reading.count, reading.open, FirstDetailBytes, reading.ioDepth, reading.folderFd);
    const auto makeReader = [&] {
        return [&reading, reader = ahead ? std::optional<MapsAhead::Reader>(std::in_place, *ahead) : std::nullopt](
                   std::size_t i, const runtime::WorkStop &, const runtime::WorkRun &run) mutable {
            IndexResult result;
            try {
                if (reader) {
                    IndexRecord record{reading.entryAt(i), {}};
                    RecordView view(record);
                    runtime::IoCheckedFile &file = reader->file(i, run);
                    result.opened = true;
                    result.size = file.blockSize();
                    result.stamp = file.stamp();
                    ShowOpenedMapDetails(file, view);
                    result.record = std::move(record);
                } else {
                    result.record = reading.readOwn(i);
                }
            } catch (...) {
                result.error = std::current_exception();
            }
            return result;
        };
    };
    runtime::OrderedWorkOptions options;
    options.threads = std::clamp<unsigned>(reading.jobs, 1, 1024);
    options.run = firstBlocksRun(options.threads);
    options.window = 2 * options.run * options.threads; // two runs a thread, as by default
    runtime::ForEachInOrder(reading.count, options, makeReader, done);
}

void ReadIndexRecordsAt(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed, unsigned jobs,
                        const std::function<void(std::size_t index, IndexResult &result)> &done, unsigned ioDepth)
{
    FolderReading reading;
    reading.jobs = jobs;
    reading.ioDepth = ioDepth;
    ReadIndexRecordsIn(relativeTo, mapsDir, listed, reading, [&](std::size_t i, IndexResult &result) {
        done(i, result);
        return true;
    });
}

void ReadIndexRecordsIn(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed,
                        const FolderReading &how,
                        const std::function<bool(std::size_t index, IndexResult &result)> &done)
{
    // Maps are opened in their folder, named from one listing of it; a folder
    // that does not open leaves each map to report its own error.
    runtime::DirectoryHandle maps;
    {
        const runtime::SavedIoCode keep;
        maps = runtime::DirectoryHandle::Open(mapsDir, relativeTo);
    }
    std::optional<TreeFolders> tree;
    if (maps.valid()) {
        tree.emplace(maps.fd());
        if (CountOfUntypedMaps(listed) >= 64) // one pass over the folder spares every map a test before its open
            tree->topNames().listNow();
        for (const auto &[folder, handle] : how.heldFolders)
            tree->adopt(folder, runtime::DirectoryHandle::Duplicate(handle));
    }
    RecordReading reading;
    reading.count = listed.size();
    reading.entryAt = [&](std::size_t i) { return listed[i].entry; };
    reading.folderFd = maps.valid() ? maps.fd() : relativeTo;
    reading.jobs = how.jobs;
    reading.ioDepth = how.ioDepth;
    if (how.readOwn)
        reading.readOwn = [&](std::size_t i) { return how.readOwn(listed[i]); };
    else if (tree)
        reading.open = [&](std::size_t i, runtime::IoCheckedFile &file) {
            OpenMapFile(file, *tree, listed[i], ListedMapPath(mapsDir, listed[i]), relativeTo);
        };
    else
        reading.readOwn = [&](std::size_t i) { return ReadIndexRecord(mapsDir, listed[i], relativeTo); };
    ReadRecords(reading, done);
}

} // namespace catalogue
