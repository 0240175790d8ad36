#include "rom/room.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "compression/kosinski.h"
#include "rom/cartridge.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/objectart.h"
#include "rom/placements.h"
#include "rom/romcheck.h"
#include "rom/starttables.h"

namespace orvex {

namespace {

constexpr std::int64_t kNoStart = std::numeric_limits<std::int64_t>::max();

void addLevelStreams(ByteSpan rom, const RomProfile& profile, std::vector<std::int64_t>& starts) {
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        for (const std::int16_t increment : kArtIncrements) {
            if (auto entry = getDataAddr(rom, profile, level, increment)) {
                starts.push_back(artOffset(*entry));
            }
        }
        if (auto layout = layoutAddress(rom, profile, level)) {
            starts.push_back(*layout);
        }
    }
    for (const std::int32_t index : collisionIndexAddresses(rom, profile)) {
        starts.push_back(index);
    }
    if (auto directory = layoutDirectory(rom, profile)) {
        starts.push_back(*directory);
    }
}

void addProfileTables(ByteSpan rom, const RomProfile& profile, std::vector<std::int64_t>& starts) {
    for (const TableId table : allTables()) {
        if (const auto offset = tableOffset(profile, table)) {
            starts.push_back(*offset);
        }
    }
    // Moved object lists may lie before their directory; each begins with its lead marker.
    if (profile.objectDirectory) {
        for (const std::int32_t list : placementListAddresses(rom, *profile.objectDirectory)) {
            starts.push_back(std::int64_t{list} - kObjectMarkerBytes);
        }
    }
    if (profile.ringDirectory) {
        for (const std::int32_t list : placementListAddresses(rom, *profile.ringDirectory)) {
            starts.push_back(list);
        }
    }
    if (profile.patternLoadCues) {
        for (std::int32_t list = 0; list < kArtCueListCount; ++list) {
            auto cues = readArtCues(rom, *profile.patternLoadCues, static_cast<std::uint8_t>(list));
            for (const ArtCue& cue : cues ? cues->entries : std::vector<ArtCue>{}) {
                starts.push_back(cue.source);
            }
        }
    }
}

void addStartTables(ByteSpan rom, const RomProfile& profile, std::vector<std::int64_t>& starts) {
    const StartTables tables = locateStartTables(rom, profile).tables;
    for (const auto& extra : {tables.hillTopArt, tables.wingFortressArt, tables.hillTopChunks}) {
        if (extra) {
            starts.push_back(extra->stream);
        }
    }
    for (const auto& table :
         {tables.chunkRecords, tables.animations, tables.hillTopCliffArt,
          tables.hillTopCliffOffsets, tables.hillTopCloudArt, tables.slotPictures,
          tables.animalCues, tables.ringMappings, tables.paletteCycles}) {
        if (table) {
            starts.push_back(*table);
        }
    }
}

// Where everything Orvex reads begins, sorted.
std::vector<std::int64_t> knownStarts(ByteSpan rom, const RomProfile& profile) {
    std::vector<std::int64_t> starts;
    addLevelStreams(rom, profile, starts);
    addProfileTables(rom, profile, starts);
    addStartTables(rom, profile, starts);
    std::sort(starts.begin(), starts.end());
    return starts;
}

}  // namespace

Result<std::int64_t> streamLength(ByteSpan rom, std::int32_t offset) {
    auto current = decompressKosinski(rom, offset);
    if (!current) {
        return current.error();
    }
    return std::int64_t{current->packedLastIndex} + 1;
}

namespace {

// The first known start after `offset`, or kNoStart.
std::int64_t nextStart(const std::vector<std::int64_t>& starts, std::int64_t offset) {
    const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
    return next == starts.end() ? kNoStart : *next;
}

bool isFiller(std::uint8_t byte) {
    return byte == 0x00 || byte == 0xFF;
}

// Where the run of filler from `from` ends, at `limit` (the next known start) at the latest.
std::int64_t fillerEnd(ByteSpan rom, std::int64_t from, std::int64_t limit) {
    const std::int64_t end = std::min(limit, static_cast<std::int64_t>(rom.size()));
    std::int64_t at = from;
    while (at < end && isFiller(rom[static_cast<std::size_t>(at)])) {
        ++at;
    }
    return at;
}

// What the stream at `start`, `length` bytes long now, owns (see room.h).
std::int64_t ownedRoom(ByteSpan rom, const std::vector<std::int64_t>& starts, std::int64_t start,
                       std::int64_t length) {
    const std::int64_t next = nextStart(starts, start);
    const std::int64_t end = std::min(start + length, next);
    const std::int64_t aligned =
        std::min({end + end % 2, next, std::max(end, static_cast<std::int64_t>(rom.size()))});
    return (fillerEnd(rom, aligned, next) == next ? next : aligned) - start;
}

// The last slot of migrated layouts: its 3200 bytes (or the stream there, when longer), up to
// what was appended after it when only filler lies between, and when nothing but padding
// follows it (the data ends there), up to 4 MiB.
Result<std::int64_t> lastSlotRoom(ByteSpan rom, const RomProfile& profile, std::int32_t start) {
    auto length = streamLength(rom, start);
    if (!length) {
        return length.error();
    }
    const std::int64_t next = nextStart(knownStarts(rom, profile), start);
    const std::int64_t slotEnd =
        std::min(start + std::max<std::int64_t>(kLayoutSlotSize, *length), next);
    if (fillerEnd(rom, slotEnd, next) == next) {
        return next - start;
    }
    if (static_cast<std::int64_t>(appendOffset(rom, profile.header)) <= slotEnd) {
        return std::min(next, kCartridgeSpace) - start;
    }
    return slotEnd - start;
}

}  // namespace

Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto start = layoutAddress(rom, profile, level);
    if (!start) {
        return start.error();
    }
    if (layoutsMigrated(rom, profile)) {
        if (level == kLevelCount - 1) {
            return lastSlotRoom(rom, profile, *start);
        }
        return std::int64_t{kLayoutSlotSize};
    }
    return artRoom(rom, profile, *start);
}

Result<std::int64_t> collisionIndexRoom(ByteSpan rom, const RomProfile& profile,
                                        std::int32_t offset) {
    return artRoom(rom, profile, offset);
}

Result<std::int64_t> artRoom(ByteSpan rom, const RomProfile& profile, std::int32_t offset) {
    auto length = streamLength(rom, offset);
    if (!length) {
        return length.error();
    }
    return ownedRoom(rom, knownStarts(rom, profile), offset, *length);
}

}  // namespace orvex
