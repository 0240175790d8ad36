#include "project/projectsource.h"

#include <algorithm>
#include <set>

#include "compression/kosinski.h"
#include "document/artlimits.h"
#include "project/boundaryline.h"
#include "project/buildrunner.h"
#include "project/projectwriter.h"
#include "rom/leveldirectory.h"
#include "rom/testimage.h"

namespace orvex {

namespace {

// The project's options as readProject takes them.
ProjectOptions projectOptions(const SourceOptions& options) {
    return {options.buildCommand, options.buildTimeout};
}

// Runs the project's build because of `reason`, told to the options' listener.
Result<BuildRun> runProjectBuild(const ProjectFolder& folder, const SourceOptions& options,
                                 const std::string& reason) {
    const auto command = options.buildCommand ? options.buildCommand : defaultBuildCommand(folder);
    if (!command) {
        return makeError(ErrorCode::BuildFailed, folder.name() + " needs a build (" + reason +
                                                     ") and has no build command: it has no " +
                                                     std::string(kBuildScriptName));
    }
    if (options.builds != nullptr) {
        options.builds->buildStarted(*command, reason);
    }
    BuildCommand build{*command};
    build.timeout = options.buildTimeout;
    if (BuildListener* listener = options.builds) {
        build.output = [listener](std::string_view piece) { listener->buildOutput(piece); };
    }
    auto run = runBuild(folder.root, build);
    if (options.builds != nullptr) {
        options.builds->buildEnded(run.ok(), run ? run->output : run.error().message);
    }
    return run;
}

// Why the project in `folder` needs a build before it is read; none when it is current.
std::optional<std::string> buildNeeded(const ProjectFolder& folder) {
    auto listing = readListing(folder.listing);
    if (!listing) {
        return "its listing " + folder.listing.filename().string() + " cannot be read";
    }
    return staleReason(folder, *listing);
}

bool markedReadOnly(const std::filesystem::path& path) {
    std::error_code error;
    const auto permissions = std::filesystem::status(path, error).permissions();
    return !error &&
           (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

// An error about one file of the project, its path relative to the project leading the message.
Error fileError(ErrorCode code, const std::string& path, const std::string& what) {
    return makeError(code, path + ": " + what);
}

// The words of palette line 0, big-endian.
std::vector<std::uint8_t> firstLine(const PaletteWords& palette) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < static_cast<std::size_t>(kLineColours); ++i) {
        bytes.push_back(static_cast<std::uint8_t>(palette.words[i] >> 8));
        bytes.push_back(static_cast<std::uint8_t>(palette.words[i] & 0xFF));
    }
    return bytes;
}

// Why a level stream the build placed no longer decodes: the error, led by the file placed
// where it broke.
Error namedByFile(const Listing& listing, Error error) {
    if (!error.offset) {
        return error;
    }
    for (const PlacedFile& file : listing.files) {
        if (file.address <= *error.offset && *error.offset < file.address + file.length) {
            error.message = file.path + " (placed at " + hexOffset(file.address) +
                            ") no longer decodes: " + error.message;
            break;
        }
    }
    return error;
}

// The first compressed file of the build in `folder` that no longer decodes, named with the
// error; none when all decode (or the build cannot be read).
std::optional<Error> undecodableFile(const std::filesystem::path& folder) {
    auto found = openProjectFolder(folder);
    auto listing = found ? readListing(found->listing) : Result<Listing>(found.error());
    auto image =
        found ? readRegularFile(found->image) : Result<std::vector<std::uint8_t>>(found.error());
    if (!listing || !image) {
        return std::nullopt;
    }
    for (const PlacedFile& file : listing->files) {
        if (!file.path.ends_with(".kos") || file.length == 0 ||
            file.address >= static_cast<std::int64_t>(image->size())) {
            continue;
        }
        auto decoded = decompressKosinski(*image, static_cast<std::int32_t>(file.address));
        if (!decoded || decoded->weirdOffset) {
            return makeError(ErrorCode::CorruptStream,
                             file.path + " no longer decodes" +
                                 (decoded ? ": a copy reaches before the start of its data"
                                          : ": " + decoded.error().message));
        }
    }
    return std::nullopt;
}

// Reads the project (see readProject); when its build cannot be read, a compressed file that
// no longer decodes is named.
Result<OpenedProject> readNamingFiles(const std::filesystem::path& folder,
                                      const SourceOptions& options) {
    auto opened = readProject(folder, projectOptions(options));
    if (opened) {
        return opened;
    }
    if (auto undecodable = undecodableFile(folder)) {
        undecodable->message += ", so the build cannot be read (" + opened.error().message + ")";
        return *undecodable;
    }
    return opened.error();
}

// One file a save replaces.
struct PlannedWrite {
    std::string path;
    std::vector<Part> parts;
    std::vector<std::uint8_t> bytes;
};

void plan(std::vector<PlannedWrite>& writes, const std::string& path, Part part,
          std::vector<std::uint8_t> bytes) {
    const auto found = std::find_if(writes.begin(), writes.end(),
                                    [&path](const PlannedWrite& w) { return w.path == path; });
    if (found != writes.end()) {
        // Both collision paths reading one index file: it is written once.
        found->parts.push_back(part);
        return;
    }
    writes.push_back({path, {part}, std::move(bytes)});
}

}  // namespace

// Turns the document's changed parts into the bytes of the files they came from, checks those
// files, replaces them, then builds and reads the level back.
class ProjectSource::Saver {
public:
    Saver(ProjectSource& source, LevelDocument& document, ProgressSink* progress,
          const SaveOptions& options)
        : mSource(source), mDocument(document), mProgress(progress), mOptions(options) {}

    Result<SaveReport> operator()() {
        std::vector<Part> parts;
        for (const Part part : kAllParts) {
            if (mDocument.isModified(part)) {
                parts.push_back(part);
            }
        }
        if (parts.empty()) {
            return SaveReport{};
        }
        if (Status checked = check(parts); !checked) {
            return checked.error();
        }
        auto writes = encode(parts);
        if (!writes) {
            return writes.error();
        }
        auto expected = checkFiles(*writes);
        if (!expected) {
            return expected.error();
        }
        SaveReport report;
        if (Status written = write(*writes, *expected, report); !written) {
            return written.error();
        }
        StoredParts stored;
        for (const Part part : kAllParts) {
            stored[static_cast<std::size_t>(part)] = mDocument.stored(part);
        }
        mDocument.acceptSave(parts, stored);
        build(parts, report);
        return report;
    }

private:
    Status check(const std::vector<Part>& parts) {
        if (Status limits = checkSaveLimits(mDocument, parts); !limits) {
            return limits;
        }
        if (std::find(parts.begin(), parts.end(), Part::TileArt) != parts.end()) {
            if (Status video = checkArtInVideo(mSource.mProject.image, mDocument); !video) {
                return video;
            }
        }
        auto files = mSource.filesOf(mDocument.level());
        if (!files) {
            return makeError(ErrorCode::NotLoaded, "The files of " + levelName(mDocument.level()) +
                                                       " cannot be found; nothing was saved");
        }
        mFiles = std::move(*files);
        return {};
    }

    // What a file held when its level was read.
    Result<const std::vector<std::uint8_t>*> readBefore(const std::string& path) const {
        const auto found = mSource.mRead.find(path);
        if (found == mSource.mRead.end()) {
            return fileError(ErrorCode::NotLoaded, path,
                             "it was not read with the level, so it is not written");
        }
        return &found->second;
    }

    Result<std::vector<PlannedWrite>> encode(const std::vector<Part>& parts) {
        std::vector<PlannedWrite> writes;
        std::int32_t done = 0;
        for (const Part part : parts) {
            if (mProgress != nullptr) {
                mProgress->progress(Stage::Encoding, done++,
                                    static_cast<std::int32_t>(parts.size()));
            }
            if (Status encoded = encodePart(part, writes); !encoded) {
                return encoded.error();
            }
        }
        // A file the edit leaves as it was is not written.
        std::erase_if(writes, [this](const PlannedWrite& write) {
            const auto found = mSource.mRead.find(write.path);
            return found != mSource.mRead.end() && found->second == write.bytes;
        });
        return writes;
    }

    Status encodePart(Part part, std::vector<PlannedWrite>& writes) {
        const LevelParts& parts = mDocument.parts();
        if (part == Part::Bounds) {
            return encodeBounds(writes);
        }
        const auto files = filesOf(part);
        if (files.empty()) {
            return makeError(ErrorCode::NotLoaded,
                             "The listing names no file for the " + std::string(partName(part)) +
                                 " of " + levelName(mDocument.level()) + "; nothing was saved");
        }
        const std::string& path = files.front()->path;
        switch (part) {
            case Part::Layout:
                return encodeKosinski(writes, path, part, parts.layout.bytes());
            case Part::TileArt:
                return encodeKosinski(writes, path, part, parts.tiles.bytes);
            case Part::ChunkMappings:
                return encodeKosinski(writes, path, part, parts.chunks.bytes);
            case Part::BlockMappings:
                return encodeKosinski(writes, path, part, parts.blocks.bytes);
            case Part::CollisionPrimary:
                return encodeKosinski(writes, path, part, parts.collision[0]);
            case Part::CollisionSecondary:
                return encodeKosinski(writes, path, part, parts.collision[1]);
            case Part::Palette:
                return encodePalette(writes, files);
            case Part::Objects:
                plan(writes, path, part, objectFileBytes(*parts.objects));
                return {};
            case Part::Rings:
                plan(writes, path, part, ringFileBytes(*parts.rings));
                return {};
            case Part::StartPosition:
                return encodeExact(writes, path, part, startFileBytes(*parts.start));
            case Part::CollisionShapes:
                return encodeShapes(writes, files);
            default:
                return {};
        }
    }

    [[nodiscard]] std::vector<const PartFile*> filesOf(Part part) const {
        std::vector<const PartFile*> found;
        for (const PartFile& file : mFiles.files) {
            if (file.part == part) {
                found.push_back(&file);
            }
        }
        return found;
    }

    Status encodeKosinski(std::vector<PlannedWrite>& writes, const std::string& path, Part part,
                          ByteSpan decoded) {
        auto bytes = kosinskiFileBytes(decoded);
        if (!bytes) {
            return fileError(bytes.error().code, path, bytes.error().message);
        }
        plan(writes, path, part, std::move(*bytes));
        return {};
    }

    // A palette or start position file must keep its size: what follows it in the image would
    // shift.
    Status encodeExact(std::vector<PlannedWrite>& writes, const std::string& path, Part part,
                       std::vector<std::uint8_t> bytes) {
        auto before = readBefore(path);
        if (!before) {
            return before.error();
        }
        if (Status size = checkExactSize(path, static_cast<std::int64_t>((*before)->size()),
                                         static_cast<std::int32_t>(bytes.size()));
            !size) {
            return size;
        }
        plan(writes, path, part, std::move(bytes));
        return {};
    }

    // Lines 1-3 go to the level's file, line 0 to the file every level shares; each only when
    // it changed.
    Status encodePalette(std::vector<PlannedWrite>& writes,
                         const std::vector<const PartFile*>& files) {
        const PaletteWords& palette = mDocument.parts().palette;
        if (Status own =
                encodeExact(writes, files[0]->path, Part::Palette, paletteFileBytes(palette));
            !own) {
            return own;
        }
        if (files.size() < 2) {
            return {};
        }
        auto before = readBefore(files[1]->path);
        if (!before) {
            return before.error();
        }
        // The fixed line's file may hold more than line 0; only its first line is the level's.
        std::vector<std::uint8_t> bytes = **before;
        const std::vector<std::uint8_t> line0 = firstLine(palette);
        if (bytes.size() < line0.size()) {
            return fileError(ErrorCode::NoRoom, files[1]->path,
                             "it holds " + std::to_string(bytes.size()) +
                                 " bytes, fewer than the palette line it should hold");
        }
        std::copy(line0.begin(), line0.end(), bytes.begin());
        plan(writes, files[1]->path, Part::Palette, std::move(bytes));
        return {};
    }

    Status encodeShapes(std::vector<PlannedWrite>& writes,
                        const std::vector<const PartFile*>& files) {
        if (!mDocument.parts().shapes || files.size() != 3) {
            return makeError(ErrorCode::NotLoaded,
                             "The listing does not name the three collision shape files; "
                             "nothing was saved");
        }
        auto arrays = shapeFileBytes(*mDocument.parts().shapes);
        for (std::size_t i = 0; i < arrays.size(); ++i) {
            if (Status exact = encodeExact(writes, files[i]->path, Part::CollisionShapes,
                                           std::move(arrays[i]));
                !exact) {
                return exact;
            }
        }
        return {};
    }

    Status encodeBounds(std::vector<PlannedWrite>& writes) {
        if (!mFiles.bounds || !mDocument.parts().bounds) {
            return makeError(ErrorCode::NotLoaded, "The listing shows no boundary line for " +
                                                       levelName(mDocument.level()) +
                                                       "; nothing was saved");
        }
        const std::string& path = mFiles.bounds->source;
        auto before = readBefore(path);
        if (!before) {
            return before.error();
        }
        auto rewritten =
            rewriteBoundaryInFile(**before, mFiles.bounds->line, *mDocument.parts().bounds);
        if (!rewritten) {
            return fileError(rewritten.error().code,
                             path + " line " + std::to_string(mFiles.bounds->line),
                             rewritten.error().message + "; nothing was saved");
        }
        plan(writes, path, Part::Bounds, std::move(*rewritten));
        return {};
    }

    // Every file is checked before any is written: it is writable, and it still holds what was
    // read (unless the options say to overwrite). What each holds now.
    Result<std::vector<std::vector<std::uint8_t>>> checkFiles(
        const std::vector<PlannedWrite>& writes) const {
        std::vector<std::vector<std::uint8_t>> expected;
        const ProjectFolder& folder = mSource.mProject.folder;
        for (const PlannedWrite& write : writes) {
            const std::filesystem::path file = folder.file(write.path);
            if (markedReadOnly(file) || markedReadOnly(file.parent_path())) {
                return fileError(ErrorCode::FileWrite, write.path,
                                 std::string(markedReadOnly(file) ? "the file" : "its folder") +
                                     " is read-only; nothing was saved");
            }
            auto now = readRegularFile(file);
            if (!now) {
                return fileError(ErrorCode::FileOpen, write.path,
                                 now.error().message + "; nothing was saved");
            }
            auto before = readBefore(write.path);
            if (!before) {
                return before.error();
            }
            if (*now != **before && !mOptions.overwriteChangesOnDisk) {
                return fileError(ErrorCode::ChangedOnDisk, write.path,
                                 "another program changed it since it was read; nothing was "
                                 "saved");
            }
            expected.push_back(std::move(*now));
        }
        return expected;
    }

    Status write(const std::vector<PlannedWrite>& writes,
                 const std::vector<std::vector<std::uint8_t>>& expected, SaveReport& report) {
        const ProjectFolder& folder = mSource.mProject.folder;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            const PlannedWrite& write = writes[i];
            if (Status replaced = replaceProjectFile(folder.file(write.path), expected[i],
                                                     write.bytes, mSource.mOptions.projectBackups);
                !replaced) {
                Error error = replaced.error();
                error.message = write.path + ": " + error.message;
                if (!report.files.empty()) {
                    error.message += " (written before it: " + writtenNames(report) + ")";
                }
                return error;
            }
            mSource.mRead[write.path] = write.bytes;
            report.files.push_back(
                {write.path, write.parts, static_cast<std::int64_t>(write.bytes.size()),
                 static_cast<std::int64_t>(expected[i].size()), mSource.levelsReading(write.path)});
        }
        return {};
    }

    static std::string writtenNames(const SaveReport& report) {
        std::string names;
        for (const FileWrite& file : report.files) {
            names += (names.empty() ? "" : ", ") + file.path;
        }
        return names;
    }

    // The build after the save; then the level as the new image reads it.
    void build(const std::vector<Part>& parts, SaveReport& report) {
        report.built = true;
        auto run = mSource.rebuild("its files were saved");
        if (!run) {
            report.buildFailed = run.error();
            report.buildOutput = run.error().message;
            return;
        }
        report.buildOutput = run->output;
        report.problems = mSource.mProject.problems;
        const OpenedProject& project = mSource.mProject;
        auto back = loadDocument(project.image, project.identity.profile, mDocument.level());
        if (!back) {
            report.problems.push_back("The new build's image does not read back: " +
                                      namedByFile(project.listing, back.error()).describe());
            return;
        }
        const LevelDocument& read = *back->document;
        for (const Part part : parts) {
            // The object file holds the list sorted by x, as the game needs it.
            const bool differs = part == Part::Objects
                                     ? objectFileBytes(*read.parts().objects) !=
                                           objectFileBytes(*mDocument.parts().objects)
                                     : partDiffers(read.parts(), mDocument.parts(), part);
            if (differs) {
                report.problems.push_back("The new build's image holds another " +
                                          std::string(partName(part)) + " than was saved");
            }
        }
        StoredParts stored;
        for (const Part part : kAllParts) {
            stored[static_cast<std::size_t>(part)] = read.stored(part);
        }
        mDocument.rebase(project.identity.profile, stored);
    }

    ProjectSource& mSource;
    LevelDocument& mDocument;
    ProgressSink* mProgress;
    const SaveOptions& mOptions;
    LevelFiles mFiles;
};

ProjectSource::ProjectSource(OpenedProject opened, SourceOptions options)
    : mProject(std::move(opened)),
      mOptions(std::move(options)),
      mImageFile(mProject.folder.image) {}

std::string ProjectSource::displayName() const {
    return "project " + mProject.folder.name();
}

Result<std::vector<std::uint8_t>> ProjectSource::readImage() {
    return mProject.image;
}

Status ProjectSource::refreshIfStale() {
    if (auto reason = staleReason(mProject.folder, mProject.listing)) {
        auto run = rebuild(*reason);
        if (!run) {
            return run.error();
        }
    }
    return {};
}

Result<BuildRun> ProjectSource::rebuild(const std::string& reason) {
    auto run = runProjectBuild(mProject.folder, mOptions, reason);
    if (!run) {
        return run.error();
    }
    ++mBuilds;
    // The new build, read as a project is opened (current now, so it does not build again).
    auto opened = readNamingFiles(mProject.folder.root, mOptions);
    if (!opened) {
        return opened.error();
    }
    mProject = std::move(*opened);
    mProject.build = *run;
    mProject.builtBecause = reason;
    return run;
}

std::optional<LevelFiles> ProjectSource::filesOf(std::int16_t level) const {
    auto files = levelFiles(mProject.listing, mProject.image, mProject.identity.profile, level);
    if (!files) {
        return std::nullopt;
    }
    return std::move(*files);
}

std::vector<std::int16_t> ProjectSource::levelsReading(const std::string& path) const {
    std::vector<std::int16_t> levels;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto files = filesOf(level);
        if (!files) {
            continue;
        }
        const bool reads =
            std::any_of(files->files.begin(), files->files.end(),
                        [&path](const PartFile& file) { return file.path == path; }) ||
            (files->bounds && files->bounds->source == path);
        if (reads) {
            levels.push_back(level);
        }
    }
    return levels;
}

Result<LoadedLevel> ProjectSource::loadLevel(std::int16_t level) {
    if (Status current = refreshIfStale(); !current) {
        return current.error();
    }
    auto loaded = loadDocument(mProject.image, mProject.identity.profile, level);
    if (!loaded) {
        return namedByFile(mProject.listing, loaded.error());
    }
    const auto files = filesOf(level);
    if (!files) {
        return loaded;
    }
    for (const PartFile& file : files->files) {
        auto bytes = readPartFile(mProject.folder, file);
        if (!bytes) {
            return bytes.error();
        }
        mRead[file.path] = std::move(*bytes);
    }
    if (files->bounds) {
        auto source = readRegularFile(mProject.folder.file(files->bounds->source));
        if (!source) {
            return fileError(ErrorCode::FileOpen, files->bounds->source, source.error().message);
        }
        mRead[files->bounds->source] = std::move(*source);
    }
    for (const std::string& note : files->notes) {
        loaded->warnings.push_back(note);
    }
    for (const BrokenStream& broken : loaded->brokenStreams) {
        if (const PartFile* file = files->find(broken.part)) {
            loaded->warnings.push_back(file->path + " no longer decodes: a copy at " +
                                       hexOffset(broken.brokeAt - file->address) +
                                       " in the file reaches before the start of its data");
        }
    }
    return loaded;
}

LevelPlaces ProjectSource::places(std::int16_t level) const {
    LevelPlaces places;
    auto files = levelFiles(mProject.listing, mProject.image, mProject.identity.profile, level);
    if (!files) {
        places.notes.push_back(files.error().message);
        return places;
    }
    for (const PartFile& file : files->files) {
        places.files.push_back({file.part, file.path, 0});
    }
    if (files->bounds) {
        const InlineEntry& entry = *files->bounds;
        places.files.push_back({Part::Bounds, entry.source, entry.line});
        const auto read = mRead.find(entry.source);
        auto source = read != mRead.end() ? Result<std::vector<std::uint8_t>>(read->second)
                                          : readRegularFile(mProject.folder.file(entry.source));
        auto line = source ? sourceLine(*source, entry.line) : Result<std::string>(source.error());
        auto parsed = line ? parseBoundaryLine(*line) : Result<LevelBounds>(line.error());
        if (!parsed) {
            places.readOnly.emplace_back(Part::Bounds, entry.source + " line " +
                                                           std::to_string(entry.line) + ": " +
                                                           parsed.error().message);
        }
    }
    places.notes = files->notes;
    return places;
}

std::vector<std::int16_t> ProjectSource::levelsSharing(std::int16_t level, Part part) const {
    const auto files = filesOf(level);
    if (!files) {
        return {level};
    }
    std::set<std::int16_t> sharing{level};
    for (const PartFile& file : files->files) {
        if (file.part == part) {
            for (const std::int16_t other : levelsReading(file.path)) {
                sharing.insert(other);
            }
        }
    }
    return {sharing.begin(), sharing.end()};
}

Result<SaveReport> ProjectSource::save(LevelDocument& document, ProgressSink* progress,
                                       const SaveOptions& options) {
    Saver saver(*this, document, progress, options);
    return saver();
}

Result<std::vector<std::uint8_t>> ProjectSource::testImage(const LevelDocument& document,
                                                           ProgressSink* progress) {
    // The last build with the edits made in memory: a grown stream or list may move to the end
    // of this copy, which owes the project nothing.
    SaveOptions options;
    options.alwaysWriteLayout = false;
    options.movePlacementLists = true;
    options.moveGrownArt = true;
    auto edited = documentImage(mProject.image, document, progress, options);
    if (!edited) {
        return edited.error();
    }
    return makeTestImage(*edited, document.profile(), document.level());
}

Result<std::unique_ptr<LevelSource>> openProjectSource(const std::filesystem::path& folder,
                                                       const SourceOptions& options) {
    auto found = openProjectFolder(folder);
    if (!found) {
        return found.error();
    }
    std::optional<BuildRun> run;
    const std::optional<std::string> reason = buildNeeded(*found);
    if (reason) {
        auto built = runProjectBuild(*found, options, *reason);
        if (!built) {
            return built.error();
        }
        run = std::move(*built);
    }
    auto opened = readNamingFiles(folder, options);
    if (!opened) {
        return opened.error();
    }
    if (run) {
        opened->build = std::move(run);
        opened->builtBecause = reason;
    }
    return std::unique_ptr<LevelSource>(
        std::make_unique<ProjectSource>(std::move(*opened), options));
}

Result<std::unique_ptr<LevelSource>> openLevelSource(const std::filesystem::path& path,
                                                     const SourceOptions& options) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return openProjectSource(path, options);
    }
    return openImageSource(path);
}

}  // namespace orvex
