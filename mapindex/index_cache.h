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

// The rows saved for mapsDir; nothing when the file is missing, corrupt or
// belongs to another folder or version.
std::optional<std::vector<IndexRow>> LoadCache(const QString &path, const std::string &mapsDir);

// Replaces the cache atomically; false when it could not be written.
bool SaveCache(const QString &path, const std::string &mapsDir, const std::vector<IndexRow> &rows);

// The cache file's bytes: the body the rows make, then its digest.
std::string CacheBytes(const std::string &mapsDir, const std::vector<IndexRow> &rows);
// body with its digest after it, as a cache file ends.
std::string SealedCache(std::string body);
// The rows of a cache file's bytes, as LoadCache gives them.
std::optional<std::vector<IndexRow>> ParseCache(std::string_view bytes, const std::string &mapsDir);

} // namespace mapindex
