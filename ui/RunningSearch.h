#pragma once

#include "catalogue/content_search.h"
#include "runtime/directory_handle.h"

#include <QFutureWatcher>
#include <QObject>

#include <exception>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// The search a worker runs: FindMapsContaining's shape.
using ContentSearchFunction = std::function<catalogue::ContentSearchResult(
    int mapsDirFd, const std::vector<catalogue::ListedMap> &maps, std::string_view text,
    const catalogue::SearchProgress &progress, unsigned jobs, const std::stop_token &stop)>;

// Tests put a search they can hold in place of FindMapsContaining; an empty
// function puts it back. Read when a search starts, never by a worker.
void SetContentSearchFunction(ContentSearchFunction search);

// What a worker hands back: the search's result, or what else ended it
// (out of memory), to be raised again on the window's thread.
struct SearchOutcome {
    catalogue::ContentSearchResult result;
    std::exception_ptr failure;
};

// A content search on a worker thread, over its own copy of the maps and
// the maps folder's descriptor: it touches no widget, no global and not the
// current directory. progressed (entries done; coalesced, never backwards)
// and finished arrive on the thread that made this object.
class RunningSearch final : public QObject {
    Q_OBJECT

public:
    RunningSearch(runtime::DirectoryHandle folder, std::vector<catalogue::ListedMap> maps, std::string text,
                  QObject *parent = nullptr);
    // Cancels the search and waits for the worker: it may not outlive its inputs.
    ~RunningSearch() override;
    RunningSearch(const RunningSearch &) = delete;
    RunningSearch &operator=(const RunningSearch &) = delete;

    // The worker stops at the next chunk of the map it is reading; finished
    // still follows.
    void cancel();
    bool cancelRequested() const { return cancelRequested_; }

    const std::vector<catalogue::ListedMap> &maps() const { return maps_; }
    // Once finished: what the worker found; an empty outcome when it was cancelled first.
    SearchOutcome outcome() const;

signals:
    void progressed(int done);
    void finished();

private:
    runtime::DirectoryHandle folder_;
    const std::vector<catalogue::ListedMap> maps_;
    const std::string text_;
    bool cancelRequested_ = false;
    std::stop_source stop_; // Esc: the worker's reads end at their next chunk
    QFutureWatcher<SearchOutcome> watcher_;
};

} // namespace ui
