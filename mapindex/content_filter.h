#pragma once

#include "background_job.h"
#include "index_row.h"
#include "runtime/letter_case.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace mapindex {

// A map the contents search could not open or read.
struct UnreadableRow {
    std::string entry;
    std::string message;
};

// Which rows' map files hold a text, for the rows it was searched in.
struct ContentMatch {
    SharedRows rows;                       // indices below are into these
    std::vector<bool> holds;               // one per row
    std::vector<UnreadableRow> unreadable; // skipped, in listing order
    std::optional<std::string> error;      // the folder itself could not be opened
    bool cancelled = false;
    // Searched with case and found in none: how many rows hold the text in
    // another case, so the user can be told.
    std::size_t heldInAnotherCase = 0;
};
using SharedContentMatch = std::shared_ptr<const ContentMatch>;

// The rows whose files in mapsDir hold text (UTF-8, searched as the maps'
// Windows-1252 bytes), by the rules of the command line's contents search.
// Any thread; progress gets the number of maps done. letters: as the
// command line's --ignore-case takes it. With case, the same pass counts the
// rows that hold the text in another case, told when no row holds it as is.
ContentMatch FindRowsContaining(const std::string &mapsDir, const SharedRows &rows, const QString &text,
                                const std::function<void(std::size_t done)> &progress, unsigned jobs,
                                const std::stop_token &stop, runtime::LetterCase letters = runtime::LetterCase::Exact);

// Runs contents searches on a worker, one at a time, and keeps each text's
// result while the rows stay the same, so a text typed again costs nothing.
class ContentFilter final : public QObject {
    Q_OBJECT

public:
    explicit ContentFilter(QObject *parent = nullptr);
    ~ContentFilter() override;

    // An empty text ends the narrowing at once (matched with none); a kept
    // text is matched at once; any other starts a search, stopping the one
    // running. Case matters when matchCase is set.
    void search(const std::string &mapsDir, const SharedRows &rows, const QString &text, bool matchCase);
    void cancel();
    bool isRunning() const { return job_.isRunning(); }
    bool isKept(const SharedRows &rows, const QString &text, bool matchCase) const;

    void setJobs(unsigned jobs) { jobs_ = jobs; }

signals:
    void started(int total);
    void progress(int done);
    void matched(mapindex::SharedContentMatch match); // none: no narrowing
    void cancelled();

private:
    void onEnded(JobEnd<SharedContentMatch> end);

    QString running_; // the text being searched
    bool runningMatchCase_ = true;
    SharedRows keptOf_; // the rows the kept results belong to
    // Results by text, with case and without.
    std::array<QHash<QString, SharedContentMatch>, 2> kept_;
    unsigned jobs_;
    BackgroundJob<SharedContentMatch> job_; // last: it stops before what its end would touch goes
};

} // namespace mapindex
