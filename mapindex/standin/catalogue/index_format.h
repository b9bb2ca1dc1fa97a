#pragma once
// Temporary stand-in until the index formats land on this branch.

#include "catalogue/map_index.h"

#include <string>
#include <vector>

namespace catalogue {

std::string FormatTsv(const std::vector<IndexRecord> &records);
std::string FormatCsv(const std::vector<IndexRecord> &records);

} // namespace catalogue
