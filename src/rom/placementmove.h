#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romprofile.h"

// Moving the object and ring lists of all 20 levels behind new directories at the end of the
// image, each level's lists in a room of its own with space to grow; no two acts share a list
// afterwards.
//
// At T (where appended data goes, see appendOffset, and never inside the last slot of migrated
// layouts) the object area: the rooms of the first levels, the directory (68 bytes: 17 zones of
// two act words), the rooms of the other levels, then one empty list (two markers) that the
// words of the acts no level names point to. A room is a marker, the level's objects sorted by
// x, the end marker and zeros: room for max(512, twice the list) objects. The game reads
// directory words sign-extended, so the rooms are split around the directory so that every
// word lies in -32768..32767. Directly after it the ring area: the directory, a room per level
// for max(256, twice the list) groups and $FFFF, then one empty list ($FFFF).
//
// Because the empty list ends each area, every room is bounded by the next list or the
// directory, and saves measure it as for any list (see placementListPlace).

namespace orvex {

inline constexpr std::int32_t kPlacementDirectorySize = 68;
// The fewest entries a moved room holds; a longer list gets room for twice its length.
inline constexpr std::int32_t kMovedObjectRoom = 512;
inline constexpr std::int32_t kMovedRingRoom = 256;

// Where the object and the ring directory lie.
struct PlacementDirectories {
    std::int32_t objects = 0;
    std::int32_t rings = 0;
    friend bool operator==(const PlacementDirectories&, const PlacementDirectories&) = default;
};

// The lists of one act to write instead of what the image holds for it. A list left out is
// copied from the image as every other act's is.
struct MovedActLists {
    ZoneAct act;
    std::optional<std::vector<ObjectPlacement>> objects;
    std::optional<std::vector<RingGroup>> rings;
};

// A run of bytes in the image, and the room a save may fill from its start.
struct ImageSpan {
    std::int32_t offset = 0;
    std::int32_t bytes = 0;
    std::int64_t room = 0;
};

struct MovedPlacements {
    std::vector<std::uint8_t> image;
    PlacementDirectories directories;
    // Where the lists of the act of MovedActLists now lie: the objects from the marker before
    // them to the end marker, the rings up to $FFFF.
    ImageSpan objects;
    ImageSpan rings;
};

// Where the instructions that name the two directories hold their addresses: the offset of
// the address long of every match of each one's code pattern.
struct PlacementOperands {
    std::vector<std::int32_t> objects;
    std::vector<std::int32_t> rings;
};

// Where data appended to the image goes (see appendOffset), never inside the 3200-byte last
// slot of migrated layouts, which the migration promised to that layout even where its stream
// is shorter; always even.
[[nodiscard]] std::size_t moveOffset(ByteSpan image, const RomProfile& profile);

// The operands, when every match of each pattern names the profile's directory. NotARom
// otherwise ("the code that names the object directory was not found, so its lists cannot be
// moved").
[[nodiscard]] Result<PlacementOperands> placementOperands(ByteSpan image,
                                                          const RomProfile& profile);

// `image` with every level's lists copied into the two new areas (the lists of `replaced.act`
// taken from `replaced` where it has them), both operands repointed to the new directories and
// the header finished (see finishHeader). Refuses, returning no image: code that does not name
// the profile's directories (see placementOperands); a level list naming an act above 1 or one
// zone and act twice, or not naming `replaced.act` (OutOfRange); a list that cannot be read;
// rooms that cannot all lie within reach of their directory word, or a result past 4 MiB
// (NoRoom, with the sizes).
[[nodiscard]] Result<MovedPlacements> movePlacementLists(ByteSpan image, const RomProfile& profile,
                                                         const MovedActLists& replaced);

}  // namespace orvex
