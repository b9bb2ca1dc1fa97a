#pragma once

#include "index_row.h"

#include <vector>

namespace mapindex {

// Marks rows new or changed against the previous reading and lists every
// difference, removed maps included, in listing order (removed ones last).
std::vector<ChangeNote> MarkChanges(std::vector<IndexRow> &rows, const std::vector<IndexRow> &previous);

} // namespace mapindex
