#include "toolsupport.h"

#include <cstdio>
#include <ostream>

#include "document/documentloader.h"
#include "project/projectsource.h"
#include "rom/leveldirectory.h"
#include "rom/romidentity.h"
#include "terminalhost.h"
#include "toolargs.h"

namespace orvex {

std::string offsetText(std::int64_t offset) {
    constexpr std::int64_t kLargest = 0xFFFFFFFF;
    if (offset > kLargest || offset < -kLargest) {
        return offset > 0 ? "beyond 0xFFFFFFFF" : "beyond -0xFFFFFFFF";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%s0x%llX", offset < 0 ? "-" : "",
                  static_cast<unsigned long long>(offset < 0 ? -offset : offset));
    return text;
}

std::string describeError(const Error& error) {
    if (!error.offset) {
        return error.message;
    }
    return error.message + " (offset " + offsetText(*error.offset) + ")";
}

int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what, const Error& error) {
    io.err << kToolName << ": " << command << ": " << file.string() << ": " << what << ": "
           << oneLine(describeError(error)) << '\n';
    return kExitFailure;
}

int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what) {
    io.err << kToolName << ": " << command << ": " << file.string() << ": " << what << '\n';
    return kExitFailure;
}

void reportWarning(ToolIo& io, std::string_view command, std::string_view text) {
    io.err << kToolName << ": " << command << ": warning: " << oneLine(text) << '\n';
}

Error brokenOffError(std::int32_t streamOffset, const KosinskiDecoded& decoded) {
    return makeError(
        ErrorCode::CorruptStream,
        std::string("Argh, weird offset!") + " A copy reaches before the start of the output",
        std::int64_t{streamOffset} + decoded.packedLastIndex);
}

// Names the copies of the ROM a write kept beside it.
void reportBackups(ToolIo& io, const WriteReport& written) {
    io.out << "the ROM as it was before this change is kept in " << written.previous.string()
           << '\n';
    if (!written.originalIsCopy) {
        io.out << written.original.string()
               << " is not a file Orvex wrote (a link or a folder): it was left alone, and no "
                  "copy of the ROM as Orvex first found it is kept\n";
        return;
    }
    io.out << "the ROM as Orvex first found it " << (written.originalMadeNow ? "is kept" : "stays")
           << " in " << written.original.string() << '\n';
}

namespace {

// A project's build on standard error: what runs and why, then its output.
class BuildOnStandardError final : public BuildListener {
public:
    BuildOnStandardError(ToolIo& io, std::string_view command) : mIo(io), mCommand(command) {}

    void buildStarted(const std::string& command, const std::string& reason) override {
        mIo.err << kToolName << ": " << mCommand << ": building (" << oneLine(reason)
                << "): " << command << '\n';
    }
    void buildEnded(bool succeeded, const std::string& output) override {
        // A failure's output is quoted by the message that reports it.
        if (succeeded && !output.empty()) {
            mIo.err << output << (output.back() == '\n' ? "" : "\n");
        }
    }

private:
    ToolIo& mIo;
    std::string mCommand;
};

std::string levelNumbers(const std::vector<std::int16_t>& levels) {
    if (levels.size() == static_cast<std::size_t>(kLevelCount)) {
        return "every level";
    }
    std::string text = levels.size() == 1 ? "level " : "levels ";
    for (std::size_t i = 0; i < levels.size(); ++i) {
        text += (i == 0 ? "" : ", ") + std::to_string(levels[i] + 1);
    }
    return text;
}

}  // namespace

Result<OpenSource> openSource(ToolIo& io, std::string_view command,
                              const std::filesystem::path& path) {
    OpenSource opened;
    opened.builds = std::make_unique<BuildOnStandardError>(io, command);
    SourceOptions options;
    options.buildCommand = io.buildCommand;
    options.buildTimeout = std::chrono::seconds(io.buildTimeoutSeconds);
    options.projectBackups = io.projectBackups;
    options.builds = opened.builds.get();
    auto source = openLevelSource(path, options);
    if (!source) {
        return source.error();
    }
    opened.source = std::move(*source);
    for (const std::string& problem : opened.source->problems()) {
        reportWarning(io, command, problem);
    }
    return opened;
}

Result<IdentifiedRom> readSourceImage(ToolIo& io, std::string_view command,
                                      const std::filesystem::path& path) {
    auto opened = openSource(io, command, path);
    if (!opened) {
        return opened.error();
    }
    auto bytes = opened->source->readImage();
    if (!bytes) {
        return bytes.error();
    }
    return IdentifiedRom{std::move(*bytes), opened->source->identity()};
}

Result<OpenLevel> openLevel(ToolIo& io, std::string_view command, const std::filesystem::path& path,
                            std::int16_t level) {
    auto opened = openSource(io, command, path);
    if (!opened) {
        return opened.error();
    }
    auto loaded = opened->source->loadLevel(level);
    if (!loaded) {
        return loaded.error();
    }
    return OpenLevel{std::move(*opened), std::move(loaded->document), std::move(loaded->warnings)};
}

std::optional<OpenLevel> openLevelFor(ToolIo& io, std::string_view command,
                                      const std::filesystem::path& path, std::int16_t level) {
    auto opened = openLevel(io, command, path, level);
    if (!opened) {
        reportFailure(io, command, path, "cannot load " + levelName(level), opened.error());
        return std::nullopt;
    }
    return std::move(*opened);
}

int reportProjectSave(ToolIo& io, std::string_view command, const std::filesystem::path& path,
                      const SaveReport& saved) {
    for (const FileWrite& file : saved.files) {
        io.out << "wrote " << file.path << " (" << file.bytes << " bytes, " << file.previousBytes
               << " before), read by " << levelNumbers(file.levels) << '\n';
    }
    if (saved.buildFailed) {
        return reportFailure(io, command, path, "the files are saved, but the build failed",
                             *saved.buildFailed);
    }
    if (saved.built) {
        io.out << "built the project and read the level back from the new image\n";
    }
    for (const std::string& problem : saved.problems) {
        reportWarning(io, command, problem);
    }
    return kExitOk;
}

int saveImportedLevel(ToolIo& io, std::string_view command, OpenLevel& level, bool moveArt,
                      std::string_view what, const WritesReporter& reportWrites) {
    LevelSource& source = level.source();
    const std::filesystem::path& rom = source.path();
    auto image = source.readImage();
    if (!image) {
        return reportFailure(io, command, rom, "cannot read the ROM", image.error());
    }
    const std::string saving = std::string(what) + " of " + levelName(level.document->level());
    TerminalHost host(io.in, io.out, io.err, io.showProgress, Answering::No);
    auto saved =
        source.save(*level.document, &host, {.alwaysWriteLayout = false, .moveGrownArt = moveArt});
    if (!saved) {
        Error error = saved.error();
        if (error.code == ErrorCode::ArtMustMove) {
            error.message += ". Nothing was written; run again with --move-art to move it";
        }
        return reportFailure(io, command, rom, "cannot save the " + saving, error);
    }
    io.out << "saved the " << saving << '\n';
    if (source.kind() == SourceKind::Project) {
        return reportProjectSave(io, command, rom, *saved);
    }
    reportWrites(*saved, *image);
    reportBackups(io, saved->written);
    return kExitOk;
}

}  // namespace orvex
