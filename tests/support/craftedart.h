#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "rom/demorom.h"
#include "rom/objectart.h"

// Demo images with one object art table crafted to ask for far more than the game can use: the
// tables that once made a level load take gigabytes or minutes. The unit tests, the benchmark
// and the fuzz seeds start from them; none needs more than a few kilobytes changed.

namespace orvex::testing {

enum class CraftedArt : std::uint8_t {
    LongDebugList,  // the debug list of level 0's zone claims $FFFF entries
    ManyPieces,     // the frame of that list's first entry (the monitor) claims $FFFF pieces
};

inline constexpr std::array kCraftedArts = {CraftedArt::LongDebugList, CraftedArt::ManyPieces};

inline std::string_view craftedName(CraftedArt art) {
    switch (art) {
        case CraftedArt::LongDebugList:
            return "LongDebugList";
        case CraftedArt::ManyPieces:
            return "ManyPieces";
    }
    return "";
}

namespace crafted {

inline std::int32_t wordAt(const std::vector<std::uint8_t>& image, std::int64_t at) {
    return readWord(image, at).value();
}

// Where the debug list of level 0's zone begins.
inline std::int32_t debugList(const DemoRom& rom) {
    const std::int32_t table = *rom.profile.debugObjectLists;
    return table + wordAt(rom.image, table + 2 * std::int64_t{rom.levelZone[0]});
}

inline void longDebugList(const DemoRom& rom, std::vector<std::uint8_t>& image) {
    putWord(image, static_cast<std::size_t>(debugList(rom)), 0xFFFF);
}

inline void manyPieces(const DemoRom& rom, std::vector<std::uint8_t>& image) {
    const std::int32_t entry = debugList(rom) + 2;
    const std::int32_t mappings = readLong(image, entry).value() & 0xFFFFFF;
    const std::int32_t frame = image[static_cast<std::size_t>(entry + 5)];
    const std::int32_t head = mappings + wordAt(image, mappings + 2 * frame);
    putWord(image, static_cast<std::size_t>(head), 0xFFFF);
}

}  // namespace crafted

// The image of `rom` with `art` crafted into it.
inline std::vector<std::uint8_t> craftArt(const DemoRom& rom, CraftedArt art) {
    std::vector<std::uint8_t> image = rom.image;
    switch (art) {
        case CraftedArt::LongDebugList:
            crafted::longDebugList(rom, image);
            break;
        case CraftedArt::ManyPieces:
            crafted::manyPieces(rom, image);
            break;
    }
    return image;
}

}  // namespace orvex::testing
