#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "common/error.h"
#include "common/host.h"
#include "rom/leveldata.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

inline constexpr std::string_view kSavingCaption = "Saving Level...";

struct SaveReport {
    std::int32_t packedBytes = 0;  // bytes written at the layout's place (stream + one 0x00)
    std::int64_t room = 0;         // bytes the place could hold
    std::int32_t layoutOffset = 0;
    WriteReport written;  // what was kept of the file as it was
};

// The bytes a layout may take at its place: in a ROM whose layouts are migrated (see
// layoutsMigrated) the 3200-byte slot for level indices 0..18 and up to 4 MiB for 19, the last
// thing in the file; otherwise, measured from the file, the distance to the next layout stream,
// art stream or table that follows it, or for the layout that comes last the length of the
// stream there now.
[[nodiscard]] Result<std::int64_t> layoutRoom(ByteSpan rom, const RomProfile& profile,
                                              std::int16_t level);

// Compresses data.unpackedData with the optimal encoder and writes it where the layout
// directory says level `l_num`'s layout lies, then the ROM end field and the checksum; the
// tables are where `profile` says. The file is read again under the write lock (see
// RomImage::rewrite), so that changes other programs made elsewhere in it stay. Refuses,
// writing nothing: a level that is not loaded completely (NotLoaded), a file that no longer
// has those tables (Cancelled), a stream longer than its room (NoRoom, with both sizes), a
// save that would pass 4 MiB (NoRoom), a ROM whose stream of this level changed on disk since
// the load unless `host` answers Yes (Cancelled), a read-only file or one another program is
// writing (FileWrite). On success the layout stays in `data` for further editing and the
// snapshot follows the new file.
[[nodiscard]] Result<SaveReport> saveLevel(const RomImage& rom, const RomProfile& profile,
                                           std::int16_t l_num, LevelData& data, Host& host);

}  // namespace orvex
