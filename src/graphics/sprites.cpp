#include "graphics/sprites.h"

#include <algorithm>

#include "compression/nemesis.h"
#include "graphics/objectlook.h"
#include "rom/levelformat.h"

namespace orvex {

namespace {

struct PlacedPiece {
    std::int32_t x = 0;  // the piece's top left from the object's point, flips applied
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

PlacedPiece place(const SpritePiece& piece, bool xFlip, bool yFlip) {
    PlacedPiece placed{piece.x, piece.y, kTileSide * piece.widthTiles,
                       kTileSide * piece.heightTiles};
    if (xFlip) {
        placed.x = -placed.x - placed.width;
    }
    if (yFlip) {
        placed.y = -placed.y - placed.height;
    }
    return placed;
}

// True when part of the piece lies within kSpriteReach of the object's point.
bool withinReach(const PlacedPiece& placed) {
    return placed.x < kSpriteReach && placed.x + placed.width > -kSpriteReach &&
           placed.y < kSpriteReach && placed.y + placed.height > -kSpriteReach;
}

// Tile `tile` of video memory at (x, y) of `picture`, mirrored as asked, in palette line `line`;
// colour 0 and pixels outside the picture leave it as it is.
void drawTile(const VideoMemory& video, std::int32_t tile, std::int32_t line, bool xFlip,
              bool yFlip, std::int32_t x, std::int32_t y, IndexedImage& picture) {
    const std::int64_t at = std::int64_t{tile} * kTileBytes;
    if (at + kTileBytes > static_cast<std::int64_t>(video.bytes.size())) {
        return;
    }
    for (std::int32_t row = 0; row < kTileSide; ++row) {
        for (std::int32_t column = 0; column < kTileSide; ++column) {
            const std::uint8_t pair =
                video.bytes[static_cast<std::size_t>(at + 4 * row + column / 2)];
            const std::uint8_t colour = column % 2 == 0 ? pair >> 4 : pair & 0x0F;
            if (colour == 0) {
                continue;
            }
            const std::int32_t px = x + (xFlip ? kTileSide - 1 - column : column);
            const std::int32_t py = y + (yFlip ? kTileSide - 1 - row : row);
            if (px >= 0 && py >= 0 && px < picture.width() && py < picture.height()) {
                picture.setPixel(px, py, static_cast<std::uint8_t>(16 * line + colour));
            }
        }
    }
}

void drawPiece(const VideoMemory& video, const SpritePiece& piece, std::uint16_t artTile,
               bool xFlip, bool yFlip, std::int32_t x, std::int32_t y, IndexedImage& picture) {
    const auto pattern = static_cast<std::uint16_t>(piece.pattern + artTile);
    const bool mirrorX = (((pattern >> 11) & 1) != 0) != xFlip;
    const bool mirrorY = (((pattern >> 12) & 1) != 0) != yFlip;
    const std::int32_t line = (pattern >> 13) & 3;
    const std::int32_t first = pattern & 0x7FF;
    const std::int32_t columns = piece.widthTiles;
    const std::int32_t rows = piece.heightTiles;
    for (std::int32_t column = 0; column < columns; ++column) {
        for (std::int32_t row = 0; row < rows; ++row) {
            // Tiles run down each column; a flipped piece mirrors its tile order too.
            const std::int32_t tile = first + column * rows + row;
            const std::int32_t shownColumn = mirrorX ? columns - 1 - column : column;
            const std::int32_t shownRow = mirrorY ? rows - 1 - row : row;
            drawTile(video, tile, line, mirrorX, mirrorY, x + kTileSide * shownColumn,
                     y + kTileSide * shownRow, picture);
        }
    }
}

struct Bounds {
    std::int32_t left = kObjectReach;
    std::int32_t top = kObjectReach;
    std::int32_t right = -kObjectReach;
    std::int32_t bottom = -kObjectReach;
};

// The area `sprites` cover together, cut at kObjectReach.
Bounds coveredArea(const std::vector<SpriteImage>& sprites) {
    Bounds area;
    for (const SpriteImage& sprite : sprites) {
        if (!sprite.picture.isNull()) {
            area.left = std::min(area.left, std::max(sprite.left, -kObjectReach));
            area.top = std::min(area.top, std::max(sprite.top, -kObjectReach));
            area.right =
                std::max(area.right, std::min(sprite.left + sprite.picture.width(), kObjectReach));
            area.bottom =
                std::max(area.bottom, std::min(sprite.top + sprite.picture.height(), kObjectReach));
        }
    }
    return area;
}

// `sprites` drawn over each other into one picture, the first on top, cut at kObjectReach.
SpriteImage composeSprites(const std::vector<SpriteImage>& sprites) {
    const Bounds area = coveredArea(sprites);
    if (area.right <= area.left || area.bottom <= area.top) {
        return {};
    }
    SpriteImage composed{IndexedImage(area.right - area.left, area.bottom - area.top), area.left,
                         area.top};
    IndexedImage& picture = composed.picture;
    for (auto sprite = sprites.rbegin(); sprite != sprites.rend(); ++sprite) {
        const IndexedImage& source = sprite->picture;
        for (std::int32_t y = 0; y < source.height(); ++y) {
            for (std::int32_t x = 0; x < source.width(); ++x) {
                const std::uint8_t pixel = source.pixel(x, y);
                const std::int32_t px = sprite->left - area.left + x;
                const std::int32_t py = sprite->top - area.top + y;
                if (pixel % 16 != 0 && px >= 0 && py >= 0 && px < picture.width() &&
                    py < picture.height()) {
                    picture.setPixel(px, py, pixel);
                }
            }
        }
    }
    return composed;
}

// The signpost's cue list decoded over `video`, each cue's art up to the end of video memory;
// what cannot be read is named in `problems`.
void loadSignpostArt(ByteSpan image, std::int32_t table, std::uint8_t list, VideoMemory& video,
                     std::vector<std::string>& problems) {
    auto cues = readArtCues(image, table, list);
    if (!cues) {
        problems.push_back("signpost art: " + cues.error().describe());
        return;
    }
    for (const ArtCue& cue : cues->entries) {
        const std::int32_t room = (kVideoMemoryBytes - cue.videoAddress) / kTileBytes;
        auto art = decompressNemesis(image, cue.source, room);
        if (!art) {
            problems.push_back("signpost art at " + hexOffset(cue.source) + ": " +
                               art.error().describe());
            continue;
        }
        const std::size_t count =
            std::min(art->tiles.size(), video.bytes.size() - cue.videoAddress);
        std::copy_n(art->tiles.begin(), count, video.bytes.begin() + cue.videoAddress);
    }
}

// A sprite whose art was never loaded draws nothing at all; it counts as none.
std::optional<SpriteImage> visible(SpriteImage sprite) {
    const auto& pixels = sprite.picture.pixels();
    const bool any = std::any_of(pixels.begin(), pixels.end(),
                                 [](std::uint8_t pixel) { return pixel % 16 != 0; });
    return any ? std::optional<SpriteImage>(std::move(sprite)) : std::nullopt;
}

// Calls `take` with each entry of the zone's debug list and its frame's pieces; a frame cut short
// keeps the pieces read.
template <typename Take>
void readFrames(ByteSpan image, std::int32_t table, std::uint8_t zone,
                std::vector<std::string>& problems, Take take) {
    auto entries = readDebugList(image, table, zone);
    if (!entries || entries->cut) {
        problems.push_back("debug object list: " +
                           (entries ? entries->cut->describe() : entries.error().describe()));
    }
    if (!entries) {
        return;
    }
    for (const DebugEntry& entry : entries->entries) {
        auto pieces = readSpriteFrame(image, entry.mappings, entry.frame);
        if (!pieces || pieces->cut) {
            problems.push_back("frame of object " + std::to_string(entry.id) + ": " +
                               (pieces ? pieces->cut->describe() : pieces.error().describe()));
        }
        if (pieces) {
            take(entry, std::move(pieces->entries));
        }
    }
}

// The parts of a look drawn into one picture, the first part on top; none when a part's frame
// cannot be read.
std::optional<SpriteImage> composeLook(ByteSpan image, const std::vector<LookPart>& parts,
                                       const VideoMemory& level, const VideoMemory& signpost) {
    std::vector<SpriteImage> drawn;
    for (const LookPart& part : parts) {
        auto pieces = readSpriteFrame(image, part.mappings, part.frame);
        if (!pieces || pieces->cut) {
            return std::nullopt;
        }
        const VideoMemory& video = part.art == PartArt::Signpost ? signpost : level;
        SpriteImage sprite =
            renderSprite(video, pieces->entries, part.artTile, part.xFlip, part.yFlip);
        sprite.left += part.dx;
        sprite.top += part.dy;
        drawn.push_back(std::move(sprite));
    }
    return composeSprites(drawn);
}

// Keeps the first kMaxSpriteProblems problems and counts the rest in one more line, so that a
// table full of faults still gives a list a person can read.
void shorten(std::vector<std::string>& problems) {
    if (problems.size() <= kMaxSpriteProblems) {
        return;
    }
    const std::size_t more = problems.size() - kMaxSpriteProblems;
    problems.resize(kMaxSpriteProblems);
    problems.push_back("and " + std::to_string(more) + " more problem(s)");
}

}  // namespace

SpriteImage renderSprite(const VideoMemory& video, std::span<const SpritePiece> pieces,
                         std::uint16_t artTile, bool xFlip, bool yFlip) {
    std::int32_t left = kSpriteReach;
    std::int32_t top = kSpriteReach;
    std::int32_t right = -kSpriteReach;
    std::int32_t bottom = -kSpriteReach;
    for (const SpritePiece& piece : pieces) {
        const PlacedPiece placed = place(piece, xFlip, yFlip);
        if (withinReach(placed)) {
            left = std::min(left, std::max(placed.x, -kSpriteReach));
            top = std::min(top, std::max(placed.y, -kSpriteReach));
            right = std::max(right, std::min(placed.x + placed.width, kSpriteReach));
            bottom = std::max(bottom, std::min(placed.y + placed.height, kSpriteReach));
        }
    }
    if (right <= left || bottom <= top) {
        return {};
    }
    SpriteImage sprite{IndexedImage(right - left, bottom - top), left, top};
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        const PlacedPiece placed = place(*piece, xFlip, yFlip);
        if (withinReach(placed)) {
            drawPiece(video, *piece, artTile, xFlip, yFlip, placed.x - left, placed.y - top,
                      sprite.picture);
        }
    }
    return sprite;
}

const SpriteImage* LevelSprites::object(const ObjectPlacement& object) const {
    const Key key{object.id, object.subtype, object.xFlip, object.yFlip};
    auto drawn = mDrawn.find(key);
    if (drawn == mDrawn.end()) {
        drawn = mDrawn.emplace(key, draw(object)).first;
    }
    return drawn->second.picture.isNull() ? nullptr : &drawn->second;
}

SpriteImage LevelSprites::draw(const ObjectPlacement& object) const {
    std::vector<DebugEntry> debugList;
    for (const Frame& frame : mFrames) {
        debugList.push_back(frame.entry);
    }
    const ObjectLook look = objectLook({mAct, mTables, debugList, mImage}, object);
    if (look.kind == LookKind::Hidden) {
        return {};
    }
    if (look.kind == LookKind::Drawn) {
        const VideoMemory& signpost = mSignpostVideo ? *mSignpostVideo : mVideo;
        if (auto picture = composeLook(mImage, look.parts, mVideo, signpost)) {
            return visible(std::move(*picture)).value_or(SpriteImage{});
        }
    }
    return drawFromDebugList(object);
}

SpriteImage LevelSprites::drawFromDebugList(const ObjectPlacement& object) const {
    const Frame* chosen = nullptr;
    for (const Frame& frame : mFrames) {
        if (frame.entry.id == object.id &&
            (chosen == nullptr || frame.entry.subtype == object.subtype)) {
            chosen = &frame;
            if (frame.entry.subtype == object.subtype) {
                break;
            }
        }
    }
    if (chosen == nullptr) {
        return {};
    }
    return visible(renderSprite(mVideo, chosen->pieces, chosen->entry.artTile, object.xFlip,
                                object.yFlip))
        .value_or(SpriteImage{});
}

void addObjectLooks(ByteSpan image, const RomProfile& profile, ZoneAct act,
                    const ObjectTables& tables, LevelSprites& sprites) {
    sprites.mAct = act;
    sprites.mTables = tables;
    sprites.mImage.assign(image.begin(), image.end());
    const auto& list = sprites.mTables.signpostCueList;
    if (list && profile.patternLoadCues) {
        sprites.mSignpostVideo = sprites.mVideo;
        loadSignpostArt(image, *profile.patternLoadCues, *list, *sprites.mSignpostVideo,
                        sprites.problems);
    }
}

Result<LevelSprites> loadLevelSprites(ByteSpan image, const RomProfile& profile, ZoneAct act,
                                      const VideoMemory& video, const LevelStart& start,
                                      const ObjectTables& tables) {
    if (!profile.debugObjectLists) {
        return makeError(ErrorCode::NotLoaded, "the image's debug object lists were not found");
    }
    LevelSprites sprites;
    sprites.mVideo = video;
    readFrames(image, *profile.debugObjectLists, act.zone, sprites.problems,
               [&sprites](const DebugEntry& entry, std::vector<SpritePiece> pieces) {
                   sprites.mFrames.push_back({entry, std::move(pieces)});
               });
    addObjectLooks(image, profile, act, tables, sprites);
    // Without the ring's own mappings a ring is taken to be 2 x 2 tiles about its point.
    const SpritePiece ring = start.ringPiece.value_or(SpritePiece{-8, -8, 2, 2, 0});
    sprites.mRing =
        visible(renderSprite(sprites.mVideo, std::span(&ring, 1), start.ringArtWord, false, false));
    shorten(sprites.problems);
    return sprites;
}

Result<LevelSprites> loadLevelSprites(ByteSpan image, const RomProfile& profile, ZoneAct act,
                                      const LevelParts& parts) {
    const LocatedStartTables tables = locateStartTables(image, profile);
    const LevelStart start =
        readLevelStart(image, profile, tables.tables, act, startCameraX(parts));
    VideoMemory video;
    composeVideo(parts.tiles, start, video);
    auto sprites = loadLevelSprites(image, profile, act, video, start, locateObjectTables(image));
    if (sprites) {
        sprites->problems.insert(sprites->problems.begin(), start.problems.begin(),
                                 start.problems.end());
        shorten(sprites->problems);
    }
    return sprites;
}

}  // namespace orvex
