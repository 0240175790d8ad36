#include "rom/levelsaver.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/levelloader.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"

namespace orvex {

namespace {

// Where every stream and table the profile knows of begins: the level streams, the layout
// directory and the profile's tables. A layout's room ends at the first of these after it.
std::vector<std::int64_t> knownStarts(ByteSpan rom, const RomProfile& profile) {
    std::vector<std::int64_t> starts;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        for (const std::int16_t increment : kArtIncrements) {
            if (auto entry = getDataAddr(rom, profile, level, increment)) {
                starts.push_back(artOffset(*entry));
            }
        }
    }
    if (auto directory = layoutDirectory(rom, profile)) {
        starts.push_back(*directory);
    }
    for (const TableId table : allTables()) {
        if (const auto offset = tableOffset(profile, table)) {
            starts.push_back(*offset);
        }
    }
    return starts;
}

// The room of a layout whose directory is not the migration's, measured from the file: up to
// the next layout or other known stream or table; the layout that comes last keeps the length
// of the stream there now, since whatever follows it is unknown.
Result<std::int64_t> measuredRoom(ByteSpan rom, const RomProfile& profile, std::int32_t start) {
    bool layoutFollows = false;
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        auto otherStart = layoutAddress(rom, profile, other);
        if (!otherStart) {
            return otherStart.error();
        }
        if (*otherStart > start) {
            layoutFollows = true;
            next = std::min<std::int64_t>(next, *otherStart);
        }
    }
    auto current = decompressKosinski(rom, start);
    if (!current) {
        return current.error();
    }
    if (!layoutFollows) {
        return std::int64_t{current->packedLastIndex} + 1;
    }
    for (const std::int64_t other : knownStarts(rom, profile)) {
        if (other > start) {
            next = std::min(next, other);
        }
    }
    return next - start;
}

Result<std::vector<std::uint8_t>> compressLayout(const LevelData& data, Host& host) {
    ProgressScope progress(host);
    host.setCaption(kSavingCaption);
    return compressKosinskiOptimal(data.unpackedData, &host);
}

// Whether the level's own stream changed since it was read: moved, or other bytes at its place.
// Changes elsewhere in the file (another level saved by another program) do not count; the
// save keeps them.
bool changedOnDisk(ByteSpan rom, std::int32_t layoutAt, const LayoutSnapshot& snapshot) {
    if (layoutAt != snapshot.layoutOffset ||
        !fitsIn(rom.size(), layoutAt, static_cast<std::int64_t>(snapshot.stream.size()))) {
        return true;
    }
    return !std::equal(snapshot.stream.begin(), snapshot.stream.end(), rom.begin() + layoutAt);
}

// The file as it is now must still be an image whose tables lie where they lay when it was
// opened.
Status checkSameRom(ByteSpan image, const RomProfile& profile) {
    if (Status cartridge = checkCartridge(image, profile.header); !cartridge) {
        return cartridge;
    }
    if (Status tables = checkLevelTables(image, profile); !tables) {
        return makeError(ErrorCode::Cancelled,
                         "The ROM file has changed on disk: " + tables.error().message +
                             ". Open it again before saving; nothing was saved");
    }
    return {};
}

std::string changedPrompt(std::int16_t level) {
    return "The ROM file has changed on disk since " + levelName(level) +
           " was loaded.\r\nSaving now may overwrite what another program wrote.\r\n\r\n"
           "Save anyway?\r\n";
}

}  // namespace

Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto start = layoutAddress(rom, profile, level);
    if (!start) {
        return start.error();
    }
    if (layoutsMigrated(rom, profile)) {
        if (level == kLevelCount - 1) {
            return kCartridgeSpace - std::int64_t{*start};
        }
        return std::int64_t{kLayoutSlotSize};
    }
    return measuredRoom(rom, profile, *start);
}

namespace {

// The image with the level's new stream in its place, made from the file as it is now (read
// under the write lock, so that what other programs wrote elsewhere stays).
Result<std::vector<std::uint8_t>> imageWithLayout(ByteSpan current, const RomProfile& profile,
                                                  std::int16_t level, const LevelData& data,
                                                  ByteSpan packed, Host& host, SaveReport& report) {
    if (Status same = checkSameRom(current, profile); !same) {
        return same.error();
    }
    auto layoutAt = layoutAddress(current, profile, level);
    if (!layoutAt) {
        return layoutAt.error();
    }
    auto room = layoutRoom(current, profile, level);
    if (!room) {
        return room.error();
    }
    const auto packedSize = static_cast<std::int64_t>(packed.size());
    if (packedSize > *room) {
        return makeError(
            ErrorCode::NoRoom,
            "The compressed layout of " + levelName(level) + " is " + std::to_string(packedSize) +
                " bytes, but its place in the ROM holds only " + std::to_string(*room) + " bytes",
            *layoutAt);
    }
    if (changedOnDisk(current, *layoutAt, data.snapshot) &&
        !host.askYesNo(kApplicationTitle, changedPrompt(level), false)) {
        return makeError(ErrorCode::Cancelled, "Nothing was saved");
    }
    std::vector<std::uint8_t> image(current.begin(), current.end());
    const auto at = static_cast<std::size_t>(*layoutAt);
    image.resize(std::max(image.size(), at + packed.size()), 0x00);
    std::copy(packed.begin(), packed.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
    if (Status header = finishHeader(image, profile.header); !header) {
        return header.error();
    }
    report.packedBytes = static_cast<std::int32_t>(packed.size());
    report.room = *room;
    report.layoutOffset = *layoutAt;
    return image;
}

}  // namespace

Result<SaveReport> saveLevel(const RomImage& rom, const RomProfile& profile, std::int16_t l_num,
                             LevelData& data, Host& host) {
    if (!data.loadedLevel || *data.loadedLevel != l_num) {
        return makeError(ErrorCode::NotLoaded,
                         "The layout of " + levelName(l_num) +
                             " was not loaded completely, so it cannot be saved");
    }
    auto packed = compressLayout(data, host);
    if (!packed) {
        return packed.error();
    }
    data.packedData = std::move(*packed);
    SaveReport report;
    auto written = rom.rewrite([&](ByteSpan current) {
        return imageWithLayout(current, profile, l_num, data, data.packedData, host, report);
    });
    if (written) {
        report.written = *written;
        data.snapshot = LayoutSnapshot{report.layoutOffset,
                                       {data.packedData.begin(), data.packedData.end() - 1}};
    }
    data.packedData.clear();
    if (!written) {
        return written.error();
    }
    return report;
}

}  // namespace orvex
