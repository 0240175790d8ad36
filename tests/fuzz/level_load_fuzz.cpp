// Loading all 20 levels from a mutated demo ROM. The input patches one of the ROM's tables or
// streams and may cut the file short; every load must end in a level or a clear error, and never
// read outside the image.
//
// Input: byte 0 picks the region, bytes 1-3 an offset inside it, byte 4 a cut of the file
// (0 = none), the rest are the bytes written there.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/host.h"
#include "rom/demorom.h"
#include "rom/leveldata.h"
#include "rom/levelloader.h"
#include "rom/romlayout.h"

namespace {

struct Region {
    std::int32_t start;
    std::int32_t size;
};

const orvex::DemoRom& demo() {
    static const orvex::DemoRom rom = *orvex::buildDemoRom();
    return rom;
}

std::vector<Region> regions() {
    const auto& rom = demo();
    std::vector<Region> list = {
        {0x100, 0x100},                                   // cartridge header
        {orvex::kPalettePointerTable, 0x80},              // palette pointers
        {orvex::kLevelList, 40},                          // level list
        {orvex::kLayoutDirectoryPointer, 4},              // layout directory pointer
        {orvex::kLevelArtTable, 12 * orvex::kZoneCount},  // level art table
        {orvex::kFactoryLayoutDirectory, 68},             // layout directory
    };
    for (const auto& layout : rom.layouts) {
        list.push_back({layout.offset, layout.length});
    }
    for (const auto& zone : rom.zones) {
        list.push_back({zone.tiles.offset, zone.tiles.length});
        list.push_back({zone.chunks.offset, zone.chunks.length});
        list.push_back({zone.blocks.offset, zone.blocks.length});
    }
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) {
        return 0;
    }
    static const std::vector<Region> targets = regions();
    std::vector<std::uint8_t> image = demo().image;
    const Region& region = targets[data[0] % targets.size()];
    const std::size_t within = (std::size_t{data[1]} << 16 | std::size_t{data[2]} << 8 | data[3]) %
                               static_cast<std::size_t>(region.size);
    const std::size_t at = static_cast<std::size_t>(region.start) + within;
    const std::size_t count = std::min(size - 5, image.size() - at);
    std::copy(data + 5, data + 5 + count, image.begin() + static_cast<std::ptrdiff_t>(at));
    if (data[4] != 0) {
        image.resize(image.size() * data[4] / 256);
    }

    orvex::SilentHost host;
    orvex::LevelData level;
    for (std::int16_t index = 0; index < orvex::kLevelCount; ++index) {
        const auto loaded = orvex::loadLevel(orvex::ByteSpan(image), index, level, host);
        if (loaded && loaded->layoutComplete && level.loadedLevel != index) {
            std::abort();
        }
    }
    return 0;
}
