#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "document/layout.h"
#include "document/levelparts.h"
#include "rom/leveldirectory.h"
#include "rom/placementmove.h"
#include "rom/romprofile.h"

namespace orvex {

// What the file held at one place a part was read from: a compressed stream with its end
// marker, or the raw bytes of a palette.
struct StoredRegion {
    std::int32_t offset = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const StoredRegion&, const StoredRegion&) = default;
};
using StoredPart = std::vector<StoredRegion>;
using StoredParts = std::array<StoredPart, kPartCount>;

// What an edit changed: a part, and for the layout the rectangle of cells, for the other parts
// the range of items (tiles, chunks, blocks or colours) that changed.
struct DocumentChange {
    Part part = Part::Layout;
    CellRect cells;
    std::int32_t first = 0;
    std::int32_t count = 0;
};

// A block to store in a cell.
struct CellBlock {
    LayoutCell cell;
    std::uint8_t block = 0;
};

// One open level: where its tables lie (the profile), which level it is, its parts, what the
// file held where they were read (so a save can tell whether another program changed them) and
// the parts as last read or saved (so it can tell what is modified). Edits go through the edit
// operations, which tell every listener what changed.
class LevelDocument {
public:
    using Listener = std::function<void(const DocumentChange&)>;
    using ListenerId = std::uint32_t;

    LevelDocument(RomProfile profile, std::int16_t level, ZoneAct zoneAct, LevelParts parts,
                  StoredParts stored, bool layoutComplete);
    LevelDocument(const LevelDocument&) = delete;
    LevelDocument& operator=(const LevelDocument&) = delete;

    [[nodiscard]] const RomProfile& profile() const { return mProfile; }
    [[nodiscard]] std::int16_t level() const { return mLevel; }
    [[nodiscard]] ZoneAct zoneAct() const { return mZoneAct; }
    [[nodiscard]] const LevelParts& parts() const { return mParts; }
    [[nodiscard]] const Layout& layout() const { return mParts.layout; }
    [[nodiscard]] const StoredPart& stored(Part part) const {
        return mStored[static_cast<std::size_t>(part)];
    }
    // False when the layout stream broke off: the layout holds what was decoded before the
    // break, and the level cannot be saved.
    [[nodiscard]] bool layoutComplete() const { return mLayoutComplete; }

    // Whether a part differs from what was last read or saved; an edit undone is not one.
    [[nodiscard]] bool isModified(Part part) const;
    [[nodiscard]] bool isModified() const;

    // Stores blocks into cells of the layout; cells outside it are left out. Listeners hear of
    // the rectangle around the cells whose block changed, if any did.
    void setBlocks(std::span<const CellBlock> cells);
    void setBlock(LayoutCell cell, std::uint8_t block);
    // Replaces the whole layout, whatever its size; listeners hear of every row of both.
    void replaceLayout(Layout layout);
    // Sets colour word `colour` (0..63, 16 a line); a change of line 0 changes every level.
    void setColour(std::int32_t colour, std::uint16_t word);
    // Sets one word of the chunk or block mappings; nothing outside them.
    void setMappingWord(Part part, std::int32_t index, std::uint16_t word);
    // Replaces the tile art's bytes from tile `firstTile` on with `bytes` (whole tiles, 32 bytes
    // each), growing the art when they reach past its end; listeners hear of the tiles written.
    void setTiles(std::int32_t firstTile, std::span<const std::uint8_t> bytes);
    // Makes the tile art `count` whole tiles long (0..2048): new tiles are empty (colour 0),
    // tiles past `count` are dropped; listeners hear of the tiles added or dropped.
    void setTileCount(std::int32_t count);
    // Replaces the chunk or block mappings whole (they may grow or shrink); listeners hear of
    // every chunk or block of the longer of the two.
    void replaceMappings(Part part, std::vector<std::uint8_t> bytes);
    // Replaces all 64 colour words; listeners hear of every colour.
    void replacePalette(const PaletteWords& palette);
    // Replace what is placed in the level; nothing when the image has no table for it.
    void setObjects(std::vector<ObjectPlacement> objects);
    void setRings(std::vector<RingGroup> rings);
    void setStart(StartPosition start);
    void setBounds(LevelBounds bounds);
    // Sets the shape of chunk `chunk` on `path` (0 primary, 1 secondary); nothing outside the
    // index. When both paths read one index (pathsShareIndex) both change and listeners hear of
    // both parts.
    void setChunkShape(std::int32_t path, std::int32_t chunk, std::uint8_t shape);
    // Whether both paths of the level's zone read one index: the zones whose game code uses one
    // index for both (Metropolis, Oil Ocean, Mystic Cave), or both pointers equal.
    [[nodiscard]] bool pathsShareIndex() const { return mPathsShareIndex; }
    void setPathsShareIndex(bool shared) { mPathsShareIndex = shared; }
    // Replaces shape `shape` (0..255); nothing when the image has no shape tables.
    void setShape(std::int32_t shape, const Shape& value);
    // Replaces the index of `path` whole (both paths when they share one); listeners hear of
    // every chunk of the longer of the two.
    void replaceCollision(std::int32_t path, std::vector<std::uint8_t> index);
    // False when the path's index did not decode to exactly kCollisionIndexSize bytes (or not at
    // all): it holds what was decoded, and a save refuses to write it.
    [[nodiscard]] bool collisionLoaded(std::int32_t path) const {
        return mCollisionLoaded[static_cast<std::size_t>(path)];
    }
    void setCollisionLoaded(std::int32_t path, bool loaded) {
        mCollisionLoaded[static_cast<std::size_t>(path)] = loaded;
    }
    // Whether the part's place in the image is shared with another act (both acts of some zones
    // share one object list): such a part cannot be written in place.
    [[nodiscard]] bool isShared(Part part) const { return mShared[static_cast<std::size_t>(part)]; }
    void setShared(Part part, bool shared) { mShared[static_cast<std::size_t>(part)] = shared; }

    ListenerId addListener(Listener listener);
    void removeListener(ListenerId id);

    // After a save: `written` parts now match the file, which holds them at `stored`.
    void acceptSave(std::span<const Part> written, const StoredParts& stored);
    // After a save was built into a new image (a disassembly project's): the tables lie where
    // `profile` says and the parts were read back from `stored`. Edits and what counts as saved
    // stay as they are.
    void rebase(RomProfile profile, const StoredParts& stored) {
        mProfile = std::move(profile);
        mStored = stored;
    }
    // After a save that moved every object and ring list (see movePlacementLists): the profile
    // names the new directories, and the level's own lists, shared with no other act, lie at
    // `objects` and `rings`.
    void placementsMoved(const PlacementDirectories& directories, StoredRegion objects,
                         StoredRegion rings);

private:
    void notify(const DocumentChange& change);

    RomProfile mProfile;
    std::int16_t mLevel;
    ZoneAct mZoneAct;
    LevelParts mParts;
    LevelParts mSaved;
    StoredParts mStored;
    bool mLayoutComplete;
    std::array<bool, kPartCount> mShared{};
    bool mPathsShareIndex = false;
    std::array<bool, kCollisionPaths> mCollisionLoaded{true, true};
    std::vector<std::pair<ListenerId, Listener>> mListeners;
    ListenerId mNextListener = 1;
};

}  // namespace orvex
