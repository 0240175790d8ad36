#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "common/error.h"
#include "common/host.h"
#include "rom/leveldata.h"
#include "rom/levelloader.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "rom/romimage.h"

namespace orvex {

// What the editor holds between commands, without any widget: the open ROM, the level in
// memory and the layout as it was loaded or last saved, which tells whether there are unsaved
// edits.
class EditorSession {
public:
    EditorSession();

    [[nodiscard]] bool hasRom() const { return !mRom.empty(); }
    [[nodiscard]] const RomImage& rom() const { return mRom; }
    // What the open ROM is and where its tables lie; empty before a ROM is open.
    [[nodiscard]] const std::optional<RomIdentity>& identity() const { return mIdentity; }
    [[nodiscard]] const LevelData& level() const { return *mLevel; }
    // The level whose data is in memory, complete or not.
    [[nodiscard]] std::optional<std::int16_t> shownLevel() const { return mShownLevel; }
    // The level that was loaded completely and so can be saved.
    [[nodiscard]] std::optional<std::int16_t> loadedLevel() const { return mLevel->loadedLevel; }
    // True when the layout of a completely loaded level differs from the one loaded or saved.
    [[nodiscard]] bool hasUnsavedEdits() const;

    // The ROM check on `path` (identification, then the migration offer). Only when it
    // succeeds does the file become the open ROM; the level of the previous ROM is then dropped.
    [[nodiscard]] Result<RomCheck> openRom(const std::filesystem::path& path, Host& host);
    // Loads a level of the open ROM; on an error the level in memory stays as it was.
    [[nodiscard]] Result<LoadReport> loadLevel(std::int16_t level, Host& host,
                                               const BlockDrawn& drawn = {});
    // Saves the layout as level `level`; on success the layout counts as saved.
    [[nodiscard]] Result<SaveReport> saveLevel(std::int16_t level, Host& host);

    // The layout byte at (row, column); empty outside the layout or before a load.
    [[nodiscard]] std::optional<std::uint8_t> blockAt(std::int32_t row, std::int32_t column) const;
    // Stores a block at (row, column); false, storing nothing, outside the layout.
    bool placeBlock(std::int32_t row, std::int32_t column, std::uint8_t block);
    // The index of (row, column) in the layout; empty outside it or before a load.
    [[nodiscard]] std::optional<std::size_t> layoutPosition(std::int32_t row,
                                                            std::int32_t column) const;
    // Stores a block at a position layoutPosition() gave; nothing past the layout's end.
    void storeBlock(std::size_t position, std::uint8_t block);

private:
    void dropLevel();

    RomImage mRom;
    std::optional<RomIdentity> mIdentity;
    std::unique_ptr<LevelData> mLevel;
    std::optional<std::int16_t> mShownLevel;
    std::vector<std::uint8_t> mSavedLayout;
};

}  // namespace orvex
