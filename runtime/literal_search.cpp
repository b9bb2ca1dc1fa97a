#include "runtime/literal_search.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) // where SSE2 is always there
#include <immintrin.h>
#define MAP_UTILITY_X86 1
#endif

namespace runtime {
namespace {

struct Plan {
    const char *needle;
    std::size_t size;
    std::size_t firstProbe;
    std::size_t secondProbe;
};

// Confirms candidates and watches their cost. When confirming has cost far
// more than the bytes scanned (a needle like "aaaa...ab" in a run of "a"),
// the rest goes to memmem, whose worst case is linear.
class Confirmer {
public:
    explicit Confirmer(const Plan &plan) : plan_(plan) {}

    bool matchesAt(const char *at)
    {
        spent_ += plan_.size;
        return std::memcmp(at, plan_.needle, plan_.size) == 0;
    }

    // Positions of mask's set bits count from base; returns the first match.
    const char *firstIn(const char *base, unsigned mask)
    {
        for (; mask != 0; mask &= mask - 1) {
            const char *at = base + __builtin_ctz(mask);
            if (matchesAt(at))
                return at;
        }
        return nullptr;
    }

    bool overBudget(std::size_t scanned) const { return spent_ > 16 * scanned + 65536; }

    const char *rest(const char *from, const char *end) const
    {
        return static_cast<const char *>(
            ::memmem(from, static_cast<std::size_t>(end - from), plan_.needle, plan_.size));
    }

private:
    const Plan &plan_;
    std::size_t spent_ = 0;
};

// Candidate starts are [begin, begin + count); the caller ensures the needle
// fits after each of them.
const char *findPortable(const Plan &plan, const char *begin, std::size_t count)
{
    Confirmer confirmer(plan);
    const char first = plan.needle[plan.firstProbe];
    const char second = plan.needle[plan.secondProbe];
    const char *const stop = begin + count;
    for (const char *at = begin; at < stop; ++at) {
        const void *probe = std::memchr(at + plan.firstProbe, first, static_cast<std::size_t>(stop - at));
        if (probe == nullptr)
            return nullptr;
        at = static_cast<const char *>(probe) - plan.firstProbe;
        if (at[plan.secondProbe] == second && confirmer.matchesAt(at))
            return at;
        if (confirmer.overBudget(static_cast<std::size_t>(at - begin)))
            return confirmer.rest(at + 1, stop + plan.size - 1);
    }
    return nullptr;
}

const char *findScalarTail(const Plan &plan, const char *begin, std::size_t count)
{
    Confirmer confirmer(plan);
    for (std::size_t i = 0; i < count; ++i) {
        const char *at = begin + i;
        if (at[plan.firstProbe] == plan.needle[plan.firstProbe] && at[plan.secondProbe] == plan.needle[plan.secondProbe]
            && confirmer.matchesAt(at))
            return at;
    }
    return nullptr;
}

#ifdef MAP_UTILITY_X86

// The vector loop shared by every width. candidates(at) gives the mask of
// positions at..at+Width-1 whose two probe bytes match; count >= Width.
template <std::size_t Width, class Candidates>
const char *findVectors(const Plan &plan, const char *begin, std::size_t count, const Candidates &candidates)
{
    Confirmer confirmer(plan);
    std::size_t i = 0;
    // Two vectors a step: one branch per 2 * Width positions while nothing matches.
    for (; i + 2 * Width <= count; i += 2 * Width) {
        const unsigned low = candidates(begin + i);
        const unsigned high = candidates(begin + i + Width);
        if ((low | high) == 0)
            continue;
        if (const char *hit = confirmer.firstIn(begin + i, low))
            return hit;
        if (const char *hit = confirmer.firstIn(begin + i + Width, high))
            return hit;
        if (confirmer.overBudget(i))
            return confirmer.rest(begin + i + 2 * Width, begin + count + plan.size - 1);
    }
    if (i + Width <= count) {
        if (const char *hit = confirmer.firstIn(begin + i, candidates(begin + i)))
            return hit;
        i += Width;
    }
    if (i == count)
        return nullptr;
    // One last overlapping load, minus the positions already tested.
    const std::size_t base = count - Width;
    return confirmer.firstIn(begin + base, candidates(begin + base) & (~0u << (i - base)));
}

const char *findSse2(const Plan &plan, const char *begin, std::size_t count)
{
    if (count < 16)
        return findScalarTail(plan, begin, count);
    const __m128i first = _mm_set1_epi8(plan.needle[plan.firstProbe]);
    const __m128i second = _mm_set1_epi8(plan.needle[plan.secondProbe]);
    return findVectors<16>(plan, begin, count, [&](const char *at) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + plan.firstProbe));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + plan.secondProbe));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
    });
}

// flatten: the shared loop and the compare are inlined here, under AVX2.
__attribute__((target("avx2"), flatten)) const char *findAvx2(const Plan &plan, const char *begin, std::size_t count)
{
    if (count < 32)
        return findSse2(plan, begin, count);
    const __m256i first = _mm256_set1_epi8(plan.needle[plan.firstProbe]);
    const __m256i second = _mm256_set1_epi8(plan.needle[plan.secondProbe]);
    return findVectors<32>(
        plan, begin, count, [&](const char *at) __attribute__((target("avx2"))) {
            const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + plan.firstProbe));
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + plan.secondProbe));
            return static_cast<unsigned>(
                _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        });
}

#endif

// The first byte, and the last one that differs from it (or the last one):
// far apart, and two different bytes filter better than a repeated one.
void chooseProbes(std::string_view needle, std::size_t &first, std::size_t &second)
{
    first = 0;
    second = needle.size() - 1;
    while (second > 1 && needle[second] == needle[0])
        --second;
    if (needle[second] == needle[0])
        second = needle.size() - 1;
}

} // namespace

LiteralSearcher::Level LiteralSearcher::BestLevel()
{
#ifdef MAP_UTILITY_X86
    static const Level best = __builtin_cpu_supports("avx2") ? Level::Avx2 : Level::Sse2;
    return best;
#else
    return Level::Portable;
#endif
}

LiteralSearcher::LiteralSearcher(std::string_view needle) : LiteralSearcher(needle, Level::Avx2) {}

LiteralSearcher::LiteralSearcher(std::string_view needle, Level level)
    : needle_(needle), level_(std::min(level, BestLevel()))
{
    if (needle_.size() > 1)
        chooseProbes(needle_, firstProbe_, secondProbe_);
}

const char *LiteralSearcher::find(const char *begin, const char *end) const
{
    const std::size_t length = static_cast<std::size_t>(end - begin);
    if (needle_.empty() || length < needle_.size())
        return nullptr;
    if (needle_.size() == 1)
        return static_cast<const char *>(std::memchr(begin, needle_[0], length));
    const Plan plan{needle_.data(), needle_.size(), firstProbe_, secondProbe_};
    const std::size_t count = length - needle_.size() + 1;
    switch (level_) {
#ifdef MAP_UTILITY_X86
    case Level::Avx2:
        return findAvx2(plan, begin, count);
    case Level::Sse2:
        return findSse2(plan, begin, count);
#endif
    default:
        return findPortable(plan, begin, count);
    }
}

StreamSearcher::StreamSearcher(std::string_view needle) : StreamSearcher(needle, LiteralSearcher::Level::Avx2) {}

StreamSearcher::StreamSearcher(std::string_view needle, LiteralSearcher::Level level) : searcher_(needle, level)
{
    tail_.reserve(overlap());
    seam_.reserve(2 * overlap());
}

bool StreamSearcher::feed(const char *data, std::size_t size)
{
    if (found_ || searcher_.needle().empty())
        return found_;
    const std::size_t keep = overlap();
    if (keep > 0 && !tail_.empty()) {
        // Only texts that start in the tail are new here; a head of `keep`
        // bytes is enough to complete any of them.
        seam_.assign(tail_);
        seam_.append(data, std::min(size, keep));
        found_ = searcher_.containedIn(seam_);
    }
    found_ = found_ || searcher_.find(data, data + size) != nullptr;
    if (size >= keep) {
        tail_.assign(data + size - keep, keep);
    } else {
        tail_.append(data, size);
        tail_.erase(0, tail_.size() - std::min(tail_.size(), keep));
    }
    return found_;
}

void StreamSearcher::reset()
{
    tail_.clear();
    found_ = false;
}

} // namespace runtime
