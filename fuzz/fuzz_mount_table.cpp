// The mount-table parser of the folder chooser's drive list. Lines the
// kernel would write, from fuzzer-chosen fields, must come back field for
// field; any other line must be read on its own, never changing its
// neighbours' entries.
#include "fuzz_support.h"

#include "runtime/mount_table.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The kernel's escaping of the fields it prints: space, tab, newline and
// backslash as "\ooo".
std::string escaped(const std::string &field)
{
    std::string out;
    for (const char c : field) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            const auto byte = static_cast<unsigned char>(c);
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        } else {
            out += c;
        }
    }
    return out;
}

std::string nonEmpty(FuzzedDataProvider &input, std::size_t maxLength)
{
    std::string text = input.ConsumeRandomLengthString(maxLength);
    return text.empty() ? std::string("x") : text;
}

// A line as /proc/self/mountinfo has it, and the entry it stands for.
std::string kernelLine(FuzzedDataProvider &input, runtime::MountEntry &mount)
{
    mount.mountPath = "/" + input.ConsumeRandomLengthString(40);
    mount.fsType = nonEmpty(input, 12);
    mount.source = nonEmpty(input, 24);
    mount.major = input.ConsumeIntegral<unsigned>();
    mount.minor = input.ConsumeIntegral<unsigned>();
    std::string line = "36 35 " + std::to_string(mount.major) + ":" + std::to_string(mount.minor) + " /"
        + escaped(input.ConsumeRandomLengthString(16)) + " " + escaped(mount.mountPath) + " rw,noatime";
    for (int optional = input.ConsumeIntegralInRange(0, 3); optional > 0; --optional)
        line += " shared:" + std::to_string(optional);
    return line + " - " + escaped(mount.fsType) + " " + escaped(mount.source) + " rw";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string table;
    std::vector<runtime::MountEntry> expected;
    while (input.remaining_bytes() > 0 && expected.size() < 64) {
        std::string line;
        if (input.ConsumeBool()) {
            runtime::MountEntry mount;
            line = kernelLine(input, mount);
            const auto read = runtime::ParseMountInfo(line);
            if (read.size() != 1 || read.front() != mount)
                fuzz::Mismatch("a kernel line read back", line, read.empty() ? "nothing" : read.front().mountPath);
        } else {
            line = input.ConsumeRandomLengthString(200);
            std::replace(line.begin(), line.end(), '\n', ' ');
        }
        for (auto &mount : runtime::ParseMountInfo(line))
            expected.push_back(std::move(mount));
        table += line;
        table += '\n';
    }
    fuzz::Expect(runtime::ParseMountInfo(table) == expected, "the table reads as its lines one by one");
    return 0;
}
