#include "collection_reader.h"

#include "catalogue/map_scan.h"
#include "catalogue/map_tree.h"
#include "runtime/directory_handle.h"
#include "runtime/directory_match.h"
#include "runtime/io_depth.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <optional>
#include <unordered_map>

namespace mapindex {
namespace {

using PreviousRows = std::unordered_map<std::string, const IndexRow *>;

bool reusable(const IndexRow *old, const IndexRow &row)
{
    return old && !old->error && old->entry == row.entry && old->size == row.size && old->stamp == row.stamp;
}

template <class Read>
void fill(IndexRow &row, Read &&read)
{
    try {
        catalogue::IndexRecord record = read();
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

// What the listing says of a row, without its details.
IndexRow listedPart(const IndexRow &row)
{
    IndexRow part;
    part.fileName = row.fileName;
    part.folder = row.folder;
    part.entry = row.entry;
    part.size = row.size;
    part.stamp = row.stamp;
    return part;
}

} // namespace

std::vector<IndexRow> ListMaps(const std::string &mapsDir)
{
    return *ListChangedMaps(mapsDir, nullptr);
}

std::optional<std::vector<IndexRow>> ListChangedMaps(const std::string &mapsDir, const std::vector<IndexRow> *previous)
{
    std::vector<IndexRow> rows;
    std::size_t same = 0; // leading maps listed as they were in previous, not made rows (yet)
    bool differs = previous == nullptr;
    runtime::MatchRecord record;
    const std::string pattern = mapsDir + runtime::PathSeparator + catalogue::MapPattern;
    std::int32_t code = runtime::FindFirstMatch(pattern, runtime::FileAttribute::Any, record);
    const auto makeRows = [&] {
        differs = true;
        rows.reserve(std::max(record.pending.size(), same)); // the listing is taken at once: no growth, no spare half
        for (std::size_t i = 0; i < same; ++i)
            rows.push_back(listedPart((*previous)[i]));
    };
    if (differs)
        makeRows();
    for (; code == 0; code = runtime::FindNextMatch(record)) {
        IndexRow row;
        row.fileName = record.Name;
        row.entry = catalogue::MapListEntry(record.Name);
        row.size = record.Size;
        row.stamp = record.Stamp;
        if (!differs) {
            const IndexRow *old = same < previous->size() ? &(*previous)[same] : nullptr;
            if (old && old->folder.empty() && old->fileName == row.fileName && reusable(old, row)) {
                ++same;
                continue;
            }
            makeRows();
        }
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
    if (!differs && same == previous->size())
        return std::nullopt;
    if (!differs)
        makeRows(); // the maps listed are the first of previous: the others went
    return rows;
}

std::vector<IndexRow> ListMapTree(const std::string &mapsDir, std::vector<UnreachableFolder> &unreachable,
                                  HeldFolders *held)
{
    runtime::DirectoryHandle top = runtime::DirectoryHandle::Open(mapsDir);
    runtime::CheckIo();
    std::vector<IndexRow> rows;
    const std::string *listed = nullptr; // the last folder listed
    for (catalogue::MapFolder &folder : catalogue::ScanMapTree(top.fd(), runtime::MatchDetail::Full)) {
        if (held && folder.handle.valid())
            held->emplace_back(folder.folder, std::move(folder.handle));
        if (folder.error) {
            // Listed, then not entered for its subfolders: its own maps stand.
            unreachable.push_back(Unreachable(*folder.error, folder.folder, listed && *listed == folder.folder));
            continue;
        }
        listed = &folder.folder;
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

namespace {

// Reads the details of rows[i] for each i of toRead, counting each map read
// towards done of total. False when the reading was stopped. With opened,
// a row whose file opened takes its size and stamp from the open, and is
// marked there.
bool readRows(const ReadRequest &request, const HeldFolders &held, std::vector<IndexRow> &rows,
              const std::vector<std::size_t> &toRead, std::size_t &done, std::size_t total,
              std::vector<char> *opened = nullptr)
{
    std::vector<catalogue::ListedMap> maps;
    maps.reserve(toRead.size());
    for (const std::size_t i : toRead) // its own file, dots and all; a subfolder's map read in its folder
        maps.emplace_back(rows[i].entry, RowPath(rows[i]));
    catalogue::FolderReading reading;
    reading.jobs = std::clamp<unsigned>(request.jobs, 1, 64);
    for (const auto &[folder, handle] : held)
        reading.heldFolders.emplace_back(folder, handle.fd());
    if (request.reader)
        reading.readOwn = [&](const catalogue::ListedMap &map) { return request.reader(request.mapsDir, map); };
    catalogue::ReadIndexRecordsIn(AT_FDCWD, request.mapsDir, maps, reading,
                                  [&](std::size_t k, catalogue::IndexResult &result) {
                                      if (request.stop && request.stop())
                                          return false;
                                      if (opened && result.opened) {
                                          rows[toRead[k]].size = result.size;
                                          rows[toRead[k]].stamp = result.stamp;
                                          (*opened)[toRead[k]] = 1;
                                      }
                                      fill(rows[toRead[k]], [&] {
                                          if (result.error)
                                              std::rethrow_exception(result.error);
                                          return std::move(*result.record);
                                      });
                                      if (request.progress)
                                          request.progress(++done, total);
                                      return true;
                                  });
    return !(request.stop && request.stop());
}

// A first reading reads every map, and each map's open learns what a full
// listing would: its size and stamp. On storage that wants many requests in
// flight (a share, where each stat waits a round trip) the names listed alone
// therefore make the rows, and only a map that did not open is looked at on
// its own: one gone meanwhile is dropped, as a listing after the reading
// would drop it. A full listing beside the reads cost a fifth more time.
// Nothing where the storage is local or the names cannot be listed: the
// usual reading does it all, and reports what fails.
std::optional<ReadOutcome> readBesideTheListing(const ReadRequest &request)
{
    std::vector<runtime::MatchRecord::Entry> names;
    runtime::DirectoryHandle top;
    {
        const runtime::SavedIoCode keep;
        top = runtime::DirectoryHandle::Open(request.mapsDir);
        if (!top.valid() || runtime::ChosenIoDepth(top.fd()) <= 1
            || runtime::ListMatches(top.fd(), catalogue::MapPattern, names, runtime::MatchDetail::TypesOnly) != 0
            || names.empty())
            return std::nullopt;
    }
    ReadOutcome outcome;
    outcome.rows.resize(names.size());
    std::vector<std::size_t> all(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        outcome.rows[i].entry = catalogue::MapListEntry(names[i].name);
        outcome.rows[i].fileName = std::move(names[i].name);
        all[i] = i;
    }
    std::vector<char> opened(all.size(), 0);
    std::size_t done = 0;
    if (!readRows(request, {}, outcome.rows, all, done, all.size(), &opened)) {
        outcome.rows.clear();
        outcome.cancelled = true;
        return outcome;
    }
    const runtime::SavedIoCode keep;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < outcome.rows.size(); ++i) {
        IndexRow &row = outcome.rows[i];
        runtime::MatchRecord::Entry listed;
        if (!opened[i]) {
            if (!runtime::StatMatch(top.fd(), row.fileName, listed))
                continue; // gone
            row.size = listed.size;
            row.stamp = listed.stamp;
        }
        if (kept != i)
            outcome.rows[kept] = std::move(row);
        ++kept;
    }
    outcome.rows.resize(kept);
    outcome.mapsRead = outcome.rows.size();
    return outcome;
}

} // namespace

ReadOutcome ReadCollection(const ReadRequest &request)
{
    if (!request.subfolders && !request.previous)
        if (auto outcome = readBesideTheListing(request))
            return std::move(*outcome);
    ReadOutcome outcome;
    HeldFolders held;
    auto listed = request.subfolders ? std::optional(ListMapTree(request.mapsDir, outcome.unreachable, &held))
                                     : ListChangedMaps(request.mapsDir, request.previous);
    if (!listed) {
        outcome.sameAsPrevious = true;
        if (request.progress)
            request.progress(request.previous->size(), request.previous->size());
        return outcome;
    }
    outcome.rows = std::move(*listed);

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
    std::size_t done = outcome.rows.size() - toRead.size();
    if (request.progress)
        request.progress(done, outcome.rows.size());
    const std::size_t before = done;
    outcome.cancelled = !readRows(request, held, outcome.rows, toRead, done, outcome.rows.size());
    outcome.mapsRead = done - before;
    if (request.previous)
        KeepUnreachableRows(outcome.rows, *request.previous, outcome.unreachable);
    return outcome;
}

} // namespace mapindex
