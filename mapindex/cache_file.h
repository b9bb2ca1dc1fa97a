#pragma once

#include "cache_merge.h"
#include "index_cache.h"

#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace mapindex {

// What a save did.
struct CacheSave {
    CachedIndex index;                // what the cache holds now; ours as it was when not saved
    bool tookTheirs = false;          // it holds states another process saved since we last read it
    std::optional<std::string> error; // why nothing was saved
};

// A cache's rows, shared with the table that shows them, and its removed maps.
struct SharedCache {
    SharedRows rows;
    std::vector<ChangeNote> removed;
};

// One process's side of the cache of one maps folder (a CacheKey). Several
// Map Index processes may share the file: a save takes a lock beside it,
// merges what the others saved since this one last read or wrote it, and
// replaces the file whole, so a failure at any point leaves the old bytes.
// A save that fails is owed: the next reading saves even when nothing changed.
class CacheFile final {
public:
    explicit CacheFile(std::string key);

    const std::string &key() const { return key_; }
    std::optional<CachedIndex> load();
    // The same with the rows shared: shown has them before what later saves
    // merge against is made from them, which the table need not wait for.
    std::optional<SharedCache> load(const std::function<void(const SharedCache &)> &shown);
    CacheSave save(CachedIndex ours);
    bool owed() const;

private:
    mutable std::mutex mutex_;
    std::string key_;
    QString path_;
    CacheBase base_;
    bool owed_ = false;
};

} // namespace mapindex
