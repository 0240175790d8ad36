#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
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

// Where the data of a padded image ends: one past its ROM end field, when every byte after
// that is one filler value (0x00 or 0xFF: a dump padded to 2 or 4 MiB). Nothing otherwise.
[[nodiscard]] std::optional<std::size_t> paddedDataEnd(ByteSpan rom, const HeaderFields& header);

// Where data appended to the image goes, at an even offset: into the padding of a padded image
// (see paddedDataEnd); into a run of one filler value of at least 64 KiB that ends the file even
// when the ROM end field covers it (a few bytes after the data before it stay that data's);
// otherwise after the file's last byte.
[[nodiscard]] std::size_t appendOffset(ByteSpan rom, const HeaderFields& header);

// Raises the ROM end field to cover data written up to `end` (one past its last byte); a field
// that already covers it stays. Appends into padding call it, so that finishHeader keeps the
// field where the data ends and the padding stays usable.
void coverData(std::vector<std::uint8_t>& rom, const HeaderFields& header, std::size_t end);

}  // namespace orvex
