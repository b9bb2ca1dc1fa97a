// The literal searcher against glibc's memmem on random bytes that hold no
// occurrence (every needle starts with a byte the buffer lacks), so both
// search to the end: the cost of a text found nowhere.
#include "runtime/literal_search.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

namespace {

const std::string &haystack()
{
    static const std::string bytes = [] {
        std::mt19937 random(3);
        std::string b(4 << 20, '\0');
        for (char &c : b)
            c = static_cast<char>(random());
        std::replace(b.begin(), b.end(), 'V', 'v');
        return b;
    }();
    return bytes;
}

// Map-like text, so the needle's bytes are the ones a user types.
std::string needleOf(std::size_t size)
{
    std::string needle;
    while (needle.size() < size)
        needle += "Vault of the Drowned King ";
    needle.resize(size);
    return needle;
}

void BM_Find_LiteralSearcher(benchmark::State &state)
{
    const std::string &hay = haystack();
    const runtime::LiteralSearcher searcher(needleOf(static_cast<std::size_t>(state.range(0))),
                                            static_cast<runtime::LiteralSearcher::Level>(state.range(1)));
    for (auto _ : state)
        benchmark::DoNotOptimize(searcher.find(hay.data(), hay.data() + hay.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * hay.size()));
}

// The same needles with case ignored: the price of the case bits.
void BM_Find_LiteralSearcherIgnoringCase(benchmark::State &state)
{
    const std::string &hay = haystack();
    const runtime::LiteralSearcher searcher(needleOf(static_cast<std::size_t>(state.range(0))),
                                            static_cast<runtime::LiteralSearcher::Level>(state.range(1)),
                                            runtime::LetterCase::IgnoreWindows1252);
    for (auto _ : state)
        benchmark::DoNotOptimize(searcher.find(hay.data(), hay.data() + hay.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * hay.size()));
}

void BM_Find_Memmem(benchmark::State &state)
{
    const std::string &hay = haystack();
    const std::string needle = needleOf(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(::memmem(hay.data(), hay.size(), needle.data(), needle.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * hay.size()));
}

constexpr int Avx2 = static_cast<int>(runtime::LiteralSearcher::Level::Avx2);
constexpr int Sse2 = static_cast<int>(runtime::LiteralSearcher::Level::Sse2);

} // namespace

BENCHMARK(BM_Find_LiteralSearcher)
    ->ArgNames({"needle", "level"})
    ->ArgsProduct({{1, 2, 8, 64, 2048}, {Sse2, Avx2}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Find_LiteralSearcherIgnoringCase)
    ->ArgNames({"needle", "level"})
    ->ArgsProduct({{1, 2, 8, 64, 2048}, {Sse2, Avx2}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Find_Memmem)->ArgName("needle")->Arg(1)->Arg(2)->Arg(8)->Arg(64)->Arg(2048)->Unit(benchmark::kMicrosecond);
