#include "background_job.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using mapindex::BackgroundJob;
using mapindex::JobControl;
using mapindex::JobEnd;

class TestMapIndexJobs final : public QObject {
    Q_OBJECT

private slots:
    void everyRunSaysHowItEnded();
    void aReplacedRunIsNeverTold();
};

namespace {

// "done N", "stopped" or "failed: message", for each end passed on.
struct Ends {
    std::vector<std::string> told;
    void operator()(JobEnd<int> end)
    {
        if (end.isDone())
            told.push_back("done " + std::to_string(end.value()));
        else if (end.isStopped())
            told.push_back("stopped");
        else
            told.push_back("failed: " + *end.failure());
    }
};

// Spins until it is asked to stop, then stops.
std::optional<int> untilStopped(const JobControl &control)
{
    while (!control.stopRequested())
        std::this_thread::yield();
    return std::nullopt;
}

} // namespace

void TestMapIndexJobs::everyRunSaysHowItEnded()
{
    Ends ends;
    BackgroundJob<int> job([&](JobEnd<int> end) { ends(std::move(end)); });
    job.start([](const JobControl &) { return std::optional(7); });
    QTRY_VERIFY(!job.isRunning());
    job.start([](const JobControl &) -> std::optional<int> { throw std::runtime_error("Disk full."); });
    QTRY_VERIFY(!job.isRunning());
    job.start(untilStopped);
    job.stop();
    job.finishNow(); // told at once, and not again when the event loop runs
    QVERIFY(!job.isRunning());
    QTest::qWait(20);
    QCOMPARE(ends.told, (std::vector<std::string>{"done 7", "failed: Disk full.", "stopped"}));
}

void TestMapIndexJobs::aReplacedRunIsNeverTold()
{
    Ends ends;
    BackgroundJob<int> job([&](JobEnd<int> end) { ends(std::move(end)); });
    job.start(untilStopped);
    job.start([](const JobControl &) { return std::optional(2); }); // stops the first and waits for it
    QTRY_VERIFY(!job.isRunning());
    job.start(untilStopped);
    job.discard();
    QTest::qWait(20);
    QCOMPARE(ends.told, (std::vector<std::string>{"done 2"}));
}

QTEST_GUILESS_MAIN(TestMapIndexJobs)
#include "tst_mapindex_jobs.moc"
