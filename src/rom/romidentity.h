#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/codepatterns.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

// What an image is and where its tables are, decided once when the file is opened.
struct RomIdentity {
    RomProfile profile;
    // A factory revision whose bytes differ from the factory image (edited, migrated, padded).
    bool modified = false;
    // For an image built from the disassembly: where the code that names each table starts,
    // and why a table that is not in the profile could not be used. For a factory revision:
    // where the code starts that names a table no longer at the revision's offset (the object
    // and ring directories after their lists were moved).
    std::array<std::optional<std::int32_t>, kTableCount> codeAt{};
    std::array<std::string, kTableCount> missing{};
};

// Names the image in one line: "revision 01 (factory tables)", "revision 00 (factory tables,
// modified)", "built from the disassembly (tables located by code)".
[[nodiscard]] std::string describeIdentity(const RomIdentity& identity);

// How one table was found: "as in revision 01", "moved, named by the code at 0x1234" (a
// revision's directory after its lists were moved), "named by the code at 0x1234", "not
// found: ...".
[[nodiscard]] std::string describeTableSource(const RomIdentity& identity, TableId table);

// Decides what `rom` is, in this order: a plain whole cartridge image (see checkCartridge); a
// factory image of revision 00, 01 or 02 (its serial, then its tables checked at that
// revision's offsets; the object and ring directories where the code names them, since moving
// their lists moves them, and none where the code names a place that cannot hold one, the fault
// kept in `missing`); an image built from the
// disassembly (every level table found through the code that names it and checked, the level list's
// streams decoded). Otherwise NotARom, with a message that names what was recognised and what was
// missing. Never writes.
[[nodiscard]] Result<RomIdentity> identifyRom(ByteSpan rom);

// Checks the level tables of `profile` in `rom`: the level list names 20 levels of zones below
// 17 and acts 0 or 1, and the pointers each level uses (art streams, palettes, layout) are even
// and lie inside the image, palettes loading into palette RAM ($FB00..$FB7F). The first fault
// found, as an error naming the table; nothing is decoded.
[[nodiscard]] Status checkLevelTables(ByteSpan rom, const RomProfile& profile);

// Why the place the code names for the object or ring directory cannot hold one: odd (the
// game's processor stops at a word read there), the directory's 68 bytes not inside the image,
// or overlapping the code that names it (a write there would overwrite the game's code). Empty
// when the place can hold a directory.
[[nodiscard]] std::optional<std::string> directoryPlaceFault(ByteSpan rom, const TableCode& code);

// Checks, before a write, that the code of `rom` still names the profile's object and ring
// directories: NotARom when it names a place that cannot hold one (see directoryPlaceFault), so
// that nothing is ever written there; Cancelled, saying the file changed on disk, when it names
// another directory than the profile's (another program moved the lists since the image was
// read, and the profile's places are no longer read by the game).
[[nodiscard]] Status checkPlacementCode(ByteSpan rom, const RomProfile& profile);

// A ROM file read whole and identified.
struct IdentifiedRom {
    std::vector<std::uint8_t> bytes;
    RomIdentity identity;
};
[[nodiscard]] Result<IdentifiedRom> readIdentifiedRom(const RomImage& rom);

}  // namespace orvex
