#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romprofile.h"

// Moving the object and ring lists of all 20 levels behind new directories at the end of the
// image, each level's lists in rooms of a fixed size: a list can then grow to 256 entries, and
// no two acts share one.
//
// At T (where appended data goes, see appendOffset) the object area: the directory, 68 bytes
// (17 zones of two act words); one empty list (two markers, 12 bytes) whose second marker the
// words of the acts no level names point to; then a room of 1548 bytes per level, in the level
// list's order: a marker, up to 256 objects sorted by x, the end marker, zeros after. A level's
// word points 6 bytes into its room. Directly after it the ring area: the directory; one empty
// list ($FFFF); a room of 1026 bytes per level: up to 256 groups, then $FFFF. Every word is an
// offset below 32768 from its directory, as the game reads them (sign-extended).

namespace orvex {

inline constexpr std::int32_t kPlacementDirectorySize = 68;
inline constexpr std::int32_t kMaxMovedListEntries = 256;
inline constexpr std::int32_t kObjectRoomSize = (kMaxMovedListEntries + 2) * kObjectBytes;
inline constexpr std::int32_t kRingRoomSize = kMaxMovedListEntries * kRingGroupBytes + 2;

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

// A run of bytes in the image.
struct ImageSpan {
    std::int32_t offset = 0;
    std::int32_t bytes = 0;
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

// The operands, when every match of each pattern names the profile's directory. NotARom
// otherwise ("the code that names the object directory was not found, so its lists cannot be
// moved").
[[nodiscard]] Result<PlacementOperands> placementOperands(ByteSpan image,
                                                          const RomProfile& profile);

// `image` with every level's lists copied into the two new areas (the lists of `replaced.act`
// taken from `replaced` where it has them), both operands repointed to the new directories and
// the header finished (see finishHeader). Refuses, returning no image: code that does not name
// the profile's directories (see placementOperands); a level list naming an act above 1 or one
// zone and act twice, or not naming `replaced.act` (OutOfRange); a list that cannot be read; a
// list of more than 256 entries, or a result past 4 MiB (NoRoom, with the level and the count,
// or both sizes).
[[nodiscard]] Result<MovedPlacements> movePlacementLists(ByteSpan image, const RomProfile& profile,
                                                         const MovedActLists& replaced);

enum class PlacementList { Objects, Rings };

// The room of the list at `list` when `directory` is one the move wrote (every word the empty
// list's or a room's, the whole area inside the image) and `list` is a room's: 1548 bytes from
// the marker before the objects, or 1026 from the first ring group. Empty otherwise.
[[nodiscard]] std::optional<std::int64_t> movedListRoom(ByteSpan image, std::int32_t directory,
                                                        PlacementList kind, std::int32_t list);

}  // namespace orvex
