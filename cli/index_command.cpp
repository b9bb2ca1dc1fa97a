#include "index_command.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"
#include "catalogue/map_index.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_tree.h"
#include "catalogue/text_encoding.h"
#include "errors.h"
#include "quoting.h"
#include "terminal_views.h"

#include <nlohmann/json.hpp>
#include <thread>

namespace cli {
namespace {

// A record and the folder below the maps folder it was read in.
struct FolderRecord {
    catalogue::IndexRecord record;
    const std::string *folder;
};

// Pretty on a terminal, one line otherwise.
std::string jsonText(const std::vector<FolderRecord> &records, bool withFolder, bool pretty)
{
    static constexpr std::array<const char *, 4> Keys = {"map_name", "map_type", "product", "page_number"};
    auto rows = nlohmann::ordered_json::array();
    for (const auto &[record, folder] : records) {
        nlohmann::ordered_json row;
        row["entry"] = catalogue::EntryText(record.entry);
        if (withFolder)
            row["folder"] = catalogue::EntryText(*folder);
        for (std::size_t k = 0; k < Keys.size(); ++k) {
            const auto value = catalogue::ValueText(record.values[k]);
            row[Keys[k]] = value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
        }
        if (!catalogue::IsValidUtf8(record.entry))
            row["entry_bytes"] = catalogue::Base64(record.entry);
        if (withFolder && !catalogue::IsValidUtf8(*folder))
            row["folder_bytes"] = catalogue::Base64(*folder);
        rows.push_back(std::move(row));
    }
    return pretty ? rows.dump(2) : rows.dump();
}

// A TSV row for a terminal: each field escaped there, the tabs between kept.
std::string terminalTsvRow(const catalogue::IndexFields &fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i > 0 ? "\t" : "") + TerminalText(catalogue::TsvField(fields[i]));
    return row;
}

// The whole output, line ends included: the same bytes go to stdout or the file.
std::string indexText(const std::vector<FolderRecord> &records, bool withFolder, IndexFormat format, bool terminal)
{
    if (format == IndexFormat::Json)
        return jsonText(records, withFolder, terminal) + '\n';
    std::vector<catalogue::IndexFields> rows;
    rows.reserve(records.size());
    for (const auto &[record, folder] : records)
        rows.push_back(withFolder ? catalogue::RecordFields(record, *folder) : catalogue::RecordFields(record));
    if (format == IndexFormat::Csv)
        return catalogue::CsvTable(rows, withFolder);
    if (!terminal)
        return catalogue::TsvTable(rows, withFolder);
    std::string text = terminalTsvRow(catalogue::IndexHeaderFields(withFolder)) + '\n';
    for (const auto &fields : rows)
        text += terminalTsvRow(fields) + '\n';
    return text;
}

unsigned threadCount(unsigned jobs)
{
    return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

int RunIndex(int startFd, const std::string &dir, const std::vector<IndexFolder> &folders, bool withFolder,
             const Options &options, const std::string &outputPath, const Streams &streams)
{
    std::vector<FolderRecord> records;
    bool unreadable = false;
    {
        TerminalProgress progress(streams.err, streams.errIsTerminal, "Indexing");
        const auto report = [&](const std::string &path, const runtime::EInOutError &error) {
            unreadable = true;
            progress.setVisible(false);
            ReportError(streams, path, error);
            progress.setVisible(true);
        };
        // One reading of the whole tree, each map as "FOLDER/FILE" below dir:
        // the requests in flight do not end at a folder's last map.
        std::vector<catalogue::ListedMap> maps;
        std::vector<std::size_t> folderOf;
        catalogue::FolderReading reading;
        reading.jobs = threadCount(options.jobs);
        reading.ioDepth = options.ioDepth;
        for (std::size_t f = 0; f < folders.size(); ++f) {
            const IndexFolder &folder = folders[f];
            for (const catalogue::ListedMap &map : folder.maps) {
                maps.push_back(folder.folder.empty()
                                   ? map
                                   : catalogue::ListedMap(
                                       map.entry, folder.folder + '/' + catalogue::ListedFileName(map), map.regular));
                folderOf.push_back(f);
            }
            if (folder.handle.valid())
                reading.heldFolders.emplace_back(folder.folder, folder.handle.fd());
        }
        progress.setMaximum(static_cast<int>(maps.size()));
        progress.setVisible(true);
        std::size_t reported = 0; // folders before this one have had their errors told
        const auto reportFoldersBefore = [&](std::size_t f) {
            for (; reported < f; ++reported) {
                if (folders[reported].error)
                    report(catalogue::FolderPath(dir, folders[reported].folder), *folders[reported].error);
            }
        };
        std::size_t done = 0;
        catalogue::ReadIndexRecordsIn(startFd, dir, maps, reading, [&](std::size_t i, catalogue::IndexResult &result) {
            reportFoldersBefore(folderOf[i]);
            if (result.record) {
                records.push_back({std::move(*result.record), &folders[folderOf[i]].folder});
            } else {
                try {
                    std::rethrow_exception(result.error);
                } catch (const runtime::EInOutError &error) {
                    report(ErrorPath(error, catalogue::ListedMapPath(dir, maps[i])), error);
                }
            }
            progress.setPosition(static_cast<int>(++done));
            return true;
        });
        reportFoldersBefore(folders.size());
    }

    const bool toFile = options.output.has_value();
    const bool terminal = !toFile && streams.outIsTerminal;
    const std::string text = indexText(records, withFolder, options.format, terminal);
    if (toFile)
        Concerning(Named(outputPath, OutputFileRole), [&] { catalogue::WriteTextFile(outputPath, text, startFd); });
    else
        streams.out << text;
    streams.err << "Maps indexed: " << records.size() << '\n';
    return unreadable ? ExitCode::Failure : ExitCode::Success;
}

} // namespace cli
