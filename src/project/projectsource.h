#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "document/levelsource.h"
#include "project/levelfiles.h"
#include "project/projectreader.h"

// A disassembly project as a level source: levels are read from the last build (built first
// when stale) and saved into the files the listing names, then built again.

namespace orvex {

class ProjectSource final : public LevelSource {
public:
    // `opened` as readProject made it.
    ProjectSource(OpenedProject opened, SourceOptions options);

    [[nodiscard]] SourceKind kind() const override { return SourceKind::Project; }
    [[nodiscard]] const std::filesystem::path& path() const override {
        return mProject.folder.root;
    }
    [[nodiscard]] std::string displayName() const override;
    [[nodiscard]] const RomImage& imageFile() const override { return mImageFile; }
    [[nodiscard]] const RomIdentity& identity() const override { return mProject.identity; }
    [[nodiscard]] Result<std::vector<std::uint8_t>> readImage() override;
    [[nodiscard]] std::int32_t builds() const override { return mBuilds; }
    [[nodiscard]] std::vector<std::string> problems() const override { return mProject.problems; }
    [[nodiscard]] Result<LoadedLevel> loadLevel(std::int16_t level) override;
    [[nodiscard]] LevelPlaces places(std::int16_t level) const override;
    [[nodiscard]] std::vector<std::int16_t> levelsSharing(std::int16_t level,
                                                          Part part) const override;
    [[nodiscard]] Result<SaveReport> save(LevelDocument& document, ProgressSink* progress,
                                          const SaveOptions& options) override;
    [[nodiscard]] Result<std::vector<std::uint8_t>> testImage(const LevelDocument& document,
                                                              ProgressSink* progress) override;
    void setKeepsBackups(bool keeps) override { mOptions.projectBackups = keeps; }
    void setBuildCommand(std::optional<std::string> command) override {
        mOptions.buildCommand = std::move(command);
    }

    // The project as last read: its folder, listing, built image and identity.
    [[nodiscard]] const OpenedProject& project() const { return mProject; }

private:
    class Saver;

    // Builds first when the listing is older than a file it names.
    [[nodiscard]] Status refreshIfStale();
    // Runs the build (told to the listener) and reads the new build.
    [[nodiscard]] Result<BuildRun> rebuild(const std::string& reason);
    [[nodiscard]] std::optional<LevelFiles> filesOf(std::int16_t level) const;
    // Every level one of whose files (or boundary line's source) is `path`.
    [[nodiscard]] std::vector<std::int16_t> levelsReading(const std::string& path) const;

    OpenedProject mProject;
    SourceOptions mOptions;
    RomImage mImageFile;
    std::int32_t mBuilds = 0;
    // What each file held when a level read it (path relative to the project): a save writes a
    // file only while it still holds this.
    std::map<std::string, std::vector<std::uint8_t>> mRead;
};

// Reads the project in `folder` (see readProject): its build runs first when stale, told to
// `options.builds`.
[[nodiscard]] Result<std::unique_ptr<LevelSource>> openProjectSource(
    const std::filesystem::path& folder, const SourceOptions& options = {});

// A folder is opened as a project (NotAProject saying what was missing when it is not one),
// anything else as a ROM image file (see openImageSource).
[[nodiscard]] Result<std::unique_ptr<LevelSource>> openLevelSource(
    const std::filesystem::path& path, const SourceOptions& options = {});

}  // namespace orvex
