#include "changes.h"

#include <unordered_map>
#include <unordered_set>

namespace mapindex {

std::vector<ChangeNote> MarkChanges(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous)
{
    std::unordered_map<std::string_view, const IndexRow *> before;
    for (const IndexRow &row : previous)
        before.emplace(row.fileName, &row);

    std::vector<ChangeNote> notes;
    std::unordered_set<std::string_view> present;
    for (IndexRow &row : rows) {
        present.insert(row.fileName);
        const auto found = before.find(row.fileName);
        if (found == before.end())
            row.change = Change::New;
        else if (found->second->size != row.size || found->second->stamp != row.stamp)
            row.change = Change::Changed;
        else
            row.change = Change::None;
        if (row.change != Change::None)
            notes.push_back({row.change, row.entry, row.fileName});
    }
    for (const IndexRow &row : previous) {
        if (!present.contains(row.fileName))
            notes.push_back({Change::Removed, row.entry, row.fileName});
    }
    return notes;
}

} // namespace mapindex
