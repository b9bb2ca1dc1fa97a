#include "runtime/literal_search.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

#if defined(__x86_64__) // where SSE2 is always there
#include <immintrin.h>
#define MAP_UTILITY_X86 1
#endif

namespace runtime {
namespace {

struct Plan {
    const char *needle; // small letters only when folding
    std::size_t size;
    std::size_t firstProbe;
    std::size_t secondProbe;
    // A byte x passes a probe when (x | mask) == value. Folding, the mask is
    // where the probe letter's two cases differ, so both pass; else it is 0,
    // and Fold tells the filter to skip the OR.
    unsigned char firstMask;
    unsigned char firstValue;
    unsigned char secondMask;
    unsigned char secondValue;
};

// What folds in a search: the confirm, and each probe's filter. A probe on a
// byte with one case (space, digit, punctuation) compares as the exact one
// does, so the filter ORs only where a letter needs it.
struct NoFold {
    static constexpr bool confirm = false, first = false, second = false;
};
template <bool First, bool Second>
struct Fold {
    static constexpr bool confirm = true, first = First, second = Second;
};

bool passesProbes(const Plan &plan, const char *at)
{
    return (static_cast<unsigned char>(at[plan.firstProbe]) | plan.firstMask) == plan.firstValue
        && (static_cast<unsigned char>(at[plan.secondProbe]) | plan.secondMask) == plan.secondValue;
}

// Confirms candidates and watches their cost. When confirming has cost far
// more than the bytes scanned (a needle like "aaaa...ab" in a run of "a"),
// the rest goes to memmem, whose worst case is linear.
template <class Folding>
class Confirmer {
public:
    explicit Confirmer(const Plan &plan) : plan_(plan)
    {
        if constexpr (Folding::confirm)
            small_ = Windows1252SmallLetters().data();
    }

    bool matchesAt(const char *at)
    {
        spent_ += plan_.size;
        if constexpr (Folding::confirm) {
            for (std::size_t k = 0; k < plan_.size; ++k) {
                if (static_cast<char>(small_[static_cast<unsigned char>(at[k])]) != plan_.needle[k])
                    return false;
            }
            return true;
        } else {
            return std::memcmp(at, plan_.needle, plan_.size) == 0;
        }
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
        const auto length = static_cast<std::size_t>(end - from);
        if constexpr (Folding::confirm) {
            // Rare enough to afford a folded copy of the rest.
            const std::string folded = FoldWindows1252({from, length});
            const void *hit = ::memmem(folded.data(), length, plan_.needle, plan_.size);
            return hit == nullptr ? nullptr : from + (static_cast<const char *>(hit) - folded.data());
        } else {
            return static_cast<const char *>(::memmem(from, length, plan_.needle, plan_.size));
        }
    }

private:
    const Plan &plan_;
    // Taken once: a call in the confirm made the vector loop around it keep
    // its constants on the stack.
    const unsigned char *small_ = nullptr;
    std::size_t spent_ = 0;
};

// Candidate starts are [begin, begin + count); the caller ensures the needle
// fits after each of them.
template <class Folding>
const char *findPortable(const Plan &plan, const char *begin, std::size_t count)
{
    Confirmer<Folding> confirmer(plan);
    const char *const stop = begin + count;
    for (const char *at = begin; at < stop; ++at) {
        if constexpr (!Folding::first) {
            const void *probe = std::memchr(at + plan.firstProbe, plan.firstValue, static_cast<std::size_t>(stop - at));
            if (probe == nullptr)
                return nullptr;
            at = static_cast<const char *>(probe) - plan.firstProbe;
        }
        if (!passesProbes(plan, at))
            continue;
        if (confirmer.matchesAt(at))
            return at;
        if (confirmer.overBudget(static_cast<std::size_t>(at - begin)))
            return confirmer.rest(at + 1, stop + plan.size - 1);
    }
    return nullptr;
}

template <class Folding>
const char *findScalarTail(const Plan &plan, const char *begin, std::size_t count)
{
    Confirmer<Folding> confirmer(plan);
    for (std::size_t i = 0; i < count; ++i) {
        const char *at = begin + i;
        if (passesProbes(plan, at) && confirmer.matchesAt(at))
            return at;
    }
    return nullptr;
}

#ifdef MAP_UTILITY_X86

// The vector loop shared by every width. candidates(at) gives the mask of
// positions at..at+Width-1 whose two probe bytes match; count >= Width.
template <std::size_t Width, class Folding, class Candidates>
const char *findVectors(const Plan &plan, const char *begin, std::size_t count, const Candidates &candidates)
{
    if (begin == nullptr)
        return nullptr; // never so (count >= Width); the analyzer cannot tell a hit from a null begin
    Confirmer<Folding> confirmer(plan);
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

// Not inlined: inside find(), beside every other variant, its loop measured
// a tenth slower for the same instructions.
template <class Folding>
[[gnu::noinline]] const char *findSse2(const Plan &plan, const char *begin, std::size_t count)
{
    if (count < 16)
        return findScalarTail<Folding>(plan, begin, count);
    const __m128i first = _mm_set1_epi8(static_cast<char>(plan.firstValue));
    const __m128i second = _mm_set1_epi8(static_cast<char>(plan.secondValue));
    const __m128i firstMask = _mm_set1_epi8(static_cast<char>(plan.firstMask));
    const __m128i secondMask = _mm_set1_epi8(static_cast<char>(plan.secondMask));
    return findVectors<16, Folding>(plan, begin, count, [&](const char *at) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + plan.firstProbe));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + plan.secondProbe));
        if constexpr (Folding::first)
            a = _mm_or_si128(a, firstMask);
        if constexpr (Folding::second)
            b = _mm_or_si128(b, secondMask);
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
    });
}

// flatten: the shared loop and the compare are inlined here, under AVX2.
template <class Folding>
__attribute__((target("avx2"), flatten)) const char *findAvx2(const Plan &plan, const char *begin, std::size_t count)
{
    if (count < 32)
        return findSse2<Folding>(plan, begin, count);
    const __m256i first = _mm256_set1_epi8(static_cast<char>(plan.firstValue));
    const __m256i second = _mm256_set1_epi8(static_cast<char>(plan.secondValue));
    const __m256i firstMask = _mm256_set1_epi8(static_cast<char>(plan.firstMask));
    const __m256i secondMask = _mm256_set1_epi8(static_cast<char>(plan.secondMask));
    return findVectors<32, Folding>(
        plan, begin, count, [&](const char *at) __attribute__((target("avx2"))) {
            __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + plan.firstProbe));
            __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + plan.secondProbe));
            if constexpr (Folding::first)
                a = _mm256_or_si256(a, firstMask);
            if constexpr (Folding::second)
                b = _mm256_or_si256(b, secondMask);
            return static_cast<unsigned>(
                _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        });
}

template <class Folding>
const char *findAt(LiteralSearcher::Level level, const Plan &plan, const char *begin, std::size_t count)
{
    switch (level) {
    case LiteralSearcher::Level::Avx2:
        return findAvx2<Folding>(plan, begin, count);
    case LiteralSearcher::Level::Sse2:
        return findSse2<Folding>(plan, begin, count);
    default:
        return findPortable<Folding>(plan, begin, count);
    }
}

#else

template <class Folding>
const char *findAt(LiteralSearcher::Level, const Plan &plan, const char *begin, std::size_t count)
{
    return findPortable<Folding>(plan, begin, count);
}

#endif

// Where a small letter's capital differs from it (0 for a byte with no pair).
unsigned char caseBits(unsigned char small)
{
    static const std::array<unsigned char, 256> bits = [] {
        std::array<unsigned char, 256> table{};
        const auto &smallOf = Windows1252SmallLetters();
        for (unsigned byte = 0; byte < 256; ++byte) {
            if (smallOf[byte] != byte)
                table[smallOf[byte]] = static_cast<unsigned char>(byte ^ smallOf[byte]);
        }
        return table;
    }();
    return bits[small];
}

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

// Ignoring case, a probe on a byte with one case (space, digit, punctuation)
// filters without the OR, so first is such a byte when the needle has one,
// and second another one unlike it, or else the farthest byte unlike it. The
// farthest such pair always takes the first or the last byte with one case,
// so looking from those two suffices.
void chooseFoldingProbes(std::string_view needle, std::size_t &first, std::size_t &second)
{
    const std::size_t size = needle.size();
    const auto caseless = [&](std::size_t at) { return caseBits(static_cast<unsigned char>(needle[at])) == 0; };
    std::size_t firstCaseless = 0;
    while (firstCaseless < size && !caseless(firstCaseless))
        ++firstCaseless;
    if (firstCaseless == size) {
        chooseProbes(needle, first, second);
        return;
    }
    std::size_t lastCaseless = size - 1;
    while (!caseless(lastCaseless))
        --lastCaseless;

    // Two bytes with one case beat one; then the farther pair.
    auto rank = [](bool bothCaseless, std::size_t distance) { return std::pair(bothCaseless, distance); };
    auto best = rank(false, 0);
    first = firstCaseless; // one caseless byte throughout: no letter, nothing folds
    second = lastCaseless;
    for (const std::size_t anchor : {firstCaseless, lastCaseless}) {
        for (const bool bothCaseless : {true, false}) {
            const auto fits = [&](std::size_t at) {
                return needle[at] != needle[anchor] && (!bothCaseless || caseless(at));
            };
            std::size_t low = 0;
            while (low < size && !fits(low))
                ++low;
            if (low == size)
                continue;
            std::size_t high = size - 1;
            while (!fits(high))
                --high;
            const std::size_t below = low < anchor ? anchor - low : 0;
            const std::size_t above = high > anchor ? high - anchor : 0;
            const auto pair = rank(bothCaseless, std::max(below, above));
            if (pair > best) {
                best = pair;
                first = anchor;
                second = below > above ? low : high;
            }
        }
    }
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
    : LiteralSearcher(needle, level, LetterCase::Exact)
{}

LiteralSearcher::LiteralSearcher(std::string_view needle, Level level, LetterCase letters)
    : needle_(letters == LetterCase::Exact ? std::string(needle) : FoldWindows1252(needle)),
      level_(std::min(level, BestLevel()))
{
    // Without a letter that has two cases, the exact search is the same.
    folding_ = letters != LetterCase::Exact && std::any_of(needle_.begin(), needle_.end(), [](char c) {
                   return caseBits(static_cast<unsigned char>(c)) != 0;
               });
    if (needle_.size() > 1) {
        if (folding_)
            chooseFoldingProbes(needle_, firstProbe_, secondProbe_);
        else
            chooseProbes(needle_, firstProbe_, secondProbe_);
    }
    if (folding_) {
        firstMask_ = caseBits(static_cast<unsigned char>(needle_[firstProbe_]));
        secondMask_ = caseBits(static_cast<unsigned char>(needle_[secondProbe_]));
    }
}

const char *LiteralSearcher::find(const char *begin, const char *end) const
{
    const std::size_t length = static_cast<std::size_t>(end - begin);
    if (needle_.empty() || length < needle_.size())
        return nullptr;
    if (needle_.size() == 1 && !folding_)
        return static_cast<const char *>(std::memchr(begin, needle_[0], length));
    const auto probe = [this](std::size_t at, unsigned char mask) {
        return static_cast<unsigned char>(static_cast<unsigned char>(needle_[at]) | mask);
    };
    const Plan plan{needle_.data(), needle_.size(),
                    firstProbe_,    secondProbe_,
                    firstMask_,     probe(firstProbe_, firstMask_),
                    secondMask_,    probe(secondProbe_, secondMask_)};
    const std::size_t count = length - needle_.size() + 1;
    if (!folding_)
        return findAt<NoFold>(level_, plan, begin, count);
    // The folding probes put a byte with one case first.
    if (firstMask_ != 0)
        return findAt<Fold<true, true>>(level_, plan, begin, count);
    if (secondMask_ != 0)
        return findAt<Fold<false, true>>(level_, plan, begin, count);
    return findAt<Fold<false, false>>(level_, plan, begin, count);
}

StreamSearcher::StreamSearcher(std::string_view needle) : StreamSearcher(needle, LiteralSearcher::Level::Avx2) {}

StreamSearcher::StreamSearcher(std::string_view needle, LiteralSearcher::Level level)
    : StreamSearcher(needle, level, LetterCase::Exact)
{}

StreamSearcher::StreamSearcher(std::string_view needle, LiteralSearcher::Level level, LetterCase letters,
                               OtherCase other)
    : searcher_(needle, level, letters)
{
    if (other == OtherCase::Noted && letters == LetterCase::Exact)
        anyCase_.emplace(needle, level, LetterCase::IgnoreWindows1252);
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
        found_ = search(seam_.data(), seam_.data() + seam_.size());
    }
    found_ = found_ || search(data, data + size);
    if (size >= keep) {
        tail_.assign(data + size - keep, keep);
    } else {
        tail_.append(data, size);
        tail_.erase(0, tail_.size() - std::min(tail_.size(), keep));
    }
    return found_;
}

bool StreamSearcher::search(const char *begin, const char *end)
{
    if (anyCase_ && !inAnotherCase_) {
        // An exact text is a hit here too, so none comes before the first hit.
        const char *hit = anyCase_->find(begin, end);
        if (hit == nullptr)
            return false;
        const std::string_view needle = searcher_.needle();
        if (std::memcmp(hit, needle.data(), needle.size()) == 0)
            return true;
        inAnotherCase_ = true;
        begin = hit + 1;
    }
    return searcher_.find(begin, end) != nullptr;
}

void StreamSearcher::reset()
{
    tail_.clear();
    found_ = false;
    inAnotherCase_ = false;
}

} // namespace runtime
