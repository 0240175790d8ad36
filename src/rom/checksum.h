#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

namespace orvex {

// The sum the game checks at boot: the big-endian words from 0x200 up to the address in the ROM
// end field (0x1A4), added with 16-bit wrap-around. A mismatch with the word at 0x18E stops the
// game on a red screen. FileRead when the header or the summed range lies outside `rom`.
[[nodiscard]] Result<std::uint16_t> computeChecksum(ByteSpan rom);

// The checksum stored at 0x18E.
[[nodiscard]] Result<std::uint16_t> storedChecksum(ByteSpan rom);

// Brings a ROM image in memory to what the game expects after the editor wrote to it: an even
// length (one 0x00 appended if needed), the ROM end field at file length - 1 and the checksum
// at 0x18E.
[[nodiscard]] Status finishHeader(std::vector<std::uint8_t>& rom);

}  // namespace orvex
