#include "map_index.h"

#include "map_chunk_reader.h"
#include "map_details.h"
#include "map_scan.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/ordered_work.h"

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

void FirstBlocksReader::open(runtime::IoCheckedFile &file, const ListedMap &map) const
{
    OpenMapFile(file, names_, mapsDirFd_, map, ListedMapPath(mapsDir_, map), relativeTo_);
}

void FirstBlocksReader::openAhead(const runtime::WorkRun &run)
{
    ahead_.clear(); // what a stopped run left open
    aheadFirst_ = run.first + 1;
    for (std::size_t j = aheadFirst_; j < run.last; ++j) {
        Opened &opened = ahead_.emplace_back();
        try {
            open(opened.file, mapAt_(j));
        } catch (...) {
            opened.error = std::current_exception();
        }
    }
    ReadAheadUnlessInMemory(ahead_, FirstDetailBytes);
}

IndexRecord FirstBlocksReader::read(std::size_t item, const runtime::WorkRun &run)
{
    if (item == run.first)
        openAhead(run);
    const ListedMap map = mapAt_(item);
    IndexRecord record{map.entry, {}};
    RecordView view(record);
    if (item >= aheadFirst_ && item - aheadFirst_ < ahead_.size()) {
        Opened &opened = ahead_[item - aheadFirst_];
        if (opened.error)
            std::rethrow_exception(std::exchange(opened.error, {}));
        ShowOpenedMapDetails(opened.file, view);
        return record;
    }
    runtime::IoCheckedFile file;
    open(file, map);
    ShowOpenedMapDetails(file, view);
    return record;
}

std::size_t FirstBlocksRun(unsigned threads)
{
    return std::clamp<std::size_t>(64 / std::max(threads, 1u), 1, 32);
}

void ReadIndexRecordsAt(int relativeTo, const std::string &mapsDir, const std::vector<ListedMap> &listed, unsigned jobs,
                        const std::function<void(std::size_t index, IndexResult &result)> &done)
{
    // Maps are opened in their folder, named from one listing of it; a folder
    // that does not open leaves each map to report its own error.
    runtime::DirectoryHandle maps;
    {
        const runtime::SavedIoCode keep;
        maps = runtime::DirectoryHandle::Open(mapsDir, relativeTo);
    }
    std::optional<runtime::FolderNames> names;
    if (maps.valid()) {
        names.emplace(maps.fd());
        if (CountOfUntypedMaps(listed) >= 64) // one pass over the folder spares every map a test before its open
            names->listNow();
    }
    const auto makeReader = [&] {
        return [reader = names ? std::optional<FirstBlocksReader>(std::in_place, *names, maps.fd(), relativeTo, mapsDir,
                                                                  [&listed](std::size_t i) { return listed[i]; })
                               : std::nullopt,
                &mapsDir, &listed,
                relativeTo](std::size_t i, const runtime::WorkStop &, const runtime::WorkRun &run) mutable {
            IndexResult result;
            try {
                result.record = reader ? reader->read(i, run) : ReadIndexRecord(mapsDir, listed[i], relativeTo);
            } catch (...) {
                result.error = std::current_exception();
            }
            return result;
        };
    };
    runtime::OrderedWorkOptions options;
    options.threads = std::clamp<unsigned>(jobs, 1, 1024);
    options.run = FirstBlocksRun(options.threads);
    options.window = 2 * options.run * options.threads; // two runs a thread, as by default
    runtime::ForEachInOrder(listed.size(), options, makeReader, done);
}

} // namespace catalogue
