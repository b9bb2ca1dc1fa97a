#pragma once

#include <cstddef>
#include <sys/mman.h>
#include <utility>

namespace runtime {

// Bytes in pages of their own, given back to the system when let go. A block
// from the C library made on one thread and let go on another stays in the
// first thread's arena: with many readers handing bytes to a few users, a
// process kept several times the bytes it held at any moment.
class PageBlock final {
public:
    PageBlock() = default;
    // Nothing (false) when the system has no room.
    explicit PageBlock(std::size_t capacity)
    {
        void *bytes = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (capacity != 0 && bytes != MAP_FAILED) {
            bytes_ = static_cast<char *>(bytes);
            capacity_ = capacity;
        }
    }
    ~PageBlock()
    {
        if (bytes_)
            ::munmap(bytes_, capacity_);
    }
    PageBlock(PageBlock &&other) noexcept
        : bytes_(std::exchange(other.bytes_, nullptr)), capacity_(std::exchange(other.capacity_, 0))
    {}
    PageBlock &operator=(PageBlock &&other) noexcept
    {
        PageBlock gone(std::move(*this));
        bytes_ = std::exchange(other.bytes_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }
    PageBlock(const PageBlock &) = delete;
    PageBlock &operator=(const PageBlock &) = delete;

    char *data() const { return bytes_; }
    explicit operator bool() const { return bytes_ != nullptr; }

private:
    char *bytes_ = nullptr;
    std::size_t capacity_ = 0;
};

} // namespace runtime
