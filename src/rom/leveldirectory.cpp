#include "rom/leveldirectory.h"

#include <string>

#include "rom/romlayout.h"

namespace orvex {

std::string levelName(std::int16_t level) {
    return "level " + std::to_string(level + 1);
}

Result<ZoneAct> levelZoneAct(ByteSpan rom, std::int16_t level) {
    if (level < 0 || level >= kLevelCount) {
        return makeError(ErrorCode::OutOfRange,
                         "Level index " + std::to_string(level) + " is not one of 0 to 19");
    }
    const std::int64_t entry = kLevelList + kLevelListEntrySize * std::int64_t{level};
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

Result<std::int32_t> getDataAddr(ByteSpan rom, std::int16_t level, std::int16_t increment) {
    auto zoneAct = levelZoneAct(rom, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    const std::int64_t entry = kLevelArtTable + kLevelArtEntrySize * std::int64_t{zoneAct->zone};
    return readLong(rom, entry + increment);
}

Result<std::int32_t> paletteAddress(ByteSpan rom, std::int16_t level) {
    auto entry = getDataAddr(rom, level, kBlockMappingsIncrement);
    if (!entry) {
        return entry.error();
    }
    const std::int64_t pointer =
        kPalettePointerTable + kPalettePointerEntrySize * std::int64_t{paletteNumber(*entry)};
    auto address = readLong(rom, pointer);
    if (!address) {
        return address.error();
    }
    if (*address > kMaxPaletteOffset) {
        return makeError(
            ErrorCode::ValueTooLarge,
            "Palette offset " + hexOffset(*address) + " lies beyond the first 32 KiB of the ROM",
            pointer);
    }
    return address;
}

Result<std::int32_t> layoutDirectory(ByteSpan rom) {
    return readLong(rom, kLayoutDirectoryPointer);
}

Result<std::int32_t> layoutAddress(ByteSpan rom, std::int16_t level) {
    auto zoneAct = levelZoneAct(rom, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    auto directory = layoutDirectory(rom);
    if (!directory) {
        return directory.error();
    }
    const std::int64_t wordAt =
        std::int64_t{*directory} + 4 * std::int64_t{zoneAct->zone} + 2 * std::int64_t{zoneAct->act};
    auto word = readWord(rom, wordAt);
    if (!word) {
        return word.error();
    }
    const std::int64_t address = std::int64_t{*directory} + *word;
    if (address > INT32_MAX) {
        return makeError(ErrorCode::ValueTooLarge, "Layout offset does not fit 32 bits", wordAt);
    }
    return static_cast<std::int32_t>(address);
}

}  // namespace orvex
