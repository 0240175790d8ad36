#pragma once

#include <cstdint>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"

namespace orvex {

// The sum the game checks at boot: the big-endian words from the checksum start (0x200) up to
// the address in the ROM end field, added with 16-bit wrap-around. A mismatch with the stored
// word stops the game on a red screen. FileRead when the header or the summed range lies
// outside `rom`.
[[nodiscard]] Result<std::uint16_t> computeChecksum(ByteSpan rom, const HeaderFields& header);

// The checksum stored in the header.
[[nodiscard]] Result<std::uint16_t> storedChecksum(ByteSpan rom, const HeaderFields& header);

// Brings a ROM image in memory to what the game expects after the editor wrote to it: an even
// length (one 0x00 appended if needed), the ROM end field at file length - 1 (in a padded image,
// see paddedDataEnd, it stays where the data ends: appends raise it with coverData) and the
// checksum.
// NoRoom, naming both sizes, when the image would reach past the 4 MiB a cartridge addresses.
[[nodiscard]] Status finishHeader(std::vector<std::uint8_t>& rom, const HeaderFields& header);

}  // namespace orvex
