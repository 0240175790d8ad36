#pragma once

#include <memory>

#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "rom/romimage.h"
#include "support/testrom.h"

namespace orvex::testing {

// A ROM file of its own and the document of one of its levels, read from the file.
struct DocumentFile {
    explicit DocumentFile(const Bytes& image, const RomProfile& tables)
        : file(image), rom(file.path()), profile(tables) {}

    TempRomFile file;
    RomImage rom;
    const RomProfile& profile;
    std::unique_ptr<LevelDocument> document;
    RecordingProgress progress;

    [[nodiscard]] Result<LoadedLevel> read(std::int16_t level) const {
        auto image = rom.readAll();
        if (!image) {
            return image.error();
        }
        return loadDocument(*image, profile, level);
    }
    void load(std::int16_t level) {
        auto loaded = read(level);
        ASSERT_TRUE(loaded.ok()) << loaded.error().describe();
        document = std::move(loaded->document);
    }
    Result<SaveReport> save(const SaveOptions& options = {}) {
        return saveDocument(rom, *document, &progress, options);
    }
};

// Every level's parts as `image` holds them.
inline std::vector<LevelParts> everyLevel(const Bytes& image, const RomProfile& profile) {
    std::vector<LevelParts> levels;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto loaded = loadDocument(image, profile, level);
        EXPECT_TRUE(loaded.ok()) << "level " << level + 1;
        levels.push_back(loaded ? loaded->document->parts() : LevelParts{});
    }
    return levels;
}

// The demo's level of act `act` of `zone`; -1 when it has none.
inline std::int16_t levelOfZone(const DemoRom& demo, std::uint8_t zone, std::uint8_t act = 0) {
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        if (demo.levelZone[static_cast<std::size_t>(level)] == zone &&
            demo.levelAct[static_cast<std::size_t>(level)] == act) {
            return level;
        }
    }
    return -1;
}

}  // namespace orvex::testing
