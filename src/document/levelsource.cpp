#include "document/levelsource.h"

#include <algorithm>

#include "document/sharing.h"
#include "rom/testimage.h"

namespace orvex {

std::vector<const SourceFile*> LevelPlaces::filesOf(Part part) const {
    std::vector<const SourceFile*> found;
    for (const SourceFile& file : files) {
        if (file.part == part) {
            found.push_back(&file);
        }
    }
    return found;
}

std::optional<std::string> LevelPlaces::readOnlyReason(Part part) const {
    const auto found = std::find_if(readOnly.begin(), readOnly.end(),
                                    [part](const auto& entry) { return entry.first == part; });
    return found == readOnly.end() ? std::nullopt : std::optional<std::string>(found->second);
}

ImageSource::ImageSource(RomImage file, RomIdentity identity)
    : mFile(std::move(file)), mIdentity(std::move(identity)) {}

std::string ImageSource::displayName() const {
    return mFile.romPath().filename().string();
}

Result<std::vector<std::uint8_t>> ImageSource::readImage() {
    return mFile.readAll();
}

Result<LoadedLevel> ImageSource::loadLevel(std::int16_t level) {
    auto image = mFile.readAll();
    if (!image) {
        return image.error();
    }
    return loadDocument(*image, mIdentity.profile, level);
}

LevelPlaces ImageSource::places(std::int16_t /*level*/) const {
    return {};
}

std::vector<std::int16_t> ImageSource::levelsSharing(std::int16_t level, Part part) const {
    auto image = mFile.readAll();
    if (!image) {
        return {level};
    }
    return orvex::levelsSharing(*image, mIdentity.profile, level, part);
}

Result<SaveReport> ImageSource::save(LevelDocument& document, ProgressSink* progress,
                                     const SaveOptions& options) {
    auto saved = saveDocument(mFile, document, progress, options);
    if (!saved) {
        return saved;
    }
    if (saved->wroteFile()) {
        // A file written once keeps its backups from now on (a copy Save As just made had
        // none worth keeping).
        mFile.setKeepsBackups(true);
        // Every part written is encoded anew, so the file no longer is a factory image.
        if (mIdentity.profile.kind != RomKind::Disassembly) {
            mIdentity.modified = true;
        }
    }
    if (saved->moved) {
        // Other levels are read from the moved lists from now on.
        mIdentity.profile.objectDirectory = saved->moved->objects;
        mIdentity.profile.ringDirectory = saved->moved->rings;
    }
    return saved;
}

Result<std::vector<std::uint8_t>> ImageSource::testImage(const LevelDocument& document,
                                                         ProgressSink* progress) {
    auto file = mFile.readAll();
    if (!file) {
        return file.error();
    }
    // A copy may move the lists the document outgrew: the ROM file keeps its own.
    SaveOptions options;
    options.alwaysWriteLayout = false;
    options.movePlacementLists = true;
    auto edited = documentImage(*file, document, progress, options);
    if (!edited) {
        return edited.error();
    }
    return makeTestImage(*edited, document.profile(), document.level());
}

Result<std::unique_ptr<LevelSource>> openImageSource(const std::filesystem::path& path) {
    RomImage file(path);
    auto identified = readIdentifiedRom(file);
    if (!identified) {
        return identified.error();
    }
    return std::unique_ptr<LevelSource>(
        std::make_unique<ImageSource>(std::move(file), std::move(identified->identity)));
}

}  // namespace orvex
