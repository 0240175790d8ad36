#include "rom/checksum.h"

#include <algorithm>
#include <string>

#include "rom/cartridge.h"

namespace orvex {

Result<std::uint16_t> computeChecksum(ByteSpan rom, const HeaderFields& header) {
    auto end = readLong(rom, header.romEnd);
    if (!end) {
        return end.error();
    }
    // The game adds the word at the start, then every further word whose address is not past
    // the end field: the words at even addresses start .. end.
    const std::int64_t first = header.checksumStart;
    const std::int64_t last = std::max<std::int64_t>(*end, first);
    if (!fitsIn(rom.size(), first, (last | 1) + 1 - first)) {
        return makeError(ErrorCode::FileRead, "The ROM end field points past the end of the file",
                         header.romEnd);
    }
    // The high and the low bytes summed apart (a plain loop the compiler can vectorise): at most
    // 2 Mi words of 255 each, far inside 32 bits.
    const std::uint8_t* const words = rom.data() + first;
    const std::int64_t count = (last - first) / 2 + 1;
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        high += words[2 * i];
        low += words[2 * i + 1];
    }
    return static_cast<std::uint16_t>(((high << 8) + low) & 0xFFFF);
}

Result<std::uint16_t> storedChecksum(ByteSpan rom, const HeaderFields& header) {
    return readWord(rom, header.checksum);
}

Status finishHeader(std::vector<std::uint8_t>& rom, const HeaderFields& header) {
    if (rom.size() % 2 != 0) {
        rom.push_back(0x00);
    }
    if (static_cast<std::int64_t>(rom.size()) > kCartridgeSpace) {
        return makeError(ErrorCode::NoRoom,
                         "The ROM would grow to " + std::to_string(rom.size()) +
                             " bytes, past the 4 MiB (" + std::to_string(kCartridgeSpace) +
                             " bytes) a Mega Drive cartridge can address; nothing was written");
    }
    if (rom.size() < static_cast<std::size_t>(header.checksumStart)) {
        return makeError(ErrorCode::OutOfRange, "The ROM is too short for a cartridge header");
    }
    // The field keeps saying where the data of a padded image ends; it covers the file otherwise.
    if (!paddedDataEnd(rom, header)) {
        putLong(rom, static_cast<std::size_t>(header.romEnd),
                static_cast<std::uint32_t>(rom.size() - 1));
    }
    auto sum = computeChecksum(rom, header);
    if (!sum) {
        return sum.error();
    }
    putWord(rom, static_cast<std::size_t>(header.checksum), *sum);
    return {};
}

}  // namespace orvex
