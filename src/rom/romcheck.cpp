#include "rom/romcheck.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romlayout.h"

namespace orvex {

namespace {

// The factory stream of one level: where it starts and how many bytes it has.
Result<ByteSpan> factoryStream(ByteSpan rom, std::int32_t directory, std::int16_t level,
                               ZoneAct zoneAct) {
    const std::int64_t wordAt = std::int64_t{directory} + 4 * zoneAct.zone + 2 * zoneAct.act;
    auto word = readWord(rom, wordAt);
    if (!word) {
        return word.error();
    }
    // The factory directory's words are signed 16-bit offsets; the game reads them that way.
    if (*word >= 0x8000) {
        return makeError(ErrorCode::ValueTooLarge,
                         "The factory layout directory word of " + levelName(level) + " (" +
                             hexOffset(*word) + ") does not fit a signed 16-bit offset",
                         wordAt);
    }
    const std::int32_t start = directory + *word;
    auto decoded = decompressKosinski(rom, start);
    if (!decoded) {
        return decoded.error();
    }
    if (decoded->weirdOffset) {
        return makeError(ErrorCode::CorruptStream,
                         "The layout of " + levelName(level) +
                             " is corrupt (a copy reaches "
                             "before its start)",
                         start);
    }
    return rom.subspan(static_cast<std::size_t>(start),
                       static_cast<std::size_t>(decoded->packedLastIndex + 1));
}

Result<ZoneAct> migratableZoneAct(ByteSpan rom, std::int16_t level) {
    auto zoneAct = levelZoneAct(rom, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    if (zoneAct->zone >= kMigratedZoneCount || zoneAct->act > 1) {
        return makeError(ErrorCode::OutOfRange,
                         "The level list names zone " + std::to_string(zoneAct->zone) + " act " +
                             std::to_string(zoneAct->act) + " for " + levelName(level) +
                             ", which the migrated layout directory cannot hold",
                         kLevelList + kLevelListEntrySize * level);
    }
    return zoneAct;
}

// The migrated image: the old one with the directory and the slots appended.
Result<std::vector<std::uint8_t>> buildMigratedImage(ByteSpan old, std::int32_t directory) {
    std::vector<std::uint8_t> image(old.begin(), old.end());
    if (image.size() % 2 != 0) {
        image.push_back(0x00);  // the directory's words must lie at even addresses
    }
    const auto tableAt = image.size();
    image.resize(tableAt + kMigratedDirectorySize, 0x00);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto zoneAct = migratableZoneAct(old, level);
        if (!zoneAct) {
            return zoneAct.error();
        }
        auto stream = factoryStream(old, directory, level, *zoneAct);
        if (!stream) {
            return stream.error();
        }
        const bool lastSlot = level == kLevelCount - 1;
        if (!lastSlot && stream->size() > kLayoutSlotSize) {
            return makeError(ErrorCode::NoRoom, "The layout of " + levelName(level) + " is " +
                                                    std::to_string(stream->size()) +
                                                    " bytes, more than its 3200-byte slot");
        }
        const auto slotWord =
            static_cast<std::uint16_t>(kMigratedDirectorySize + kLayoutSlotSize * level);
        const std::size_t slotAt = tableAt + slotWord;
        image.resize(std::max(image.size(), slotAt + stream->size()), 0x00);
        std::copy(stream->begin(), stream->end(),
                  image.begin() + static_cast<std::ptrdiff_t>(slotAt));
        putWord(image, tableAt + 4u * zoneAct->zone + 2u * zoneAct->act, slotWord);
    }
    if (tableAt > 0x7FFFFFFF) {
        return makeError(ErrorCode::ValueTooLarge, "The ROM is too large to migrate");
    }
    putLong(image, kLayoutDirectoryPointer, static_cast<std::uint32_t>(tableAt));
    if (Status header = finishHeader(image); !header) {
        return header.error();
    }
    return image;
}

}  // namespace

Status migrateLayouts(const RomImage& rom, std::int32_t factoryDirectory) {
    auto old = readCartridge(rom);
    if (!old) {
        return old.error();
    }
    if (Status writable = rom.checkWritable(); !writable) {
        return writable;
    }
    auto image = buildMigratedImage(*old, factoryDirectory);
    if (!image) {
        return image.error();
    }
    return rom.replaceContents(*image);
}

Result<RomCheckOutcome> checkROM(const RomImage& rom, Host& host) {
    auto image = readCartridge(rom);
    if (!image) {
        return image.error();
    }
    auto pointer = readLong(*image, kLayoutDirectoryPointer);
    if (!pointer) {
        return pointer.error();
    }
    if (*pointer != kFactoryLayoutDirectory) {
        return RomCheckOutcome::AlreadyMigrated;
    }
    if (!host.askYesNo(kMigrationTitle, kMigrationPrompt, true)) {
        return RomCheckOutcome::Declined;
    }
    if (Status migrated = migrateLayouts(rom, *pointer); !migrated) {
        return migrated.error();
    }
    return RomCheckOutcome::Migrated;
}

}  // namespace orvex
