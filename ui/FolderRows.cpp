#include "FolderRows.h"

#include "runtime/byte_strings.h"
#include "runtime/directory_match.h"
#include "runtime/working_directory.h"

#include <algorithm>

namespace ui {

namespace {

constexpr char Sep = runtime::PathSeparator;

int ancestorIndent(std::size_t rowIndex)
{
    return 2 + 4 * static_cast<int>(rowIndex);
}

bool isListedFolder(const runtime::MatchRecord &record)
{
    using namespace runtime::FileAttribute;
    if ((record.Attributes & Directory) == 0 || (record.Attributes & (Hidden | System)) != 0)
        return false;
    // Dot names are the host's hidden entries; this also drops "." and "..".
    return !record.Name.empty() && record.Name.front() != '.';
}

std::vector<std::string> subfolderNames(const std::string &directory)
{
    const std::string pattern = (directory.back() == Sep ? directory : directory + Sep) + "*";
    std::vector<std::string> names;
    runtime::MatchRecord record;
    for (std::int32_t code = runtime::FindFirstMatch(pattern, runtime::FileAttribute::Any, record); code == 0;
         code = runtime::FindNextMatch(record)) {
        if (isListedFolder(record))
            names.push_back(record.Name);
    }
    runtime::EndMatchSearch(record);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string &a, const std::string &b) { return runtime::NameSortsBefore(a, b); });
    return names;
}

} // namespace

std::vector<FolderRow> BuildFolderRows(const std::string &directory)
{
    std::vector<FolderRow> rows;
    if (directory.empty() || directory.front() != Sep)
        return rows;

    // The root, then each folder on the way; the last one is the open folder.
    const std::string root(1, Sep);
    std::vector<std::pair<std::string, std::string>> chain{{root, root}}; // (text, path)
    std::size_t start = 1;
    while (start < directory.size()) {
        const std::size_t end = std::min(directory.find(Sep, start), directory.size());
        if (end > start)
            chain.emplace_back(directory.substr(start, end - start), directory.substr(0, end));
        start = end + 1;
    }
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const bool last = i + 1 == chain.size();
        rows.push_back({chain[i].first, last ? FolderRowKind::OpenFolder : FolderRowKind::OpenAncestor,
                        ancestorIndent(i), chain[i].second});
    }

    const int subIndent = 6 + 4 * static_cast<int>(std::count(directory.begin(), directory.end(), Sep));
    for (std::string &name : subfolderNames(directory)) {
        std::string path = (directory.back() == Sep ? directory : directory + Sep) + name;
        rows.push_back({std::move(name), FolderRowKind::ClosedSubfolder, subIndent, std::move(path)});
    }
    return rows;
}

int OpenFolderRow(const std::vector<FolderRow> &rows)
{
    const auto open = std::find_if(rows.begin(), rows.end(),
                                   [](const FolderRow &row) { return row.kind == FolderRowKind::OpenFolder; });
    return open == rows.end() ? -1 : static_cast<int>(std::distance(rows.begin(), open));
}

} // namespace ui
