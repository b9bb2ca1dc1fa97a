#pragma once

#include "index_row.h"

#include <string>
#include <vector>

namespace mapindex {

// Marks each row new or changed against the previous reading, keeping the
// marks that reading still carried (they last until marked as seen), and
// returns the maps removed since they were last marked as seen: those of
// removedBefore still missing, then those gone since the previous reading.
// A map added and removed again without being seen is forgotten. A changed
// map keeps what it held when last seen, to be compared with what it holds.
std::vector<ChangeNote> MarkChanges(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous,
                                    const std::vector<ChangeNote> &removedBefore = {});

// Every marked row in listing order, then the removed maps: what Changes… lists.
std::vector<ChangeNote> ChangeList(const std::vector<IndexRow> &rows, const std::vector<ChangeNote> &removed);

// The rows with every mark cleared.
std::vector<IndexRow> MarkedAsSeen(std::vector<IndexRow> rows);

// "New", "Changed" or "Removed".
const char *ChangeWord(Change kind);

// The change list as CSV: a header, then the change, the entry and the file
// name of each, as text, cells that look like formulas made harmless.
std::string ChangesCsv(const std::vector<ChangeNote> &changes);

} // namespace mapindex
