// Writes a small synthetic map collection for demonstrations and tests:
// binary filler with the descriptive key lines at various offsets.
#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct DemoMap {
    std::string fileName;
    std::string name, type, product, page;
    std::size_t keyOffset; // where the key lines begin
    std::size_t totalSize;
};

// Deterministic filler that never contains a CR, so key lines end where we say.
std::string filler(std::size_t length, std::uint32_t seed)
{
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        auto byte = static_cast<unsigned char>(seed >> 16);
        bytes[i] = static_cast<char>(byte == '\r' ? 0 : byte);
    }
    return bytes;
}

std::string keyLines(const DemoMap &map)
{
    std::string text;
    if (!map.name.empty())
        text += "Map Name: " + map.name + "\r\n";
    if (!map.type.empty())
        text += "Map Type: " + map.type + "\r\n";
    if (!map.product.empty())
        text += "Product: " + map.product + "\r\n";
    if (!map.page.empty())
        text += "Page Number: " + map.page + "\r\n";
    return text;
}

const std::vector<DemoMap> &demoMaps()
{
    static const std::vector<DemoMap> maps = {
        {"Castle Keep.fcw", "Castle Keep", "Dungeon", "Thalmarch Atlas", "12", 64, 6000},
        {"Dragon Caves.fcw", "Dragon Caves", "Cavern", "Thalmarch Atlas", "31", 300, 9000},
        {"Elven Forest.fcw", "Elven Forest", "Overland", "Thalmarch Atlas", "7", 10, 3000},
        {"Frost Peaks.fcw", "Frost Peaks", "Overland", "Northern Expansion", "44", 1500, 4000},
        {"Harbour.fcw", "Harbour District", "City", "Thalmarch Atlas", "3", 100, 2500},
        {"Old Harbour.fcw", "Old Harbour", "City", "Thalmarch Atlas", "4", 200, 2200},
        {"harbour2.fcw", "Harbour Docks", "City", "Coastal Pack", "5", 128, 1800},
        {"Kings Road.fcw", "Kings Road", "Overland", "Thalmarch Atlas", "19", 2500, 7000},
        {"Misty Marsh.fcw", "Misty Marsh", "Wilderness", "Coastal Pack", "22", 4200, 8192},
        {"Sunken Temple.fcw", "Sunken Temple", "Dungeon", "Northern Expansion", "58", 6200, 9500},
        {"Blank Parchment.fcw", "", "", "", "", 0, 1200},
        {"Goblin Warrens.fcw", "Goblin Warrens", "Dungeon", "Thalmarch Atlas", "27", 700, 5000},
    };
    return maps;
}

bool writeMap(const std::filesystem::path &dir, const DemoMap &map, std::uint32_t seed)
{
    std::string bytes = filler(map.totalSize, seed);
    const std::string keys = keyLines(map);
    if (map.keyOffset + keys.size() > bytes.size()) {
        std::cerr << "make-demo-maps: the key lines of " << map.fileName << " do not fit in the file\n";
        return false;
    }
    if (!keys.empty())
        bytes.replace(map.keyOffset, keys.size(), keys);
    std::ofstream out(dir / map.fileName, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-demo-maps DIRECTORY\n";
        return 64;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::cerr << "make-demo-maps: cannot create " << dir << ": " << error.message() << '\n';
        return 2;
    }
    std::uint32_t seed = 7;
    for (const auto &map : demoMaps()) {
        if (!writeMap(dir, map, seed++)) {
            std::cerr << "make-demo-maps: cannot write " << map.fileName << '\n';
            return 2;
        }
    }
    std::cout << demoMaps().size() << " demo maps written to " << dir.string() << '\n';
    return 0;
}
