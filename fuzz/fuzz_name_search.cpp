// The wildcard matcher, the listing order and the name search against plain
// references, in memory: no files are involved.
#include "fuzz_support.h"

#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/program_state.h"
#include "catalogue/vector_map_list.h"
#include "runtime/byte_strings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

unsigned char upper(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 32) : byte;
}

// Textbook dynamic programme: row i says which prefixes of the name the
// first i bytes of the pattern match.
bool referenceWildcard(const std::string &pattern, const std::string &name)
{
    std::vector<char> row(name.size() + 1, 0), next(name.size() + 1);
    row[0] = 1;
    for (const char p : pattern) {
        next[0] = p == '*' && row[0];
        for (std::size_t j = 1; j <= name.size(); ++j) {
            if (p == '*')
                next[j] = row[j] || next[j - 1];
            else
                next[j] = row[j - 1] && (p == '?' || upper(p) == upper(name[j - 1]));
        }
        row.swap(next);
    }
    return row[name.size()] != 0;
}

// Byte-wise comparison, optionally of the upper-cased bytes: -1, 0 or 1.
int compareBytes(const std::string &a, const std::string &b, bool folded)
{
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const unsigned x = folded ? upper(a[i]) : static_cast<unsigned char>(a[i]);
        const unsigned y = folded ? upper(b[i]) : static_cast<unsigned char>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Upper-cased bytes first, the raw bytes to break ties.
bool referenceSortsBefore(const std::string &a, const std::string &b)
{
    const int folded = compareBytes(a, b, true);
    return folded != 0 ? folded < 0 : compareBytes(a, b, false) < 0;
}

class RecordedStatus final : public catalogue::StatusText {
public:
    void setText(const std::string &text) override { this->text = text; }
    std::string text = "unset";
};

void checkNameSearch(const std::vector<std::string> &names, const std::string &text)
{
    std::vector<std::string> expected;
    if (!text.empty())
        std::copy_if(names.begin(), names.end(), std::back_inserter(expected),
                     [&](const std::string &name) { return name.find(text) != std::string::npos; });
    catalogue::ProgramState state;
    catalogue::VectorMapList list(names);
    RecordedStatus status;
    const int count = catalogue::filenameSearch(state, list, text, status);
    fuzz::Expect(count == static_cast<int>(expected.size()), "name search count");
    // No match leaves the list and the status as they were.
    const auto &shown = expected.empty() ? names : expected;
    fuzz::Expect(list.entries() == shown, "name search list");
    const std::string wantStatus = expected.empty() ? "unset" : catalogue::MapsFoundText(count);
    if (status.text != wantStatus)
        fuzz::Mismatch("name search status", wantStatus, status.text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string pattern = input.ConsumeRandomLengthString(64);
    std::vector<std::string> names;
    while (input.remaining_bytes() > 0 && names.size() < 64)
        names.push_back(input.ConsumeRandomLengthString(64));

    for (const auto &name : names) {
        if (runtime::WildcardMatches(pattern, name) != referenceWildcard(pattern, name))
            fuzz::Mismatch("wildcard match of the pattern", pattern, name);
    }

    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        const auto &a = names[i], &b = names[i + 1];
        if (runtime::NameSortsBefore(a, b) != referenceSortsBefore(a, b))
            fuzz::Mismatch("name order", a, b);
    }
    // Sorting with the order must give the reference listing (a broken
    // strict weak order could make std::sort run out of bounds).
    std::vector<std::string> listing = names;
    std::sort(listing.begin(), listing.end(),
              [](const std::string &a, const std::string &b) { return runtime::NameSortsBefore(a, b); });
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end(), referenceSortsBefore);
    fuzz::Expect(listing == expected, "listing order");

    checkNameSearch(names, pattern);
    return 0;
}
