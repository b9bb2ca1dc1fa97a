#include "cache_file.h"

#include "runtime/file_lock.h"
#include "runtime/host_errors.h"
#include "runtime/io_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>

namespace mapindex {
namespace {

// Past this a window shows what it has and saves at its next chance.
constexpr std::chrono::milliseconds LockPatience{1000};

std::string bytesOf(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

CacheFile::CacheFile(std::string key) : key_(std::move(key)), path_(CacheFilePath(key_)) {}

std::optional<CachedIndex> CacheFile::load()
{
    std::optional<CachedIndex> index = LoadCache(path_, key_);
    const std::lock_guard guard(mutex_);
    base_ = index ? CacheBase(*index) : CacheBase();
    return index;
}

std::optional<SharedCache> CacheFile::load(const std::function<void(const SharedCache &)> &shown)
{
    std::optional<CachedIndex> index = LoadCache(path_, key_);
    std::optional<SharedCache> cache;
    if (index) {
        cache = SharedCache{std::make_shared<const std::vector<IndexRow>>(std::move(index->rows)),
                            std::move(index->removed)};
        shown(*cache);
    }
    CacheBase base = cache ? CacheBase(*cache->rows, cache->removed) : CacheBase();
    const std::lock_guard guard(mutex_);
    base_ = std::move(base);
    return cache;
}

bool CacheFile::owed() const
{
    const std::lock_guard guard(mutex_);
    return owed_;
}

CacheSave CacheFile::save(CachedIndex ours)
{
    const std::lock_guard guard(mutex_);
    CacheSave saved;
    const QString folder = QFileInfo(path_).absolutePath();
    const std::string lockPath = bytesOf(path_) + ".lock";
    runtime::FileLock lock;
    if (!QDir().mkpath(folder))
        saved.error = bytesOf(folder) + ": The folder could not be made.";
    else if (lock = runtime::FileLock::Take(lockPath, LockPatience); !lock.held())
        saved.error = lock.error() == EWOULDBLOCK ? std::string("Another Map Index is saving them.")
                                                  : lockPath + ": "
                + runtime::ReportText(runtime::IoMessageTable(runtime::CodeForHostError(lock.error(), lockPath)));
    if (saved.error) {
        owed_ = true;
        saved.index = std::move(ours);
        return saved;
    }
    // A cache missing or damaged meanwhile holds nothing to merge: ours is written whole.
    if (const std::optional<CachedIndex> theirs = LoadCache(path_, key_)) {
        MergedIndex merged = MergeCaches(std::move(ours), *theirs, base_);
        saved.index = std::move(merged.index);
        saved.tookTheirs = merged.tookTheirs;
    } else {
        saved.index = std::move(ours);
    }
    saved.error = WriteCache(path_, key_, saved.index);
    owed_ = saved.error.has_value();
    if (!owed_)
        base_ = CacheBase(saved.index);
    return saved;
}

} // namespace mapindex
