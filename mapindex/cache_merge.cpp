#include "cache_merge.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace mapindex {
namespace {

// A map as one side holds it: a row, a removal, or nothing.
struct MapState {
    const IndexRow *row = nullptr;
    const ChangeNote *removed = nullptr;
};

std::uint64_t pathHash(std::string_view path)
{
    return std::hash<std::string_view>{}(path);
}

std::uint64_t mixed(std::uint64_t seed, std::uint64_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

// Never 0, which stands for a map the side does not hold.
std::uint64_t digest(const MapState &state)
{
    if (state.removed)
        return mixed(1, std::hash<std::string>{}(state.removed->entry));
    if (!state.row)
        return 0;
    const IndexRow &row = *state.row;
    std::uint64_t value = 2;
    for (const std::uint64_t part :
         {row.size, static_cast<std::uint64_t>(row.stamp.modifiedNs), static_cast<std::uint64_t>(row.stamp.changedNs),
          row.stamp.inode, row.stamp.device, static_cast<std::uint64_t>(row.change)})
        value = mixed(value, part);
    return value | 2;
}

bool sameVersion(const IndexRow &a, const IndexRow &b)
{
    return a.size == b.size && a.stamp == b.stamp;
}

// The file changed later: its change time moves on with every write and
// cannot be set back.
bool newerVersion(const IndexRow &a, const IndexRow &b)
{
    return std::pair(a.stamp.changedNs, a.stamp.modifiedNs) > std::pair(b.stamp.changedNs, b.stamp.modifiedNs);
}

// Both sides changed the map since base: true when theirs wins.
bool theirsWins(const MapState &ours, const MapState &theirs)
{
    if (ours.row && theirs.row) {
        if (sameVersion(*ours.row, *theirs.row))
            return theirs.row->change == Change::None && ours.row->change != Change::None;
        return newerVersion(*theirs.row, *ours.row);
    }
    if (ours.row || theirs.row)
        return theirs.row != nullptr;
    // Both saw it go; the side that no longer lists the removal has seen it.
    return theirs.removed == nullptr;
}

class Merger {
public:
    explicit Merger(const CacheBase &base) : base_(base) {}

    // Which side's state the map at path takes.
    bool takesTheirs(const std::string &path, const MapState &ours, const MapState &theirs) const
    {
        const std::uint64_t was = base_.stateOf(path);
        const std::uint64_t our = digest(ours);
        const std::uint64_t their = digest(theirs);
        if (our == their || their == was)
            return false;
        return our == was || theirsWins(ours, theirs);
    }

private:
    const CacheBase &base_;
};

std::unordered_map<std::string, MapState> statesOf(const CachedIndex &index)
{
    std::unordered_map<std::string, MapState> states;
    states.reserve(index.rows.size() + index.removed.size());
    for (const IndexRow &row : index.rows)
        states[RowPath(row)].row = &row;
    for (const ChangeNote &note : index.removed)
        states[note.fileName].removed = &note;
    return states;
}

void put(CachedIndex &into, const MapState &state)
{
    if (state.row)
        into.rows.push_back(*state.row);
    else if (state.removed)
        into.removed.push_back(*state.removed);
}

} // namespace

CacheBase::CacheBase(const CachedIndex &index) : CacheBase(index.rows, index.removed) {}

CacheBase::CacheBase(const std::vector<IndexRow> &rows, const std::vector<ChangeNote> &removed)
{
    states_.reserve(rows.size() + removed.size());
    for (const IndexRow &row : rows)
        states_.emplace_back(pathHash(RowPath(row)), digest(MapState{&row, nullptr}));
    for (const ChangeNote &note : removed)
        states_.emplace_back(pathHash(note.fileName), digest(MapState{nullptr, &note}));
    std::sort(states_.begin(), states_.end());
}

std::uint64_t CacheBase::stateOf(const std::string &path) const
{
    const std::uint64_t hash = pathHash(path);
    const auto found = std::lower_bound(states_.begin(), states_.end(), std::pair(hash, std::uint64_t(0)));
    return found != states_.end() && found->first == hash ? found->second : 0;
}

MergedIndex MergeCaches(CachedIndex ours, const CachedIndex &theirs, const CacheBase &base)
{
    const std::unordered_map<std::string, MapState> their = statesOf(theirs);
    const Merger merger(base);
    MergedIndex merged;
    std::unordered_set<std::string> ourPaths;
    const auto merge = [&](std::string path, MapState own, auto &&keep) {
        const auto found = their.find(path);
        const MapState other = found == their.end() ? MapState{} : found->second;
        if (merger.takesTheirs(path, own, other)) {
            merged.tookTheirs = true;
            put(merged.index, other);
        } else {
            keep();
        }
        ourPaths.insert(std::move(path));
    };
    merged.index.rows.reserve(ours.rows.size());
    for (IndexRow &row : ours.rows)
        merge(RowPath(row), MapState{&row, nullptr}, [&] { merged.index.rows.push_back(std::move(row)); });
    for (ChangeNote &note : ours.removed)
        merge(note.fileName, MapState{nullptr, &note}, [&] { merged.index.removed.push_back(std::move(note)); });
    // Maps we hold nothing of, in their order.
    const auto theirsAlone = [&](const std::string &path, const MapState &state) {
        if (!ourPaths.contains(path) && merger.takesTheirs(path, MapState{}, state)) {
            merged.tookTheirs = true;
            put(merged.index, state);
        }
    };
    for (const IndexRow &row : theirs.rows)
        theirsAlone(RowPath(row), MapState{&row, nullptr});
    for (const ChangeNote &note : theirs.removed)
        theirsAlone(note.fileName, MapState{nullptr, &note});
    return merged;
}

} // namespace mapindex
