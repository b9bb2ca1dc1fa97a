#include "runtime/ordered_work.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>

using runtime::ForEachInOrder;
using runtime::OrderedWorkOptions;
using runtime::WorkEnd;
using runtime::WorkStop;

namespace {

// A hang fails the test instead of stalling the whole run.
template <class Body>
void endsInTime(Body body)
{
    auto done = std::async(std::launch::async, body);
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "the work never ended";
        std::_Exit(1);
    }
    done.get();
}

// A map that never ends unless the stop is seen, as a read polling per chunk.
void spinUntil(const WorkStop &stop)
{
    while (!stop.requested())
        std::this_thread::yield();
}

OrderedWorkOptions withThreads(unsigned threads, std::size_t window = 0)
{
    OrderedWorkOptions options;
    options.threads = threads;
    options.window = window;
    return options;
}

} // namespace

class OrderedWorkShapes : public testing::TestWithParam<std::pair<unsigned, std::size_t>> {};

TEST_P(OrderedWorkShapes, ResultsComeInListOrderAndNoItemRunsBeyondTheWindow)
{
    const auto [threads, window] = GetParam();
    const std::size_t ahead = window > 0 ? window : 8 * threads;
    std::atomic<std::size_t> consumed{0};
    std::mutex mutex;
    std::size_t furthest = 0;
    std::vector<std::size_t> seen;
    const auto end = ForEachInOrder(
        300, withThreads(threads, window),
        [&](std::size_t i, const WorkStop &) {
            {
                const std::lock_guard lock(mutex); // items started past the consumed ones
                furthest = std::max(furthest, i + 1 - consumed.load());
            }
            std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 200));
            return i * 3;
        },
        [&](std::size_t i, std::size_t &value) {
            EXPECT_EQ(value, i * 3);
            seen.push_back(i);
            ++consumed;
        });
    EXPECT_EQ(end, WorkEnd::Finished);
    ASSERT_EQ(seen.size(), 300u);
    for (std::size_t i = 0; i < seen.size(); ++i)
        ASSERT_EQ(seen[i], i);
    EXPECT_LE(furthest, ahead);
}

INSTANTIATE_TEST_SUITE_P(Threads, OrderedWorkShapes,
                         testing::Values(std::pair<unsigned, std::size_t>{1, 0}, std::pair<unsigned, std::size_t>{2, 1},
                                         std::pair<unsigned, std::size_t>{4, 3},
                                         std::pair<unsigned, std::size_t>{8, 0}));

TEST(OrderedWork, AFirstErrorStopsTheWorkersEvenMidItem)
{
    for (const unsigned threads : {1u, 4u}) {
        std::atomic<std::size_t> started{0};
        std::vector<std::size_t> seen;
        endsInTime([&] {
            const auto end = ForEachInOrder(
                1000, withThreads(threads, 4),
                [&](std::size_t i, const WorkStop &stop) {
                    ++started;
                    if (i == 6)
                        spinUntil(stop);
                    return i == 5; // item 5 fails
                },
                [&](std::size_t i, bool &failed) {
                    seen.push_back(i);
                    return !failed;
                });
            EXPECT_EQ(end, WorkEnd::Stopped);
        });
        EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5})) << threads << " threads";
        EXPECT_LE(started.load(), 5u + 4u) << threads << " threads"; // nothing beyond the window
    }
}

TEST(OrderedWork, CancelFromAnotherThreadEndsALongItem)
{
    for (const unsigned threads : {1u, 4u}) {
        std::atomic<bool> cancel{false};
        std::atomic<std::size_t> consumed{0};
        std::jthread canceller([&](const std::stop_token &token) {
            while (consumed < 3 && !token.stop_requested())
                std::this_thread::yield();
            cancel = true;
        });
        OrderedWorkOptions options = withThreads(threads);
        options.cancel = &cancel;
        endsInTime([&] {
            const auto end = ForEachInOrder(
                100, options,
                [&](std::size_t i, const WorkStop &stop) {
                    if (i == 3)
                        spinUntil(stop);
                    return i;
                },
                [&](std::size_t, std::size_t &) { ++consumed; });
            EXPECT_EQ(end, WorkEnd::Cancelled);
        });
        EXPECT_EQ(consumed.load(), 3u) << threads << " threads";
    }
}

TEST(OrderedWork, WhatAWorkerOrTheConsumerRaisesComesOutOnTheCaller)
{
    struct Case {
        const char *what;
        std::size_t failingWorker, failingConsumer, consumedBefore;
        bool failingFactory;
    };
    constexpr std::size_t None = 1000;
    for (const Case &c : {Case{"worker", 4, None, 4, false}, Case{"consumer", None, 2, 2, false},
                          Case{"factory", None, None, 0, true}}) {
        for (const unsigned threads : {1u, 4u}) {
            std::size_t consumed = 0;
            const auto makeWorker = [&] {
                if (c.failingFactory)
                    throw std::runtime_error("no buffer");
                return [&](std::size_t i, const WorkStop &) {
                    if (i == c.failingWorker)
                        throw std::runtime_error("out of memory");
                    return i;
                };
            };
            const auto consume = [&](std::size_t i, std::size_t &) {
                if (i == c.failingConsumer)
                    throw std::runtime_error("output failed");
                ++consumed;
            };
            endsInTime([&] {
                EXPECT_THROW(ForEachInOrder(100, withThreads(threads), makeWorker, consume), std::runtime_error);
            });
            EXPECT_EQ(consumed, c.consumedBefore) << c.what << ", " << threads << " threads";
        }
    }
}

TEST(OrderedWork, ThreadsThatCannotStartLeaveTheWorkToFewerThreads)
{
    for (const std::size_t startable : {0u, 1u, 3u}) {
        OrderedWorkOptions options = withThreads(64, 2);
        std::size_t started = 0;
        options.startThread = [&](std::function<void()> body) {
            if (started == startable)
                throw std::system_error(EAGAIN, std::generic_category(), "thread");
            ++started;
            return std::jthread(std::move(body));
        };
        std::mutex mutex;
        std::set<std::thread::id> workers;
        std::vector<std::size_t> seen;
        endsInTime([&] {
            const auto end = ForEachInOrder(
                500, options,
                [&](std::size_t i, const WorkStop &) {
                    const std::lock_guard lock(mutex);
                    workers.insert(std::this_thread::get_id());
                    return i;
                },
                [&](std::size_t i, std::size_t &value) {
                    EXPECT_EQ(value, i);
                    seen.push_back(i);
                });
            EXPECT_EQ(end, WorkEnd::Finished);
        });
        EXPECT_EQ(seen.size(), 500u) << startable << " threads started";
        EXPECT_LE(workers.size(), std::max<std::size_t>(startable, 1)) << startable << " threads started";
    }
}
