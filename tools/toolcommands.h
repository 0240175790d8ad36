#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "graphics/levelimage.h"

// The commands of orvex-tool. Each takes its parsed arguments and the streams it talks to and
// returns the exit status: 0 on success, 1 when the work failed (one line on `err`), 2 for a
// usage error. Output files are written only at the very end and only complete.

#include "rom/placements.h"

namespace orvex {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// How long a project's build may run unless --build-timeout says otherwise.
inline constexpr std::int32_t kDefaultBuildTimeoutSeconds = 120;

struct ToolIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool showProgress = false;  // the error stream is a terminal
    // A project's build: the command (none for the project's default) and how long it may run.
    std::optional<std::string> buildCommand;
    std::int32_t buildTimeoutSeconds = kDefaultBuildTimeoutSeconds;
    // Whether a save into a project keeps NAME.bak beside each file it replaces.
    bool projectBackups = false;

    // Where a command says what it wrote: standard error when the file itself goes to
    // standard output ("-").
    [[nodiscard]] std::ostream& summary(const std::filesystem::path& output) const {
        return output == "-" ? err : out;
    }
};

struct InfoArgs {
    std::filesystem::path rom;
};
struct KosDecompressArgs {
    std::filesystem::path in;
    std::filesystem::path out;
    std::int32_t offset = 0;
};
struct KosCompressArgs {
    std::filesystem::path in;
    std::filesystem::path out;
    bool rle = false;
};
struct LayoutExportArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;  // level index 0..19
    std::filesystem::path out;
};
struct LayoutImportArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;  // level index 0..19
    std::filesystem::path in;
};
struct MigrateArgs {
    std::filesystem::path rom;
    bool yes = false;
};
struct FixChecksumArgs {
    std::filesystem::path rom;
};
struct RenderArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;  // level index 0..19
    std::filesystem::path out;
    Plane plane = Plane::Foreground;
    bool blocks = false;
    bool objects = false;  // objects and rings drawn over the foreground
    // One object type alone (id, subtype), instead of the plane.
    std::optional<std::pair<std::uint8_t, std::uint8_t>> sprite;
    // The ground of this collision path (0 primary, 1 secondary) drawn over the plane.
    std::optional<std::int32_t> collision;
};
struct LevelInfoArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;
};
struct LevelSetArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;
    std::optional<StartPosition> start;
    std::optional<LevelBounds> bounds;
};
// objects-export, objects-import, rings-export, rings-import: the ROM, the level and the JSON
// file written or read; for an import, whether the lists may move to the end of the ROM, whether
// a file of another level and objects with ids the game has no code for are taken.
struct PlacementArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;
    std::filesystem::path file;
    bool moveLists = false;
    bool anyLevel = false;
    bool anyId = false;
};
// Which of a level's pieces a sheet or a mappings file holds.
enum class ArtKind { Tiles, Chunks, Blocks };
// art-export/-import, mappings-export/-import, palette-export/-import, collision-export/-import:
// the ROM, the level, what
// is exported or imported and the file written or read, with each command's options.
struct ArtArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;
    ArtKind kind = ArtKind::Tiles;
    std::filesystem::path file;
    std::optional<std::int32_t> line;  // art-export/-import: the palette line of a tile sheet
    std::int32_t first = 0;            // art-import: the first tile replaced
    bool moveArt = false;              // a grown stream may move to the end of the ROM
    bool anyLevel = false;             // a file whose "level" names another level is taken
    bool sharedLine = false;           // palette-import: line 0, shared by every level, too
    bool keepDangling = false;         // mappings-import: entries may name pieces past the new end
    bool keepIndices = false;          // art-import: an indexed sheet's indices as they are
};
struct NormalizeArgs {
    std::filesystem::path in;
    std::filesystem::path out;
};
struct TestImageArgs {
    std::filesystem::path rom;
    std::int16_t level = 0;  // level index 0..19
    std::filesystem::path out;
};
struct DemoRomArgs {
    std::filesystem::path out;
    std::string revision = "01";  // 00, 01, 02 or built
};

[[nodiscard]] int runInfo(const InfoArgs& args, ToolIo& io);
[[nodiscard]] int runKosDecompress(const KosDecompressArgs& args, ToolIo& io);
[[nodiscard]] int runKosCompress(const KosCompressArgs& args, ToolIo& io);
[[nodiscard]] int runLayoutExport(const LayoutExportArgs& args, ToolIo& io);
[[nodiscard]] int runLayoutImport(const LayoutImportArgs& args, ToolIo& io);
[[nodiscard]] int runMigrate(const MigrateArgs& args, ToolIo& io);
[[nodiscard]] int runFixChecksum(const FixChecksumArgs& args, ToolIo& io);
[[nodiscard]] int runRender(const RenderArgs& args, ToolIo& io);
[[nodiscard]] int runLevelInfo(const LevelInfoArgs& args, ToolIo& io);
[[nodiscard]] int runLevelSet(const LevelSetArgs& args, ToolIo& io);
[[nodiscard]] int runObjectsExport(const PlacementArgs& args, ToolIo& io);
[[nodiscard]] int runObjectsImport(const PlacementArgs& args, ToolIo& io);
[[nodiscard]] int runRingsExport(const PlacementArgs& args, ToolIo& io);
[[nodiscard]] int runRingsImport(const PlacementArgs& args, ToolIo& io);
[[nodiscard]] int runArtExport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runArtImport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runMappingsExport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runMappingsImport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runPaletteExport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runPaletteImport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runCollisionExport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runCollisionImport(const ArtArgs& args, ToolIo& io);
[[nodiscard]] int runNormalize(const NormalizeArgs& args, ToolIo& io);
[[nodiscard]] int runTestImage(const TestImageArgs& args, ToolIo& io);
[[nodiscard]] int runDemoRom(const DemoRomArgs& args, ToolIo& io);

// The whole tool: `args` are the words after the program name. Parses the command line,
// prints help or a usage error, or runs the command. A run whose standard output could not be
// written (checked once it is flushed) fails with kExitFailure.
[[nodiscard]] int runTool(const std::vector<std::string>& args, ToolIo& io);

}  // namespace orvex
