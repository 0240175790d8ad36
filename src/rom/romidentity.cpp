#include "rom/romidentity.h"

#include <algorithm>
#include <set>
#include <string>

#include "compression/kosinski.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/collisiontables.h"
#include "rom/leveldirectory.h"
#include "rom/levelformat.h"
#include "rom/placementmove.h"

namespace orvex {

namespace {

constexpr std::uint16_t kSpecialStageEntry = 0x4000;  // the level list's two entries after
constexpr std::uint16_t kSoundTestEntry = 0xFFFF;     // the 20 levels
constexpr std::uint16_t kPaletteRamFirst = 0xFB00;
constexpr std::uint16_t kPaletteRamLast = 0xFB7F;
constexpr std::uint16_t kLeaAbsoluteA0 = 0x41F9;  // lea (xxx).l,a0, before the layout pointer

std::string name(TableId table) {
    return std::string(tableName(table));
}

Error tableFault(TableId table, const std::string& what, std::int64_t at) {
    return makeError(ErrorCode::NotARom, "the " + name(table) + " " + what, at);
}

enum class Alignment { Word, Byte };

// A pointer the game follows: `bytes` from it inside the image, and even where the game reads
// words there (a word read at an odd address stops the 68000; compressed streams are read a
// byte at a time).
Status checkPointer(ByteSpan rom, TableId table, std::int64_t at, std::int64_t pointer,
                    std::int64_t bytes, const std::string& what,
                    Alignment alignment = Alignment::Word) {
    const bool odd = alignment == Alignment::Word && pointer % 2 != 0;
    if (odd || !fitsIn(rom.size(), pointer, bytes)) {
        return tableFault(table,
                          "points " + what + " to " + hexOffset(pointer) +
                              (odd ? ", an odd address" : ", outside the image"),
                          at);
    }
    return {};
}

Status checkLevelList(ByteSpan rom, const RomProfile& profile) {
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto zoneAct = levelZoneAct(rom, profile, level);
        if (!zoneAct) {
            return tableFault(TableId::LevelList,
                              "does not hold the game's levels (" + zoneAct.error().message + ")",
                              profile.levelList);
        }
        if (zoneAct->act > 1) {
            return tableFault(TableId::LevelList,
                              "does not hold the game's levels (" + levelName(level) +
                                  " names act " + std::to_string(zoneAct->act) + ")",
                              profile.levelList + 2 * level);
        }
    }
    return {};
}

Status checkArt(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    for (const std::int16_t increment : kArtIncrements) {
        auto entry = getDataAddr(rom, profile, level, increment);
        if (!entry) {
            return tableFault(TableId::LevelArt, "cannot be read (" + entry.error().message + ")",
                              profile.levelArtTable);
        }
        if (Status pointer =
                checkPointer(rom, TableId::LevelArt, profile.levelArtTable, artOffset(*entry), 1,
                             "the art of " + levelName(level), Alignment::Byte);
            !pointer) {
            return pointer;
        }
    }
    return {};
}

// One entry of the palette pointer table: its source inside the image, its destination in
// palette RAM. Gives the source.
Result<std::int32_t> checkPaletteEntry(ByteSpan rom, const RomProfile& profile, std::int32_t number,
                                       const std::string& what) {
    const std::int64_t at =
        profile.palettePointerTable + std::int64_t{kPalettePointerEntrySize} * number;
    auto source = readLong(rom, at);
    auto destination = readWord(rom, at + 4);
    if (!source || !destination) {
        return tableFault(TableId::PalettePointers, "cannot be read for " + what, at);
    }
    if (*destination < kPaletteRamFirst || *destination > kPaletteRamLast) {
        return tableFault(
            TableId::PalettePointers,
            "loads " + what + " to " + hexOffset(*destination) + ", outside palette RAM", at + 4);
    }
    if (Status pointer =
            checkPointer(rom, TableId::PalettePointers, at, *source, kPaletteReadSize, what);
        !pointer) {
        return pointer.error();
    }
    return *source;
}

Status checkPalettes(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto entry = getDataAddr(rom, profile, level, kBlockMappingsIncrement);
    if (!entry) {
        return entry.error();
    }
    auto source = checkPaletteEntry(rom, profile, paletteNumber(*entry),
                                    "the palette of " + levelName(level));
    return source ? Status{} : Status{source.error()};
}

Status checkFixedPalette(ByteSpan rom, const RomProfile& profile) {
    auto source = checkPaletteEntry(rom, profile, kFixedPaletteEntry, "the fixed palette line");
    if (!source) {
        return source.error();
    }
    if (*source != profile.fixedPaletteLine) {
        return tableFault(TableId::PalettePointers,
                          "loads the fixed palette line from " + hexOffset(*source) + ", not " +
                              hexOffset(profile.fixedPaletteLine),
                          profile.palettePointerTable);
    }
    return {};
}

Status checkLayoutDirectory(ByteSpan rom, const RomProfile& profile) {
    auto directory = layoutDirectory(rom, profile);
    if (!directory) {
        return tableFault(TableId::LayoutDirectoryPointer, "is not a pointer",
                          profile.layoutDirectoryPointer);
    }
    return checkPointer(rom, TableId::LayoutDirectoryPointer, profile.layoutDirectoryPointer,
                        *directory, 2 * kZoneCount * 2, "the layout directory");
}

Status checkLayout(ByteSpan rom, const RomProfile& profile, std::int16_t level) {
    auto layout = layoutAddress(rom, profile, level);
    if (!layout || !fitsIn(rom.size(), *layout, 1)) {
        return tableFault(TableId::LayoutDirectoryPointer,
                          "leads to a layout of " + levelName(level) + " outside the image",
                          profile.layoutDirectoryPointer);
    }
    return {};
}

// The level list's two entries after the levels and the instruction the layout directory
// pointer belongs to: facts of every factory image that a moved table would not keep.
Status checkFactoryLandmarks(ByteSpan rom, const RomProfile& profile) {
    auto special = readWord(rom, profile.levelList + 2 * kLevelCount);
    auto soundTest = readWord(rom, profile.levelList + 2 * kLevelCount + 2);
    if (!special || !soundTest || *special != kSpecialStageEntry || *soundTest != kSoundTestEntry) {
        return tableFault(TableId::LevelList,
                          "does not end with the special stage and the sound test",
                          profile.levelList);
    }
    auto opcode = readWord(rom, profile.layoutDirectoryPointer - 2);
    if (!opcode || *opcode != kLeaAbsoluteA0) {
        return tableFault(TableId::LayoutDirectoryPointer,
                          "is not the operand of the instruction "
                          "that loads the layout directory",
                          profile.layoutDirectoryPointer);
    }
    return {};
}

std::string serialText(ByteSpan rom, const HeaderFields& header) {
    std::string serial;
    for (std::int32_t i = 0; i < kSerialLength; ++i) {
        const auto byte = readByte(rom, header.serial + i);
        const char c = byte ? static_cast<char>(*byte) : '?';
        serial += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    while (!serial.empty() && serial.back() == ' ') {
        serial.pop_back();
    }
    return serial;
}

bool isFactoryImage(ByteSpan rom, const RomProfile& profile) {
    auto stored = storedChecksum(rom, profile.header);
    auto computed = computeChecksum(rom, profile.header);
    return static_cast<std::int64_t>(rom.size()) == profile.factorySize && stored && computed &&
           *stored == profile.factoryChecksum && *computed == *stored;
}

// Every stream the 20 levels use decodes completely.
Status checkStreams(ByteSpan rom, const RomProfile& profile) {
    std::set<std::int32_t> decoded;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const std::pair<std::int16_t, const char*> art[] = {
            {kTileArtIncrement, "tile art"},
            {kChunkMappingsIncrement, "chunk mappings"},
            {kBlockMappingsIncrement, "block mappings"}};
        std::vector<std::pair<std::int32_t, std::string>> streams;
        for (const auto& [increment, what] : art) {
            auto entry = getDataAddr(rom, profile, level, increment);
            if (!entry) {
                return entry.error();
            }
            streams.emplace_back(artOffset(*entry), what);
        }
        auto layout = layoutAddress(rom, profile, level);
        if (!layout) {
            return layout.error();
        }
        streams.emplace_back(*layout, "layout");
        for (const auto& [offset, what] : streams) {
            if (!decoded.insert(offset).second) {
                continue;
            }
            auto stream = decompressKosinski(rom, offset);
            if (!stream || stream->weirdOffset) {
                return makeError(ErrorCode::NotARom,
                                 "the " + what + " of " + levelName(level) + " at " +
                                     hexOffset(offset) + " does not decode" +
                                     (stream ? "" : " (" + stream.error().message + ")"),
                                 offset);
            }
        }
    }
    return {};
}

RomProfile disassemblyProfile() {
    RomProfile profile;
    profile.kind = RomKind::Disassembly;
    profile.name = "built from the disassembly";
    return profile;
}

constexpr std::array kPlacementDirectories{TableId::ObjectDirectory, TableId::RingDirectory};

bool isPlacementDirectory(TableId table) {
    return table == TableId::ObjectDirectory || table == TableId::RingDirectory;
}

// A placement directory of a build, from the code that names it.
void takeDirectory(ByteSpan rom, TableId table, RomIdentity& identity) {
    const auto index = static_cast<std::size_t>(table);
    const std::array one{table};
    const auto code = locateTableCode(rom, one).front();
    if (!code) {
        identity.missing[index] = "its code gives different addresses";
        return;
    }
    identity.codeAt[index] = code->codeAt;
    if (auto fault = directoryPlaceFault(rom, *code)) {
        identity.missing[index] = *fault;
    } else {
        setTableOffset(identity.profile, table, code->offset);
    }
}

// The further tables: used when their address is even and inside the image (a placement
// directory: when it can hold one, see directoryPlaceFault).
void takeFurtherTables(ByteSpan rom, const LocatedTables& located, RomIdentity& identity) {
    for (const TableId table : allTables()) {
        const auto index = static_cast<std::size_t>(table);
        const auto& found = located.found[index];
        if (isLevelTable(table) || table == TableId::CollisionShapes) {
            continue;
        }
        if (!found) {
            identity.missing[index] = located.problems[index];
        } else if (isPlacementDirectory(table)) {
            takeDirectory(rom, table, identity);
        } else if (found->offset % 2 != 0 || !fitsIn(rom.size(), found->offset, 2)) {
            identity.missing[index] = "the code names " + hexOffset(found->offset) +
                                      ", which is odd or outside the image";
        } else {
            setTableOffset(identity.profile, table, found->offset);
            identity.codeAt[index] = found->codeAt;
        }
    }
}

// No code names the shape tables: they are found by their contents (see locateShapeTables).
void takeShapeTables(ByteSpan rom, RomIdentity& identity) {
    identity.profile.collisionShapes = locateShapeTables(rom, identity.profile);
    if (!identity.profile.collisionShapes) {
        identity.missing[static_cast<std::size_t>(TableId::CollisionShapes)] =
            "no plausible tables lie before the first collision index or at " +
            hexOffset(kFactoryShapeTables);
    }
}

Error builtButMissing(const std::string& what, std::optional<std::int64_t> offset = {}) {
    const std::string message = "This image is built from the game's code, but " + what;
    return offset ? makeError(ErrorCode::NotARom, message, *offset)
                  : makeError(ErrorCode::NotARom, message);
}

Result<RomIdentity> identifyBuild(ByteSpan rom, const LocatedTables& located) {
    RomIdentity identity{disassemblyProfile(), false, {}, {}};
    for (const TableId table : allTables()) {
        const auto index = static_cast<std::size_t>(table);
        if (!isLevelTable(table)) {
            continue;
        }
        if (!located.found[index]) {
            return builtButMissing("the " + name(table) + " could not be found (" +
                                   located.problems[index] + ")");
        }
        setTableOffset(identity.profile, table, located.found[index]->offset);
        identity.codeAt[index] = located.found[index]->codeAt;
    }
    if (Status tables = checkLevelTables(rom, identity.profile); !tables) {
        return builtButMissing(tables.error().message, tables.error().offset);
    }
    if (Status streams = checkStreams(rom, identity.profile); !streams) {
        return builtButMissing(streams.error().message, streams.error().offset);
    }
    takeFurtherTables(rom, located, identity);
    takeShapeTables(rom, identity);
    return identity;
}

// A move of the object and ring lists leaves their directories where the code names them, no
// longer at the revision's offsets: in a modified image the code's address is taken when it is
// even and inside the image, the revision's otherwise.
RomIdentity factoryIdentity(ByteSpan rom, const RomProfile& revision) {
    RomIdentity identity{revision, !isFactoryImage(rom, revision), {}, {}};
    if (!identity.modified) {
        return identity;
    }
    const auto codes = locateTableCode(rom, kPlacementDirectories);
    for (std::size_t i = 0; i < kPlacementDirectories.size(); ++i) {
        const TableId table = kPlacementDirectories[i];
        const auto index = static_cast<std::size_t>(table);
        const auto& code = codes[i];
        if (!code || code->offset == tableOffset(revision, table)) {
            continue;
        }
        identity.codeAt[index] = code->codeAt;
        if (auto fault = directoryPlaceFault(rom, *code)) {
            (table == TableId::ObjectDirectory ? identity.profile.objectDirectory
                                               : identity.profile.ringDirectory)
                .reset();
            identity.missing[index] = *fault;
        } else {
            setTableOffset(identity.profile, table, code->offset);
        }
    }
    return identity;
}

bool anyCodeFound(const LocatedTables& located) {
    return std::any_of(located.found.begin(), located.found.end(),
                       [](const auto& found) { return found.has_value(); });
}

const RomProfile* profileBySerial(const std::string& serial) {
    for (const RomProfile* profile : factoryProfiles()) {
        if (serial == profile->serial) {
            return profile;
        }
    }
    return nullptr;
}

}  // namespace

Status checkLevelTables(ByteSpan rom, const RomProfile& profile) {
    if (Status list = checkLevelList(rom, profile); !list) {
        return list;
    }
    if (Status fixed = checkFixedPalette(rom, profile); !fixed) {
        return fixed;
    }
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        for (auto* check : {&checkArt, &checkPalettes}) {
            if (Status status = check(rom, profile, level); !status) {
                return status;
            }
        }
        // The directory once, where the first layout is looked up through it.
        if (level == 0) {
            if (Status directory = checkLayoutDirectory(rom, profile); !directory) {
                return directory;
            }
        }
        if (Status layout = checkLayout(rom, profile, level); !layout) {
            return layout;
        }
    }
    return {};
}

Result<RomIdentity> identifyRom(ByteSpan rom) {
    const HeaderFields header;
    if (Status cartridge = checkCartridge(rom, header); !cartridge) {
        return cartridge.error();
    }
    const std::string serial = serialText(rom, header);
    const RomProfile* named = profileBySerial(serial);
    std::optional<Error> factoryFault;
    if (named != nullptr) {
        Status tables = checkFactoryLandmarks(rom, *named);
        if (tables) {
            tables = checkLevelTables(rom, *named);
        }
        if (tables) {
            return factoryIdentity(rom, *named);
        }
        factoryFault = tables.error();
    }
    const LocatedTables located = locateTables(rom);
    auto built = identifyBuild(rom, located);
    if (built) {
        return built;
    }
    if (named != nullptr) {
        Error error = *factoryFault;
        error.message = "The serial says this is " + std::string(named->name) +
                        " of the game, but " + factoryFault->message +
                        "; nor could the tables be found through the game's code (" +
                        built.error().message + ")";
        return error;
    }
    if (!anyCodeFound(located)) {
        return makeError(ErrorCode::NotARom,
                         "This is a Mega Drive image, but not this game: its serial is \"" +
                             serial + "\" (Orvex edits Sonic the Hedgehog 2, GM 00001051)",
                         header.serial);
    }
    return built.error();
}

std::string describeIdentity(const RomIdentity& identity) {
    if (identity.profile.kind == RomKind::Disassembly) {
        return "built from the disassembly (tables located by code)";
    }
    return std::string(identity.profile.name) +
           (identity.modified ? " (factory tables, modified)" : " (factory tables)");
}

std::string describeTableSource(const RomIdentity& identity, TableId table) {
    const auto index = static_cast<std::size_t>(table);
    if (identity.codeAt[index] && !identity.missing[index].empty()) {
        return "unusable: the code at " + hexOffset(*identity.codeAt[index]) + " names " +
               identity.missing[index] + "; nothing is written to this image";
    }
    if (identity.profile.kind != RomKind::Disassembly) {
        return identity.codeAt[index]
                   ? "moved, named by the code at " + hexOffset(*identity.codeAt[index])
                   : "as in " + std::string(identity.profile.name);
    }
    if (table == TableId::CollisionShapes && identity.profile.collisionShapes) {
        return "found by their contents (no code names them)";
    }
    if (!identity.codeAt[index]) {
        return "not found: " + identity.missing[index];
    }
    const std::string code = "code at " + hexOffset(*identity.codeAt[index]);
    return table == TableId::FixedPalette ? "entry 3 of the palette pointer table (" + code + ")"
                                          : "named by the " + code;
}

std::optional<std::string> directoryPlaceFault(ByteSpan rom, const TableCode& code) {
    const std::string place = hexOffset(code.offset);
    if (code.offset % 2 != 0) {
        return place + ", an odd address, where the game's processor would stop";
    }
    if (!fitsIn(rom.size(), code.offset, kPlacementDirectorySize)) {
        return place + ", where its " + std::to_string(kPlacementDirectorySize) +
               " bytes do not lie inside the image";
    }
    for (const std::int32_t match : code.matches) {
        if (code.offset < match + code.patternBytes &&
            match < code.offset + kPlacementDirectorySize) {
            return place + ", inside the code that names it (at " + hexOffset(match) + ")";
        }
    }
    return std::nullopt;
}

Status checkPlacementCode(ByteSpan rom, const RomProfile& profile) {
    const auto codes = locateTableCode(rom, kPlacementDirectories);
    for (std::size_t i = 0; i < kPlacementDirectories.size(); ++i) {
        const TableId table = kPlacementDirectories[i];
        if (!codes[i]) {
            continue;
        }
        const std::string what = name(table);
        if (auto fault = directoryPlaceFault(rom, *codes[i])) {
            return makeError(ErrorCode::NotARom,
                             "The code at " + hexOffset(codes[i]->codeAt) + " names the " + what +
                                 " at " + *fault + ", so Orvex does not write this image",
                             codes[i]->codeAt);
        }
        const auto known = tableOffset(profile, table);
        if (known && *known != codes[i]->offset) {
            return makeError(ErrorCode::Cancelled,
                             "The ROM file has changed on disk: its " + what + " moved from " +
                                 hexOffset(*known) + " to " + hexOffset(codes[i]->offset) +
                                 " since it was read. Open it again before saving; nothing was "
                                 "saved",
                             codes[i]->codeAt);
        }
    }
    return {};
}

Result<IdentifiedRom> readIdentifiedRom(const RomImage& rom) {
    auto bytes = rom.readAll();
    if (!bytes) {
        return bytes.error();
    }
    auto identity = identifyRom(*bytes);
    if (!identity) {
        return identity.error();
    }
    return IdentifiedRom{std::move(*bytes), std::move(*identity)};
}

}  // namespace orvex
