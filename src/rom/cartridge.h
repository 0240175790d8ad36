#pragma once

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romimage.h"

namespace orvex {

// Checks that `rom` is a raw Mega Drive cartridge image this editor can work on: long enough for
// the cartridge header and the game's tables, with "SEGA" at 0x100. An interleaved dump with a
// 512-byte copier header (.smd) and anything else are refused with NotARom and a message that
// says what the file looks like. Nothing else is read from a refused file.
[[nodiscard]] Status checkCartridge(ByteSpan rom);

// The whole file of `rom`, read in one go and checked as above.
[[nodiscard]] Result<std::vector<std::uint8_t>> readCartridge(const RomImage& rom);

}  // namespace orvex
