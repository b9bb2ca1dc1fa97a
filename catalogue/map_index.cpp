#include "map_index.h"

#include "map_details.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"

#include <algorithm>
#include <atomic>
#include <thread>

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

IndexRecord ReadIndexRecordIn(const runtime::FolderNames &names, int mapsDirFd, int relativeTo,
                              const std::string &mapsDir, const ListedMap &map)
{
    IndexRecord record{map.entry, {}};
    RecordView view(record);
    ShowMapDetailsIn(names, mapsDirFd, relativeTo, mapsDir, map, view);
    return record;
}

void ReadIndexRecords(const std::string &mapsDir, const std::vector<ListedMap> &maps, unsigned jobs,
                      const std::function<void(std::size_t index, IndexResult &result)> &done)
{
    ReadIndexRecordsAt(AT_FDCWD, mapsDir, maps, jobs, done);
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
    if (maps.valid())
        names.emplace(maps.fd());
    const auto read = [&](const ListedMap &map) {
        return names ? ReadIndexRecordIn(*names, maps.fd(), relativeTo, mapsDir, map)
                     : ReadIndexRecord(mapsDir, map, relativeTo);
    };
    const std::size_t count = listed.size();
    std::vector<IndexResult> slots(count);
    // A slot is the worker's until its flag is set, then the consumer's.
    std::vector<std::atomic<bool>> ready(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    const auto work = [&] {
        for (std::size_t i; !stop && (i = next++) < count;) {
            try {
                slots[i].record = read(listed[i]);
            } catch (...) {
                slots[i].error = std::current_exception();
            }
            ready[i].store(true, std::memory_order_release);
            ready[i].notify_one();
        }
    };

    const auto threads = static_cast<std::size_t>(std::clamp<unsigned>(jobs, 1, 1024));
    std::vector<std::jthread> workers;
    try {
        for (std::size_t t = 0; t < std::min(threads, count); ++t)
            workers.emplace_back(work);
        for (std::size_t i = 0; i < count; ++i) {
            ready[i].wait(false, std::memory_order_acquire);
            IndexResult result = std::move(slots[i]);
            done(i, result);
        }
    } catch (...) {
        stop = true; // the workers finish the map at hand and are joined
        throw;
    }
}

} // namespace catalogue
