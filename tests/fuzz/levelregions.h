#pragma once

#include <cstdint>
#include <vector>

#include "demo/demorom.h"
#include "rom/objectart.h"

// The parts of the demo image that the level load fuzz target patches. An input names one by
// its place in this list, so the seed generator writes its inputs against the same list; new
// parts go at the end, so that the inputs of a corpus keep their meaning.

namespace orvex::fuzz {

struct Region {
    std::int32_t start;
    std::int32_t size;
};

// Where the mappings of the first entry of level 0's debug list lie (0 when it has none).
inline std::int32_t firstMappings(const DemoRom& rom) {
    auto list =
        readDebugList(rom.image, rom.profile.debugObjectLists.value_or(0), rom.levelZone[0]);
    return list && !list->entries.empty() ? list->entries.front().mappings : 0;
}

inline std::vector<Region> levelLoadRegions(const DemoRom& rom) {
    const RomProfile& profile = rom.profile;
    std::vector<Region> list = {
        {0x100, 0x100},                             // cartridge header
        {0x1000, 0x100},                            // code naming the tables
        {profile.palettePointerTable, 0x80},        // palette pointers
        {profile.levelList - 0x30, 0x30 + 44},      // level list and its code
        {profile.layoutDirectoryPointer - 10, 20},  // layout directory pointer
        {profile.levelArtTable, 12 * kZoneCount},   // level art table
        {*profile.factoryLayoutDirectory, 68},      // layout directory
    };
    for (const auto& layout : rom.layouts) {
        list.push_back({layout.offset, layout.length});
    }
    for (const auto& zone : rom.zones) {
        list.push_back({zone.tiles.offset, zone.tiles.length});
        list.push_back({zone.chunks.offset, zone.chunks.length});
        list.push_back({zone.blocks.offset, zone.blocks.length});
    }
    list.push_back({profile.patternLoadCues.value_or(0), 0x100});            // cue lists
    list.push_back({profile.debugObjectLists.value_or(0), 0x100});           // debug object lists
    list.push_back({firstMappings(rom), 0x100});                             // sprite mappings
    list.push_back({profile.collisionPrimary.value_or(0), 8 * kZoneCount});  // index pointers
    list.push_back({profile.collisionShapes.value_or(0), 0x200});            // shape angles
    for (const auto& zone : rom.zones) {
        for (const DemoStream& index : zone.collisionStreams) {
            list.push_back({index.offset, index.length});
        }
    }
    // The streams the loader decodes in code, in the art block as the game lays them out.
    const StartTables& start = rom.start.tables;
    for (const auto& extra : {start.hillTopChunks, start.hillTopArt, start.wingFortressArt}) {
        list.push_back({extra ? extra->stream : 0, 0x40});
    }
    return list;
}

}  // namespace orvex::fuzz
