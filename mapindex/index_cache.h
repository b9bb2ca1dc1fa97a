#pragma once

#include "index_row.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapindex {

// What the cache of mapsDir is kept under: the folder alone, or the folder
// with every folder below it, whose rows are kept apart. Given as mapsDir
// to the functions below.
std::string CacheKey(const std::string &mapsDir, bool subfolders);

// The cache file of one maps folder: $XDG_CACHE_HOME/map-utility/<hash>.cache
// (~/.cache when XDG_CACHE_HOME is unset, empty or relative).
QString CacheFilePath(const std::string &mapsDir);

// What a cache keeps of the last reading: its rows with their marks, and
// the maps removed since they were last marked as seen.
struct CachedIndex {
    std::vector<IndexRow> rows;
    std::vector<ChangeNote> removed;

    bool operator==(const CachedIndex &) const = default;
};

// What was saved for mapsDir; nothing when the file is missing, corrupt or
// belongs to another folder or version.
std::optional<CachedIndex> LoadCache(const QString &path, const std::string &mapsDir);

// Replaces the cache whole: a new file synced, then renamed over the old
// one, which keeps its bytes on any failure. Nothing when written; else why not.
std::optional<std::string> WriteCache(const QString &path, const std::string &mapsDir, const CachedIndex &index);

// The cache file's bytes: the body the rows make, then its digest.
std::string CacheBytes(const std::string &mapsDir, const CachedIndex &index);
// body with its digest after it, as a cache file ends.
std::string SealedCache(std::string body);
// The contents of a cache file's bytes, as LoadCache gives them.
std::optional<CachedIndex> ParseCache(std::string_view bytes, const std::string &mapsDir);

} // namespace mapindex
