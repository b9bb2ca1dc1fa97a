#include "index_format.h"

#include "text_encoding.h"

#include <algorithm>

namespace catalogue {

std::string EntryText(std::string_view entry)
{
    return IsValidUtf8(entry) ? std::string(entry) : Windows1252ToUtf8(entry);
}

std::optional<std::string> ValueText(const std::optional<std::string> &value)
{
    if (!value)
        return std::nullopt;
    return Windows1252ToUtf8(*value);
}

IndexFields IndexHeaderFields(bool withFolder)
{
    IndexFields header(IndexHeader.begin(), IndexHeader.end());
    if (withFolder)
        header.insert(header.begin() + 1, "folder");
    return header;
}

IndexFields RecordFields(const IndexRecord &record)
{
    IndexFields fields;
    fields.reserve(record.values.size() + 2);
    fields.push_back(EntryText(record.entry));
    for (const auto &value : record.values)
        fields.push_back(ValueText(value).value_or(""));
    return fields;
}

IndexFields RecordFields(const IndexRecord &record, std::string_view folder)
{
    IndexFields fields = RecordFields(record);
    fields.insert(fields.begin() + 1, EntryText(folder));
    return fields;
}

std::string TsvField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (const char c : field) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string TsvRow(const IndexFields &fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i > 0 ? "\t" : "") + TsvField(fields[i]);
    return row;
}

namespace {

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Optional sign, digits, and optionally a point and more digits.
bool isPlainDecimal(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return allDigits(text);
    return allDigits(text.substr(0, point)) && allDigits(text.substr(point + 1));
}

} // namespace

std::string SpreadsheetCell(std::string_view field)
{
    // A spreadsheet opening the file would run such a cell (=HYPERLINK(...)).
    if (field.empty() || std::string_view("=+-@\t\r").find(field.front()) == std::string_view::npos
        || isPlainDecimal(field))
        return std::string(field);
    return "'" + std::string(field);
}

std::string CsvRow(const IndexFields &fields)
{
    return CsvRow(std::span<const std::string>(fields));
}

std::string CsvRow(std::span<const std::string> fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            row += ',';
        const std::string field = SpreadsheetCell(fields[i]);
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            row += field;
            continue;
        }
        row += '"';
        for (const char c : field) {
            if (c == '"')
                row += '"';
            row += c;
        }
        row += '"';
    }
    return row;
}

namespace {

std::string table(const IndexFields &header, const std::vector<IndexFields> &rows,
                  std::string (*row)(const IndexFields &), std::string_view lineEnd)
{
    std::string text = row(header);
    text += lineEnd;
    for (const IndexFields &fields : rows) {
        text += row(fields);
        text += lineEnd;
    }
    return text;
}

} // namespace

std::string TsvTable(const IndexFields &header, const std::vector<IndexFields> &rows)
{
    return table(header, rows, TsvRow, "\n");
}

std::string CsvTable(const IndexFields &header, const std::vector<IndexFields> &rows)
{
    return table(header, rows, CsvRow, "\r\n");
}

std::string TsvTable(const std::vector<IndexFields> &rows, bool withFolder)
{
    return TsvTable(IndexHeaderFields(withFolder), rows);
}

std::string CsvTable(const std::vector<IndexFields> &rows, bool withFolder)
{
    return CsvTable(IndexHeaderFields(withFolder), rows);
}

std::string Base64(std::string_view bytes)
{
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t j = 0; j < 3; ++j)
            group = (group << 8) | (j < n ? static_cast<unsigned char>(bytes[i + j]) : 0u);
        for (std::size_t j = 0; j < 4; ++j)
            out += j <= n ? Digits[(group >> (18 - 6 * j)) & 0x3F] : '=';
    }
    return out;
}

} // namespace catalogue
