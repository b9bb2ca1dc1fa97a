#include "index_command.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"
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
        std::size_t total = 0;
        for (const IndexFolder &folder : folders)
            total += folder.maps.size();
        progress.setMaximum(static_cast<int>(total));
        progress.setVisible(true);
        std::size_t done = 0;
        for (const IndexFolder &folder : folders) {
            const std::string mapsDir = catalogue::FolderPath(dir, folder.folder);
            if (folder.error) {
                unreadable = true;
                progress.setVisible(false);
                ReportError(streams, mapsDir, *folder.error);
                progress.setVisible(true);
                continue;
            }
            const auto &maps = folder.maps;
            catalogue::ReadIndexRecordsAt(
                startFd, mapsDir, maps, threadCount(options.jobs), [&](std::size_t i, auto &result) {
                    if (result.record) {
                        records.push_back({std::move(*result.record), &folder.folder});
                    } else {
                        unreadable = true;
                        progress.setVisible(false);
                        try {
                            std::rethrow_exception(result.error);
                        } catch (const runtime::EInOutError &error) {
                            ReportError(streams, ErrorPath(error, catalogue::ListedMapPath(mapsDir, maps[i])), error);
                        }
                        progress.setVisible(true);
                    }
                    progress.setPosition(static_cast<int>(++done));
                });
        }
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
