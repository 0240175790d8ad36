#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "common/error.h"
#include "common/host.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

inline constexpr std::string_view kMigrationTitle = "Rom Oringinal ";
inline constexpr std::string_view kMigrationPrompt =
    "This ROM hasn't had it's levels migrated.\r\n"
    "In order to save levels in the ROM safely,\r\n"
    "it is necessary to expand the ROM and save\r\n"
    "the levels at the end of the ROM.  If this\r\n"
    "isn't done, data in the ROM may be overwritten,\r\n"
    "as the levels may not fit.  Do you wish to\r\n"
    "migrate the levels?\r\n"
    "\r\n"
    "Migrate Levels?\r\n";

// The layout directory the migration writes: 17 zones of two act words, then one 3200-byte
// slot per level index.
inline constexpr std::int32_t kMigratedDirectorySize = 68;
inline constexpr std::int32_t kLayoutSlotSize = 3200;

enum class RomCheckOutcome {
    AlreadyMigrated,  // the layout directory is the migration's: nothing asked
    Declined,         // not migrated, and its owner answered No: nothing written
    Migrated,         // migrated just now
};

struct RomCheck {
    RomCheckOutcome outcome = RomCheckOutcome::AlreadyMigrated;
    RomIdentity identity;
    std::optional<WriteReport> written;  // what the migration kept of the file as it was
};

// True only when the layout directory is exactly what migrateLayouts writes: at the pointer, a
// 68-byte directory in which the word of level i (in the level list's order) is 68 + 3200 i and
// the words of zone/act pairs that no level names are 0, followed by the 20 slots, each slot's
// stream decoding within its 3200 bytes (the last one may run on to the end of the file).
// Any other directory, the factory one or one moved by another tool, is not migrated.
[[nodiscard]] bool layoutsMigrated(ByteSpan rom, const RomProfile& profile);

// The check made whenever a ROM is opened: the image is identified (see identifyRom), and one
// whose layouts are not migrated is offered the migration through `host` (Yes/No, Yes the
// default). Errors: the file cannot be read or identified, or the migration failed (then
// nothing was written and the ROM still works with its layouts where they were).
[[nodiscard]] Result<RomCheck> checkROM(const RomImage& rom, Host& host);

// Moves all 20 layouts behind a new directory. With T the end of the image's data (the file's
// length made even, or the end its ROM end field names when only padding follows): the 68-byte
// directory at T, all words 0 but the levels' own, the stream of level index i copied byte for
// byte into the slot at T + 68 + 3200 i, its directory word 68 + 3200 i; then the layout
// directory pointer becomes T, the ROM end field file length - 1 and the checksum the game's
// sum. Fails without writing anything when a level names a zone or act the new directory
// cannot hold (or one another level names), a stream is corrupt or does not fit its slot, the
// result would pass 4 MiB, or the file is not writable. Written as RomImage::rewrite writes.
[[nodiscard]] Result<WriteReport> migrateLayouts(const RomImage& rom, const RomProfile& profile);

}  // namespace orvex
