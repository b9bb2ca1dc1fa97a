#include "page_block.h"

#include <sys/mman.h>

namespace runtime {
namespace {

// Blocks are made in steps of this size, so one let go fits many later files.
constexpr std::size_t Granule = 64 * 1024;

char *mapPages(std::size_t capacity)
{
    if (capacity == 0)
        return nullptr;
    void *bytes = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return bytes == MAP_FAILED ? nullptr : static_cast<char *>(bytes);
}

} // namespace

PageBlock::PageBlock(std::size_t capacity) : bytes_(mapPages(capacity))
{
    if (bytes_)
        capacity_ = capacity;
}

PageBlock::~PageBlock()
{
    if (!bytes_)
        return;
    if (pool_)
        pool_->giveBack(bytes_, capacity_);
    else
        ::munmap(bytes_, capacity_);
}

PageBlock::PageBlock(PageBlock &&other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), capacity_(std::exchange(other.capacity_, 0)),
      pool_(std::move(other.pool_))
{}

PageBlock &PageBlock::operator=(PageBlock &&other) noexcept
{
    PageBlock gone(std::move(*this));
    bytes_ = std::exchange(other.bytes_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
    pool_ = std::move(other.pool_);
    return *this;
}

std::shared_ptr<PagePool> PagePool::Make(std::size_t holdAtMost)
{
    return std::make_shared<PagePool>(Key{}, holdAtMost);
}

PagePool::~PagePool()
{
    for (const auto &[bytes, capacity] : free_)
        ::munmap(bytes, capacity);
}

std::size_t PagePool::Rounded(std::size_t capacity)
{
    return (capacity + Granule - 1) / Granule * Granule;
}

PageBlock PagePool::take(std::size_t capacity)
{
    const std::size_t wanted = Rounded(capacity);
    {
        const std::lock_guard lock(mutex_);
        // The smallest block that fits and wastes at most its half.
        auto best = free_.end();
        for (auto it = free_.begin(); it != free_.end(); ++it) {
            if (it->second >= wanted && it->second <= 2 * wanted && (best == free_.end() || it->second < best->second))
                best = it;
        }
        if (best != free_.end()) {
            const auto [bytes, size] = *best;
            *best = free_.back();
            free_.pop_back();
            held_ -= size;
            return {bytes, size, shared_from_this()};
        }
    }
    char *bytes = mapPages(wanted);
    if (!bytes)
        return {};
    return {bytes, wanted, shared_from_this()};
}

void PagePool::giveBack(char *bytes, std::size_t capacity)
{
    {
        const std::lock_guard lock(mutex_);
        if (held_ + capacity <= holdAtMost_) {
            free_.emplace_back(bytes, capacity);
            held_ += capacity;
            return;
        }
    }
    ::munmap(bytes, capacity);
}

} // namespace runtime
