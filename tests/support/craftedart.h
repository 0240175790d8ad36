#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "demo/demorom.h"
#include "rom/objectart.h"

// Demo images with one object art table crafted to ask for far more than the game can use: the
// tables that once made a level load take gigabytes or minutes. The unit tests, the benchmark
// and the fuzz seeds start from them; none needs more than a few kilobytes changed.

namespace orvex::testing {

enum class CraftedArt : std::uint8_t {
    LongDebugList,  // the debug list of level 0's zone claims $FFFF entries
    ManyPieces,     // the frame of that list's first entry (the monitor) claims $FFFF pieces
    ManyCues,       // level 0's zone's first cue list claims 32,768 cues, each 32,767 tiles
};

inline constexpr std::array kCraftedArts = {CraftedArt::LongDebugList, CraftedArt::ManyPieces,
                                            CraftedArt::ManyCues};

inline std::string_view craftedName(CraftedArt art) {
    switch (art) {
        case CraftedArt::LongDebugList:
            return "LongDebugList";
        case CraftedArt::ManyPieces:
            return "ManyPieces";
        case CraftedArt::ManyCues:
            return "ManyCues";
    }
    return "";
}

namespace crafted {

// Where the crafted cue list goes: past the demo's own cue lists, where in every demo profile
// nothing else lies within the list's few kilobytes.
inline constexpr std::uint16_t kCueListOffset = 0x200;
// Cues written in full (the rest of the 32,768 are whatever bytes follow): more than a list is
// read with.
inline constexpr auto kCuesWritten = static_cast<std::size_t>(kMaxArtCues + 44);
// A Nemesis stream of 32,767 tiles (1 MiB) in which any data decodes: codes 0, 10, 110, 1110,
// 11110 and 111110 stand for runs of eight of pixels 0 to 5 and, with the escape 111111, every
// string of bits starts a code.
inline constexpr std::array<std::uint8_t, 21> kEndlessArt = {
    0x7F, 0xFF, 0x80, 0x71, 0x00, 0x81, 0x72, 0x02, 0x82, 0x73, 0x06,
    0x83, 0x74, 0x0E, 0x84, 0x75, 0x1E, 0x85, 0x76, 0x3E, 0xFF};

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

// Level 0's zone's first list moved to the crafted place, with its cues all loading the endless
// art at video memory address 0.
inline void manyCues(const DemoRom& rom, std::vector<std::uint8_t>& image) {
    const std::int32_t table = *rom.profile.patternLoadCues;
    const std::int64_t artEntry =
        rom.profile.levelArtTable + std::int64_t{kLevelArtEntrySize} * rom.levelZone[0];
    const auto list = static_cast<std::uint32_t>(readLong(image, artEntry).value()) >> 24;
    putWord(image, static_cast<std::size_t>(table) + 2 * list, kCueListOffset);
    const auto head = static_cast<std::size_t>(table + kCueListOffset);
    putWord(image, head, 0x7FFF);  // count - 1
    const std::size_t art = head + 2 + std::size_t{kArtCueBytes} * kCuesWritten;
    for (std::size_t at = head + 2; at < art; at += kArtCueBytes) {
        putLong(image, at, static_cast<std::uint32_t>(art));
        putWord(image, at + 4, 0);
    }
    std::copy(kEndlessArt.begin(), kEndlessArt.end(),
              image.begin() + static_cast<std::ptrdiff_t>(art));
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
        case CraftedArt::ManyCues:
            crafted::manyCues(rom, image);
            break;
    }
    return image;
}

}  // namespace orvex::testing
