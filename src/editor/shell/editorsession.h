#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/progress.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "document/leveldocument.h"
#include "document/levelsource.h"
#include "graphics/levelart.h"
#include "graphics/levelstart.h"
#include "graphics/sprites.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"
#include "rom/starttables.h"

namespace orvex {

// What the editor holds between commands, without any widget: the open source (a ROM image or a
// disassembly project, through one LevelSource), the document of the level in memory and the
// art drawn from it.
class EditorSession {
public:
    // Asked during openRom when the layouts are not migrated: true to migrate them.
    using MigrationApproval = std::function<bool()>;

    struct OpenedRom {
        RomCheck check;
        std::optional<WriteReport> migrated;  // what the migration kept, when it ran
        // Why an approved migration wrote nothing (a read-only file, a full disk): the ROM is
        // open as it was.
        std::optional<Error> migrationFailed;
    };

    EditorSession();

    [[nodiscard]] bool hasRom() const { return mSource != nullptr; }
    // The open source; only when hasRom().
    [[nodiscard]] LevelSource& source() const { return *mSource; }
    // The image the levels are read from: the ROM file, or a project's last build (never
    // written through this). An empty RomImage before anything is open.
    [[nodiscard]] const RomImage& rom() const;
    // What the open ROM is and where its tables lie; empty before a ROM is open. A save that
    // wrote the file makes a factory revision "modified".
    [[nodiscard]] const std::optional<RomIdentity>& identity() const { return mIdentity; }
    // The zone and act of each level of the open ROM, in level order; empty before a ROM is
    // open, and shorter where the level list could not be read.
    [[nodiscard]] const std::vector<ZoneAct>& levels() const { return mLevels; }
    // The document of the level in memory; null before the first load.
    [[nodiscard]] LevelDocument* document() const { return mDocument.get(); }
    [[nodiscard]] const LevelArt& art() const { return *mArt; }
    // The sprites of the level in memory (none until a level is loaded, or when the image's
    // object art could not be found: then `spriteProblems` says why).
    [[nodiscard]] const LevelSprites* sprites() const { return mSprites.get(); }
    [[nodiscard]] const std::vector<std::string>& spriteProblems() const { return mSpriteProblems; }
    // What the game does at the start of the level in memory, which its art is drawn with.
    [[nodiscard]] const LevelStart& levelStart() const { return mStart; }
    // The tables of the open ROM that the game reads at level start and that were not found:
    // the level is drawn without what they add.
    [[nodiscard]] std::vector<std::string> missingStartTables() const {
        return mStartTables.missing();
    }
    // A level other than the one in memory that reads the same block mappings, with its layout
    // as the file holds it.
    struct SharingLayout {
        std::int16_t level = 0;
        Layout layout;
    };
    // Every other level whose block mappings are the ones in memory, in level order (levels
    // whose layout cannot be read are left out): what they place counts as a use of a block.
    [[nodiscard]] const std::vector<SharingLayout>& sharingLayouts() const {
        return mSharingLayouts;
    }
    // The objects of the other acts of the zone shown, as the file holds them: what the zone's
    // own placements of a type look like.
    [[nodiscard]] const std::vector<ObjectPlacement>& zoneObjects() const { return mZoneObjects; }
    // The water line of the level in memory, when its act has water.
    [[nodiscard]] std::optional<std::uint16_t> waterHeight() const { return mWaterHeight; }
    // The level in memory, complete or not.
    [[nodiscard]] std::optional<std::int16_t> shownLevel() const;
    // The level in memory when its layout was read completely, so that it can be saved.
    [[nodiscard]] std::optional<std::int16_t> loadedLevel() const;
    // True when a level that can be saved has parts that differ from what was loaded or saved.
    [[nodiscard]] bool hasUnsavedEdits() const;

    // The ROM check on `path`; a ROM whose layouts are not migrated is migrated when `approve`
    // says so. A migration that cannot be written leaves the file as it was and opens it so
    // (OpenedRom::migrationFailed says why). Only when the check succeeds does the file become
    // the open ROM, and the level of the previous ROM is dropped.
    [[nodiscard]] Result<OpenedRom> openRom(const std::filesystem::path& path,
                                            const MigrationApproval& approve);
    // Opens `path` as openRom does when it is a file, and as a disassembly project when it is a
    // folder (see openProjectSource: its build runs first when stale, told to
    // `options.builds`; a folder that is not a project is NotAProject saying what was missing).
    // Only on success does it become the open source, and the previous level is dropped.
    [[nodiscard]] Result<OpenedRom> openSource(const std::filesystem::path& path,
                                               const SourceOptions& options,
                                               const MigrationApproval& approve);
    // Writes the open ROM (a project's last build) as it is now to `path`, which becomes the
    // open ROM; the file there is
    // replaced as writeOutputFile replaces it. Refuses the open ROM itself. The next save that
    // writes the file keeps no NAME.bak or NAME.orig of it: they would be copies of this copy.
    [[nodiscard]] Status copyRomTo(const std::filesystem::path& path);
    // Reads a level of the open ROM into a new document; on an error the level in memory stays
    // as it was. The art is not drawn yet: drawArt does that.
    [[nodiscard]] Result<LoadedLevel> loadLevel(std::int16_t level);
    // Draws the art of the document in memory, as the level starts.
    void drawArt(ProgressSink* progress, const BlockDrawn& drawn = {});

    // What showing another frame of play changed in the art.
    struct AnimationStep {
        std::vector<std::int32_t> blocks;  // redrawn, in order
        bool colours = false;              // the palette changed: every block looks different
    };
    // True when the level has animation scripts or palette cycles with a known timing.
    [[nodiscard]] bool animates() const;
    // Shows video frame `frame` of play (0: the level's start) in the art: the animation scripts'
    // tiles and the cycled colours of that frame. Cheapest from one frame to the next.
    AnimationStep showFrame(std::int64_t frame);
    [[nodiscard]] std::int64_t shownFrame() const { return mFrame; }
    // Draws an edit of the tile art, chunk or block mappings or palette (or its undo) into the
    // art at the frame shown: only the tiles, chunks and blocks it reaches are drawn again.
    // Returns the blocks redrawn, and whether the colours changed; nothing for other parts.
    AnimationStep applyChange(const DocumentChange& change);
    // Saves the document in memory as level `level` through the source (see LevelSource::save);
    // NotLoaded unless that is the level in memory. After a project's build the tables are read
    // again from the new image.
    [[nodiscard]] Result<SaveReport> saveLevel(std::int16_t level, ProgressSink* progress,
                                               const SaveOptions& options);

private:
    void adopt(std::unique_ptr<LevelSource> source);
    void readTables(ByteSpan image);
    void loadSprites(ByteSpan image);
    void readSharing(ByteSpan image);
    [[nodiscard]] std::vector<std::int32_t> redrawTileArt(const DocumentChange& change);
    [[nodiscard]] std::vector<std::int32_t> redrawChunkMappings(const DocumentChange& change);

    std::unique_ptr<LevelSource> mSource;
    std::int32_t mBuildsRead = 0;  // the source's builds() when its tables were read
    std::optional<RomIdentity> mIdentity;
    std::vector<ZoneAct> mLevels;
    std::unique_ptr<LevelDocument> mDocument;
    std::unique_ptr<LevelArt> mArt;
    std::unique_ptr<LevelSprites> mSprites;
    std::vector<std::string> mSpriteProblems;
    std::optional<std::uint16_t> mWaterHeight;
    std::vector<SharingLayout> mSharingLayouts;
    std::vector<ObjectPlacement> mZoneObjects;
    LocatedStartTables mStartTables;
    // Located once per ROM: the search reads the whole image, and saves never move them.
    ObjectTables mObjectTables;
    LevelStart mStart;
    std::int64_t mFrame = 0;
};

}  // namespace orvex
