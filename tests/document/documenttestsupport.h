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

}  // namespace orvex::testing
