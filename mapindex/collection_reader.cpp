#include "collection_reader.h"

#include "catalogue/map_scan.h"
#include "catalogue/map_tree.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_error.h"
#include "runtime/ordered_work.h"
#include "runtime/working_directory.h"

#include <QFileInfo>

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace mapindex {
namespace {

using PreviousRows = std::unordered_map<std::string, const IndexRow *>;

bool reusable(const IndexRow *old, const IndexRow &row)
{
    return old && !old->error && old->entry == row.entry && old->size == row.size && old->stamp == row.stamp;
}

void fill(IndexRow &row, const RecordReader &reader, const std::string &mapsDir)
{
    try {
        // Its own file, dots and all; a subfolder's map by its path below mapsDir.
        catalogue::IndexRecord record = reader(mapsDir, {row.entry, RowPath(row)});
        row.values = std::move(record.values);
        row.error.reset();
    } catch (const std::exception &error) {
        row.values = {};
        row.error = error.what();
    }
}

bool isFolder(const std::string &path)
{
    return QFileInfo(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())))).isDir();
}

} // namespace

std::vector<IndexRow> ListMaps(const std::string &mapsDir)
{
    std::vector<IndexRow> rows;
    runtime::MatchRecord record;
    const std::string pattern = mapsDir + runtime::PathSeparator + catalogue::MapPattern;
    std::int32_t code = runtime::FindFirstMatch(pattern, runtime::FileAttribute::Any, record);
    for (; code == 0; code = runtime::FindNextMatch(record)) {
        IndexRow row;
        row.fileName = record.Name;
        row.entry = catalogue::MapListEntry(record.Name);
        row.size = record.Size;
        row.stamp = record.Stamp;
        rows.push_back(std::move(row));
    }
    runtime::EndMatchSearch(record);
    // The end of the listing is no error, nor is "no match" in a folder that
    // is there; the listing alone cannot tell an empty folder from a missing one.
    const bool listed = code == runtime::NoMoreFiles || (code == runtime::IoCode::FileNotFound && isFolder(mapsDir));
    if (!listed) {
        runtime::RecordIoCode(code);
        runtime::CheckIo();
    }
    return rows;
}

std::vector<IndexRow> ListMapTree(const std::string &mapsDir)
{
    runtime::DirectoryHandle top = runtime::DirectoryHandle::Open(mapsDir);
    runtime::CheckIo();
    std::vector<IndexRow> rows;
    for (catalogue::MapFolder &folder : catalogue::ScanMapTree(top.fd(), runtime::MatchDetail::Full)) {
        for (auto &map : folder.maps) {
            IndexRow row;
            row.entry = catalogue::MapListEntry(map.name);
            row.fileName = std::move(map.name);
            row.folder = folder.folder;
            row.size = map.size;
            row.stamp = map.stamp;
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

bool SubfoldersHoldMaps(const std::string &mapsDir)
{
    const runtime::SavedIoCode keep;
    const runtime::DirectoryHandle top = runtime::DirectoryHandle::Open(mapsDir);
    if (!top.valid())
        return false;
    try {
        const auto folders = catalogue::ScanMapTree(top.fd(), runtime::MatchDetail::TypesOnly);
        return std::any_of(folders.begin(), folders.end(),
                           [](const catalogue::MapFolder &folder) { return !folder.maps.empty(); });
    } catch (const runtime::EInOutError &) {
        return false;
    }
}

ReadOutcome ReadCollection(const ReadRequest &request)
{
    ReadOutcome outcome;
    outcome.rows = request.subfolders ? ListMapTree(request.mapsDir) : ListMaps(request.mapsDir);

    PreviousRows previous;
    if (request.previous) {
        previous.reserve(request.previous->size());
        for (const IndexRow &row : *request.previous)
            previous.emplace(RowPath(row), &row);
    }

    std::vector<std::size_t> toRead;
    for (std::size_t i = 0; i < outcome.rows.size(); ++i) {
        IndexRow &row = outcome.rows[i];
        const auto found = previous.find(RowPath(row));
        const IndexRow *old = found == previous.end() ? nullptr : found->second;
        if (reusable(old, row))
            row.values = old->values;
        else
            toRead.push_back(i);
    }
    // The maps taken as they were count as checked, so a cancel knows how far it got.
    if (request.progress)
        request.progress(outcome.rows.size() - toRead.size(), outcome.rows.size());

    // Maps open in their folder, named from one listing of it; a folder
    // that does not open leaves each map to report its own error.
    runtime::DirectoryHandle folder;
    std::optional<runtime::FolderNames> names;
    RecordReader reader = request.reader;
    if (!reader) {
        {
            const runtime::SavedIoCode keep;
            folder = runtime::DirectoryHandle::Open(request.mapsDir);
        }
        if (folder.valid())
            names.emplace(folder.fd());
        reader = [&](const std::string &mapsDir, const catalogue::ListedMap &map) {
            return names ? catalogue::ReadIndexRecordIn(*names, folder.fd(), AT_FDCWD, mapsDir, map)
                         : catalogue::ReadIndexRecord(mapsDir, map);
        };
    }

    // Each worker fills its own row; the count and the progress follow in list order.
    const auto readOne = [&](std::size_t k, const runtime::WorkStop &) {
        if (request.stop && request.stop())
            return false;
        fill(outcome.rows[toRead[k]], reader, request.mapsDir);
        return true;
    };
    std::size_t done = outcome.rows.size() - toRead.size();
    const auto count = [&](std::size_t, bool read) {
        if (!read)
            return false;
        ++outcome.mapsRead;
        if (request.progress)
            request.progress(++done, outcome.rows.size());
        return true;
    };
    runtime::OrderedWorkOptions options;
    options.threads = std::clamp<unsigned>(request.jobs, 1, 64);
    runtime::ForEachInOrder(toRead.size(), options, readOne, count);
    outcome.cancelled = request.stop && request.stop();
    return outcome;
}

} // namespace mapindex
