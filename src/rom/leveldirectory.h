#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"

// Lookups through the game's own tables, from a level index (0..19, the level selector's entry
// minus one) to ROM offsets, at the places `profile` gives. They read a ROM image in memory and
// validate nothing but widths and bounds: an offset past the end of the file is the next
// reader's error.

namespace orvex {

// How messages name level index `level`: "level 3" for index 2, as the level selector shows it.
[[nodiscard]] std::string levelName(std::int16_t level);

struct ZoneAct {
    std::uint8_t zone = 0;
    std::uint8_t act = 0;
    friend bool operator==(const ZoneAct&, const ZoneAct&) = default;
};

// The level list entry of `level`. OutOfRange for an index outside 0..19 or a zone the game
// does not have.
[[nodiscard]] Result<ZoneAct> levelZoneAct(ByteSpan rom, const RomProfile& profile,
                                           std::int16_t level);

// The whole long of the level's zone entry in the level art table (12 zone + increment), top
// byte included. increment is 0 (tile art), 4 (chunk mappings) or 8 (block mappings, with the
// palette number in the top byte).
[[nodiscard]] Result<std::int32_t> getDataAddr(ByteSpan rom, const RomProfile& profile,
                                               std::int16_t level, std::int16_t increment);

// The offset stored in the low 24 bits and the palette number in the top byte of an art table
// long.
[[nodiscard]] constexpr std::int32_t artOffset(std::int32_t entry) {
    return entry & 0xFFFFFF;
}
[[nodiscard]] constexpr std::uint8_t paletteNumber(std::int32_t entry) {
    return static_cast<std::uint8_t>((entry >> 24) & 0xFF);
}

// paletteAddr: the source long of the level's palette in the palette pointer table.
[[nodiscard]] Result<std::int32_t> paletteAddress(ByteSpan rom, const RomProfile& profile,
                                                  std::int16_t level);

// The layout directory offset D: the long at the profile's layout directory pointer.
[[nodiscard]] Result<std::int32_t> layoutDirectory(ByteSpan rom, const RomProfile& profile);

// The offset of the directory word of a zone and act: 4 zone + 2 act.
[[nodiscard]] constexpr std::int32_t directoryWordOffset(ZoneAct zoneAct) {
    return 4 * std::int32_t{zoneAct.zone} + 2 * std::int32_t{zoneAct.act};
}

// How refusals of levelWordIndices name the new directory ("the migrated layout directory")
// and what each level needs of its own ("a layout").
struct DirectoryWording {
    std::string_view directory;
    std::string_view own;
};

// The word index (2 zone + act) of each level in the level list's order, for a new directory of
// 17 zones of two acts that gives every level a place of its own. OutOfRange when a level names
// an act above 1 (no word for it) or two levels name the same zone and act.
[[nodiscard]] Result<std::vector<std::int32_t>> levelWordIndices(ByteSpan rom,
                                                                 const RomProfile& profile,
                                                                 const DirectoryWording& wording);

// Where the level's compressed layout begins: D + the unsigned word at D + 4 zone + 2 act.
[[nodiscard]] Result<std::int32_t> layoutAddress(ByteSpan rom, const RomProfile& profile,
                                                 std::int16_t level);

}  // namespace orvex
