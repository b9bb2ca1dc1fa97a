// Side-by-side timings of the catalogue's block search against the plain
// one-block-per-read search it replaces, on a collection the size of a real
// one (900 maps). Compare the two rows of one run: the machines are shared.
#include "catalogue/map_details.h"
#include "catalogue/map_scan.h"
#include "catalogue/map_search.h"
#include "catalogue/vector_map_list.h"
#include "runtime/byte_strings.h"
#include "runtime/io_checked_file.h"
#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

constexpr int MapCount = 900;

struct Collection {
    std::string dir;
    catalogue::VectorMapList list;

    Collection()
    {
        dir = (std::filesystem::temp_directory_path() / "map-bench-collection").string();
        std::filesystem::create_directories(dir);
        for (int i = 0; i < MapCount; ++i) {
            std::string bytes(40000 + (i % 7) * 9000, 'x');
            for (std::size_t b = 0; b < bytes.size(); ++b)
                bytes[b] = static_cast<char>("qwertyuiopasdfgh\x01\x02"[(b * 7 + static_cast<std::size_t>(i)) % 18]);
            const std::string keys = "Map Name: Map " + std::to_string(i) + "\r\nMap Type: Dungeon\r\n";
            bytes.replace(bytes.size() / 2, keys.size(), keys);
            const std::string name = "Map " + std::to_string(i);
            std::ofstream(dir + "/" + name + ".fcw", std::ios::binary) << bytes;
            list.append(name);
        }
    }
};

const Collection &collection()
{
    static const Collection instance;
    return instance;
}

class NullProgress final : public catalogue::ProgressView {
public:
    void setMaximum(int) override {}
    void setPosition(int p) override { position_ = p; }
    int position() const override { return position_; }
    void setVisible(bool) override {}

private:
    int position_ = 0;
};

class NullStatus final : public catalogue::StatusText {
public:
    void setText(const std::string &) override {}
};

// The plain search: one host read and two end tests per 2048-byte block.
int plainContentSearch(const catalogue::MapList &list, const std::string &dir, const std::string &text)
{
    std::vector<char> buffer(2048);
    int matches = 0;
    for (std::size_t i = 0; i < list.count(); ++i) {
        runtime::IoCheckedFile file;
        runtime::BindPath(file, catalogue::MapPath(dir, list.at(i)));
        runtime::OpenBlockFile(file, 1);
        runtime::CheckIo();
        bool hit = false;
        while (!hit && !runtime::BlockFileAtEnd(file)) {
            const std::size_t n = runtime::ReadBlock(file, buffer.data(), buffer.size());
            runtime::CheckIo();
            hit = runtime::FindSubstring(text, std::string(buffer.data(), n)) != 0;
        }
        runtime::CloseIoFile(file);
        runtime::CheckIo();
        matches += hit ? 1 : 0;
    }
    return matches;
}

void BM_ContentSearch_Plain(benchmark::State &state)
{
    const auto &maps = collection();
    for (auto _ : state)
        benchmark::DoNotOptimize(plainContentSearch(maps.list, maps.dir, "Campaign of the Lost"));
}

void BM_ContentSearch_Catalogue(benchmark::State &state)
{
    const auto &maps = collection();
    NullProgress progress;
    NullStatus status;
    catalogue::ProgramState programState;
    for (auto _ : state) {
        catalogue::VectorMapList list = maps.list;
        programState.MapCount = MapCount;
        benchmark::DoNotOptimize(
            catalogue::fullSearch(programState, list, "Campaign of the Lost", maps.dir, progress, status, {}));
    }
}

void BM_Scan(benchmark::State &state)
{
    const auto &maps = collection();
    runtime::SetWorkingDirectory(maps.dir);
    runtime::CheckIo();
    catalogue::ProgramState programState;
    for (auto _ : state) {
        catalogue::VectorMapList list;
        benchmark::DoNotOptimize(catalogue::ScanMaps(programState, list));
    }
}

class NullDetails final : public catalogue::DetailsView {
public:
    void clear() override {}
    void setBold(bool) override {}
    void setColour(catalogue::TextColour) override {}
    void appendLine(const std::string &) override {}
};

void BM_Details(benchmark::State &state)
{
    const auto &maps = collection();
    NullDetails view;
    for (auto _ : state)
        catalogue::ShowMapDetails(maps.dir, "Map 17", view);
}

} // namespace

BENCHMARK(BM_ContentSearch_Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContentSearch_Catalogue)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Details)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
