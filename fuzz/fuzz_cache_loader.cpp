// Map Index's cache loader against its writer: whatever bytes a cache file
// holds, loading them reads nothing outside them and either refuses them or
// gives rows (with their marks, and the removed maps) that, written back,
// take as many bytes and load as the same.
#include "fuzz_support.h"

#include "index_cache.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

const std::string MapsDir = "/maps";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    // Unsealed bytes almost never match their digest: seal most, so that the
    // body is what gets read.
    const bool seal = input.ConsumeBool();
    std::string bytes = input.ConsumeRemainingBytesAsString();
    if (seal)
        bytes = mapindex::SealedCache(std::move(bytes));

    const auto index = mapindex::ParseCache(bytes, MapsDir);
    if (!index)
        return 0;
    const std::string again = mapindex::CacheBytes(MapsDir, *index);
    fuzz::Expect(again.size() == bytes.size(), "rows written back take the bytes they were read from");
    const auto reread = mapindex::ParseCache(again, MapsDir);
    fuzz::Expect(reread.has_value() && *reread == *index, "rows written back load as the same rows");
    return 0;
}
