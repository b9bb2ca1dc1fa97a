#include "index_command.h"

#include "catalogue/index_format.h"
#include "catalogue/list_export.h"
#include "catalogue/text_encoding.h"
#include "catalogue/map_scan.h"
#include "catalogue/vector_map_list.h"
#include "errors.h"
#include "quoting.h"
#include "terminal_views.h"

#include <nlohmann/json.hpp>
#include <thread>

namespace cli {
namespace {

// Pretty on a terminal, one line otherwise.
std::string jsonText(const std::vector<catalogue::IndexRecord> &records, bool pretty)
{
    static constexpr std::array<const char *, 4> Keys = {"map_name", "map_type", "product", "page_number"};
    auto rows = nlohmann::ordered_json::array();
    for (const auto &record : records) {
        nlohmann::ordered_json row;
        row["entry"] = catalogue::EntryText(record.entry);
        for (std::size_t k = 0; k < Keys.size(); ++k) {
            const auto value = catalogue::ValueText(record.values[k]);
            row[Keys[k]] = value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
        }
        if (!catalogue::IsValidUtf8(record.entry))
            row["entry_bytes"] = catalogue::Base64(record.entry);
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

std::vector<std::string> indexLines(const std::vector<catalogue::IndexRecord> &records, IndexFormat format,
                                    bool terminal)
{
    std::vector<std::string> lines;
    if (format == IndexFormat::Json) {
        lines.push_back(jsonText(records, terminal));
        return lines;
    }
    const auto row = format == IndexFormat::Csv ? catalogue::CsvRow
                     : terminal                 ? terminalTsvRow
                                                : catalogue::TsvRow;
    catalogue::IndexFields header;
    std::copy(catalogue::IndexHeader.begin(), catalogue::IndexHeader.end(), header.begin());
    lines.push_back(row(header));
    for (const auto &record : records)
        lines.push_back(row(catalogue::RecordFields(record)));
    return lines;
}

unsigned threadCount(unsigned jobs)
{
    return jobs != 0 ? jobs : std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

int RunIndex(int startFd, const std::string &dir, const std::vector<std::string> &entries, const Options &options,
             const std::string &outputPath, const Streams &streams)
{
    std::vector<catalogue::IndexRecord> records;
    bool unreadable = false;
    {
        TerminalProgress progress(streams.err, streams.errIsTerminal, "Indexing");
        progress.setMaximum(static_cast<int>(entries.size()));
        progress.setVisible(true);
        catalogue::ReadIndexRecordsAt(startFd, dir, entries, threadCount(options.jobs), [&](std::size_t i, auto &result) {
            if (result.record) {
                records.push_back(std::move(*result.record));
            } else {
                unreadable = true;
                progress.setVisible(false);
                try {
                    std::rethrow_exception(result.error);
                } catch (const runtime::EInOutError &error) {
                    ReportError(streams, ErrorPath(error, catalogue::MapPath(dir, entries[i])), error.what());
                }
                progress.setVisible(true);
            }
            progress.setPosition(static_cast<int>(i + 1));
        });
    }

    const bool toFile = options.output.has_value();
    const bool terminal = !toFile && streams.outIsTerminal;
    const auto lines = indexLines(records, options.format, terminal);
    if (toFile) {
        // Lines end in CR LF there, as in every file the program writes.
        Concerning(outputPath, [&] { catalogue::WriteListFile(outputPath, catalogue::VectorMapList(lines), startFd); });
    } else {
        const char *end = options.format == IndexFormat::Csv ? "\r\n" : "\n";
        for (const auto &line : lines)
            streams.out << line << end;
    }
    streams.err << "Maps indexed: " << records.size() << '\n';
    return unreadable ? ExitCode::Failure : ExitCode::Success;
}

} // namespace cli
