#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

// How a file holds a cartridge image. Only plain images are read as game data or written;
// the others are recognised so that they can be named and turned into plain ones.
enum class DumpFormat {
    Plain,         // the cartridge's bytes as the console sees them
    CopierHeader,  // a 512-byte copier header, then the plain image
    Interleaved,   // .smd: a 512-byte header, then 16 KiB blocks, odd bytes first, then even
    ByteSwapped,   // every pair of bytes swapped ("ESAG" at 0x100)
    Unrecognised,  // none of the above: no "SEGA" where any of them has it
};

// Recognises the format by where the console name "SEGA" turns up.
[[nodiscard]] DumpFormat detectDumpFormat(ByteSpan file);

// How messages name a format: "an interleaved .smd dump".
[[nodiscard]] std::string_view describeDumpFormat(DumpFormat format);

// The plain image inside a dump of `format` (header stripped, blocks de-interleaved, bytes
// swapped back). A plain or unrecognised file comes back as it is.
[[nodiscard]] std::vector<std::uint8_t> plainImage(ByteSpan file, DumpFormat format);

// Where a plain copy of the dump at `dump` goes: beside it as NAME.bin, or NAME-plain.bin
// when the dump itself is called NAME.bin.
[[nodiscard]] std::filesystem::path plainCopyPath(const std::filesystem::path& dump);

// Checks that `rom` is a plain Mega Drive cartridge image that is whole: "SEGA" at 0x100, at
// least as long as its ROM end field says, and within the 4 MiB a cartridge can address.
// NotPlainImage names a dump format and says how to convert it; Truncated gives both sizes;
// NotARom says what the file looks like.
[[nodiscard]] Status checkCartridge(ByteSpan rom, const HeaderFields& header = {});

// Where data appended to the image goes: after its last byte of data, at an even offset. Bytes
// past the ROM end field that are all one filler value (0x00 or 0xFF: a dump padded to 2 or
// 4 MiB) are not data, so the data then ends where the field says.
[[nodiscard]] std::size_t appendOffset(ByteSpan rom, const HeaderFields& header);

}  // namespace orvex
