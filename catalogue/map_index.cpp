#include "map_index.h"

#include "map_details.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/ordered_work.h"

#include <algorithm>

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
        if (listed.size() >= 64) // one pass over the folder spares every map a test before its open
            names->listNow();
    }
    const auto read = [&](std::size_t i, const runtime::WorkStop &) {
        IndexResult result;
        try {
            result.record = names ? ReadIndexRecordIn(*names, maps.fd(), relativeTo, mapsDir, listed[i])
                                  : ReadIndexRecord(mapsDir, listed[i], relativeTo);
        } catch (...) {
            result.error = std::current_exception();
        }
        return result;
    };
    runtime::OrderedWorkOptions options;
    options.threads = std::clamp<unsigned>(jobs, 1, 1024);
    runtime::ForEachInOrder(listed.size(), options, read, done);
}

} // namespace catalogue
