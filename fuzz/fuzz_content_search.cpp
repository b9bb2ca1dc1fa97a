// The literal searcher and the content search against std::search over the
// whole file: a text is found wherever it lies, across any block or read
// edge, and an empty text matches nothing.
#include "fuzz_support.h"

#include "catalogue/content_search.h"
#include "runtime/io_error.h"
#include "runtime/literal_search.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t FileNotFoundCode = 2;

const char *referenceFind(const char *begin, const char *end, std::string_view needle)
{
    if (needle.empty())
        return nullptr;
    const char *hit = std::search(begin, end, needle.begin(), needle.end());
    return hit == end ? nullptr : hit;
}

// The first occurrences, in order, as each instruction set reports them one
// after another; and the same bytes as a stream cut where the fuzzer says.
// Returns whether the haystack holds the needle.
bool checkSearchers(std::string_view needle, const std::string &haystack, FuzzedDataProvider &input)
{
    // A one-byte needle in a run of that byte occurs everywhere; checking a
    // few dozen restarts shows as much and keeps runs fast.
    constexpr std::size_t Restarts = 48;
    using Level = runtime::LiteralSearcher::Level;
    const char *begin = haystack.data();
    const char *end = begin + haystack.size();
    // The reference's answers, each search restarting just past the last
    // hit; nullptr ends the chain.
    std::vector<const char *> chain;
    for (const char *from = begin; chain.size() < Restarts;) {
        chain.push_back(referenceFind(from, end, needle));
        if (!chain.back())
            break;
        from = chain.back() + 1;
    }
    const bool holds = chain.front() != nullptr;
    for (const Level level : {Level::Portable, Level::Sse2, Level::Avx2}) {
        const runtime::LiteralSearcher searcher(needle, level);
        const char *from = begin;
        for (const char *want : chain) {
            const char *got = searcher.find(from, end);
            if (got != want)
                fuzz::Mismatch("literal search offset", want ? std::to_string(want - begin) : "none",
                               got ? std::to_string(got - begin) : "none");
            if (want)
                from = want + 1;
        }
    }
    // Ignoring case, the exact search of folded copies is the reference.
    const std::string foldedHaystack = runtime::FoldWindows1252(haystack);
    const char *foldedHit = referenceFind(foldedHaystack.data(), foldedHaystack.data() + foldedHaystack.size(),
                                          runtime::FoldWindows1252(needle));
    const std::ptrdiff_t wantFolded = foldedHit ? foldedHit - foldedHaystack.data() : -1;
    for (const Level level : {Level::Portable, Level::Sse2, Level::Avx2}) {
        const char *got =
            runtime::LiteralSearcher(needle, level, runtime::LetterCase::IgnoreWindows1252).find(begin, end);
        const std::ptrdiff_t gotFolded = got ? got - begin : -1;
        if (gotFolded != wantFolded)
            fuzz::Mismatch("search ignoring case", std::to_string(wantFolded), std::to_string(gotFolded));
    }
    runtime::StreamSearcher stream(needle);
    for (std::size_t at = 0; at < haystack.size();) {
        const std::size_t rest = haystack.size() - at;
        const std::size_t size =
            input.remaining_bytes() > 0 ? input.ConsumeIntegralInRange<std::size_t>(0, rest) : rest;
        stream.feed(begin + at, size);
        at += size;
    }
    fuzz::Expect(stream.found() == holds, "stream search");
    return holds;
}

// Puts the interesting bytes just before an edge a reader might have: a
// 2048-byte block, the search's 128 KiB read, or none at all.
std::string placed(FuzzedDataProvider &input, const std::string &bytes)
{
    static constexpr std::size_t Edges[] = {0, 0, 0, 2048, 2048, 4096, 4096, 131072};
    return fuzz::PlacedBefore(input, Edges, 64, bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    FuzzedDataProvider input(data, size);
    const std::string needle = input.ConsumeRandomLengthString(4200);
    // Threads cost most of a run, so one run in four takes them; the ordering
    // rules they must keep are the same for two or three.
    const unsigned jobs =
        input.ConsumeIntegralInRange<unsigned>(0, 3) == 0 ? input.ConsumeIntegralInRange<unsigned>(2, 3) : 1;
    const std::size_t cancelAt = input.ConsumeIntegralInRange<std::size_t>(0, 12);
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 6);

    std::vector<catalogue::ListedMap> entries;
    std::vector<std::size_t> expected;
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string entry = "m" + std::to_string(i);
        entries.emplace_back(entry, entry + ".fcw");
        if (input.ConsumeIntegralInRange<int>(0, 15) == 0) {
            folder.remove(entry + ".fcw");
            missing.push_back(i);
            continue;
        }
        const std::string contents = placed(input, input.ConsumeRandomLengthString(5000));
        folder.write(entry + ".fcw", contents);
        if (checkSearchers(needle, contents, input))
            expected.push_back(i);
    }

    fuzz::ClearPendingIo();
    std::vector<std::size_t> progress;
    const auto result = catalogue::FindMapsContaining(
        folder.fd(), entries, needle,
        [&](std::size_t done) {
            progress.push_back(done);
            return done != cancelAt;
        },
        jobs);

    // A missing map is skipped and reported; the search goes on past it.
    const bool cancels = cancelAt >= 1 && cancelAt <= entries.size();
    const std::size_t taken = cancels ? cancelAt : entries.size();
    fuzz::Expect(result.cancelled == cancels, "cancelled exactly when asked");
    for (std::size_t i = 0; i < progress.size(); ++i)
        fuzz::Expect(progress[i] == i + 1, "progress counts every map once, in order");
    fuzz::Expect(progress.size() == taken, "progress reports every map taken");
    std::vector<std::size_t> skipped;
    for (const auto &map : result.unreadable) {
        fuzz::Expect(map.error.code() == FileNotFoundCode, "a missing map is not found");
        skipped.push_back(map.index);
    }
    const auto before = [taken](std::vector<std::size_t> indices) {
        std::erase_if(indices, [taken](std::size_t i) { return i >= taken; });
        return indices;
    };
    fuzz::Expect(skipped == before(missing), "every missing map taken is reported, in order");
    if (result.matches != before(expected))
        fuzz::Mismatch("maps containing the text", std::to_string(before(expected).size()) + " maps",
                       std::to_string(result.matches.size()) + " maps");
    return 0;
}
