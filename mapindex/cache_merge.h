#pragma once

#include "index_cache.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace mapindex {

// What one process last read from, or wrote to, a cache: each map's state
// (its file's version and its mark, or its removal) as a digest, so that a
// later save tells its own changes from those another process saved.
class CacheBase final {
public:
    CacheBase() = default;
    explicit CacheBase(const CachedIndex &index);
    CacheBase(const std::vector<IndexRow> &rows, const std::vector<ChangeNote> &removed);

    // The state's digest of the map at path; 0 when the cache did not hold it.
    std::uint64_t stateOf(const std::string &path) const;

private:
    std::vector<std::pair<std::uint64_t, std::uint64_t>> states_; // path's hash, state's digest; sorted
};

struct MergedIndex {
    CachedIndex index;
    bool tookTheirs = false; // some map's state came from theirs: it differs from ours
};

// Ours and theirs (the cache as another process left it), both grown from
// base. Each map takes the state of the side that changed it since base;
// where both did, the newer version of its file wins, and of one version
// the seen state, which is always newer than the mark it cleared; a map
// listed on one side wins over its removal on the other, and the next
// reading settles it. Rows keep our order, theirs alone come after.
MergedIndex MergeCaches(CachedIndex ours, const CachedIndex &theirs, const CacheBase &base);

} // namespace mapindex
