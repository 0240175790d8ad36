#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/levelparts.h"
#include "graphics/indexedimage.h"
#include "graphics/levelstart.h"
#include "graphics/videomemory.h"
#include "rom/leveldirectory.h"
#include "rom/objectart.h"
#include "rom/objecttables.h"
#include "rom/romprofile.h"

// Objects and rings drawn as the game draws them: from the video memory the game fills for a
// level, with the frames its debug object lists name.

namespace orvex {

inline constexpr std::uint16_t kRingArtTile = 0x26BC;  // tile $6BC, palette line 1
inline constexpr std::size_t kMaxSpriteProblems = 16;
// The video chip places sprites at 9-bit positions, so a piece more than 512 pixels from its
// object's point shows (modulo 512) where its frame does not place it: a sprite's picture ends
// that far from the point each way.
inline constexpr std::int32_t kSpriteReach = 512;
// A chosen limit on how far an object's picture, its parts together, reaches from its point each
// way: twice a sprite's, so that the game's widest objects (a loop of lava cups $200 pixels
// tall, a bridge of 16 logs) fit and a picture stays at most 2,048 x 2,048 pixels whatever the
// tables say.
inline constexpr std::int32_t kObjectReach = 2 * kSpriteReach;

// A sprite drawn: colour indices as level pictures hold them (16 line + colour), colour 0 of
// every line transparent; `left` and `top` place the picture from the object's point.
struct SpriteImage {
    IndexedImage picture;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// Draws a frame's pieces with `artTile` added to each piece's pattern (first tile, palette line,
// flips), the whole sprite mirrored as the object's flips say. The frame's first piece ends on
// top, as the video chip shows the first sprite of its list over later ones. Tiles past video
// memory draw nothing; what lies further than kSpriteReach from the point is left out, so that
// the picture is at most 1,024 x 1,024 pixels whatever the pieces say.
[[nodiscard]] SpriteImage renderSprite(const VideoMemory& video,
                                       std::span<const SpritePiece> pieces, std::uint16_t artTile,
                                       bool xFlip, bool yFlip);

// The sprites of one level: video memory filled as the game fills it for the level, the zone's
// debug list with each entry's frame, and the pictures drawn so far.
class LevelSprites {
public:
    // What could not be read or was left out past a limit; the sprites that could be are there.
    // At most kMaxSpriteProblems lines and one more that counts the rest.
    std::vector<std::string> problems;

    // The picture of `object` as the game shows it at level start, its parts composed front
    // first, from its id, subtype and flips (objectlook.h). A type the rules do not cover, or
    // whose tables were not found, is drawn with the debug list's entry with its id and
    // subtype, else the first with its id. Null when the game shows nothing of it or no
    // picture is known; pictures are kept per id, subtype and flips (the zone is the level's).
    [[nodiscard]] const SpriteImage* object(const ObjectPlacement& object) const;
    // A ring, drawn from the ring art with the ring's own mappings.
    [[nodiscard]] const SpriteImage* ring() const { return mRing ? &*mRing : nullptr; }
    [[nodiscard]] const VideoMemory& video() const { return mVideo; }
    [[nodiscard]] bool empty() const { return mFrames.empty() && !mRing; }
    // The object tables found in the image the sprites were read from.
    [[nodiscard]] const ObjectTables& objectTables() const { return mTables; }
    // The zone's debug list in its order, the entries whose frame could be read: entry `index`
    // (below debugEntryCount()) and the pieces of its frame, to draw with renderSprite.
    [[nodiscard]] std::size_t debugEntryCount() const { return mFrames.size(); }
    [[nodiscard]] const DebugEntry& debugEntry(std::size_t index) const {
        return mFrames.at(index).entry;
    }
    [[nodiscard]] std::span<const SpritePiece> debugPieces(std::size_t index) const {
        return mFrames.at(index).pieces;
    }

private:
    friend Result<LevelSprites> loadLevelSprites(ByteSpan, const RomProfile&, ZoneAct,
                                                 const VideoMemory&, const LevelStart&,
                                                 const ObjectTables&);
    friend void addObjectLooks(ByteSpan, const RomProfile&, ZoneAct, const ObjectTables&,
                               LevelSprites&);

    struct Frame {
        DebugEntry entry;
        std::vector<SpritePiece> pieces;
    };
    using Key = std::tuple<std::uint8_t, std::uint8_t, bool, bool>;

    VideoMemory mVideo;
    std::vector<Frame> mFrames;
    std::optional<SpriteImage> mRing;
    mutable std::map<Key, SpriteImage> mDrawn;
    // What the start-up rules read: the level, the tables, the image they lie in and the
    // signpost's own art over video memory.
    ZoneAct mAct;
    ObjectTables mTables;
    std::vector<std::uint8_t> mImage;
    std::optional<VideoMemory> mSignpostVideo;

    // The picture of `object`, null when nothing is drawn.
    [[nodiscard]] SpriteImage draw(const ObjectPlacement& object) const;
    [[nodiscard]] SpriteImage drawFromDebugList(const ObjectPlacement& object) const;
};

// Adds what the start-up rules of objects need to `sprites`: the object tables located in
// `image` (locateObjectTables), a copy of the image and the signpost's art (its cue list decoded
// over a copy of the level's video memory). What cannot be read is named in `problems`.
void addObjectLooks(ByteSpan image, const RomProfile& profile, ZoneAct act,
                    const ObjectTables& tables, LevelSprites& sprites);

// The sprites of a level whose video memory at level start is `video`: the zone's debug list
// with each entry's frame read from `image`, and the layout ring drawn with the piece and art
// word of `start`, objects drawn by their own code through `tables` (located once per image:
// the search reads the whole image). Lists or frames that cannot be read are left out and named
// in `problems`; an error only when the profile has no debug lists. Bounded whatever the tables
// say: the lists are read up to their limits (objectart.h).
[[nodiscard]] Result<LevelSprites> loadLevelSprites(ByteSpan image, const RomProfile& profile,
                                                    ZoneAct act, const VideoMemory& video,
                                                    const LevelStart& start,
                                                    const ObjectTables& tables);
// The same from `image` alone: the level-start and object tables located in it, the level's start
// read and its video memory composed from `parts`' tile art; problems reading the start are named
// in `problems` too. For callers that draw one level once.
[[nodiscard]] Result<LevelSprites> loadLevelSprites(ByteSpan image, const RomProfile& profile,
                                                    ZoneAct act, const LevelParts& parts);

}  // namespace orvex
