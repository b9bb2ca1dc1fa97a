// The text-line reader and the configuration loader against a plain
// reading of the same bytes: lines end at CR LF, a lone CR or a lone LF,
// Ctrl-Z ends the text, and a line longer than a path may be is an error.
#include "fuzz_support.h"

#include "catalogue/configuration.h"
#include "catalogue/program_state.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::size_t MaxLineLength = 4096;
constexpr std::int32_t LineTooLongCode = 206;

struct Reading {
    std::vector<std::string> lines;
    std::optional<std::size_t> tooLong; // index of the first line past the bound
};

Reading referenceLines(std::string_view text)
{
    Reading reading;
    text = text.substr(0, text.find('\x1a'));
    std::string line;
    bool open = false;
    const auto endLine = [&] {
        if (line.size() > MaxLineLength && !reading.tooLong)
            reading.tooLong = reading.lines.size();
        reading.lines.push_back(line);
        line.clear();
        open = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            endLine();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
            open = true;
        }
    }
    if (open)
        endLine();
    return reading;
}

class RecordedFields final : public catalogue::ConfigurationFields {
public:
    void setMapsText(const std::string &text) override { maps = text; }
    void setViewerText(const std::string &text) override { viewer = text; }
    std::string maps = "unset", viewer = "unset";
};

void checkLines(const fuzz::ScratchFolder &folder, const Reading &expected)
{
    runtime::IoCheckedFile file;
    runtime::BindPath(file, folder.path() + "/lister.txt");
    runtime::OpenTextRead(file);
    runtime::CheckIo();
    // Past the last line the reader keeps answering with empty lines.
    const std::size_t reads = expected.lines.size() + 2;
    for (std::size_t i = 0; i < reads; ++i) {
        const std::string want = i < expected.lines.size() ? expected.lines[i] : std::string();
        try {
            const std::string got = runtime::ReadTextLine(file);
            runtime::CheckIo();
            if (expected.tooLong && *expected.tooLong == i)
                fuzz::Mismatch("an over-long line is an error", "I/O error 206", got);
            if (got != want)
                fuzz::Mismatch("text line", want, got);
        } catch (const runtime::EInOutError &error) {
            if (!expected.tooLong || *expected.tooLong != i || error.code() != LineTooLongCode)
                fuzz::Mismatch("text line read error", want, error.what());
            return;
        }
    }
    runtime::CloseIoFile(file);
    runtime::CheckIo();
}

void checkConfiguration(const fuzz::ScratchFolder &folder, const Reading &expected)
{
    catalogue::ProgramState state;
    state.StartDirectory = folder.path();
    RecordedFields fields;
    const auto line = [&](std::size_t i) { return i < expected.lines.size() ? expected.lines[i] : std::string(); };
    const bool fails = expected.tooLong && *expected.tooLong < 2;
    try {
        if (!catalogue::LoadConfiguration(state, fields))
            fuzz::Mismatch("configuration file found", "true", "false");
        if (fails)
            fuzz::Mismatch("an over-long configuration line is an error", "I/O error 206", "loaded");
    } catch (const runtime::EInOutError &error) {
        if (!fails || error.code() != LineTooLongCode)
            fuzz::Mismatch("configuration read error", "none", error.what());
        return;
    }
    if (state.MapsDirectory != line(0) || fields.maps != line(0))
        fuzz::Mismatch("maps directory", line(0), state.MapsDirectory);
    if (state.ViewerPath != line(1) || fields.viewer != line(1))
        fuzz::Mismatch("viewer", line(1), state.ViewerPath);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const fuzz::ScratchFolder folder;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    fuzz::ClearPendingIo();
    folder.write("lister.txt", text);
    const Reading expected = referenceLines(text);
    checkLines(folder, expected);
    checkConfiguration(folder, expected);
    return 0;
}
