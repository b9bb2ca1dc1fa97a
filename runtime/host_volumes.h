#pragma once

#include <optional>
#include <string>
#include <utility>

// What the folder chooser needs to know about the host's mounted volumes.
namespace runtime {

// The raw text of the process's mount table; empty when it cannot be read.
std::string ReadMountTable();

// True when path names a directory (following links).
bool IsDirectory(const std::string &path);

// Major and minor numbers of the block device path names, if it names one.
std::optional<std::pair<unsigned, unsigned>> BlockDeviceNumbers(const std::string &path);

} // namespace runtime
