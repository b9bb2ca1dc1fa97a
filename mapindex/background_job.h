#pragma once

#include <QFutureWatcher>
#include <QPromise>
#include <QtConcurrent>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <utility>
#include <variant>

namespace mapindex {

// How a job ended: with its value, stopped before it had one, or failed with
// the message of what its work raised. Exactly one of the three holds.
template <class T>
class JobEnd final {
public:
    struct Stopped {};
    struct Failed {
        std::string message;
    };

    static JobEnd done(T value) { return JobEnd(std::move(value)); }
    static JobEnd stopped() { return JobEnd(Stopped{}); }
    static JobEnd failed(std::string message) { return JobEnd(Failed{std::move(message)}); }

    bool isDone() const { return std::holds_alternative<T>(end_); }
    bool isStopped() const { return std::holds_alternative<Stopped>(end_); }
    // Its message when the job failed; none otherwise.
    const std::string *failure() const
    {
        const Failed *failed = std::get_if<Failed>(&end_);
        return failed ? &failed->message : nullptr;
    }
    T &value() { return std::get<T>(end_); }

private:
    template <class End>
    explicit JobEnd(End end) : end_(std::move(end))
    {}

    std::variant<Stopped, T, Failed> end_;
};

// What a job's work is given: whether it should stop, and where to say how
// far it got. Any thread.
class JobControl final {
public:
    JobControl(std::stop_token stop, std::function<void(int done, int total)> progress)
        : stop_(std::move(stop)), progress_(std::move(progress))
    {}

    bool stopRequested() const { return stop_.stop_requested(); }
    const std::stop_token &stopToken() const { return stop_; }
    // Said no more once stopping: what is done after that is dropped.
    void progress(int done, int total) const
    {
        if (!stopRequested())
            progress_(done, total);
    }

private:
    std::stop_token stop_;
    std::function<void(int, int)> progress_;
};

// One piece of work at a time on Qt's thread pool, whose end always reaches
// the thread that owns the job: a value, a stop or a failure. Starting
// another stops the one running and waits for it, and the end of a run that
// was replaced is never passed on, so a late end cannot overwrite a newer one.
template <class T>
class BackgroundJob final {
public:
    // The work returns its value, or nothing when it stopped early; whatever
    // it raises becomes a failure.
    using Work = std::function<std::optional<T>(const JobControl &control)>;

    explicit BackgroundJob(std::function<void(JobEnd<T> end)> ended) : ended_(std::move(ended))
    {
        QObject::connect(&watcher_, &QFutureWatcherBase::finished, &watcher_, [this] { passOnEnd(); });
        QObject::connect(&watcher_, &QFutureWatcherBase::progressValueChanged, &watcher_, [this](int done) {
            if (progress_)
                progress_(done, watcher_.progressMaximum());
        });
    }
    ~BackgroundJob()
    {
        stop();
        watcher_.waitForFinished(); // its work holds copies only; this keeps it from outliving the owner
    }
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Progress as the work reports it, a few times a second at most.
    void onProgress(std::function<void(int done, int total)> progress) { progress_ = std::move(progress); }

    void start(Work work)
    {
        discard();
        stop_ = std::stop_source();
        running_ = true;
        watcher_.setFuture(QtConcurrent::run(
            [work = std::move(work), token = stop_.get_token()](QPromise<std::shared_ptr<JobEnd<T>>> &promise) {
                auto total = std::make_shared<std::atomic<int>>(-1);
                const JobControl control(token, [&promise, total](int done, int count) {
                    if (total->exchange(count) != count)
                        promise.setProgressRange(0, count);
                    promise.setProgressValue(done);
                });
                promise.addResult(std::make_shared<JobEnd<T>>(run(work, control)));
            }));
    }

    // Asks the work to stop; its end follows as usual.
    void stop() { stop_.request_stop(); }

    // Stops the running work and waits for it; its end is never passed on.
    void discard()
    {
        if (!running_)
            return;
        stop();
        watcher_.waitForFinished();
        running_ = false;
    }

    // Started, and its end not yet passed on.
    bool isRunning() const { return running_; }

    // Waits for the running work and passes its end on before returning.
    void finishNow()
    {
        if (!running_)
            return;
        watcher_.waitForFinished();
        passOnEnd();
    }

private:
    static JobEnd<T> run(const Work &work, const JobControl &control)
    {
        try {
            std::optional<T> value = work(control);
            return value ? JobEnd<T>::done(std::move(*value)) : JobEnd<T>::stopped();
        } catch (const std::exception &error) {
            return JobEnd<T>::failed(error.what());
        } catch (...) {
            return JobEnd<T>::failed("Unknown error.");
        }
    }

    void passOnEnd()
    {
        const QFuture<std::shared_ptr<JobEnd<T>>> future = watcher_.future();
        if (!running_ || !future.isFinished())
            return; // told already, or the end of a run since replaced
        running_ = false;
        // Every run adds its end; none would mean the pool dropped the work.
        JobEnd<T> end = future.resultCount() > 0 ? std::move(*future.result())
                                                 : JobEnd<T>::failed("The work ended without a result.");
        ended_(std::move(end));
    }

    std::function<void(JobEnd<T>)> ended_;
    std::function<void(int, int)> progress_;
    QFutureWatcher<std::shared_ptr<JobEnd<T>>> watcher_;
    std::stop_source stop_;
    bool running_ = false;
};

} // namespace mapindex
