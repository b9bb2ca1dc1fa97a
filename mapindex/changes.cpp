#include "changes.h"

#include "catalogue/index_format.h"

#include <array>
#include <unordered_map>
#include <unordered_set>

namespace mapindex {
namespace {

Change markAgainst(const IndexRow &row, const IndexRow *before, bool removedUnseen)
{
    if (!before)
        // Seen once, removed, and back: not new to the user, but maybe another map now.
        return removedUnseen ? Change::Changed : Change::New;
    if (before->size == row.size && before->stamp == row.stamp)
        return before->change;
    // A new map stays new however often it changes before it is seen.
    return before->change == Change::New ? Change::New : Change::Changed;
}

// What a changed map was when last seen: the previous reading's state, or
// what that reading already kept; unknown for a map removed and back.
SharedSeen seenBefore(const IndexRow *before)
{
    if (!before || before->change != Change::None)
        return before ? before->seen : SharedSeen();
    return {std::make_shared<const SeenState>(SeenState{before->size, before->values})};
}

} // namespace

std::vector<ChangeNote> MarkChanges(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous,
                                    const std::vector<ChangeNote> &removedBefore)
{
    // Keyed by the path below the folder read: a subfolder's map by its folder too.
    std::unordered_map<std::string, const IndexRow *> before;
    for (const IndexRow &row : previous)
        before.emplace(RowPath(row), &row);
    std::unordered_set<std::string_view> removedNames;
    for (const ChangeNote &note : removedBefore)
        removedNames.insert(note.fileName);

    std::unordered_set<std::string> present;
    for (IndexRow &row : rows) {
        const std::string &path = *present.insert(RowPath(row)).first;
        const auto found = before.find(path);
        const IndexRow *old = found == before.end() ? nullptr : found->second;
        row.change = markAgainst(row, old, removedNames.contains(path));
        row.seen = row.change == Change::Changed ? seenBefore(old) : SharedSeen();
    }

    std::vector<ChangeNote> removed;
    for (const ChangeNote &note : removedBefore)
        if (!present.contains(note.fileName))
            removed.push_back(note);
    for (const IndexRow &row : previous) {
        const std::string path = RowPath(row);
        if (!present.contains(path) && row.change != Change::New && !removedNames.contains(path))
            removed.push_back({Change::Removed, row.entry, path});
    }
    return removed;
}

std::vector<ChangeNote> ChangeList(const std::vector<IndexRow> &rows, const std::vector<ChangeNote> &removed)
{
    std::vector<ChangeNote> notes;
    for (const IndexRow &row : rows)
        if (row.change != Change::None)
            notes.push_back({row.change, row.entry, RowPath(row)});
    notes.insert(notes.end(), removed.begin(), removed.end());
    return notes;
}

std::vector<IndexRow> MarkedAsSeen(std::vector<IndexRow> rows)
{
    for (IndexRow &row : rows) {
        row.change = Change::None;
        row.seen = {};
    }
    return rows;
}

const char *ChangeWord(Change kind)
{
    switch (kind) {
    case Change::New:
        return "New";
    case Change::Changed:
        return "Changed";
    case Change::Removed:
        return "Removed";
    default:
        return "";
    }
}

std::string ChangesCsv(const std::vector<ChangeNote> &changes)
{
    std::string text = catalogue::CsvRow(std::array<std::string, 3>{"change", "entry", "file"}) + "\r\n";
    for (const ChangeNote &note : changes)
        text += catalogue::CsvRow(std::array<std::string, 3>{ChangeWord(note.kind), catalogue::EntryText(note.entry),
                                                             catalogue::EntryText(note.fileName)})
            + "\r\n";
    return text;
}

} // namespace mapindex
