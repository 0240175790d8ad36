#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "common/progress.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "document/leveldocument.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"

// Where a level document comes from and goes back to: a ROM image (one file, each part at an
// offset its tables give) or a disassembly project (a folder whose build places each part's
// file in an image). Whoever edits a level holds a LevelSource and never asks which kind it is;
// only the status line and `info` show the files behind the parts.

namespace orvex {

enum class SourceKind { Image, Project };

// The file behind one part of a level, relative to the project ("level/layout/EHZ_1.kos"). The
// palette has two (the level's own lines, then the line every level shares), the collision
// shapes three. For the boundaries, the source file and the line that writes them.
struct SourceFile {
    Part part = Part::Layout;
    std::string path;
    std::int32_t line = 0;  // 1-based source line for the boundaries; 0 for a whole file
};

// What a source knows of where one level lies: for a project the file of each part, and the
// parts a save cannot write (with why); for an image nothing.
struct LevelPlaces {
    std::vector<SourceFile> files;
    // Parts that open read-only ("the boundaries of this act are read-only: ..."): an edit of
    // one is refused by a save, naming the reason.
    std::vector<std::pair<Part, std::string>> readOnly;
    // Parts the listing places nowhere, and other facts worth a line.
    std::vector<std::string> notes;

    // The files of `part`, in order (none for an image).
    [[nodiscard]] std::vector<const SourceFile*> filesOf(Part part) const;
    // Why `part` cannot be saved; none when it can.
    [[nodiscard]] std::optional<std::string> readOnlyReason(Part part) const;
};

// Told when a project's build starts and ends (the GUI shows it in its progress window, the tool
// on standard error). An image source never builds.
class BuildListener {
public:
    virtual ~BuildListener() = default;
    // The build of `project` starts: `command` runs because of `reason`.
    virtual void buildStarted(const std::string& /*command*/, const std::string& /*reason*/) {}
    // A piece of what it writes, as it comes; an empty piece while it is silent (at least every
    // 50 ms), so a window may repaint.
    virtual void buildOutput(std::string_view /*piece*/) {}
    // It ended; `output` is what it wrote (its end, when it failed).
    virtual void buildEnded(bool /*succeeded*/, const std::string& /*output*/) {}
};

// How a source is opened and built.
struct SourceOptions {
    // The project's build command; none for the default (`lua build.lua` where build.lua exists).
    std::optional<std::string> buildCommand;
    std::chrono::milliseconds buildTimeout = std::chrono::minutes(2);
    // Keep NAME.bak (and NAME.orig) beside each project file a save replaces. Images keep their
    // backups as RomImage does whatever this says.
    bool projectBackups = false;
    // Told of every build; none to tell no one. Borrowed: it must outlive the source.
    BuildListener* builds = nullptr;
};

// A ROM image or a disassembly project, read and written level by level. Not thread-safe.
class LevelSource {
public:
    virtual ~LevelSource() = default;

    [[nodiscard]] virtual SourceKind kind() const = 0;
    // The ROM file or the project folder, as opened.
    [[nodiscard]] virtual const std::filesystem::path& path() const = 0;
    // What status lines call it: the ROM's file name, or "project NAME".
    [[nodiscard]] virtual std::string displayName() const = 0;
    // The image the levels are read from: the ROM file itself, or the project's last build. A
    // project's image is never written through this.
    [[nodiscard]] virtual const RomImage& imageFile() const = 0;
    // What the image is and where its tables lie, as of the last read or save.
    [[nodiscard]] virtual const RomIdentity& identity() const = 0;
    // The image as it is now (for a project: its last build, built first when stale).
    [[nodiscard]] virtual Result<std::vector<std::uint8_t>> readImage() = 0;
    // How many builds the source has run since it was opened: its image changed whenever this
    // did. Always 0 for an image.
    [[nodiscard]] virtual std::int32_t builds() const { return 0; }
    // What the last build lets through that the game needs (lists out of reach, streams at odd
    // addresses), each naming the file to mend; always empty for an image.
    [[nodiscard]] virtual std::vector<std::string> problems() const { return {}; }

    // Reads level `level` (0..19) into a new document (see loadDocument); a project is built
    // first when its build is stale, and a stream that no longer decodes is named by its file.
    [[nodiscard]] virtual Result<LoadedLevel> loadLevel(std::int16_t level) = 0;
    // Where the parts of `level` lie (empty for an image).
    [[nodiscard]] virtual LevelPlaces places(std::int16_t level) const = 0;
    // The levels (ascending, `level` included) whose `part` a save of `level` changes too: for
    // an image those reading the same place (see levelsSharing), for a project those reading
    // the same file.
    [[nodiscard]] virtual std::vector<std::int16_t> levelsSharing(std::int16_t level,
                                                                  Part part) const = 0;

    // Saves the document's level. An image: saveDocument into the file. A project: the game's
    // limits checked, then each changed part's file replaced (only if it still holds what was
    // read: else ChangedOnDisk naming it, nothing written), the boundary line rewritten, then
    // the build run and the level read back from the new image (SaveReport::files, build,
    // problems). A failed build keeps the files written: the report says so with its output.
    [[nodiscard]] virtual Result<SaveReport> save(LevelDocument& document, ProgressSink* progress,
                                                  const SaveOptions& options) = 0;
    // The image with the document's unsaved edits applied in memory, made to start at its level
    // (see makeTestImage): for a project from its last build. Nothing on disk changes.
    [[nodiscard]] virtual Result<std::vector<std::uint8_t>> testImage(const LevelDocument& document,
                                                                      ProgressSink* progress) = 0;

    // Whether a save keeps copies of what it replaces (see SourceOptions::projectBackups and
    // RomImage::setKeepsBackups).
    virtual void setKeepsBackups(bool keeps) = 0;
    // The build command of every build from now on (see SourceOptions::buildCommand); an image
    // never builds, so it ignores it.
    virtual void setBuildCommand(std::optional<std::string> /*command*/) {}
};

// A ROM image file: the behaviour of saveDocument, documentImage and makeTestImage.
class ImageSource final : public LevelSource {
public:
    // `identity` as readIdentifiedRom or checkROM found it.
    ImageSource(RomImage file, RomIdentity identity);

    [[nodiscard]] SourceKind kind() const override { return SourceKind::Image; }
    [[nodiscard]] const std::filesystem::path& path() const override { return mFile.romPath(); }
    [[nodiscard]] std::string displayName() const override;
    [[nodiscard]] const RomImage& imageFile() const override { return mFile; }
    [[nodiscard]] const RomIdentity& identity() const override { return mIdentity; }
    [[nodiscard]] Result<std::vector<std::uint8_t>> readImage() override;
    [[nodiscard]] Result<LoadedLevel> loadLevel(std::int16_t level) override;
    [[nodiscard]] LevelPlaces places(std::int16_t level) const override;
    [[nodiscard]] std::vector<std::int16_t> levelsSharing(std::int16_t level,
                                                          Part part) const override;
    [[nodiscard]] Result<SaveReport> save(LevelDocument& document, ProgressSink* progress,
                                          const SaveOptions& options) override;
    [[nodiscard]] Result<std::vector<std::uint8_t>> testImage(const LevelDocument& document,
                                                              ProgressSink* progress) override;
    void setKeepsBackups(bool keeps) override { mFile.setKeepsBackups(keeps); }

private:
    RomImage mFile;
    RomIdentity mIdentity;
};

// The ROM file at `path` read whole and identified (readIdentifiedRom's errors).
[[nodiscard]] Result<std::unique_ptr<LevelSource>> openImageSource(
    const std::filesystem::path& path);

}  // namespace orvex
