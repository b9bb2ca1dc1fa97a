#pragma once

#include "index_row.h"

#include <QString>

namespace mapindex {

// What Changes… says of one change. A changed map: each of the four details
// and the size, as last seen → as now where they differ; a new map: what it
// holds. row: the map's row now (none for a removed map).
QString ChangeDetailsText(const ChangeNote &note, const IndexRow *row);

} // namespace mapindex
