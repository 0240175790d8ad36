#include "editor/shell/editorsession.h"

#include <algorithm>

#include "document/sharing.h"
#include "graphics/palette.h"

namespace orvex {

EditorSession::EditorSession() : mArt(std::make_unique<LevelArt>()) {}

std::optional<std::int16_t> EditorSession::shownLevel() const {
    return mDocument ? std::optional<std::int16_t>(mDocument->level()) : std::nullopt;
}

std::optional<std::int16_t> EditorSession::loadedLevel() const {
    return mDocument && mDocument->layoutComplete() ? shownLevel() : std::nullopt;
}

bool EditorSession::hasUnsavedEdits() const {
    return loadedLevel() && mDocument->isModified();
}

Result<EditorSession::OpenedRom> EditorSession::openRom(const std::filesystem::path& path,
                                                        const MigrationApproval& approve) {
    RomImage candidate(path);
    auto check = checkROM(candidate);
    if (!check) {
        return check.error();
    }
    OpenedRom opened{*check, std::nullopt, std::nullopt};
    if (!check->layoutsMigrated && approve && approve()) {
        auto migrated = migrateLayouts(candidate, check->identity.profile);
        if (migrated) {
            opened.migrated = *migrated;
            // The image was written: what it is now, read again.
            if (auto again = checkROM(candidate)) {
                check = std::move(again);
            }
            if (check->identity.profile.kind != RomKind::Disassembly) {
                check->identity.modified = true;
            }
            opened.check = *check;
        } else {
            opened.migrationFailed = migrated.error();
        }
    }
    mLevels.clear();
    mStartTables = {};
    mObjectTables = {};
    if (auto image = candidate.readAll()) {
        mStartTables = locateStartTables(*image, check->identity.profile);
        mObjectTables = locateObjectTables(*image);
        for (std::int16_t level = 0; level < kLevelCount; ++level) {
            auto zoneAct = levelZoneAct(*image, check->identity.profile, level);
            if (!zoneAct) {
                break;
            }
            mLevels.push_back(*zoneAct);
        }
    }
    mRom = std::move(candidate);
    mIdentity = check->identity;
    mDocument.reset();
    mSprites.reset();
    return opened;
}

Status EditorSession::copyRomTo(const std::filesystem::path& path) {
    auto bytes = mRom.readAll();
    if (!bytes) {
        return bytes.error();
    }
    if (sameFile(path, mRom.romPath())) {
        return makeError(ErrorCode::FileWrite,
                         path.string() + " is the open ROM; choose another name to save as");
    }
    if (Status written = writeOutputFile(path, *bytes); !written) {
        return written;
    }
    mRom = RomImage(path);
    mRom.setKeepsBackups(false);
    return {};
}

Result<LoadedLevel> EditorSession::loadLevel(std::int16_t level) {
    if (!mIdentity) {
        return makeError(ErrorCode::NotLoaded, "No ROM is open");
    }
    auto image = mRom.readAll();
    if (!image) {
        return image.error();
    }
    auto loaded = loadDocument(*image, mIdentity->profile, level);
    if (loaded) {
        mDocument = std::move(loaded->document);
        mStart = readLevelStart(*image, mIdentity->profile, mStartTables.tables,
                                mDocument->zoneAct(), startCameraX(mDocument->parts()));
        loadSprites(*image);
        mWaterHeight = readWaterHeight(*image, mIdentity->profile, mDocument->zoneAct());
        readSharing(*image);
    }
    return loaded;
}

// The layouts of the levels sharing the blocks, and the objects of the zone's other acts.
void EditorSession::readSharing(ByteSpan image) {
    const RomProfile& profile = mIdentity->profile;
    const std::int16_t level = mDocument->level();
    mSharingLayouts.clear();
    for (const std::int16_t other :
         otherLevels(levelsSharing(image, profile, level, Part::BlockMappings), level)) {
        if (auto layout = loadLayout(image, profile, other)) {
            mSharingLayouts.push_back({other, std::move(*layout)});
        }
    }
    mZoneObjects.clear();
    const ZoneAct shown = mDocument->zoneAct();
    if (!profile.objectDirectory) {
        return;
    }
    const auto own = placementListAddress(image, *profile.objectDirectory, shown);
    for (std::int32_t act = 0; act < 2; ++act) {
        const ZoneAct other{shown.zone, static_cast<std::uint8_t>(act)};
        const auto start = placementListAddress(image, *profile.objectDirectory, other);
        if (act == shown.act || !start || (own && *own == *start)) {
            continue;  // the act shown, or one reading the same list
        }
        if (auto objects = readObjectList(image, *start)) {
            mZoneObjects.insert(mZoneObjects.end(), objects->begin(), objects->end());
        }
    }
}

void EditorSession::loadSprites(ByteSpan image) {
    VideoMemory video;
    composeVideo(mDocument->parts().tiles, mStart, video);
    auto sprites = loadLevelSprites(image, mIdentity->profile, mDocument->zoneAct(), video, mStart,
                                    mObjectTables);
    mSpriteProblems = mStart.problems;
    if (!sprites) {
        mSprites.reset();
        mSpriteProblems.push_back(sprites.error().message);
        return;
    }
    mSpriteProblems.insert(mSpriteProblems.end(), sprites->problems.begin(),
                           sprites->problems.end());
    mSprites = std::make_unique<LevelSprites>(std::move(*sprites));
}

void EditorSession::drawArt(ProgressSink* progress, const BlockDrawn& drawn) {
    mFrame = 0;
    if (mDocument) {
        drawLevelArt(mDocument->parts(), mStart, *mArt, progress, drawn);
    }
}

bool EditorSession::animates() const {
    return !mStart.scripts.empty() ||
           std::any_of(mStart.cycles.begin(), mStart.cycles.end(),
                       [](const PaletteCycle& cycle) { return cycle.delay > 0; });
}

EditorSession::AnimationStep EditorSession::showFrame(std::int64_t frame) {
    AnimationStep step;
    if (!mDocument || frame == mFrame) {
        return step;
    }
    std::vector<std::int32_t> tiles;
    if (frame == mFrame + 1) {
        tiles = stepAnimation(mStart, mArt->video, frame);
    } else {
        composeVideo(mDocument->parts().tiles, mStart, mArt->video, frame);
        for (const AnimationScript& script : mStart.scripts) {
            for (std::int32_t t = 0; t < script.tilesPerFrame; ++t) {
                tiles.push_back(script.destination + t);
            }
        }
    }
    mFrame = frame;
    step.blocks = redrawTiles(mDocument->parts().blocks, tiles, *mArt);
    const ColourTable colours =
        levelColours(shownPalette(mDocument->parts().palette, mStart, frame));
    step.colours = colours != mArt->colours;
    mArt->colours = colours;
    return step;
}

EditorSession::AnimationStep EditorSession::applyChange(const DocumentChange& change) {
    AnimationStep step;
    if (!mDocument) {
        return step;
    }
    const LevelParts& parts = mDocument->parts();
    std::vector<std::int32_t> items;
    switch (change.part) {
        case Part::TileArt:
            step.blocks = redrawTileArt(change);
            break;
        case Part::ChunkMappings:
            step.blocks = redrawChunkMappings(change);
            break;
        case Part::BlockMappings:
            for (std::int32_t b = change.first; b < change.first + change.count; ++b) {
                items.push_back(b);
            }
            step.blocks = redrawBlocks(parts.blocks, items, *mArt);
            break;
        case Part::Palette: {
            const ColourTable colours = levelColours(shownPalette(parts.palette, mStart, mFrame));
            step.colours = colours != mArt->colours;
            mArt->colours = colours;
            break;
        }
        default:
            break;
    }
    return step;
}

// What the game writes over the level's tiles stays on top of them, so video memory is composed
// anew (64 KiB, cheap) and only the changed tiles are decoded and drawn again.
std::vector<std::int32_t> EditorSession::redrawTileArt(const DocumentChange& change) {
    composeVideo(mDocument->parts().tiles, mStart, mArt->video, mFrame);
    std::vector<std::int32_t> tiles;
    for (std::int32_t t = change.first; t < change.first + change.count; ++t) {
        tiles.push_back(t);
    }
    return redrawTiles(mDocument->parts().blocks, tiles, *mArt);
}

// The extra chunks and the chunk record the game writes stay on top of the level's own.
std::vector<std::int32_t> EditorSession::redrawChunkMappings(const DocumentChange& change) {
    mArt->chunkTable = composeChunks(mDocument->parts().chunks, mStart);
    std::vector<std::int32_t> chunks;
    for (std::int32_t c = change.first; c < change.first + change.count; ++c) {
        chunks.push_back(c);
    }
    return redrawChunks(mDocument->parts().blocks, chunks, *mArt);
}

Result<SaveReport> EditorSession::saveLevel(std::int16_t level, ProgressSink* progress,
                                            const SaveOptions& options) {
    if (shownLevel() != level) {
        return makeError(ErrorCode::NotLoaded, "The layout of " + levelName(level) +
                                                   " was not loaded completely, so it cannot be "
                                                   "saved");
    }
    auto saved = saveDocument(mRom, *mDocument, progress, options);
    if (saved && saved->wroteFile()) {
        mRom.setKeepsBackups(true);
        // Every part written is encoded anew, so the file no longer is a factory image.
        if (mIdentity && mIdentity->profile.kind != RomKind::Disassembly) {
            mIdentity->modified = true;
        }
    }
    if (saved && saved->moved && mIdentity) {
        // Other levels are read from the moved lists from now on.
        mIdentity->profile.objectDirectory = saved->moved->objects;
        mIdentity->profile.ringDirectory = saved->moved->rings;
    }
    return saved;
}

}  // namespace orvex
