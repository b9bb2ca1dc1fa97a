#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <span>

namespace runtime {

// Memory that file reads land in, starting on a page boundary. The kernel
// copies into a destination off a cache-line boundary several times slower
// on some processors, and malloc's large blocks start 16 bytes into a page.
// Not cleared: it is written by a read before it is ever read.
class ReadBuffer {
public:
    static constexpr std::size_t Alignment = 4096;

    explicit ReadBuffer(std::size_t size) : bytes_(new (std::align_val_t(Alignment)) char[size]), size_(size) {}

    char *data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    std::span<char> span() const { return {bytes_.get(), size_}; }

private:
    struct Release {
        void operator()(char *bytes) const { ::operator delete[](bytes, std::align_val_t(Alignment)); }
    };
    std::unique_ptr<char[], Release> bytes_;
    std::size_t size_;
};

} // namespace runtime
