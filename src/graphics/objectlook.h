#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/byteorder.h"
#include "rom/leveldirectory.h"
#include "rom/objectart.h"
#include "rom/objecttables.h"
#include "rom/placements.h"

// How the game shows a placed object when its level starts: which frames of which mappings,
// with which art word, where and mirrored how, read from the object's id, subtype and flips as
// the object's own start-up code reads them.

namespace orvex {

// The tiles a part is drawn with: video memory as the level leaves it, or the signpost's own
// art over it (the signpost's art arrives only near the level's end).
enum class PartArt { Level, Signpost };

// One sprite of an object: frame `frame` of the mappings at `mappings`, `artTile` added to every
// piece's pattern, drawn with its point at (dx, dy) from the placement's and mirrored as said.
struct LookPart {
    std::int32_t mappings = 0;
    std::uint8_t frame = 0;
    std::uint16_t artTile = 0;
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    bool xFlip = false;
    bool yFlip = false;
    PartArt art = PartArt::Level;
    friend bool operator==(const LookPart&, const LookPart&) = default;
};

enum class LookKind {
    Drawn,       // the parts say what the game shows
    Hidden,      // the game shows nothing: an invisible type, or a signpost it deletes
    NotCovered,  // no rule for this type or subtype, or a table it needs was not found
};

// What the game shows of one placement: parts front first.
struct ObjectLook {
    LookKind kind = LookKind::NotCovered;
    std::vector<LookPart> parts;
};

// What the rules read: the level, the object tables found in the image, the zone's debug list
// (for the mappings it names) and the image (for the scenery table, sub-object records and cup
// lists). Borrowed for the call.
struct LookSources {
    ZoneAct act;
    const ObjectTables& tables;
    std::span<const DebugEntry> debugList;
    ByteSpan image;
};

// The look of `object` at level start. Never fails: a rule that needs a table or record that is
// missing or cannot be read gives NotCovered, so that the caller can draw what it drew before.
[[nodiscard]] ObjectLook objectLook(const LookSources& sources, const ObjectPlacement& object);

}  // namespace orvex
