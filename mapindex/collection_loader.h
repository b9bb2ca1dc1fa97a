#pragma once

#include "background_job.h"
#include "cache_file.h"
#include "collection_reader.h"
#include "index_row.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mapindex {

// What one reading of the collection gives the window.
struct LoadResult {
    std::vector<IndexRow> rows;           // marked new or changed until marked as seen
    std::vector<ChangeNote> removed;      // since the maps were last marked as seen
    bool compared = false;                // there was a previous reading to compare with
    std::size_t mapsRead = 0;             // maps whose details were read, not taken from the cache
    std::optional<std::string> error;     // the reading failed: nothing else here holds
    bool sameAsShown = false;             // nothing changed: the window shows these rows already
    bool subfolderMaps = false;           // no maps were listed, but folders below hold some
    std::optional<std::string> saveError; // the cache could not be written: the marks wait in the rows
    // Folders not listed, the folder itself among them: their rows and marks stand as they were.
    std::vector<UnreachableFolder> unreachable;
};

// Reads the collection on a worker thread; the window only hears signals.
class CollectionLoader final : public QObject {
    Q_OBJECT

public:
    explicit CollectionLoader(QObject *parent = nullptr);
    ~CollectionLoader() override;

    // previous: the rows the window shows; none at the start, when the
    // cache stands for the previous reading. Its rows come first then
    // (cachedRowsReady), so the table fills at once while the folder is
    // checked for changes. removed: the maps removed that the window lists.
    // subfolders: the maps of every folder below mapsDir too.
    void start(const std::string &mapsDir, bool subfolders, SharedRows previous, std::vector<ChangeNote> removed = {});
    void cancel();
    LoadResult takeResult();
    SharedRows takeCachedRows() { return std::exchange(cached_, {}); }
    // The removed maps the cache kept, with the cached rows.
    std::vector<ChangeNote> takeCachedRemoved() { return std::exchange(cachedRemoved_, {}); }
    bool isRunning() const { return job_.isRunning(); }
    // Saves the marks of the folder last started, merged with what another
    // Map Index saved meanwhile; not while a reading runs.
    CacheSave saveMarks(std::vector<IndexRow> rows, std::vector<ChangeNote> removed);
    // The maps whose details the last reading to end read, rather than took from the cache.
    std::size_t mapsRead() const { return mapsRead_; }

    // Tests count map reads through this.
    void setRecordReader(RecordReader reader) { reader_ = std::move(reader); }

signals:
    void progress(int done, int total);
    void cachedRowsReady(); // they wait in takeCachedRows()
    void finished();        // the result waits in takeResult()
    void cancelled();

private:
    void onEnded(JobEnd<LoadResult> end);

    RecordReader reader_;
    std::shared_ptr<CacheFile> cache_; // of the folder last started
    SharedRows cached_;
    std::vector<ChangeNote> cachedRemoved_;
    std::string mapsDir_;
    LoadResult result_;
    std::size_t mapsRead_ = 0;
    BackgroundJob<LoadResult> job_; // last: it stops before what its end would touch goes
};

} // namespace mapindex
