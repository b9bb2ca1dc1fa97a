#include "catalogue/index_format.h"

namespace catalogue {
namespace {

const char *const Header[] = {"entry", "map name", "map type", "product", "page number"};

std::string tsvField(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

template <class F>
std::string format(const std::vector<IndexRecord> &records, char sep, const char *end, F field)
{
    std::string out;
    for (int i = 0; i < 5; ++i)
        out += std::string(i ? 1 : 0, sep) + Header[i];
    out += end;
    for (const IndexRecord &r : records) {
        out += field(r.entry);
        for (const auto &v : r.values)
            out += sep + field(v.value_or(""));
        out += end;
    }
    return out;
}

} // namespace

std::string FormatTsv(const std::vector<IndexRecord> &records) { return format(records, '\t', "\n", tsvField); }
std::string FormatCsv(const std::vector<IndexRecord> &records) { return format(records, ',', "\r\n", csvField); }

} // namespace catalogue
