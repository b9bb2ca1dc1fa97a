#include "changes.h"

#include <unordered_map>
#include <unordered_set>

namespace mapindex {

std::vector<ChangeNote> MarkChanges(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous)
{
    std::unordered_map<std::string, const IndexRow *> before;
    for (const IndexRow &row : previous)
        before.emplace(RowPath(row), &row);

    std::vector<ChangeNote> notes;
    std::unordered_set<std::string> present;
    for (IndexRow &row : rows) {
        const auto found = before.find(*present.insert(RowPath(row)).first);
        if (found == before.end())
            row.change = Change::New;
        else if (found->second->size != row.size || found->second->stamp != row.stamp)
            row.change = Change::Changed;
        else
            row.change = Change::None;
        if (row.change != Change::None)
            notes.push_back({row.change, row.entry, RowPath(row)});
    }
    for (const IndexRow &row : previous) {
        if (!present.contains(RowPath(row)))
            notes.push_back({Change::Removed, row.entry, RowPath(row)});
    }
    return notes;
}

} // namespace mapindex
