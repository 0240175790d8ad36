#include "editor/shell/editorsession.h"

#include <algorithm>

#include "document/sharing.h"
#include "graphics/palette.h"
#include "project/projectsource.h"

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

const RomImage& EditorSession::rom() const {
    static const RomImage kNone;
    return mSource ? mSource->imageFile() : kNone;
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
    adopt(std::make_unique<ImageSource>(std::move(candidate), check->identity));
    return opened;
}

Result<EditorSession::OpenedRom> EditorSession::openSource(const std::filesystem::path& path,
                                                           const SourceOptions& options,
                                                           const MigrationApproval& approve) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error)) {
        return openRom(path, approve);
    }
    auto source = openProjectSource(path, options);
    if (!source) {
        return source.error();
    }
    // A project's build is what the disassembly makes: its layouts are its own, never migrated.
    OpenedRom opened{RomCheck{(*source)->identity(), true}, std::nullopt, std::nullopt};
    adopt(std::move(*source));
    return opened;
}

// The new source becomes the open one: its tables are read, and the previous level goes.
void EditorSession::adopt(std::unique_ptr<LevelSource> source) {
    mSource = std::move(source);
    mIdentity = mSource->identity();
    if (auto image = mSource->readImage()) {
        readTables(*image);
    } else {
        readTables({});
    }
    mDocument.reset();
    mSprites.reset();
}

void EditorSession::readTables(ByteSpan image) {
    mBuildsRead = mSource->builds();
    mLevels.clear();
    mStartTables = {};
    mObjectTables = {};
    if (image.empty()) {
        return;
    }
    mStartTables = locateStartTables(image, mIdentity->profile);
    mObjectTables = locateObjectTables(image);
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto zoneAct = levelZoneAct(image, mIdentity->profile, level);
        if (!zoneAct) {
            break;
        }
        mLevels.push_back(*zoneAct);
    }
}

Status EditorSession::copyRomTo(const std::filesystem::path& path) {
    if (!mSource) {
        return makeError(ErrorCode::NotLoaded, "No ROM is open");
    }
    auto bytes = mSource->readImage();
    if (!bytes) {
        return bytes.error();
    }
    if (sameFile(path, rom().romPath())) {
        return makeError(ErrorCode::FileWrite,
                         path.string() + " is the open ROM; choose another name to save as");
    }
    if (Status written = writeOutputFile(path, *bytes); !written) {
        return written;
    }
    // The same image under another name: what it is and where its tables lie stay.
    auto copy = std::make_unique<ImageSource>(RomImage(path), mSource->identity());
    copy->setKeepsBackups(false);
    mSource = std::move(copy);
    mIdentity = mSource->identity();
    return {};
}

Result<LoadedLevel> EditorSession::loadLevel(std::int16_t level) {
    if (!mIdentity) {
        return makeError(ErrorCode::NotLoaded, "No ROM is open");
    }
    auto loaded = mSource->loadLevel(level);
    if (loaded) {
        // A project may have built before reading: the tables are those of the image read.
        auto image = mSource->readImage();
        if (!image) {
            return image.error();
        }
        if (mSource->builds() != mBuildsRead) {
            mIdentity = mSource->identity();
            readTables(*image);
        }
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
    auto saved = mSource->save(*mDocument, progress, options);
    if (saved) {
        mIdentity = mSource->identity();
    }
    if (saved && mSource->builds() != mBuildsRead) {
        if (auto image = mSource->readImage()) {
            readTables(*image);
        }
    }
    return saved;
}

}  // namespace orvex
