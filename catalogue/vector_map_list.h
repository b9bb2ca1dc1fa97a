#pragma once

#include "views.h"

#include <string>
#include <vector>

namespace catalogue {

// A map list held in memory, for the command line and the tests.
class VectorMapList final : public MapList {
public:
    VectorMapList() = default;
    // Entries known by their text alone.
    explicit VectorMapList(const std::vector<std::string> &entries) : maps_(entries.begin(), entries.end()) {}

    std::size_t count() const override { return maps_.size(); }
    std::string at(std::size_t index) const override { return maps_.at(index).entry; }
    std::string fileAt(std::size_t index) const override { return maps_.at(index).file; }
    ListedMap mapAt(std::size_t index) const override { return maps_.at(index); }
    void clear() override { maps_.clear(); }
    void append(const std::string &entry) override { maps_.emplace_back(entry); }
    void assign(const std::vector<ListedMap> &maps) override { maps_ = maps; }
    // Takes a scan's list as it stands: a large folder's list is not copied.
    void assign(std::vector<ListedMap> &&maps) { maps_ = std::move(maps); }

    const std::vector<ListedMap> &maps() const { return maps_; }
    // The entries' texts, in order.
    std::vector<std::string> entries() const;

private:
    std::vector<ListedMap> maps_;
};

} // namespace catalogue
