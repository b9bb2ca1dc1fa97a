#include "catalogue/map_index.h"

#include "catalogue/map_details.h"

#include <vector>

namespace catalogue {
namespace {

class Lines final : public DetailsView {
public:
    std::vector<std::string> lines;
    void clear() override { lines.clear(); }
    void setBold(bool) override {}
    void setColour(TextColour) override {}
    void appendLine(const std::string &line) override { lines.push_back(line); }
};

} // namespace

std::optional<std::string> DetailValue(std::string_view shownLine, std::string_view key)
{
    if (!shownLine.starts_with(key))
        return std::nullopt;
    std::string_view rest = shownLine.substr(key.size());
    while (!rest.empty() && (rest.front() == ':' || rest.front() == ' ' || rest.front() == '\t'))
        rest.remove_prefix(1);
    return std::string(rest);
}

IndexRecord ReadIndexRecord(const std::string &mapsDir, const std::string &entry)
{
    Lines view;
    ShowMapDetails(mapsDir, entry, view);
    IndexRecord record{entry, {}};
    for (const std::string &line : view.lines) {
        for (std::size_t k = 0; k < DetailKeys.size(); ++k) {
            if (!record.values[k])
                if (auto value = DetailValue(line, DetailKeys[k])) {
                    record.values[k] = std::move(value);
                    break;
                }
        }
    }
    return record;
}

} // namespace catalogue
