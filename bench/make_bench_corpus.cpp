// Writes a benchmark collection: COUNT maps "Map NNNNN.EXT" of random bytes,
// sizes log-uniform between MIN and MAX KiB, the four key lines in the first
// block, and TEXT planted in 30 % of them; a fifth of those plants straddle
// a 2048-byte block edge. The same arguments always give the same bytes.
//
//   make-bench-corpus DIR COUNT MIN_KIB MAX_KIB EXT SEED TEXT
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr std::size_t Block = 2048;

// splitmix64: tiny, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

std::string mapBytes(std::size_t index, std::size_t size, Random &random, const std::string &text, bool plant,
                     bool straddle)
{
    std::string bytes(size, '\0');
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const std::uint64_t word = random.next();
        for (int b = 0; b < 8; ++b)
            bytes[i + static_cast<std::size_t>(b)] = static_cast<char>(word >> (8 * b));
    }
    for (; i < size; ++i)
        bytes[i] = static_cast<char>(random.next());

    char number[24]; // room for any size_t
    std::snprintf(number, sizeof number, "%05zu", index);
    const std::string keys = std::string("Map Name: Map ") + number
        + "\r\nMap Type: Dungeon\r\nProduct: Thalmarch Atlas\r\n" + "Page Number: " + std::to_string(index % 300 + 1)
        + "\r\n";
    bytes.replace(64 + random.below(512), keys.size(), keys);

    if (plant) {
        // Blocks from 1 on, so the plant never touches the key lines.
        const std::size_t blocks = size / Block;
        const std::size_t edge = Block * (1 + random.below(blocks - 1));
        const std::size_t at =
            straddle ? edge - 1 - random.below(text.size() - 1) : edge + random.below(Block - text.size());
        bytes.replace(at, text.size(), text);
    }
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 7 && argc != 8) {
        std::cerr << "usage: make-bench-corpus DIR COUNT MIN_KIB MAX_KIB EXT SEED [TEXT]\n";
        return 64;
    }
    const std::filesystem::path dir = argv[1];
    const std::size_t count = std::strtoul(argv[2], nullptr, 10);
    const double minSize = 1024.0 * std::strtod(argv[3], nullptr);
    const double maxSize = 1024.0 * std::strtod(argv[4], nullptr);
    const std::string extension = argv[5];
    const std::uint64_t seed = std::strtoull(argv[6], nullptr, 10);
    const bool planting = argc == 8;
    const std::string text = planting ? argv[7] : "";
    if (planting && (text.size() < 2 || text.size() >= Block || minSize < 3 * Block)) {
        std::cerr << "make-bench-corpus: the text must be 2 to 2047 bytes, and maps with it at least 6 KiB\n";
        return 64;
    }
    if (minSize < 1024 || maxSize < minSize) {
        std::cerr << "make-bench-corpus: maps must be at least 1 KiB, and MAX_KIB at least MIN_KIB\n";
        return 64;
    }

    std::filesystem::create_directories(dir);
    for (std::size_t index = 0; index < count; ++index) {
        Random random(seed * 1000003u + index);
        const auto size = static_cast<std::size_t>(minSize * std::exp(random.unit() * std::log(maxSize / minSize)));
        // Exactly 3 in 10 planted; of those, one in 5 only across an edge.
        const bool plant = planting && (index * 7) % 10 < 3;
        const bool straddle = plant && (index / 10) % 5 == 0;
        char name[64];
        std::snprintf(name, sizeof name, "Map %05zu.%s", index, extension.c_str());
        std::ofstream out(dir / name, std::ios::binary);
        const std::string bytes = mapBytes(index, size, random, text, plant, straddle);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::cerr << "make-bench-corpus: " << (dir / name).string() << ": write failed\n";
            return 2;
        }
    }
    return 0;
}
