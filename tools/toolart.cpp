// art-export/-import, mappings-export/-import and palette-export/-import: a level's tiles as
// indexed PNG sheets, its chunk and block mappings and its palette as JSON files.

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>

#include "document/documentsaver.h"
#include "document/sharing.h"
#include "graphics/artsheet.h"
#include "graphics/palette.h"
#include "graphics/png.h"
#include "graphics/pngcolours.h"
#include "rom/levelformat.h"
#include "terminalhost.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "tooljson.h"
#include "toolsupport.h"

namespace orvex {

namespace {

using ExportJson = nlohmann::ordered_json;
using Json = nlohmann::json;

constexpr std::array<std::string_view, 4> kSolidity = {"none", "top", "sides", "all"};
constexpr std::int32_t kChannelStep = 0x20;  // the console's 8 levels a channel: 0x00 .. 0xE0

Part partOf(ArtKind kind) {
    return kind == ArtKind::Tiles    ? Part::TileArt
           : kind == ArtKind::Chunks ? Part::ChunkMappings
                                     : Part::BlockMappings;
}

// "levels 2, 11 and 12" or "level 4", numbered as the level selector numbers them.
std::string levelList(const std::vector<std::int16_t>& levels) {
    std::string text = levels.size() == 1 ? "level " : "levels ";
    for (std::size_t i = 0; i < levels.size(); ++i) {
        text += (i == 0                   ? ""
                 : i + 1 == levels.size() ? " and "
                                          : ", ") +
                std::to_string(levels[i] + 1);
    }
    return text;
}

// The levels other than the document's that a write of `part` changes, as the image was before.
std::vector<std::int16_t> alsoChanged(ByteSpan image, const LevelDocument& document, Part part,
                                      const PaletteWords& before) {
    if (part != Part::Palette) {
        return otherLevels(levelsSharing(image, document.profile(), document.level(), part),
                           document.level());
    }
    const PaletteWords& after = document.parts().palette;
    const bool lineZero =
        !std::equal(after.words.begin(), after.words.begin() + kLineColours, before.words.begin());
    return otherLevels(lineZero ? levelsSharing(image, document.profile(), document.level(), part)
                                : levelsSharingLines(image, document.profile(), document.level()),
                       document.level());
}

void reportSharing(ToolIo& io, const SaveReport& saved, ByteSpan image,
                   const LevelDocument& document, const PaletteWords& before) {
    for (const MovedStream& moved : saved.movedArt) {
        io.out << "moved the " << partName(moved.part) << " to " << offsetText(moved.to)
               << " at the end of the ROM (it no longer fit its place at " << offsetText(moved.from)
               << "); the art table points there for " << levelList(moved.levels) << '\n';
    }
    for (const PartWrite& write : saved.parts) {
        const auto others = alsoChanged(image, document, write.part, before);
        if (!others.empty()) {
            io.out << "the " << partName(write.part) << " of " << levelName(document.level())
                   << " also changes " << levelList(others) << '\n';
        }
    }
}

// Saves what the command changed in the document and names every level the write changes.
int saveChanges(const ArtArgs& args, ToolIo& io, std::string_view command, OpenLevel& level,
                const PaletteWords& before, std::string_view what) {
    return saveImportedLevel(io, command, level, args.moveArt, what,
                             [&](const SaveReport& saved, ByteSpan image) {
                                 reportSharing(io, saved, image, *level.document, before);
                             });
}

// The palette line most chunk mapping words name (bits 13-14), the lowest of equals.
std::int32_t commonLine(const MappingWords& chunks) {
    std::array<std::int32_t, kPaletteLines> uses{};
    for (std::int32_t i = 0; i < chunks.wordCount(); ++i) {
        ++uses[static_cast<std::size_t>((chunks.word(i) >> 13) & 3)];
    }
    return static_cast<std::int32_t>(std::ranges::max_element(uses) - uses.begin());
}

// The colours of the line a sheet of tiles is drawn in: --line, or the one most chunk entries
// use.
std::vector<std::uint32_t> lineColours(const ArtArgs& args, const LevelParts& parts) {
    const ColourTable colours = levelColours(parts.palette);
    const std::int32_t line = args.line.value_or(commonLine(parts.chunks));
    const auto from = colours.begin() + static_cast<std::ptrdiff_t>(line * kLineColours);
    return {from, from + kLineColours};
}

Result<std::vector<std::uint8_t>> sheetPng(const ArtArgs& args, const LevelParts& parts) {
    const ColourTable colours = levelColours(parts.palette);
    if (args.kind == ArtKind::Tiles) {
        return encodeIndexedPng(tileSheet(parts.tiles.bytes), lineColours(args, parts));
    }
    const IndexedImage sheet = args.kind == ArtKind::Chunks ? chunkSheet(parts) : blockSheet(parts);
    return encodeIndexedPng(sheet, colours);
}

std::string_view kindName(ArtKind kind) {
    return kind == ArtKind::Tiles ? "tiles" : kind == ArtKind::Chunks ? "chunks" : "blocks";
}

// --- mappings ---

ExportJson chunkEntry(std::uint16_t word) {
    return {{"tile", word & 0x7FF},
            {"xFlip", (word & 0x800) != 0},
            {"yFlip", (word & 0x1000) != 0},
            {"line", (word >> 13) & 3},
            {"priority", (word & 0x8000) != 0}};
}

ExportJson blockEntry(std::uint16_t word) {
    return {{"chunk", word & 0x3FF},
            {"xFlip", (word & 0x400) != 0},
            {"yFlip", (word & 0x800) != 0},
            {"path1", kSolidity[(word >> 12) & 3]},
            {"path2", kSolidity[(word >> 14) & 3]}};
}

// Words a piece: 4 for a chunk, 64 for a block.
std::int32_t pieceWords(ArtKind kind) {
    return kind == ArtKind::Chunks ? kChunkMappingWords : kBlockMappingWords;
}

ExportJson mappingsJson(const MappingWords& words, ArtKind kind) {
    ExportJson pieces = ExportJson::array();
    const std::int32_t size = pieceWords(kind);
    for (std::int32_t piece = 0; piece + 1 <= words.wordCount() / size; ++piece) {
        ExportJson entries = ExportJson::array();
        for (std::int32_t i = 0; i < size; ++i) {
            const std::uint16_t word = words.word(piece * size + i);
            entries.push_back(kind == ArtKind::Chunks ? chunkEntry(word) : blockEntry(word));
        }
        pieces.push_back(std::move(entries));
    }
    return pieces;
}

Result<std::uint16_t> readChunkWord(const Json& entry, const std::string& what) {
    EntryReader read(entry, what);
    const std::uint16_t tile = read.number("tile", 0, kBaseTiles - 1);
    const bool xFlip = read.flag("xFlip");
    const bool yFlip = read.flag("yFlip");
    const std::uint16_t line = read.number("line", 0, kPaletteLines - 1);
    const bool priority = read.flag("priority");
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    return static_cast<std::uint16_t>(tile | (xFlip ? 0x800 : 0) | (yFlip ? 0x1000 : 0) |
                                      line << 13 | (priority ? 0x8000 : 0));
}

Result<std::uint16_t> readBlockWord(const Json& entry, const std::string& what) {
    EntryReader read(entry, what);
    const std::uint16_t chunk = read.number("chunk", 0, kBaseChunks - 1);
    const bool xFlip = read.flag("xFlip");
    const bool yFlip = read.flag("yFlip");
    const std::uint8_t path1 = read.choice("path1", {"none", "top", "sides", "all"});
    const std::uint8_t path2 = read.choice("path2", {"none", "top", "sides", "all"});
    if (!read.error().empty()) {
        return makeError(ErrorCode::OutOfRange, read.error());
    }
    return static_cast<std::uint16_t>(chunk | (xFlip ? 0x400 : 0) | (yFlip ? 0x800 : 0) |
                                      path1 << 12 | path2 << 14);
}

// The mapping words of one piece of the file.
Status readPiece(const Json& piece, ArtKind kind, std::size_t index,
                 std::vector<std::uint8_t>& bytes) {
    const std::string what =
        std::string(kind == ArtKind::Chunks ? "chunk " : "block ") + std::to_string(index);
    const auto size = static_cast<std::size_t>(pieceWords(kind));
    if (!piece.is_array() || piece.size() != size) {
        return makeError(ErrorCode::OutOfRange,
                         what + " must be a list of " + std::to_string(size) + " entries");
    }
    for (std::size_t i = 0; i < size; ++i) {
        const std::string entry = what + ", entry " + std::to_string(i);
        auto word = kind == ArtKind::Chunks ? readChunkWord(piece[i], entry)
                                            : readBlockWord(piece[i], entry);
        if (!word) {
            return word.error();
        }
        bytes.push_back(static_cast<std::uint8_t>(*word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(*word & 0xFF));
    }
    return {};
}

Result<std::vector<std::uint8_t>> readMappings(const Json& file, const ArtArgs& args) {
    if (Status level = checkFileLevel(file, args.level, args.anyLevel); !level) {
        return level.error();
    }
    const char* key = args.kind == ArtKind::Chunks ? "chunks" : "blocks";
    const auto list = file.find(key);
    if (list == file.end() || !list->is_array()) {
        return makeError(ErrorCode::CorruptStream,
                         std::string("the file holds no \"") + key + "\" list");
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t index = 0; index < list->size(); ++index) {
        if (Status piece = readPiece((*list)[index], args.kind, index, bytes); !piece) {
            return piece.error();
        }
    }
    return bytes;
}

// The file's mappings, followed by the bytes of a partial last piece the stream holds when the
// file has as many whole pieces as the stream: the export leaves them out, so they stay.
std::vector<std::uint8_t> withPartialTail(std::vector<std::uint8_t> bytes,
                                          const LevelDocument& document, ArtKind kind) {
    const std::vector<std::uint8_t>& stored =
        kind == ArtKind::Chunks ? document.parts().chunks.bytes : document.parts().blocks.bytes;
    const auto pieceBytes = static_cast<std::size_t>(2 * pieceWords(kind));
    const std::size_t whole = stored.size() / pieceBytes * pieceBytes;
    if (bytes.size() == whole) {
        bytes.insert(bytes.end(), stored.begin() + static_cast<std::ptrdiff_t>(whole),
                     stored.end());
    }
    return bytes;
}

// How many entries name a piece past the end of the mappings of `kind`: block entries naming a
// chunk past the chunks, layout cells naming a block past the blocks.
std::int64_t danglingEntries(const LevelDocument& document, ArtKind kind) {
    const LevelParts& parts = document.parts();
    std::int64_t dangling = 0;
    if (kind == ArtKind::Chunks) {
        const std::int32_t chunks = parts.chunks.wordCount() / kChunkMappingWords;
        for (std::int32_t i = 0; i < parts.blocks.wordCount(); ++i) {
            dangling += (parts.blocks.word(i) & 0x3FF) >= chunks ? 1 : 0;
        }
        return dangling;
    }
    const std::int32_t blocks = parts.blocks.wordCount() / kBlockMappingWords;
    for (const std::uint8_t cell : parts.layout.bytes()) {
        dangling += cell >= blocks ? 1 : 0;
    }
    return dangling;
}

std::string danglingMessage(ArtKind kind, std::int64_t dangling) {
    const bool chunks = kind == ArtKind::Chunks;
    return std::to_string(dangling) +
           (chunks ? " block entries name a chunk" : " layout cells name a block") +
           " past the end of the imported " + (chunks ? "chunks" : "blocks") +
           "; nothing was written (--keep-dangling saves them anyway)";
}

// --- palette ---

std::string colourText(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

std::int32_t nearestLevel(std::int32_t channel) {
    return std::min((channel + kChannelStep / 2) / kChannelStep, 7);
}

// "#RRGGBB" as a colour word, each channel one of the console's levels.
Result<std::uint16_t> colourWord(const Json& value, const std::string& what) {
    const std::string text = value.is_string() ? value.get<std::string>() : "";
    std::array<std::int32_t, 3> channels{};
    const bool form =
        text.size() == 7 && text[0] == '#' && std::all_of(text.begin() + 1, text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        });
    if (!form) {
        return makeError(ErrorCode::OutOfRange, what + " must be a colour \"#RRGGBB\"");
    }
    std::uint32_t nearest = 0;
    bool exact = true;
    for (std::size_t i = 0; i < 3; ++i) {
        channels[i] = std::stoi(text.substr(1 + 2 * i, 2), nullptr, 16);
        const std::int32_t level = nearestLevel(channels[i]);
        exact = exact && level * kChannelStep == channels[i];
        nearest = nearest << 8 | static_cast<std::uint32_t>(level * kChannelStep);
    }
    if (!exact) {
        return makeError(ErrorCode::OutOfRange,
                         what + " is \"" + text +
                             "\", not a colour the console shows; the nearest is \"" +
                             colourText(nearest) + "\"");
    }
    return static_cast<std::uint16_t>((channels[2] / kChannelStep) << 9 |
                                      (channels[1] / kChannelStep) << 5 |
                                      (channels[0] / kChannelStep) << 1);
}

Result<PaletteWords> readPalette(const Json& file, const ArtArgs& args) {
    if (Status level = checkFileLevel(file, args.level, args.anyLevel); !level) {
        return level.error();
    }
    const auto lines = file.find("lines");
    if (lines == file.end() || !lines->is_array() ||
        lines->size() != static_cast<std::size_t>(kPaletteLines)) {
        return makeError(ErrorCode::CorruptStream,
                         "the file's \"lines\" must be a list of 4 lines");
    }
    PaletteWords palette;
    for (std::size_t line = 0; line < lines->size(); ++line) {
        const Json& colours = (*lines)[line];
        if (!colours.is_array() || colours.size() != static_cast<std::size_t>(kLineColours)) {
            return makeError(ErrorCode::OutOfRange,
                             "line " + std::to_string(line) + " must be a list of 16 colours");
        }
        for (std::size_t c = 0; c < colours.size(); ++c) {
            auto word = colourWord(
                colours[c], "line " + std::to_string(line) + ", colour " + std::to_string(c));
            if (!word) {
                return word.error();
            }
            palette.words[line * kLineColours + c] = *word;
        }
    }
    return palette;
}

// The bits of a colour word the console shows.
constexpr std::uint16_t kColourBits = 0x0EEE;

// The file's palette over the ROM's: a colour the file gives as the ROM shows it keeps the ROM's
// word (with any bits the console ignores). Line 0 of the file must show as the ROM's unless
// --shared-line lets it change every level.
Result<PaletteWords> mergePalette(const PaletteWords& file, const PaletteWords& rom,
                                  bool sharedLine) {
    PaletteWords merged = file;
    bool lineZeroChanged = false;
    for (std::size_t c = 0; c < merged.words.size(); ++c) {
        if ((rom.words[c] & kColourBits) == file.words[c]) {
            merged.words[c] = rom.words[c];
        } else if (c < static_cast<std::size_t>(kLineColours)) {
            lineZeroChanged = true;
        }
    }
    if (lineZeroChanged && !sharedLine) {
        return makeError(ErrorCode::OutOfRange,
                         "line 0 of the file differs from the ROM's; it is the line every level "
                         "shares, so it is imported only with --shared-line");
    }
    return merged;
}

ExportJson levelHeader(const LevelDocument& document) {
    return {{"level", document.level() + 1}};
}

}  // namespace

int runArtExport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "art-export";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    auto png = sheetPng(args, level->document->parts());
    if (!png) {
        return reportFailure(io, kCommand, args.rom,
                             "cannot draw the " + std::string(kindName(args.kind)), png.error());
    }
    if (Status written = writeOutput(args.file, *png, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote the " << kindName(args.kind) << " of " << levelName(args.level)
                          << " to " << args.file.string() << '\n';
    return kExitOk;
}

int runArtImport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "art-import";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    auto file = readWholeFile(args.file);
    auto picture = file ? decodePng(*file) : Result<PngPicture>(file.error());
    auto sheet = picture
                     ? lineIndices(*picture, lineColours(args, document.parts()),
                                   args.keepIndices ? PngIndices::AsTheyAre : PngIndices::ByColour)
                     : Result<IndexedImage>(picture.error());
    auto tiles = sheet ? sheetTiles(*sheet) : Result<std::vector<std::uint8_t>>(sheet.error());
    if (!tiles) {
        return reportFailure(io, kCommand, args.file, "cannot read the tiles", tiles.error());
    }
    const auto artTiles = static_cast<std::int32_t>(document.parts().tiles.bytes.size() / 32);
    if (args.first > artTiles) {
        return reportFailure(io, kCommand, args.file,
                             "--first " + std::to_string(args.first) + " lies past the " +
                                 std::to_string(artTiles) +
                                 " tiles of the art; nothing was written");
    }
    const std::vector<std::uint8_t> art =
        placeTiles(document.parts().tiles.bytes, args.first, *tiles);
    if (art.size() > static_cast<std::size_t>(kBaseTiles) * 32) {
        return reportFailure(io, kCommand, args.file,
                             "the sheet from --first " + std::to_string(args.first) +
                                 " reaches tile " + std::to_string(art.size() / 32 - 1) +
                                 ", past tile " + std::to_string(kBaseTiles - 1) +
                                 ", the last a chunk entry can name; nothing was written");
    }
    document.setTiles(0, art);
    if (!document.isModified()) {
        io.out << levelName(args.level) << " already has these tiles; nothing to save\n";
        return kExitOk;
    }
    return saveChanges(args, io, kCommand, *level, document.parts().palette, "tile art");
}

int runMappingsExport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "mappings-export";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    const LevelParts& parts = level->document->parts();
    ExportJson file = levelHeader(*level->document);
    ExportJson& list = file[std::string(kindName(args.kind))] =
        mappingsJson(args.kind == ArtKind::Chunks ? parts.chunks : parts.blocks, args.kind);
    if (Status written = writeJsonOutput(args.file, file, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote " << list.size() << " " << kindName(args.kind) << " of "
                          << levelName(args.level) << " to " << args.file.string() << '\n';
    return kExitOk;
}

int runMappingsImport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "mappings-import";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    auto file = readJsonFile(args.file);
    auto bytes = file ? readMappings(*file, args) : Result<std::vector<std::uint8_t>>(file.error());
    if (!bytes) {
        return reportFailure(io, kCommand, args.file,
                             "cannot read the " + std::string(kindName(args.kind)), bytes.error());
    }
    const Part part = partOf(args.kind);
    const std::int64_t danglingBefore = danglingEntries(document, args.kind);
    document.replaceMappings(part, withPartialTail(*bytes, document, args.kind));
    if (const std::int64_t dangling = danglingEntries(document, args.kind);
        dangling > danglingBefore && !args.keepDangling) {
        return reportFailure(io, kCommand, args.file, danglingMessage(args.kind, dangling));
    }
    if (!document.isModified()) {
        io.out << levelName(args.level) << " already has these " << kindName(args.kind)
               << "; nothing to save\n";
        return kExitOk;
    }
    return saveChanges(args, io, kCommand, *level, document.parts().palette, partName(part));
}

int runPaletteExport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "palette-export";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    const PaletteWords& palette = level->document->parts().palette;
    ExportJson file = levelHeader(*level->document);
    ExportJson& lines = file["lines"] = ExportJson::array();
    for (std::int32_t line = 0; line < kPaletteLines; ++line) {
        ExportJson colours = ExportJson::array();
        for (std::int32_t c = 0; c < kLineColours; ++c) {
            colours.push_back(colourText(colourOf(palette.at(line, c))));
        }
        lines.push_back(std::move(colours));
    }
    if (Status written = writeJsonOutput(args.file, file, io.out, args.rom); !written) {
        return reportFailure(io, kCommand, args.file, "cannot write the file", written.error());
    }
    io.summary(args.file) << "wrote the palette of " << levelName(args.level) << " to "
                          << args.file.string() << '\n';
    return kExitOk;
}

int runPaletteImport(const ArtArgs& args, ToolIo& io) {
    constexpr std::string_view kCommand = "palette-import";
    auto level = openLevelFor(io, kCommand, args.rom, args.level);
    if (!level) {
        return kExitFailure;
    }
    LevelDocument& document = *level->document;
    const PaletteWords before = document.parts().palette;
    auto file = readJsonFile(args.file);
    auto read = file ? readPalette(*file, args) : Result<PaletteWords>(file.error());
    auto palette = read ? mergePalette(*read, before, args.sharedLine) : read;
    if (!palette) {
        return reportFailure(io, kCommand, args.file, "cannot read the palette", palette.error());
    }
    document.replacePalette(*palette);
    if (!document.isModified()) {
        io.out << levelName(args.level) << " already has this palette; nothing to save\n";
        return kExitOk;
    }
    return saveChanges(args, io, kCommand, *level, before, "palette");
}

}  // namespace orvex
