#pragma once

#include <cstdint>
#include <string_view>

#include "common/error.h"
#include "common/host.h"
#include "rom/romimage.h"

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

enum class RomCheckOutcome {
    AlreadyMigrated,  // the layout directory pointer is not the factory one: nothing asked
    Declined,         // a factory ROM whose owner answered No: nothing written
    Migrated,         // a factory ROM migrated just now
};

// The check made whenever a ROM is opened: a ROM whose layout directory pointer (0xE46E) still
// holds the factory directory 0x45A80 is offered the migration through `host` (Yes/No, Yes the
// default). Errors: the file cannot be read or is too short for the pointer, or the migration
// failed (then the pointer is unchanged and the ROM still works with its factory layouts).
[[nodiscard]] Result<RomCheckOutcome> checkROM(const RomImage& rom, Host& host);

// Moves all 20 layouts to the end of the file. With T the file's length (made even first):
// a 68-byte directory at T (17 zones of two act words, all 0 but the levels' own), the stream of
// level index i copied byte for byte into the slot at T + 68 + 3200 i, its directory word
// 68 + 3200 i; then the pointer at 0xE46E becomes T, the ROM end field file length - 1 and the
// checksum at 0x18E the game's sum. The pointer is written only after every stream and word
// is in place. Fails without writing anything when a factory directory word is 0x8000 or more,
// a level names a zone or act the new directory cannot hold, a stream is corrupt or does not
// fit its slot, or the file is not writable.
[[nodiscard]] Status migrateLayouts(const RomImage& rom, std::int32_t factoryDirectory);

}  // namespace orvex
