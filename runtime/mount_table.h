#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// One line of the mount table, its escapes undone.
struct MountEntry {
    std::string mountPath;
    std::string fsType;
    std::string source;
    unsigned major = 0;
    unsigned minor = 0;
    bool operator==(const MountEntry &) const = default;
};

// Parses the text of /proc/self/mountinfo; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

} // namespace runtime
