#include "rom/leveldirectory.h"

#include <algorithm>
#include <string>

namespace orvex {

std::string levelName(std::int16_t level) {
    return "level " + std::to_string(level + 1);
}

Result<ZoneAct> levelZoneAct(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    if (level < 0 || level >= kLevelCount) {
        return makeError(ErrorCode::OutOfRange,
                         "Level index " + std::to_string(level) + " is not one of 0 to 19");
    }
    const std::int64_t entry = profile.levelList + 2 * std::int64_t{level};
    auto zone = readByte(rom, entry);
    if (!zone) {
        return zone.error();
    }
    auto act = readByte(rom, entry + 1);
    if (!act) {
        return act.error();
    }
    // The game has zones 0 to 16; a larger number would index past its tables.
    if (*zone >= kZoneCount) {
        return makeError(ErrorCode::OutOfRange,
                         "Level " + std::to_string(level + 1) + " names zone " +
                             std::to_string(*zone) + ", which the game does not have",
                         entry);
    }
    return ZoneAct{*zone, *act};
}

Result<std::int32_t> getDataAddr(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                 std::int16_t increment) {
    auto zoneAct = levelZoneAct(rom, profile, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    const std::int64_t entry =
        profile.levelArtTable + kLevelArtEntrySize * std::int64_t{zoneAct->zone};
    return readLong(rom, entry + increment);
}

Result<std::int32_t> paletteAddress(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto entry = getDataAddr(rom, profile, level, kBlockMappingsIncrement);
    if (!entry) {
        return entry.error();
    }
    const std::int64_t pointer = profile.palettePointerTable +
                                 kPalettePointerEntrySize * std::int64_t{paletteNumber(*entry)};
    return readLong(rom, pointer);
}

Result<std::int32_t> layoutDirectory(ByteSpan rom, const RomProfile& profile) {
    return readLong(rom, profile.layoutDirectoryPointer);
}

Result<std::int32_t> layoutAddress(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto zoneAct = levelZoneAct(rom, profile, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    auto directory = layoutDirectory(rom, profile);
    if (!directory) {
        return directory.error();
    }
    const std::int64_t wordAt = std::int64_t{*directory} + directoryWordOffset(*zoneAct);
    auto word = readWord(rom, wordAt);
    if (!word) {
        return word.error();
    }
    // The game reads the word unsigned: 0x8000 and more lie past the directory, not before.
    const std::int64_t address = std::int64_t{*directory} + *word;
    if (address > INT32_MAX) {
        return makeError(ErrorCode::ValueTooLarge, "Layout offset does not fit 32 bits", wordAt);
    }
    return static_cast<std::int32_t>(address);
}

Result<std::vector<std::int32_t>> levelWordIndices(ByteSpan rom, const RomProfile& profile,
                                                   const DirectoryWording& wording) {
    std::vector<std::int32_t> words;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto zoneAct = levelZoneAct(rom, profile, level);
        if (!zoneAct) {
            return zoneAct.error();
        }
        const std::int32_t index = directoryWordOffset(*zoneAct) / 2;
        const std::int64_t entry = profile.levelList + 2 * std::int64_t{level};
        if (zoneAct->act > 1) {
            return makeError(ErrorCode::OutOfRange,
                             "The level list names zone " + std::to_string(zoneAct->zone) +
                                 " act " + std::to_string(zoneAct->act) + " for " +
                                 levelName(level) + ", which " + std::string(wording.directory) +
                                 " cannot hold",
                             entry);
        }
        const auto earlier = std::find(words.begin(), words.end(), index);
        if (earlier != words.end()) {
            return makeError(ErrorCode::OutOfRange,
                             levelName(static_cast<std::int16_t>(earlier - words.begin())) +
                                 " and " + levelName(level) +
                                 " name the same zone and act; each level needs " +
                                 std::string(wording.own) + " of its own",
                             entry);
        }
        words.push_back(index);
    }
    return words;
}

}  // namespace orvex
