// orvex-tool's command line: from words to a command's arguments, help and usage errors.

#include <cctype>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "toolargs.h"
#include "toolcommands.h"

namespace orvex {

namespace {

// A command's words turned into its typed arguments; a usage error sets `error`.
struct Conversion {
    const CommandInfo& command;
    const CommandArgs& args;
    std::string error;

    std::filesystem::path path(std::size_t index) const { return args.operands[index]; }

    std::int16_t level(std::size_t index) {
        const auto level = parseLevel(args.operands[index]);
        if (!level) {
            fail("LEVEL must be a number from 1 to 20, not \"" + args.operands[index] + "\"");
            return 0;
        }
        return *level;
    }

    std::int32_t number(std::string_view option, std::int32_t fallback) {
        const auto text = args.value(option);
        if (!text) {
            return fallback;
        }
        const auto value = parseNumber(*text);
        if (!value) {
            fail(std::string(option) + " needs a number (decimal or 0x hex), not \"" + *text +
                 "\"");
            return fallback;
        }
        return *value;
    }

    // "tiles", "chunks" or "blocks", as far as the command takes them.
    ArtKind kind(std::size_t index, bool tiles) {
        const std::string& text = args.operands[index];
        if (text == "chunks") {
            return ArtKind::Chunks;
        }
        if (text == "blocks") {
            return ArtKind::Blocks;
        }
        if (text != "tiles" || !tiles) {
            fail(std::string(tiles ? "the sheet must be tiles, chunks or blocks"
                                   : "the mappings must be chunks or blocks") +
                 ", not \"" + text + "\"");
        }
        return ArtKind::Tiles;
    }

    std::optional<std::int32_t> line() {
        if (!args.has("--line")) {
            return std::nullopt;
        }
        const std::int32_t value = number("--line", 0);
        if (value > 3) {
            fail("--line must be 0 to 3, not " + std::to_string(value));
        }
        return value;
    }

    // --collision 1|2: the path drawn, as 0 or 1.
    std::optional<std::int32_t> collisionPath() {
        const auto text = args.value("--collision");
        if (!text) {
            return std::nullopt;
        }
        if (*text != "1" && *text != "2") {
            fail("--collision must be 1 (primary) or 2 (secondary), not \"" + *text + "\"");
        }
        return *text == "2" ? 1 : 0;
    }

    Plane plane() {
        const std::string text = args.value("--plane").value_or("fg");
        if (text != "fg" && text != "bg") {
            fail("--plane must be fg or bg, not \"" + text + "\"");
        }
        return text == "bg" ? Plane::Background : Plane::Foreground;
    }

    // "X,Y" or "XMIN,XMAX,YMIN,YMAX": words, 0 to 0xFFFF, or negative as the game reads them.
    std::optional<std::vector<std::uint16_t>> words(std::string_view option, std::size_t count) {
        const auto text = args.value(option);
        if (!text) {
            return std::nullopt;
        }
        std::vector<std::uint16_t> values;
        std::size_t start = 0;
        while (start <= text->size()) {
            const std::size_t end = std::min(text->find(',', start), text->size());
            const std::string part = text->substr(start, end - start);
            const bool negative = !part.empty() && part[0] == '-';
            const auto value = parseNumber(negative ? part.substr(1) : part);
            if (!value || *value > (negative ? 0x8000 : 0xFFFF)) {
                break;
            }
            values.push_back(static_cast<std::uint16_t>(negative ? 0x10000 - *value : *value));
            start = end + 1;
        }
        if (values.size() != count || start <= text->size()) {
            fail(std::string(option) + " needs " + std::to_string(count) +
                 " numbers separated by commas (each 0 to 0xFFFF), not \"" + *text + "\"");
            return std::nullopt;
        }
        return values;
    }

    // Each minimum at most its maximum, compared as the game's camera code compares them.
    void ordered(const LevelBounds& bounds) {
        const auto axis = invertedBoundsAxis(bounds);
        if (!axis) {
            return;
        }
        const bool x = *axis == 'X';
        const auto low = static_cast<std::int16_t>(x ? bounds.xMin : bounds.yMin);
        const auto high = static_cast<std::int16_t>(x ? bounds.xMax : bounds.yMax);
        fail(std::string("--bounds has ") + *axis + "MIN " + std::to_string(low) + " above " +
             *axis + "MAX " + std::to_string(high) + " (the game compares them as signed words)");
    }

    // render's options each choose what is drawn; those that choose differently exclude each
    // other rather than one being ignored.
    void renderOptionsFit() {
        const auto exclude = [&](std::string_view first, std::string_view second,
                                 std::string_view why) {
            if (args.has(first) && args.has(second)) {
                fail(std::string(first) + " and " + std::string(second) +
                     " do not go together: " + std::string(why));
            }
        };
        exclude("--blocks", "--objects", "the block pictures have no objects on them");
        exclude("--blocks", "--plane", "the block pictures belong to no plane");
        exclude("--sprite", "--blocks", "each draws a picture of its own");
        exclude("--sprite", "--objects", "the sprite is drawn alone");
        exclude("--sprite", "--plane", "the sprite is drawn alone");
        exclude("--collision", "--blocks", "collision is drawn over a plane");
        exclude("--collision", "--sprite", "collision is drawn over a plane");
        if (args.has("--objects") && args.value("--plane") == "bg") {
            fail(
                "--objects and --plane bg do not go together: objects are drawn over the "
                "foreground");
        }
    }

    // "ID" or "ID:SUBTYPE", both hexadecimal bytes, as the editor shows them.
    std::optional<std::pair<std::uint8_t, std::uint8_t>> sprite() {
        const auto text = args.value("--sprite");
        if (!text) {
            return std::nullopt;
        }
        const std::size_t colon = text->find(':');
        const auto id = hexByte(text->substr(0, colon));
        const auto subtype = colon == std::string::npos ? std::optional<std::uint8_t>(0)
                                                        : hexByte(text->substr(colon + 1));
        if (!id || !subtype) {
            fail(
                "--sprite needs an object id and optionally a subtype, hexadecimal bytes as in "
                "41 or 41:02, not \"" +
                *text + "\"");
            return std::nullopt;
        }
        return std::pair{*id, *subtype};
    }

    static std::optional<std::uint8_t> hexByte(std::string_view text) {
        if (text.starts_with("0x") || text.starts_with("0X") || text.starts_with("$")) {
            text.remove_prefix(text[0] == '$' ? 1 : 2);
        }
        if (text.empty() || text.size() > 2) {
            return std::nullopt;
        }
        std::uint8_t value = 0;
        for (const char c : text) {
            const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
            if (digit < 0) {
                return std::nullopt;
            }
            value = static_cast<std::uint8_t>(value * 16 + digit);
        }
        return value;
    }

    std::string revision() {
        const std::string text = args.value("--revision").value_or("01");
        if (text != "00" && text != "01" && text != "02" && text != "built") {
            fail("--revision must be 00, 01, 02 or built, not \"" + text + "\"");
        }
        return text;
    }

    void fail(std::string reason) {
        if (error.empty()) {
            error = std::move(reason);
        }
    }
};

int usageError(ToolIo& io, const std::string& reason, const std::string& usage) {
    io.err << kToolName << ": " << reason << '\n' << usage << '\n';
    return kExitUsage;
}

// Runs the command with its converted arguments unless a conversion failed.
template <typename Args>
int finish(Conversion& conversion, ToolIo& io, const Args& args, int (*run)(const Args&, ToolIo&)) {
    if (!conversion.error.empty()) {
        return usageError(io, conversion.error, usageLine(conversion.command));
    }
    return run(args, io);
}

// The arguments of the art, mappings and palette commands: ROM, LEVEL, then (when `tiles` is
// given) the kind of piece, whether tiles are one, then the file at operand `file`; the flags
// that a command does not take are never given.
ArtArgs artArgs(Conversion& v, std::optional<bool> tiles, std::size_t file) {
    ArtArgs args;
    args.rom = v.path(0);
    args.level = v.level(1);
    if (tiles) {
        args.kind = v.kind(2, *tiles);
    }
    args.file = v.path(file);
    args.moveArt = v.args.has("--move-art");
    args.anyLevel = v.args.has("--any-level");
    args.sharedLine = v.args.has("--shared-line");
    args.keepDangling = v.args.has("--keep-dangling");
    return args;
}

using Runner = int (*)(Conversion&, ToolIo&);

// Braced lists convert left to right, so the first bad argument is the one reported.
const std::map<std::string_view, Runner>& runners() {
    static const std::map<std::string_view, Runner> table = {
        {"info",
         [](Conversion& v, ToolIo& io) { return finish(v, io, InfoArgs{v.path(0)}, runInfo); }},
        {"kos-decompress",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, KosDecompressArgs{v.path(0), v.path(1), v.number("--offset", 0)},
                           runKosDecompress);
         }},
        {"kos-compress",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, KosCompressArgs{v.path(0), v.path(1), v.args.has("--rle")},
                           runKosCompress);
         }},
        {"layout-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, LayoutExportArgs{v.path(0), v.level(1), v.path(2)},
                           runLayoutExport);
         }},
        {"layout-import",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, LayoutImportArgs{v.path(0), v.level(1), v.path(2)},
                           runLayoutImport);
         }},
        {"migrate",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, MigrateArgs{v.path(0), v.args.has("--yes")}, runMigrate);
         }},
        {"fix-checksum",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, FixChecksumArgs{v.path(0)}, runFixChecksum);
         }},
        {"render",
         [](Conversion& v, ToolIo& io) {
             const RenderArgs args{v.path(0),
                                   v.level(1),
                                   v.path(2),
                                   v.plane(),
                                   v.args.has("--blocks"),
                                   v.args.has("--objects"),
                                   v.sprite(),
                                   v.collisionPath()};
             v.renderOptionsFit();
             return finish(v, io, args, runRender);
         }},
        {"level-info",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, LevelInfoArgs{v.path(0), v.level(1)}, runLevelInfo);
         }},
        {"level-set",
         [](Conversion& v, ToolIo& io) {
             LevelSetArgs args{v.path(0), v.level(1), std::nullopt, std::nullopt};
             if (const auto start = v.words("--start", 2)) {
                 args.start = StartPosition{(*start)[0], (*start)[1]};
             }
             if (const auto bounds = v.words("--bounds", 4)) {
                 args.bounds = LevelBounds{(*bounds)[0], (*bounds)[1], (*bounds)[2], (*bounds)[3]};
                 v.ordered(*args.bounds);
             }
             if (!args.start && !args.bounds) {
                 v.fail("give --start, --bounds or both");
             }
             return finish(v, io, args, runLevelSet);
         }},
        {"objects-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, PlacementArgs{v.path(0), v.level(1), v.path(2)},
                           runObjectsExport);
         }},
        {"objects-import",
         [](Conversion& v, ToolIo& io) {
             return finish(
                 v, io,
                 PlacementArgs{v.path(0), v.level(1), v.path(2), v.args.has("--move-lists"),
                               v.args.has("--any-level"), v.args.has("--any-id")},
                 runObjectsImport);
         }},
        {"rings-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, PlacementArgs{v.path(0), v.level(1), v.path(2)}, runRingsExport);
         }},
        {"rings-import",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io,
                           PlacementArgs{v.path(0), v.level(1), v.path(2),
                                         v.args.has("--move-lists"), v.args.has("--any-level")},
                           runRingsImport);
         }},
        {"art-export",
         [](Conversion& v, ToolIo& io) {
             ArtArgs args = artArgs(v, true, 3);
             args.line = v.line();
             return finish(v, io, args, runArtExport);
         }},
        {"art-import",
         [](Conversion& v, ToolIo& io) {
             ArtArgs args = artArgs(v, std::nullopt, 3);
             if (v.args.operands[2] != "tiles") {
                 v.fail("art-import reads a sheet of tiles, not \"" + v.args.operands[2] + "\"");
             }
             args.first = v.number("--first", 0);
             args.line = v.line();
             args.keepIndices = v.args.has("--indices");
             return finish(v, io, args, runArtImport);
         }},
        {"mappings-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, false, 3), runMappingsExport);
         }},
        {"mappings-import",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, false, 3), runMappingsImport);
         }},
        {"palette-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, std::nullopt, 2), runPaletteExport);
         }},
        {"palette-import",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, std::nullopt, 2), runPaletteImport);
         }},
        {"collision-export",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, std::nullopt, 2), runCollisionExport);
         }},
        {"collision-import",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, artArgs(v, std::nullopt, 2), runCollisionImport);
         }},
        {"normalize",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, NormalizeArgs{v.path(0), v.path(1)}, runNormalize);
         }},
        {"test-image",
         [](Conversion& v, ToolIo& io) {
             return finish(v, io, TestImageArgs{v.path(0), v.level(1), v.path(2)}, runTestImage);
         }},
        {"demo-rom",
         [](Conversion& v, ToolIo& io) {
             DemoRomArgs args;
             args.out = v.path(0);
             args.revision = v.revision();
             return finish(v, io, args, runDemoRom);
         }},
    };
    return table;
}

// Runs the command line as runTool does, without the final check of standard output.
int dispatch(const std::vector<std::string>& args, ToolIo& io) {
    if (args.empty()) {
        return usageError(io, "no command given", toolUsageLine());
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        io.out << toolHelp();
        return kExitOk;
    }
    const CommandInfo* command = findCommand(args[0]);
    if (command == nullptr) {
        return usageError(io, "unknown command \"" + args[0] + "\"", toolUsageLine());
    }
    const ParseOutcome parsed =
        parseCommandArgs(*command, std::vector<std::string>(args.begin() + 1, args.end()));
    if (parsed.args.help) {
        io.out << commandHelp(*command);
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        return usageError(io, parsed.error, usageLine(*command));
    }
    Conversion conversion{*command, parsed.args, {}};
    if (const auto build = parsed.args.value("--build-command")) {
        io.buildCommand = *build;
    }
    io.buildTimeoutSeconds = conversion.number("--build-timeout", io.buildTimeoutSeconds);
    io.projectBackups = parsed.args.has("--project-backups");
    if (parsed.args.has("--build-timeout") && io.buildTimeoutSeconds == 0) {
        conversion.fail("--build-timeout must be at least 1 second");
    }
    return runners().at(command->name)(conversion, io);
}

// What was printed must have reached standard output: a success whose output was lost to a
// full disk or a closed pipe is a failure.
int outputChecked(const std::vector<std::string>& args, ToolIo& io, int status) {
    io.out.flush();
    if (io.out || status != kExitOk) {
        return status;
    }
    const bool command = !args.empty() && findCommand(args[0]) != nullptr;
    io.err << kToolName << ": " << (command ? args[0] + ": " : "")
           << "cannot write to standard output\n";
    return kExitFailure;
}

}  // namespace

int runTool(const std::vector<std::string>& args, ToolIo& io) {
    return outputChecked(args, io, dispatch(args, io));
}

}  // namespace orvex
