#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "compression/kosinski.h"
#include "toolcommands.h"

// Helpers the command implementations share.

#include "document/documentsaver.h"
#include "document/leveldocument.h"
#include "document/levelsource.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"

namespace orvex {

// An offset in the image as the tool prints it: "0x1A4", at most 8 hex digits as the image's
// 32-bit offsets have; one before the start of the image as "-0x7E00", one past 32 bits as
// "beyond 0xFFFFFFFF", never as a 64-bit wrap.
[[nodiscard]] std::string offsetText(std::int64_t offset);

// The error's message followed by " (offset ...)" in offsetText's form when it has an offset.
[[nodiscard]] std::string describeError(const Error& error);

// Prints "orvex-tool: COMMAND: FILE: WHAT: <describeError(error)>" on one line and returns
// kExitFailure.
int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what, const Error& error);

// The same without an Error: "orvex-tool: COMMAND: FILE: WHAT".
int reportFailure(ToolIo& io, std::string_view command, const std::filesystem::path& file,
                  std::string_view what);

// "orvex-tool: COMMAND: warning: TEXT".
void reportWarning(ToolIo& io, std::string_view command, std::string_view text);

// The error for a stream at `streamOffset` that broke off with a copy from before the start of
// its output: CorruptStream at the last stream byte read.
[[nodiscard]] Error brokenOffError(std::int32_t streamOffset, const KosinskiDecoded& decoded);

// Names the copies of the ROM a write kept beside it.
void reportBackups(ToolIo& io, const WriteReport& written);

// A ROM file or a disassembly project's folder, opened for `command`: a project's build runs
// first when it is stale, its command line and output on standard error.
struct OpenSource {
    std::unique_ptr<BuildListener> builds;  // outlives the source, which tells it
    std::unique_ptr<LevelSource> source;
};
[[nodiscard]] Result<OpenSource> openSource(ToolIo& io, std::string_view command,
                                            const std::filesystem::path& path);

// The image of the ROM file or the project's last build, read whole and identified.
[[nodiscard]] Result<IdentifiedRom> readSourceImage(ToolIo& io, std::string_view command,
                                                    const std::filesystem::path& path);

// A level of the ROM file or project at `path`, loaded for a command that may save it.
struct OpenLevel {
    OpenSource opened;
    std::unique_ptr<LevelDocument> document;
    std::vector<std::string> warnings;  // what the load left out or could not read whole

    [[nodiscard]] LevelSource& source() const { return *opened.source; }
};
[[nodiscard]] Result<OpenLevel> openLevel(ToolIo& io, std::string_view command,
                                          const std::filesystem::path& path, std::int16_t level);
// The same for `command`: nothing after reporting on standard error why the level could not be
// opened.
[[nodiscard]] std::optional<OpenLevel> openLevelFor(ToolIo& io, std::string_view command,
                                                    const std::filesystem::path& path,
                                                    std::int16_t level);

// Says what a save into a project did: each file written with the levels reading it, then a
// build that failed (the files stay written) or what the new build lets through. The exit
// code: kExitFailure when the build failed.
[[nodiscard]] int reportProjectSave(ToolIo& io, std::string_view command,
                                    const std::filesystem::path& path, const SaveReport& saved);

// Saves what an import changed in `level` (only the modified parts; a stream that outgrew its
// place moves to the end of the file when `moveArt`, else the refusal says to run again with
// --move-art), says that `what` of it was saved, lets `reportWrites` name the other levels the
// write reached, and lists the backups. The exit code.
using WritesReporter = std::function<void(const SaveReport& saved, ByteSpan image)>;
[[nodiscard]] int saveImportedLevel(ToolIo& io, std::string_view command, OpenLevel& level,
                                    bool moveArt, std::string_view what,
                                    const WritesReporter& reportWrites);

}  // namespace orvex
