#include "rom/romcheck.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"

namespace orvex {

namespace {

constexpr std::int32_t kDirectoryWords = kMigratedDirectorySize / 2;
constexpr DirectoryWording kLayoutWording{"the migrated layout directory", "a layout"};

// The directory word of level index `level` in a migrated directory: the offset of its slot.
constexpr std::int32_t slotWord(std::int64_t level) {
    return kMigratedDirectorySize + kLayoutSlotSize * static_cast<std::int32_t>(level);
}

// The stream of one level where the directory now points: its bytes, end marker included.
Result<ByteSpan> currentStream(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto start = layoutAddress(rom, profile, level);
    if (!start) {
        return start.error();
    }
    auto decoded = decompressKosinski(rom, *start);
    if (!decoded) {
        return decoded.error();
    }
    if (decoded->weirdOffset) {
        return makeError(
            ErrorCode::CorruptStream,
            "The layout of " + levelName(level) + " is corrupt (a copy reaches before its start)",
            *start);
    }
    return rom.subspan(static_cast<std::size_t>(*start),
                       static_cast<std::size_t>(decoded->packedLastIndex + 1));
}

Result<std::vector<std::uint8_t>> buildMigratedImage(ByteSpan old, const RomProfile& profile) {
    auto words = levelWordIndices(old, profile, kLayoutWording);
    if (!words) {
        return words.error();
    }
    std::vector<std::uint8_t> image(old.begin(), old.end());
    const std::size_t tableAt = appendOffset(old, profile.header);
    image.resize(std::max(image.size(), tableAt + kMigratedDirectorySize), 0x00);
    std::fill(image.begin() + static_cast<std::ptrdiff_t>(tableAt),
              image.begin() + static_cast<std::ptrdiff_t>(tableAt + kMigratedDirectorySize), 0x00);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto stream = currentStream(old, profile, level);
        if (!stream) {
            return stream.error();
        }
        const bool lastSlot = level == kLevelCount - 1;
        if (!lastSlot && stream->size() > kLayoutSlotSize) {
            return makeError(ErrorCode::NoRoom, "The layout of " + levelName(level) + " is " +
                                                    std::to_string(stream->size()) +
                                                    " bytes, more than its 3200-byte slot");
        }
        const auto word = static_cast<std::uint16_t>(slotWord(level));
        const std::size_t slotAt = tableAt + word;
        // Every slot is written whole, the last too, so that whatever is appended later
        // (moved placement lists) leaves the last layout its 3200 bytes.
        const std::size_t slotEnd = slotAt + std::max<std::size_t>(stream->size(), kLayoutSlotSize);
        image.resize(std::max(image.size(), slotEnd), 0x00);
        std::fill(image.begin() + static_cast<std::ptrdiff_t>(slotAt),
                  image.begin() + static_cast<std::ptrdiff_t>(slotEnd), 0);
        std::copy(stream->begin(), stream->end(),
                  image.begin() + static_cast<std::ptrdiff_t>(slotAt));
        coverData(image, profile.header, slotEnd);
        putWord(image,
                tableAt + 2u * static_cast<std::size_t>((*words)[static_cast<std::size_t>(level)]),
                word);
    }
    if (static_cast<std::int64_t>(image.size()) > kCartridgeSpace) {
        return makeError(ErrorCode::NoRoom,
                         "The migrated layouts would end at " + std::to_string(image.size()) +
                             " bytes, past the 4 MiB (" + std::to_string(kCartridgeSpace) +
                             " bytes) a Mega Drive cartridge can address; the image is already " +
                             std::to_string(old.size()) + " bytes. Nothing was written");
    }
    putLong(image, static_cast<std::size_t>(profile.layoutDirectoryPointer),
            static_cast<std::uint32_t>(tableAt));
    if (Status header = finishHeader(image, profile.header); !header) {
        return header.error();
    }
    return image;
}

// Precondition: slotAt lies inside `rom`, which is at most 4 MiB long.
bool slotStreamFits(ByteSpan rom, std::int64_t slotAt, bool lastSlot) {
    auto decoded = decompressKosinski(rom, static_cast<std::int32_t>(slotAt));
    return decoded && !decoded->weirdOffset &&
           (lastSlot || decoded->packedLastIndex + 1 <= kLayoutSlotSize);
}

}  // namespace

bool layoutsMigrated(ByteSpan rom, const RomProfile& profile) {
    auto directory = layoutDirectory(rom, profile);
    auto words = levelWordIndices(rom, profile, kLayoutWording);
    if (!directory || !words ||
        !fitsIn(rom.size(), *directory, std::int64_t{slotWord(kLevelCount - 1)} + 1)) {
        return false;
    }
    for (std::int32_t index = 0; index < kDirectoryWords; ++index) {
        const auto level = std::find(words->begin(), words->end(), index) - words->begin();
        const std::int64_t expected = level < kLevelCount ? slotWord(level) : 0;
        if (*readWord(rom, std::int64_t{*directory} + 2 * index) != expected) {
            return false;
        }
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const std::int64_t slotAt = std::int64_t{*directory} + slotWord(level);
        if (!slotStreamFits(rom, slotAt, level == kLevelCount - 1)) {
            return false;
        }
    }
    return true;
}

Result<WriteReport> migrateLayouts(const RomImage& rom, const RomProfile& profile) {
    return rom.rewrite([&](ByteSpan current) -> Result<std::vector<std::uint8_t>> {
        if (Status cartridge = checkCartridge(current, profile.header); !cartridge) {
            return cartridge.error();
        }
        auto migrated = buildMigratedImage(current, profile);
        if (!migrated) {
            return migrated.error();
        }
        if (Status code = checkPlacementCode(current, profile); !code) {
            return code.error();
        }
        return migrated;
    });
}

Result<RomCheck> checkROM(const RomImage& rom) {
    auto image = readIdentifiedRom(rom);
    if (!image) {
        return image.error();
    }
    const bool migrated = layoutsMigrated(image->bytes, image->identity.profile);
    return RomCheck{std::move(image->identity), migrated};
}

}  // namespace orvex
