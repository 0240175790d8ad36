#include "project/syntheticproject.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "project/projecttestsupport.h"
#include "project/testassembler.h"
#include "rom/codepatterns.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/placements.h"
#include "rom/romimage.h"

namespace orvex::testing {

namespace {

constexpr std::int64_t kInlineGap = 32;  // gaps this short are inline bytes, longer ones files
constexpr const char* kObjectSource = "level/objects/Object lists.asm";
constexpr const char* kRingSource = "level/rings/Ring lists.asm";

// One statement of the source and the bytes it places.
struct Piece {
    std::int64_t address = 0;
    std::int64_t size = 0;
    std::string label;
    std::string statement;  // the text after the label
    std::string file;       // a file the statement places, written from the image
    std::string group;      // the include file that holds it; empty for s2.asm
};

std::string hex(std::int64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "$%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string labelOf(const std::string& path) {
    std::string label;
    for (const char c : path.substr(0, path.rfind('.'))) {
        label += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return label;
}

class ProjectMaker {
public:
    ProjectMaker(const DemoRom& rom, std::filesystem::path folder)
        : mRom(rom), mImage(rom.image), mFolder(std::move(folder)) {}

    Status make(const SyntheticProjectOptions& options) {
        addFiles();
        addPlacementFiles();
        if (Status tables = addTables(); !tables) {
            return tables;
        }
        std::stable_sort(mPieces.begin(), mPieces.end(), [](const Piece& a, const Piece& b) {
            return a.address != b.address ? a.address < b.address : a.size < b.size;
        });
        if (Status filled = fillGaps(); !filled) {
            return filled;
        }
        assignGroups();
        return writeAll(options.crlf ? "\r\n" : "\n");
    }

private:
    // A compressed stream of odd length takes the byte the image skips after it, so that the
    // files stay even in length as the disassembly's are, and a file written anew (padded to
    // 16 bytes) keeps every later one at an even address.
    void addStream(const DemoStream& stream, const std::string& path) {
        addFile(stream.offset, stream.length + stream.length % 2, path);
    }

    void addFile(std::int64_t address, std::int64_t size, const std::string& path) {
        if (mFileAt.contains(address)) {
            return;  // shared: the first name given stays
        }
        mFileAt[address] = path;
        mPieces.push_back({address, size, labelOf(path), "\tBINCLUDE\t\"" + path + "\"", path, ""});
    }

    std::string levelName(std::int16_t level) const {
        const auto l = static_cast<std::size_t>(level);
        return syntheticZoneName(mRom.levelZone[l]) + "_" + std::to_string(mRom.levelAct[l] + 1);
    }

    void addFiles() {
        const RomProfile& profile = mRom.profile;
        mPieces.push_back({profile.fixedPaletteLine, 64, "Pal_BGND",
                           "\tpalette SonicAndTails.bin,SonicAndTails2.bin", "", ""});
        writeBytes("art/palettes/SonicAndTails.bin", profile.fixedPaletteLine, 32);
        writeBytes("art/palettes/SonicAndTails2.bin", profile.fixedPaletteLine + 32, 32);
        for (const DemoZone& zone : mRom.zones) {
            const std::string name = syntheticZoneName(zone.zone);
            mPieces.push_back(
                {zone.paletteOffset, 96, "Pal_" + name, "\tpalette " + name + ".bin", "", ""});
            writeBytes("art/palettes/" + name + ".bin", zone.paletteOffset, 96);
            addStream(zone.tiles, "art/kosinski/" + name + ".kos");
            addStream(zone.chunks, "mappings/16x16/" + name + ".kos");
            addStream(zone.blocks, "mappings/128x128/" + name + ".kos");
            for (std::size_t path = 0; path < kCollisionPaths; ++path) {
                const DemoStream& stream = zone.collisionStreams[path];
                addStream(stream, "collision/" + name + (path == 0 ? " primary" : " secondary") +
                                      " 16x16 collision index.kos");
            }
        }
        for (std::int16_t level = 0; level < kLevelCount; ++level) {
            const DemoStream& layout = mRom.layouts[static_cast<std::size_t>(level)];
            addStream(layout, "level/layout/" + levelName(level) + ".kos");
        }
        const std::int64_t shapes = *profile.collisionShapes;
        addFile(shapes, kShapeAnglesSize, "collision/Curve and resistance mapping.bin");
        addFile(shapes + kShapeAnglesSize, kShapeHeightsSize,
                "collision/Collision array - Vertical.bin");
        addFile(shapes + kShapeAnglesSize + kShapeHeightsSize, kShapeHeightsSize,
                "collision/Collision array - Horizontal.bin");
    }

    void addPlacementFiles() {
        const RomProfile& profile = mRom.profile;
        std::set<std::int64_t> markers;
        for (std::int16_t level = 0; level < kLevelCount; ++level) {
            const auto l = static_cast<std::size_t>(level);
            const ZoneAct act{mRom.levelZone[l], mRom.levelAct[l]};
            addFile(startPositionOffset(*profile.startPositions, act), kStartFileBytes(),
                    "startpos/" + levelName(level) + ".bin");
            const std::int64_t objects =
                *placementListAddress(mImage, *profile.objectDirectory, act);
            const auto count = static_cast<std::int64_t>(mRom.objects[l].size());
            addFile(objects, kObjectBytes * count, "level/objects/" + levelName(level) + ".bin");
            const std::int64_t rings = *placementListAddress(mImage, *profile.ringDirectory, act);
            addFile(rings, static_cast<std::int64_t>(ringListBytes(mRom.rings[l]).size()),
                    "level/rings/" + levelName(level) + ".bin");
        }
        // The lists no level reads: the one every other act of the directories names.
        for (const auto& [directory, kind] :
             {std::pair(*profile.objectDirectory, 0), std::pair(*profile.ringDirectory, 1)}) {
            for (const std::int32_t list : placementListAddresses(mImage, directory)) {
                if (!mFileAt.contains(list)) {
                    addFile(list, kind == 0 ? 0 : 2,
                            kind == 0 ? "level/objects/Null.bin" : "level/rings/Null.bin");
                }
            }
        }
        // The markers around every object list.
        for (const Piece& piece : mPieces) {
            if (piece.file.starts_with("level/objects/")) {
                markers.insert(piece.address - kObjectBytes);
                markers.insert(piece.address + piece.size);
            }
        }
        for (const std::int64_t marker : markers) {
            mPieces.push_back({marker, kObjectBytes, "", "\tdc.w\t$FFFF, $0000, $0000", "", ""});
        }
    }

    static constexpr std::int64_t kStartFileBytes() { return 4; }

    // A table of words or longs, each naming the file it points at where there is one.
    void addPointerTable(std::int64_t at, std::int32_t count, std::int32_t width,
                         const std::string& label, bool relative, bool isSigned) {
        for (std::int32_t i = 0; i < count; ++i) {
            const std::int64_t entry = at + std::int64_t{width} * i;
            std::int64_t value = 0;
            for (std::int32_t b = 0; b < width; ++b) {
                value = value << 8 | mImage[static_cast<std::size_t>(entry + b)];
            }
            if (width == 2 && isSigned && value >= 0x8000) {
                value -= 0x10000;
            }
            const std::int64_t target = relative ? at + value : value & 0xFFFFFF;
            const std::int64_t top = relative ? 0 : value >> 24;
            std::string expression = hex(value & (width == 2 ? 0xFFFF : 0xFFFFFFFF));
            if (const auto file = mFileAt.find(target); file != mFileAt.end()) {
                expression = (top != 0 ? hex(top << 24) + "+" : "") + labelOf(file->second) +
                             (relative ? "-" + label : "");
            }
            mPieces.push_back({entry, width, i == 0 ? label : "",
                               std::string(width == 2 ? "\tdc.w\t" : "\tdc.l\t") + expression, "",
                               ""});
        }
    }

    void addLabelLong(std::int64_t at, const std::string& label) {
        mPieces.push_back({at, 4, "", "\tdc.l\t" + label, "", ""});
    }

    Status addTables() {
        const RomProfile& profile = mRom.profile;
        const std::int64_t layouts = *layoutDirectory(mImage, profile);
        addPointerTable(layouts, 2 * kZoneCount, 2, "Off_Level", true, false);
        addPointerTable(*profile.objectDirectory, 2 * kZoneCount, 2, "Off_Objects", true, true);
        addPointerTable(*profile.ringDirectory, 2 * kZoneCount, 2, "Off_Rings", true, true);
        addPointerTable(profile.levelArtTable, 3 * kZoneCount, 4, "LevelArtPointers", false, false);
        addPointerTable(*profile.collisionPrimary, kZoneCount, 4, "ColP_Pointers", false, false);
        addPointerTable(*profile.collisionSecondary, kZoneCount, 4, "ColS_Pointers", false, false);
        addLabelLong(profile.layoutDirectoryPointer, "Off_Level");
        // The code that names the directories of the lists, which lie after files that can grow.
        const std::array<TableId, 2> named{TableId::ObjectDirectory, TableId::RingDirectory};
        const auto code = locateTableCode(mImage, named);
        for (std::size_t i = 0; i < named.size(); ++i) {
            if (!code[i]) {
                return makeError(ErrorCode::NotARom, "The demo image's code names no directory");
            }
            for (const std::int32_t reference : code[i]->references) {
                addLabelLong(reference, i == 0 ? "Off_Objects" : "Off_Rings");
            }
        }
        addLevelSizes();
        return {};
    }

    static std::string sizeValue(std::uint16_t value) {
        return value >= 0x8000 ? "-" + hex(0x10000 - value) : hex(value);
    }

    void addLevelSizes() {
        const std::int64_t table = *mRom.profile.levelSizes;
        for (std::int32_t entry = 0; entry < 2 * kZoneCount; ++entry) {
            const std::int64_t at = table + 8 * entry;
            std::string values;
            for (std::int32_t i = 0; i < 4; ++i) {
                values += (i > 0 ? ",\t" : "\t") + sizeValue(*readWord(mImage, at + 2 * i));
            }
            mPieces.push_back(
                {at, 8, entry == 0 ? "LevelSize" : "",
                 "\tzoneTableEntry.w" + values + "\t; Act " + std::to_string(entry % 2 + 1), "",
                 ""});
        }
    }

    Status fillGaps() {
        std::vector<Piece> filled;
        std::int64_t cursor = 0;
        for (const Piece& piece : mPieces) {
            if (piece.address < cursor) {
                return makeError(ErrorCode::OutOfRange, "Pieces overlap at " + hex(piece.address) +
                                                            ": " + piece.statement);
            }
            addFiller(filled, cursor, piece.address);
            filled.push_back(piece);
            cursor = piece.address + piece.size;
        }
        addFiller(filled, cursor, static_cast<std::int64_t>(mImage.size()));
        mPieces = std::move(filled);
        return {};
    }

    void addFiller(std::vector<Piece>& into, std::int64_t from, std::int64_t to) {
        if (to - from > kInlineGap) {
            char name[32];
            std::snprintf(name, sizeof name, "code/%06llX.bin",
                          static_cast<unsigned long long>(from));
            into.push_back(
                {from, to - from, "", std::string("\tBINCLUDE\t\"") + name + "\"", name, ""});
            return;
        }
        for (std::int64_t at = from; at < to; at += 16) {
            std::string bytes;
            for (std::int64_t b = at; b < std::min(to, at + 16); ++b) {
                bytes += (b > at ? "," : "") + hex(mImage[static_cast<std::size_t>(b)]);
            }
            into.push_back({at, std::min(to, at + 16) - at, "", "\tdc.b\t" + bytes, "", ""});
        }
    }

    void assignGroups() {
        const auto lastOf = [this](const std::string& prefix) {
            std::int64_t end = 0;
            for (const Piece& piece : mPieces) {
                if (piece.file.starts_with(prefix)) {
                    end = std::max(end, piece.address + piece.size);
                }
            }
            return end;
        };
        const std::int64_t objectsEnd = lastOf("level/objects/") + kObjectBytes;
        const std::int64_t ringsEnd = lastOf("level/rings/");
        for (Piece& piece : mPieces) {
            if (piece.address >= *mRom.profile.objectDirectory && piece.address < objectsEnd) {
                piece.group = kObjectSource;
            } else if (piece.address >= *mRom.profile.ringDirectory && piece.address < ringsEnd) {
                piece.group = kRingSource;
            }
        }
    }

    void writeBytes(const std::string& path, std::int64_t from, std::int64_t size) {
        const auto start = mImage.begin() + from;
        putFile(mFolder / path, std::vector<std::uint8_t>(start, start + size));
    }

    void writeText(const std::string& path, const std::vector<std::string>& lines,
                   const std::string& ending) {
        std::string text;
        for (const std::string& line : lines) {
            text += line + ending;
        }
        putFile(mFolder / path, text);
    }

    Status writeAll(const std::string& ending) {
        std::map<std::string, std::vector<std::string>> sources;
        std::vector<std::string>& main = sources["s2.asm"];
        main = {"; The Orvex demo levels as a disassembly's source", "\tpadding off",
                "\tinclude \"s2.macros.asm\""};
        std::string open;
        for (const Piece& piece : mPieces) {
            if (!piece.file.empty()) {
                writeBytes(piece.file, piece.address, piece.size);
            }
            if (piece.group != open && !piece.group.empty()) {
                main.push_back("\tinclude \"" + piece.group + "\"");
            }
            open = piece.group;
            std::vector<std::string>& into = open.empty() ? main : sources[open];
            into.push_back(piece.label.empty() ? piece.statement
                                               : piece.label + ":" + piece.statement);
        }
        main.push_back("\tend");
        sources["s2.macros.asm"] = {"; Macros of the source",
                                    "\tinclude \"s2.macrosetup.asm\"",
                                    "zoneTableEntry macro xmin,xmax,ymin,ymax",
                                    "\tdc.w xmin, xmax, ymin, ymax",
                                    "\tendm",
                                    "palette macro first,second",
                                    "\tBINCLUDE \"art/palettes/first\"",
                                    "\tendm"};
        sources["s2.macrosetup.asm"] = {"; Assembler settings", "\tpadding off"};
        for (const auto& [path, lines] : sources) {
            writeText(path, lines, ending);
        }
        writeText("build.lua", {"-- The tests build this project with their own program."}, "\n");
        return assembleTestProject(mFolder);
    }

    const DemoRom& mRom;
    const std::vector<std::uint8_t>& mImage;
    std::filesystem::path mFolder;
    std::vector<Piece> mPieces;
    std::map<std::int64_t, std::string> mFileAt;
};

}  // namespace

std::string syntheticZoneName(std::uint8_t zone) {
    static constexpr std::array<const char*, kZoneCount> kNames{
        "EHZ", "Z01", "WZ",  "Z03", "MTZ", "MTZ3", "WFZ", "HTZ", "HPZ",
        "Z09", "OOZ", "MCZ", "CNZ", "CPZ", "DEZ",  "ARZ", "SCZ"};
    return zone < kNames.size() ? kNames[zone] : "Z" + std::to_string(zone);
}

const DemoRom& syntheticProjectRom() {
    static const DemoRom rom = std::move(buildDemoRom(demoBuildProfile()).value());
    return rom;
}

Status writeSyntheticProject(const std::filesystem::path& folder,
                             const SyntheticProjectOptions& options) {
    std::filesystem::create_directories(folder);
    ProjectMaker maker(syntheticProjectRom(), folder);
    return maker.make(options);
}

std::string testBuildProgram() {
    return ORVEX_TEST_BUILD_PROGRAM;
}

}  // namespace orvex::testing
