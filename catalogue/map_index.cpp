#include "map_index.h"

#include "map_details.h"

namespace catalogue {
namespace {

// Keeps the value of each shown line; the notice lines match no key.
class RecordView final : public DetailsView {
public:
    explicit RecordView(IndexRecord &record) : record_(record) {}

    void clear() override { record_.values = {}; }
    void setBold(bool) override {}
    void setColour(TextColour) override {}
    void appendLine(const std::string &line) override
    {
        for (std::size_t k = 0; k < DetailKeys.size(); ++k) {
            if (auto value = DetailValue(line, DetailKeys[k]); value && !record_.values[k])
                record_.values[k] = std::move(value);
        }
    }

private:
    IndexRecord &record_;
};

} // namespace

std::optional<std::string> DetailValue(std::string_view shownLine, std::string_view key)
{
    if (key.empty() || !shownLine.starts_with(key))
        return std::nullopt;
    shownLine.remove_prefix(key.size());
    const std::size_t start = shownLine.find_first_not_of(": \t");
    return std::string(start == std::string_view::npos ? std::string_view{} : shownLine.substr(start));
}

IndexRecord ReadIndexRecord(const std::string &mapsDir, const std::string &entry)
{
    IndexRecord record{entry, {}};
    RecordView view(record);
    ShowMapDetails(mapsDir, entry, view);
    return record;
}

} // namespace catalogue
