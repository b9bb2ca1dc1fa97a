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
    explicit VectorMapList(std::vector<std::string> entries)
        : entries_(std::move(entries)), files_(entries_.size()), regular_(entries_.size())
    {}

    std::size_t count() const override { return entries_.size(); }
    std::string at(std::size_t index) const override { return entries_.at(index); }
    std::string fileAt(std::size_t index) const override { return files_.at(index); }
    ListedMap mapAt(std::size_t index) const override
    {
        return {entries_.at(index), files_.at(index), regular_.at(index)};
    }
    void clear() override;
    void append(const std::string &entry) override;
    void assign(const std::vector<ListedMap> &maps) override;

    const std::vector<std::string> &entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
    std::vector<std::string> files_; // one beside each entry
    std::vector<bool> regular_;      // as the scan that listed the entry saw its file
};

} // namespace catalogue
