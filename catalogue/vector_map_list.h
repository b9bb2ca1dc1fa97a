#pragma once

#include "views.h"

#include <string>
#include <vector>

namespace catalogue {

// A map list held in memory, for the command line and the tests.
class VectorMapList final : public MapList {
public:
    VectorMapList() = default;
    explicit VectorMapList(std::vector<std::string> entries) : entries_(std::move(entries)) {}

    std::size_t count() const override { return entries_.size(); }
    std::string at(std::size_t index) const override { return entries_.at(index); }
    void clear() override { entries_.clear(); }
    void append(const std::string &entry) override { entries_.push_back(entry); }

    const std::vector<std::string> &entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

} // namespace catalogue
