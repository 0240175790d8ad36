// Reading one level of a mutated demo ROM (one built with every table moved, so that its
// tables are found through its code): every table lookup, the palette and the four streams;
// when the input asks, the whole load with its pictures and the identification of the image.
// The input patches one of the ROM's tables, code or streams and may cut the file short (the
// header then says so, as a tool that cuts an image would write it); every step must end in a
// result or a clear error, and never read outside the image.
//
// Input: byte 0 picks the region, bytes 1-3 an offset inside it, byte 4 a cut of the file
// (0 = none), byte 5 the level (low five bits, modulo 20) and in its top three bits 110 for the
// whole load, 111 for the identification first; the rest are the bytes written there. Drawing
// 256 block pictures, or decoding every stream of the image, costs a hundred times what one
// level's parsing does, so those are the exceptions.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/host.h"
#include "compression/kosinski.h"
#include "graphics/palette.h"
#include "rom/demorom.h"
#include "rom/leveldata.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/romidentity.h"

namespace {

struct Region {
    std::int32_t start;
    std::int32_t size;
};

const orvex::DemoRom& demo() {
    static const orvex::DemoRom rom = *orvex::buildDemoRom(orvex::demoBuildProfile());
    return rom;
}

std::vector<Region> regions() {
    const auto& rom = demo();
    const orvex::RomProfile& profile = rom.profile;
    std::vector<Region> list = {
        {0x100, 0x100},                                   // cartridge header
        {0x1000, 0x100},                                  // code naming the tables
        {profile.palettePointerTable, 0x80},              // palette pointers
        {profile.levelList - 0x30, 0x30 + 44},            // level list and its code
        {profile.layoutDirectoryPointer - 10, 20},        // layout directory pointer
        {profile.levelArtTable, 12 * orvex::kZoneCount},  // level art table
        {*profile.factoryLayoutDirectory, 68},            // layout directory
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

// What a load reads before it draws anything: the palette and the four streams.
void readLevelStreams(orvex::ByteSpan image, const orvex::RomProfile& profile, std::int16_t index) {
    if (auto palette = orvex::paletteAddress(image, profile, index)) {
        orvex::LevelPalette colours;
        (void)orvex::convertPalette(image, profile.fixedPaletteLine, *palette, colours);
    }
    for (const std::int16_t increment : {orvex::kTileArtIncrement, orvex::kChunkMappingsIncrement,
                                         orvex::kBlockMappingsIncrement}) {
        if (auto entry = orvex::getDataAddr(image, profile, index, increment)) {
            (void)orvex::decompressKosinski(image, orvex::artOffset(*entry));
        }
    }
    if (auto layout = orvex::layoutAddress(image, profile, index)) {
        (void)orvex::decompressKosinski(image, *layout);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kHeader = 6;
    if (size < kHeader) {
        return 0;
    }
    static const std::vector<Region> targets = regions();
    std::vector<std::uint8_t> image = demo().image;
    const Region& region = targets[data[0] % targets.size()];
    const std::size_t within = (std::size_t{data[1]} << 16 | std::size_t{data[2]} << 8 | data[3]) %
                               static_cast<std::size_t>(region.size);
    const std::size_t at = static_cast<std::size_t>(region.start) + within;
    const std::size_t count = std::min(size - kHeader, image.size() - at);
    std::copy(data + kHeader, data + kHeader + count,
              image.begin() + static_cast<std::ptrdiff_t>(at));
    if (data[4] != 0) {
        image.resize(image.size() * data[4] / 256);
        if (image.size() >= 0x200) {
            image[0x1A4] = 0;
            image[0x1A5] = static_cast<std::uint8_t>((image.size() - 1) >> 16);
            image[0x1A6] = static_cast<std::uint8_t>((image.size() - 1) >> 8);
            image[0x1A7] = static_cast<std::uint8_t>(image.size() - 1);
        }
    }

    const orvex::RomProfile* profile = &demo().profile;
    std::optional<orvex::RomIdentity> identity;
    const unsigned mode = data[5] >> 5;
    if (mode == 7) {
        auto identified = orvex::identifyRom(image);
        if (!identified) {
            return 0;
        }
        identity = std::move(*identified);
        profile = &identity->profile;
    }
    const auto index = static_cast<std::int16_t>((data[5] & 0x1F) % orvex::kLevelCount);
    if (mode < 6) {
        readLevelStreams(image, *profile, index);
        return 0;
    }
    orvex::SilentHost host;
    static orvex::LevelData level;
    level.loadedLevel.reset();
    const auto loaded = orvex::loadLevel(orvex::ByteSpan(image), *profile, index, level, host);
    if (loaded && loaded->layoutComplete && level.loadedLevel != index) {
        std::abort();
    }
    return 0;
}
