#include "rom/checksum.h"

#include <algorithm>

#include "rom/romlayout.h"

namespace orvex {

Result<std::uint16_t> computeChecksum(ByteSpan rom) {
    auto end = readLong(rom, kRomEndField);
    if (!end) {
        return end.error();
    }
    // The game adds the word at 0x200, then every further word whose address is not past the
    // end field: the words at even addresses 0x200 .. end.
    const std::int64_t last = std::max<std::int64_t>(*end, kChecksumStart);
    if (!fitsIn(rom.size(), kChecksumStart, (last | 1) + 1 - kChecksumStart)) {
        return makeError(ErrorCode::FileRead, "The ROM end field points past the end of the file",
                         kRomEndField);
    }
    std::uint32_t sum = 0;
    for (std::int64_t at = kChecksumStart; at <= last; at += 2) {
        const auto index = static_cast<std::size_t>(at);
        sum += (std::uint32_t{rom[index]} << 8) | rom[index + 1];
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

Result<std::uint16_t> storedChecksum(ByteSpan rom) {
    return readWord(rom, kChecksumField);
}

Status finishHeader(std::vector<std::uint8_t>& rom) {
    if (rom.size() % 2 != 0) {
        rom.push_back(0x00);
    }
    if (rom.size() < kChecksumStart || rom.size() - 1 > 0x7FFFFFFF) {
        return makeError(ErrorCode::OutOfRange, "The ROM is too short for a cartridge header");
    }
    putLong(rom, kRomEndField, static_cast<std::uint32_t>(rom.size() - 1));
    auto sum = computeChecksum(rom);
    if (!sum) {
        return sum.error();
    }
    putWord(rom, kChecksumField, *sum);
    return {};
}

}  // namespace orvex
