#pragma once

#include "map_index.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The index as text: every field UTF-8, one row per map.
namespace catalogue {

// A row's fields: the entry, the folder in an index of a tree, the four values.
using IndexFields = std::vector<std::string>;

inline constexpr std::array<std::string_view, 5> IndexHeader = {"entry", "map name", "map type", "product",
                                                                "page number"};

// IndexHeader, with "folder" after the entry for an index of a tree.
IndexFields IndexHeaderFields(bool withFolder);

// An entry as text: as it is when valid UTF-8, else decoded from Windows-1252.
std::string EntryText(std::string_view entry);

// The value as text, decoded from Windows-1252; nothing stays nothing.
std::optional<std::string> ValueText(const std::optional<std::string> &value);

// The entry and the four values as text; an absent value is empty.
IndexFields RecordFields(const IndexRecord &record);
// The same with the folder (bytes as named, shown as an entry is) after the entry.
IndexFields RecordFields(const IndexRecord &record, std::string_view folder);

// A field with tab, LF, CR and backslash written \t \n \r \\.
std::string TsvField(std::string_view field);

// Fields joined by tabs, each as TsvField writes it.
std::string TsvRow(const IndexFields &fields);

// A cell a spreadsheet would take for a formula ("=", "+", "-", "@", tab or
// CR first) with an apostrophe before it; a plain decimal number ("-1",
// "+2.50") and every other cell as it is.
std::string SpreadsheetCell(std::string_view field);

// Fields joined by commas, each as SpreadsheetCell writes it, quoted (quotes
// doubled) where they need it.
std::string CsvRow(std::span<const std::string> fields);
std::string CsvRow(const IndexFields &fields);

// The header and one line per row: TSV lines end in LF, CSV lines in CR LF.
// withFolder: the header names the folder field too.
std::string TsvTable(const std::vector<IndexFields> &rows, bool withFolder = false);
std::string CsvTable(const std::vector<IndexFields> &rows, bool withFolder = false);
// The same under another header.
std::string TsvTable(const IndexFields &header, const std::vector<IndexFields> &rows);
std::string CsvTable(const IndexFields &header, const std::vector<IndexFields> &rows);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

} // namespace catalogue
