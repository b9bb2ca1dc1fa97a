#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace runtime {

class PagePool;

// Bytes in pages of their own, given back when let go: to the pool they came
// from, or to the system. A block from the C library made on one thread and
// let go on another stays in the first thread's arena: with many readers
// handing bytes to a few users, a process kept several times the bytes it
// held at any moment.
class PageBlock final {
public:
    PageBlock() = default;
    // Fresh pages; nothing (false) when the system has no room.
    explicit PageBlock(std::size_t capacity);
    ~PageBlock();
    PageBlock(PageBlock &&other) noexcept;
    PageBlock &operator=(PageBlock &&other) noexcept;
    PageBlock(const PageBlock &) = delete;
    PageBlock &operator=(const PageBlock &) = delete;

    char *data() const { return bytes_; }
    std::size_t capacity() const { return capacity_; }
    explicit operator bool() const { return bytes_ != nullptr; }

private:
    friend class PagePool;
    PageBlock(char *bytes, std::size_t capacity, std::shared_ptr<PagePool> pool)
        : bytes_(bytes), capacity_(capacity), pool_(std::move(pool))
    {}

    char *bytes_ = nullptr;
    std::size_t capacity_ = 0;
    std::shared_ptr<PagePool> pool_; // where the block goes back, if anywhere
};

// Blocks let go come back here for the next file, so a stream of files read
// ahead costs no page faults and no unmapping once the first few are made:
// fresh pages for each of 20,000 maps cost the search on a share 600,000
// faults, and the machine's time went to the kernel.
class PagePool final : public std::enable_shared_from_this<PagePool> {
    struct Key { // Make's alone: a pool lives in a shared_ptr, which its blocks share
        explicit Key() = default;
    };

public:
    // Holds at most holdAtMost bytes of blocks nobody uses.
    static std::shared_ptr<PagePool> Make(std::size_t holdAtMost);
    PagePool(Key, std::size_t holdAtMost) : holdAtMost_(holdAtMost) {}
    ~PagePool();
    PagePool(const PagePool &) = delete;
    PagePool &operator=(const PagePool &) = delete;

    // A block of at least capacity bytes; nothing (false) when the system has no room.
    PageBlock take(std::size_t capacity);

    // The capacity a fresh block for capacity bytes has.
    static std::size_t Rounded(std::size_t capacity);

private:
    friend class PageBlock;
    void giveBack(char *bytes, std::size_t capacity);

    std::mutex mutex_;
    std::vector<std::pair<char *, std::size_t>> free_;
    std::size_t held_ = 0;
    std::size_t holdAtMost_;
};

} // namespace runtime
