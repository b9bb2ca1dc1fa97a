#pragma once

#include "cache_merge.h"
#include "index_cache.h"

#include <QString>

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
