#pragma once

#include <cstdint>
#include <optional>

#include "common/error.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

// The layout directory the migration writes: 17 zones of two act words, then one 3200-byte
// slot per level index.
inline constexpr std::int32_t kMigratedDirectorySize = 68;
inline constexpr std::int32_t kLayoutSlotSize = 3200;

struct RomCheck {
    RomIdentity identity;
    bool layoutsMigrated = false;  // see layoutsMigrated(); otherwise offer migrateLayouts()
};

// True only when the layout directory is exactly what migrateLayouts writes: at the pointer, a
// 68-byte directory in which the word of level i (in the level list's order) is 68 + 3200 i and
// the words of zone/act pairs that no level names are 0, followed by the 20 slots, each slot's
// stream decoding within its 3200 bytes (the last one may run on to the end of the file).
// Any other directory, the factory one or one moved by another tool, is not migrated.
[[nodiscard]] bool layoutsMigrated(ByteSpan rom, const RomProfile& profile);

// The check made whenever a ROM is opened: the image is identified (see identifyRom) and its
// layouts' state read. Errors: the file cannot be read or identified.
[[nodiscard]] Result<RomCheck> checkROM(const RomImage& rom);

// Moves all 20 layouts behind a new directory. With T where appended data goes (see
// appendOffset: the end of the image's data, made even): the 68-byte
// directory at T, all words 0 but the levels' own, the stream of level index i copied byte for
// byte into the slot at T + 68 + 3200 i, its directory word 68 + 3200 i; then the layout
// directory pointer becomes T, the ROM end field the last slot's last byte (in a padded image,
// which keeps its size) or file length - 1, and the checksum the game's sum. Fails without writing
// anything when a level names a zone or act the new directory cannot hold (or one another level
// names), a stream is corrupt or does not fit its slot, the result would pass 4 MiB, or the file is
// not writable. Written as RomImage::rewrite writes.
[[nodiscard]] Result<WriteReport> migrateLayouts(const RomImage& rom, const RomProfile& profile);

}  // namespace orvex
