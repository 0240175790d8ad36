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
#include "rom/romlayout.h"

namespace orvex {

namespace {

Result<std::int64_t> factoryRoom(ByteSpan rom, std::int32_t start) {
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        auto otherStart = layoutAddress(rom, other);
        if (!otherStart) {
            return otherStart.error();
        }
        if (*otherStart > start) {
            next = std::min<std::int64_t>(next, *otherStart);
        }
    }
    if (next != std::numeric_limits<std::int64_t>::max()) {
        return next - start;
    }
    auto current = decompressKosinski(rom, start);
    if (!current) {
        return current.error();
    }
    return std::int64_t{current->packedLastIndex} + 1;
}

Result<std::vector<std::uint8_t>> compressLayout(const LevelData& data, Host& host) {
    ProgressScope progress(host);
    host.setCaption(kSavingCaption);
    return compressKosinskiOptimal(data.unpackedData, &host);
}

bool changedOnDisk(ByteSpan rom, std::int32_t layoutAt, const LayoutSnapshot& snapshot) {
    if (static_cast<std::int64_t>(rom.size()) != snapshot.fileSize ||
        layoutAt != snapshot.layoutOffset ||
        !fitsIn(rom.size(), layoutAt, static_cast<std::int64_t>(snapshot.stream.size()))) {
        return true;
    }
    return !std::equal(snapshot.stream.begin(), snapshot.stream.end(), rom.begin() + layoutAt);
}

std::string changedPrompt(std::int16_t level) {
    return "The ROM file has changed on disk since " + levelName(level) +
           " was loaded.\r\nSaving now may overwrite what another program wrote.\r\n\r\n"
           "Save anyway?\r\n";
}

}  // namespace

Result<std::int64_t> layoutRoom(ByteSpan rom, std::int16_t level) {
    auto directory = layoutDirectory(rom);
    if (!directory) {
        return directory.error();
    }
    auto start = layoutAddress(rom, level);
    if (!start) {
        return start.error();
    }
    if (*directory != kFactoryLayoutDirectory) {
        if (level == kLevelCount - 1) {
            return std::numeric_limits<std::int32_t>::max() - std::int64_t{*start};
        }
        return std::int64_t{kLayoutSlotSize};
    }
    return factoryRoom(rom, *start);
}

Result<SaveReport> saveLevel(const RomImage& rom, std::int16_t l_num, LevelData& data, Host& host) {
    if (!data.loadedLevel || *data.loadedLevel != l_num) {
        return makeError(ErrorCode::NotLoaded,
                         "The layout of " + levelName(l_num) +
                             " was not loaded completely, so it cannot be saved");
    }
    auto packed = compressLayout(data, host);
    if (!packed) {
        return packed.error();
    }
    auto old = readCartridge(rom);
    if (!old) {
        return old.error();
    }
    auto layoutAt = layoutAddress(*old, l_num);
    if (!layoutAt) {
        return layoutAt.error();
    }
    auto room = layoutRoom(*old, l_num);
    if (!room) {
        return room.error();
    }
    const auto packedSize = static_cast<std::int64_t>(packed->size());
    if (packedSize > *room) {
        return makeError(ErrorCode::NoRoom,
                         "The compressed layout of " + levelName(l_num) + " is " +
                             std::to_string(packedSize) +
                             " bytes, but its place in the ROM "
                             "holds only " +
                             std::to_string(*room) + " bytes",
                         *layoutAt);
    }
    if (changedOnDisk(*old, *layoutAt, data.snapshot) &&
        !host.askYesNo(kApplicationTitle, changedPrompt(l_num), false)) {
        return makeError(ErrorCode::Cancelled, "Nothing was saved");
    }
    data.packedData = std::move(*packed);

    std::vector<std::uint8_t> image = *old;
    const auto at = static_cast<std::size_t>(*layoutAt);
    image.resize(std::max(image.size(), at + data.packedData.size()), 0x00);
    std::copy(data.packedData.begin(), data.packedData.end(),
              image.begin() + static_cast<std::ptrdiff_t>(at));
    if (Status header = finishHeader(image); !header) {
        return header.error();
    }
    const bool firstChange = !rom.backupPath().has_value();
    Status written = rom.replaceContents(image);
    SaveReport report{static_cast<std::int32_t>(data.packedData.size()), *room, std::nullopt};
    if (written && firstChange) {
        report.newBackup = rom.backupPath();
    }
    if (written) {
        data.snapshot = LayoutSnapshot{static_cast<std::int64_t>(image.size()),
                                       *layoutAt,
                                       {data.packedData.begin(), data.packedData.end() - 1}};
    }
    data.packedData.clear();
    if (!written) {
        return written.error();
    }
    return report;
}

}  // namespace orvex
