#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/romprofile.h"
#include "rom/zones.h"

// Where a zone's collision indexes lie: two tables of 17 longs (primary, secondary), a long per
// zone, each the offset of a Kosinski stream that decodes to one shape id per chunk. The three
// shape tables every zone shares lie, in the factory images, directly before the first index.

namespace orvex {

inline constexpr std::int32_t kFactoryShapeTables = 0x42D50;
// The shape tables end where the factory images' collision indexes begin: kShapeTablesSize.
inline constexpr std::int32_t kShapeTablesBeforeIndexes = 0x2100;

// The zones whose two paths the game reads from one index.
[[nodiscard]] constexpr bool zoneSharesIndex(std::int32_t zone) {
    return zone == kMetropolis || zone == kOilOcean || zone == kMysticCave;
}

// The pointer table of `path` (0 primary, 1 secondary), if the profile knows it.
[[nodiscard]] std::optional<std::int32_t> collisionPointerTable(const RomProfile& profile,
                                                                std::int32_t path);

// The offset of the long naming `zone`'s index on `path`. NotLoaded when the profile has no
// pointer table for the path.
[[nodiscard]] Result<std::int32_t> collisionPointerOffset(const RomProfile& profile,
                                                          std::int32_t path, std::int32_t zone);

// Where `zone`'s index on `path` lies: the long the pointer table holds. NotLoaded without the
// table, FileRead or ValueTooLarge when the long cannot be read.
[[nodiscard]] Result<std::int32_t> collisionIndexAddress(ByteSpan image, const RomProfile& profile,
                                                         std::int32_t path, std::int32_t zone);

// Every offset any long of both pointer tables holds, ascending, each once; empty when the
// profile has neither table.
[[nodiscard]] std::vector<std::int32_t> collisionIndexAddresses(ByteSpan image,
                                                                const RomProfile& profile);

// Where the shape tables lie in an image whose profile was found through its code: directly
// before the lowest index (that offset - kShapeTablesBeforeIndexes) when plausible tables lie
// there, else kFactoryShapeTables when plausible there, else nothing.
[[nodiscard]] std::optional<std::int32_t> locateShapeTables(ByteSpan image,
                                                            const RomProfile& profile);

}  // namespace orvex
