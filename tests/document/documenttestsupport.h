#pragma once

#include <algorithm>
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

// Whether a save may have changed byte `at` of `after`: the checksum, a byte of a part it wrote,
// or one of a written stream's room cleared to 0x00 (what was left of the stream it replaced).
inline bool savedThere(const SaveReport& report, ByteSpan after, std::size_t at) {
    if (at == 0x18E || at == 0x18F) {
        return true;
    }
    return std::any_of(report.parts.begin(), report.parts.end(), [&](const PartWrite& w) {
        const bool stream = w.part == Part::Layout || w.part == Part::TileArt ||
                            w.part == Part::ChunkMappings || w.part == Part::BlockMappings ||
                            w.part == Part::CollisionPrimary || w.part == Part::CollisionSecondary;
        const auto from = static_cast<std::size_t>(w.offset);
        const std::size_t end = from + static_cast<std::size_t>(w.bytes);
        const auto room = static_cast<std::size_t>(w.room);
        return at >= from && (at < end || (stream && at < from + room && after[at] == 0x00));
    });
}

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
