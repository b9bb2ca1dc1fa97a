#pragma once

#include "runtime/letter_case.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace runtime {

// Finds a byte string inside byte buffers. Candidates are filtered with SIMD
// compares on two well-separated bytes of the needle, 16 or 32 positions at a
// time, and confirmed with memcmp. Needles whose candidates keep failing late
// (long runs of one byte) hand the rest of the buffer to memmem, so no input
// costs quadratic time. Ignoring case, the probes are bytes with one case
// (space, digits, punctuation) where the needle has them; a probe on a letter
// ORs away the bit where its two cases differ, and the confirm folds each
// byte, so the search costs about what the exact one does. Immutable after
// construction: one searcher may serve many threads.
class LiteralSearcher {
public:
    // Instruction sets, best last. A level the CPU lacks is lowered to the
    // best one it has, so Avx2 means "the fastest available".
    enum class Level { Portable, Sse2, Avx2 };

    explicit LiteralSearcher(std::string_view needle);
    LiteralSearcher(std::string_view needle, Level level);
    LiteralSearcher(std::string_view needle, Level level, LetterCase letters);

    // The first occurrence of the needle in [begin, end), or nullptr.
    // An empty needle never matches.
    const char *find(const char *begin, const char *end) const;
    bool containedIn(std::string_view bytes) const
    {
        return find(bytes.data(), bytes.data() + bytes.size()) != nullptr;
    }

    // Folded to small letters when case is ignored.
    std::string_view needle() const { return needle_; }
    Level level() const { return level_; }
    static Level BestLevel();

private:
    std::string needle_;
    Level level_;
    std::size_t firstProbe_ = 0; // offsets of the two filter bytes
    std::size_t secondProbe_ = 0;
    unsigned char firstMask_ = 0; // see Plan in the .cpp
    unsigned char secondMask_ = 0;
    bool folding_ = false;
};

// Tells whether a needle occurs in a stream that arrives in consecutive
// chunks, so a caller can read a file piece by piece with a buffer of any
// size. Each chunk is searched in place; the last needle-length-less-one
// bytes seen are kept, so an occurrence spanning two or more chunks is found.
//
// Buffer contract: feed() gets the stream's bytes in order, with no gap and
// no repeat; chunks may be of any size (empty ones included) and need not
// stay valid after feed() returns.
class StreamSearcher {
public:
    explicit StreamSearcher(std::string_view needle);
    StreamSearcher(std::string_view needle, LiteralSearcher::Level level);
    // Noted, with letters Exact, runs the search that ignores case and checks
    // each of its hits exactly; after the first hit that is not exact, only
    // the exact search runs. Otherwise other is of no account.
    StreamSearcher(std::string_view needle, LiteralSearcher::Level level, LetterCase letters,
                   OtherCase other = OtherCase::Ignored);

    // Returns true once the needle has occurred in the bytes fed since
    // construction or the last reset(); further chunks are then ignored.
    bool feed(const char *data, std::size_t size);
    bool found() const { return found_; }
    // Noting other case: the needle occurred in another case before any exact
    // occurrence; without found(), whether the stream holds it in another case.
    bool foundInAnotherCase() const { return inAnotherCase_; }
    // Starts a new stream (the next file).
    void reset();

    // Bytes of one chunk that a text spanning into the next may occupy.
    std::size_t overlap() const { return searcher_.needle().empty() ? 0 : searcher_.needle().size() - 1; }

private:
    // Searches [begin, end): exactly, or while noting other case, ignoring
    // case until a hit in another case is seen.
    bool search(const char *begin, const char *end);

    LiteralSearcher searcher_;
    std::optional<LiteralSearcher> anyCase_; // noting other case: the search ignoring it
    std::string tail_;                       // the last overlap() bytes fed (fewer at the start)
    std::string seam_;                       // scratch for tail_ joined to the next chunk's head
    bool found_ = false;
    bool inAnotherCase_ = false;
};

} // namespace runtime
