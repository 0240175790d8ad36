#include "document/leveldocument.h"

#include <algorithm>
#include <cstdlib>

namespace orvex {

LevelDocument::LevelDocument(RomProfile profile, std::int16_t level, ZoneAct zoneAct,
                             LevelParts parts, StoredParts stored, bool layoutComplete)
    : mProfile(std::move(profile)),
      mLevel(level),
      mZoneAct(zoneAct),
      mParts(std::move(parts)),
      mSaved(mParts),
      mStored(std::move(stored)),
      mLayoutComplete(layoutComplete) {}

bool LevelDocument::isModified(Part part) const {
    return partDiffers(mParts, mSaved, part);
}

bool LevelDocument::isModified() const {
    return std::any_of(kAllParts.begin(), kAllParts.end(),
                       [this](Part part) { return isModified(part); });
}

void LevelDocument::setBlocks(std::span<const CellBlock> cells) {
    CellRect changed;
    for (const CellBlock& cell : cells) {
        const auto before = mParts.layout.blockAt(cell.cell);
        if (before && *before != cell.block) {
            mParts.layout.setBlock(cell.cell, cell.block);
            changed = changed.united(CellRect::of(cell.cell));
        }
    }
    if (!changed.isEmpty()) {
        notify({Part::Layout, changed, 0, 0});
    }
}

void LevelDocument::setBlock(LayoutCell cell, std::uint8_t block) {
    const CellBlock one{cell, block};
    setBlocks(std::span<const CellBlock>(&one, 1));
}

void LevelDocument::replaceLayout(Layout layout) {
    const std::int32_t rows = std::max(mParts.layout.completeRows(), layout.completeRows()) + 1;
    mParts.layout = std::move(layout);
    notify({Part::Layout, {0, 0, rows, kLayoutRowBytes}, 0, 0});
}

void LevelDocument::setColour(std::int32_t colour, std::uint16_t word) {
    if (colour < 0 || colour >= static_cast<std::int32_t>(mParts.palette.words.size())) {
        return;
    }
    std::uint16_t& stored = mParts.palette.words[static_cast<std::size_t>(colour)];
    if (stored != word) {
        stored = word;
        notify({Part::Palette, {}, colour, 1});
    }
}

void LevelDocument::setMappingWord(Part part, std::int32_t index, std::uint16_t word) {
    MappingWords* mappings = part == Part::ChunkMappings   ? &mParts.chunks
                             : part == Part::BlockMappings ? &mParts.blocks
                                                           : nullptr;
    if (mappings == nullptr || index < 0 || index >= mappings->wordCount() ||
        mappings->word(index) == word) {
        return;
    }
    mappings->setWord(index, word);
    const std::int32_t wordsPerItem =
        part == Part::ChunkMappings ? kChunkMappingWords : kBlockMappingWords;
    notify({part, {}, index / wordsPerItem, 1});
}

void LevelDocument::setTiles(std::int32_t firstTile, std::span<const std::uint8_t> bytes) {
    const auto tiles = static_cast<std::int32_t>(bytes.size() / kTileBytes);
    if (firstTile < 0 || tiles == 0 || firstTile + tiles > kBaseTiles) {
        return;
    }
    std::vector<std::uint8_t>& art = mParts.tiles.bytes;
    const std::size_t at = static_cast<std::size_t>(firstTile) * kTileBytes;
    const std::size_t count = static_cast<std::size_t>(tiles) * kTileBytes;
    if (art.size() < at + count) {
        art.resize(at + count, 0);
    }
    if (std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count),
                   art.begin() + static_cast<std::ptrdiff_t>(at))) {
        return;
    }
    std::copy_n(bytes.begin(), count, art.begin() + static_cast<std::ptrdiff_t>(at));
    notify({Part::TileArt, {}, firstTile, tiles});
}

void LevelDocument::setTileCount(std::int32_t count) {
    const std::int32_t before = mParts.tiles.completeTiles();
    if (count < 0 || count > kBaseTiles ||
        mParts.tiles.bytes.size() == static_cast<std::size_t>(count) * kTileBytes) {
        return;
    }
    mParts.tiles.bytes.resize(static_cast<std::size_t>(count) * kTileBytes, 0);
    notify({Part::TileArt, {}, std::min(before, count), std::max(1, std::abs(count - before))});
}

void LevelDocument::replaceMappings(Part part, std::vector<std::uint8_t> bytes) {
    MappingWords* mappings = part == Part::ChunkMappings   ? &mParts.chunks
                             : part == Part::BlockMappings ? &mParts.blocks
                                                           : nullptr;
    if (mappings == nullptr || mappings->bytes == bytes) {
        return;
    }
    const std::int32_t itemBytes =
        2 * (part == Part::ChunkMappings ? kChunkMappingWords : kBlockMappingWords);
    const auto longest = static_cast<std::int32_t>(std::max(mappings->bytes.size(), bytes.size()));
    mappings->bytes = std::move(bytes);
    notify({part, {}, 0, (longest + itemBytes - 1) / itemBytes});
}

void LevelDocument::replacePalette(const PaletteWords& palette) {
    if (mParts.palette != palette) {
        mParts.palette = palette;
        notify({Part::Palette, {}, 0, static_cast<std::int32_t>(palette.words.size())});
    }
}

void LevelDocument::setObjects(std::vector<ObjectPlacement> objects) {
    if (mParts.objects && *mParts.objects != objects) {
        mParts.objects = std::move(objects);
        notify({Part::Objects, {}, 0, static_cast<std::int32_t>(mParts.objects->size())});
    }
}

void LevelDocument::setRings(std::vector<RingGroup> rings) {
    if (mParts.rings && *mParts.rings != rings) {
        mParts.rings = std::move(rings);
        notify({Part::Rings, {}, 0, static_cast<std::int32_t>(mParts.rings->size())});
    }
}

void LevelDocument::setStart(StartPosition start) {
    if (mParts.start && *mParts.start != start) {
        mParts.start = start;
        notify({Part::StartPosition, {}, 0, 1});
    }
}

void LevelDocument::setBounds(LevelBounds bounds) {
    if (mParts.bounds && *mParts.bounds != bounds) {
        mParts.bounds = bounds;
        notify({Part::Bounds, {}, 0, 1});
    }
}

void LevelDocument::setChunkShape(std::int32_t path, std::int32_t chunk, std::uint8_t shape) {
    if (path < 0 || path >= kCollisionPaths) {
        return;
    }
    for (std::int32_t p = 0; p < kCollisionPaths; ++p) {
        if (p != path && !mPathsShareIndex) {
            continue;
        }
        std::vector<std::uint8_t>& index = mParts.collision[static_cast<std::size_t>(p)];
        if (chunk < 0 || chunk >= static_cast<std::int32_t>(index.size()) ||
            index[static_cast<std::size_t>(chunk)] == shape) {
            continue;
        }
        index[static_cast<std::size_t>(chunk)] = shape;
        notify({collisionPart(p), {}, chunk, 1});
    }
}

void LevelDocument::setShape(std::int32_t shape, const Shape& value) {
    if (!mParts.shapes || shape < 0 || shape >= kShapeCount) {
        return;
    }
    Shape& stored = mParts.shapes->shapes[static_cast<std::size_t>(shape)];
    if (stored != value) {
        stored = value;
        notify({Part::CollisionShapes, {}, shape, 1});
    }
}

void LevelDocument::replaceCollision(std::int32_t path, std::vector<std::uint8_t> index) {
    if (path < 0 || path >= kCollisionPaths) {
        return;
    }
    for (std::int32_t p = 0; p < kCollisionPaths; ++p) {
        if (p != path && !mPathsShareIndex) {
            continue;
        }
        std::vector<std::uint8_t>& stored = mParts.collision[static_cast<std::size_t>(p)];
        if (stored == index) {
            continue;
        }
        const auto longest = static_cast<std::int32_t>(std::max(stored.size(), index.size()));
        stored = index;
        // A whole index replaces one that was read but not whole: its place is known.
        if (index.size() == static_cast<std::size_t>(kCollisionIndexSize) &&
            !mStored[static_cast<std::size_t>(collisionPart(p))].empty()) {
            mCollisionLoaded[static_cast<std::size_t>(p)] = true;
        }
        notify({collisionPart(p), {}, 0, longest});
    }
}

LevelDocument::ListenerId LevelDocument::addListener(Listener listener) {
    const ListenerId id = mNextListener++;
    mListeners.emplace_back(id, std::move(listener));
    return id;
}

void LevelDocument::removeListener(ListenerId id) {
    std::erase_if(mListeners, [id](const auto& entry) { return entry.first == id; });
}

void LevelDocument::acceptSave(std::span<const Part> written, const StoredParts& stored) {
    for (const Part part : written) {
        const auto index = static_cast<std::size_t>(part);
        mStored[index] = stored[index];
        copyPart(mParts, mSaved, part);
    }
}

void LevelDocument::placementsMoved(const PlacementDirectories& directories, StoredRegion objects,
                                    StoredRegion rings) {
    mProfile.objectDirectory = directories.objects;
    mProfile.ringDirectory = directories.rings;
    const auto objectsAt = static_cast<std::size_t>(Part::Objects);
    const auto ringsAt = static_cast<std::size_t>(Part::Rings);
    mStored[objectsAt] = {std::move(objects)};
    mStored[ringsAt] = {std::move(rings)};
    mShared[objectsAt] = false;
    mShared[ringsAt] = false;
}

void LevelDocument::notify(const DocumentChange& change) {
    // A listener may remove itself while it is told; iterate over a copy.
    const auto listeners = mListeners;
    for (const auto& [id, listener] : listeners) {
        listener(change);
    }
}

}  // namespace orvex
