// orvex-tool info: the level tables and the header of a ROM, and for a project the files behind
// each level's parts.

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "rom/starttables.h"
#include "terminalhost.h"
#include "toolcommands.h"
#include "toolfiles.h"
#include "toolsupport.h"

namespace orvex {

namespace {

constexpr std::string_view kCommand = "info";

// One compressed stream: where it starts and how long it turned out to be.
struct StreamFacts {
    std::int32_t offset = 0;
    std::optional<std::int32_t> length;  // stream bytes; empty when the stream is corrupt
    bool breaksOff = false;              // a copy reaches before the start of the output
};

struct LevelFacts {
    ZoneAct zoneAct;
    StreamFacts tiles;
    StreamFacts chunks;
    StreamFacts blocks;
    StreamFacts layout;
    std::uint8_t paletteNumber = 0;
    std::int32_t paletteAddr = 0;
};

// Collects what went wrong while the tool goes on listing.
struct Problems {
    std::int32_t count = 0;
    std::string first;  // what broke and why, for the one line the tool prints

    void add(std::string_view what, const Error& error) {
        if (count++ == 0) {
            first = std::string(what) + ": " + describeError(error);
        }
    }
};

// What decoding one stream found, kept by offset: levels that share art, chunks or blocks name
// the same stream, which is decoded once.
struct Decoded {
    StreamFacts facts;
    std::optional<Error> error;
};
using StreamCache = std::map<std::int32_t, Decoded>;

Decoded decodeFacts(ByteSpan rom, std::int32_t offset) {
    Decoded decoded;
    decoded.facts.offset = offset;
    auto stream = decompressKosinski(rom, offset);
    if (!stream) {
        decoded.error = stream.error();
        return decoded;
    }
    decoded.facts.length = stream->packedLastIndex + 1;
    decoded.facts.breaksOff = stream->weirdOffset;
    if (decoded.facts.breaksOff) {
        decoded.error = brokenOffError(offset, *stream);
    }
    return decoded;
}

StreamFacts streamFacts(ByteSpan rom, std::int32_t offset, std::string_view what,
                        Problems& problems, StreamCache& cache) {
    auto found = cache.find(offset);
    if (found == cache.end()) {
        found = cache.emplace(offset, decodeFacts(rom, offset)).first;
    }
    if (found->second.error) {
        problems.add(what, *found->second.error);
    }
    return found->second.facts;
}

Result<StreamFacts> artFacts(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                             std::int16_t increment, std::string_view name, Problems& problems,
                             StreamCache& cache) {
    auto entry = getDataAddr(rom, profile, level, increment);
    if (!entry) {
        return entry.error();
    }
    return streamFacts(rom, artOffset(*entry), std::string(name) + " of " + levelName(level),
                       problems, cache);
}

Status addArtFacts(ByteSpan rom, const RomProfile& profile, std::int16_t level, LevelFacts& facts,
                   Problems& problems, StreamCache& cache) {
    auto tiles = artFacts(rom, profile, level, kTileArtIncrement, "the tile art", problems, cache);
    auto chunks = artFacts(rom, profile, level, kChunkMappingsIncrement, "the chunk mappings",
                           problems, cache);
    auto blocks = artFacts(rom, profile, level, kBlockMappingsIncrement, "the block mappings",
                           problems, cache);
    if (!tiles || !chunks || !blocks) {
        return !tiles ? tiles.error() : !chunks ? chunks.error() : blocks.error();
    }
    facts.tiles = *tiles;
    facts.chunks = *chunks;
    facts.blocks = *blocks;
    return {};
}

Result<LevelFacts> levelFacts(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                              Problems& problems, StreamCache& cache) {
    LevelFacts facts;
    auto zoneAct = levelZoneAct(rom, profile, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    facts.zoneAct = *zoneAct;
    if (Status art = addArtFacts(rom, profile, level, facts, problems, cache); !art) {
        return art.error();
    }
    auto blockEntry = getDataAddr(rom, profile, level, kBlockMappingsIncrement);
    auto palette = paletteAddress(rom, profile, level);
    auto layoutAt = layoutAddress(rom, profile, level);
    if (!blockEntry || !palette || !layoutAt) {
        return !blockEntry ? blockEntry.error() : !palette ? palette.error() : layoutAt.error();
    }
    facts.paletteNumber = paletteNumber(*blockEntry);
    facts.paletteAddr = *palette;
    facts.layout =
        streamFacts(rom, *layoutAt, "the layout of " + levelName(level), problems, cache);
    return facts;
}

std::string describeStream(std::string_view name, const StreamFacts& facts) {
    std::string text = std::string(name) + " " + offsetText(facts.offset) + " (";
    if (!facts.length) {
        return text + "corrupt)";
    }
    text += std::to_string(*facts.length) + " bytes";
    return text + (facts.breaksOff ? ", breaks off)" : ")");
}

std::string describeLevel(std::int16_t level, const LevelFacts& facts) {
    return levelName(level) + ": zone " + std::to_string(facts.zoneAct.zone) + " act " +
           std::to_string(facts.zoneAct.act) + ", " + describeStream("tiles", facts.tiles) + ", " +
           describeStream("chunks", facts.chunks) + ", " + describeStream("blocks", facts.blocks) +
           ", " + describeStream("layout", facts.layout) + ", palette " +
           std::to_string(facts.paletteNumber) + " at " + offsetText(facts.paletteAddr);
}

std::string describeMigration(ByteSpan rom, const RomProfile& profile, std::int32_t directory) {
    const bool migrated = layoutsMigrated(rom, profile);
    return std::string("layouts: ") + (migrated ? "migrated" : "not migrated") +
           " (layout directory at " + offsetText(directory) + ", pointer at " +
           offsetText(profile.layoutDirectoryPointer) + ")";
}

std::string describeChecksum(const HeaderFields& header, std::uint16_t stored,
                             const Result<std::uint16_t>& computed) {
    std::string text = "checksum (" + offsetText(header.checksum) + "): stored " +
                       hexOffset(stored) + ", computed ";
    if (!computed) {
        return text + "unknown (" + describeError(computed.error()) + ")";
    }
    return text + hexOffset(*computed) + (*computed == stored ? ": correct" : ": wrong");
}

// The header lines: migration, ROM end, checksum.
Status printHeader(ByteSpan rom, const RomProfile& profile, std::ostream& out, Problems& problems) {
    const HeaderFields& header = profile.header;
    auto directory = layoutDirectory(rom, profile);
    auto romEnd = readLong(rom, header.romEnd);
    auto stored = storedChecksum(rom, header);
    if (!directory || !romEnd || !stored) {
        return !directory ? directory.error() : !romEnd ? romEnd.error() : stored.error();
    }
    const auto computed = computeChecksum(rom, header);
    if (!computed) {
        problems.add("the checksum", computed.error());
    }
    out << describeMigration(rom, profile, *directory) << '\n'
        << "ROM end (" << offsetText(header.romEnd) << "): " << offsetText(*romEnd)
        << " (file length " << offsetText(static_cast<std::int64_t>(rom.size())) << ")\n"
        << describeChecksum(header, *stored, computed) << '\n';
    return {};
}

// The identification line, then a line per table: its offset and how it was found.
void printIdentity(const RomIdentity& identity, std::ostream& out) {
    out << "image: " << describeIdentity(identity) << '\n';
    for (const TableId table : allTables()) {
        const auto offset = tableOffset(identity.profile, table);
        out << "table " << tableName(table) << ": "
            << (offset ? offsetText(*offset) + ", " : std::string())
            << describeTableSource(identity, table) << '\n';
    }
}

// A line per level-start table: what was found and the code that names it, or why it is missing.
void printStartTables(ByteSpan rom, const RomProfile& profile, std::ostream& out) {
    for (const StartTableReport& report : locateStartTables(rom, profile).reports) {
        out << "start table " << report.name << ": ";
        if (!report.offset) {
            out << report.problem << '\n';
            continue;
        }
        out << report.found << ", named by the code at " << offsetText(report.codeAt.value_or(0))
            << '\n';
    }
}

// A line per part of the level: the project's files behind it, relative to the project; the
// boundaries' source line, and why they are read-only when they are.
void printPlaces(const LevelPlaces& places, std::ostream& out) {
    for (const Part part : kAllParts) {
        const auto files = places.filesOf(part);
        if (files.empty()) {
            continue;
        }
        out << "  " << partName(part) << ": ";
        for (std::size_t i = 0; i < files.size(); ++i) {
            out << (i == 0 ? "" : ", ") << files[i]->path;
            if (files[i]->line > 0) {
                out << " line " << files[i]->line;
            }
        }
        if (const auto reason = places.readOnlyReason(part)) {
            out << " (read-only: " << oneLine(*reason) << ")";
        }
        out << '\n';
    }
    for (const std::string& note : places.notes) {
        out << "  note: " << note << '\n';
    }
}

}  // namespace

int runInfo(const InfoArgs& args, ToolIo& io) {
    auto opened = openSource(io, kCommand, args.rom);
    auto bytes =
        opened ? opened->source->readImage() : Result<std::vector<std::uint8_t>>(opened.error());
    if (!bytes) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", bytes.error());
    }
    const LevelSource& source = *opened->source;
    const auto image = std::make_optional(IdentifiedRom{std::move(*bytes), source.identity()});
    const RomProfile& profile = image->identity.profile;
    Problems problems;
    StreamCache cache;
    std::vector<std::string> lines;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto facts = levelFacts(image->bytes, profile, level, problems, cache);
        if (!facts) {
            return reportFailure(io, kCommand, args.rom,
                                 "cannot read the tables of " + levelName(level), facts.error());
        }
        lines.push_back(describeLevel(level, *facts));
    }
    if (source.kind() == SourceKind::Project) {
        io.out << source.displayName() << " (" << source.path().string()
               << "), read through its last build "
               << source.imageFile().romPath().filename().string() << '\n';
    }
    printIdentity(image->identity, io.out);
    printStartTables(image->bytes, profile, io.out);
    for (std::size_t level = 0; level < lines.size(); ++level) {
        io.out << lines[level] << '\n';
        printPlaces(source.places(static_cast<std::int16_t>(level)), io.out);
    }
    if (Status header = printHeader(image->bytes, profile, io.out, problems); !header) {
        return reportFailure(io, kCommand, args.rom, "cannot read the header", header.error());
    }
    if (problems.count > 0) {
        return reportFailure(
            io, kCommand, args.rom,
            std::to_string(problems.count) + " problem(s), the first: " + problems.first);
    }
    return kExitOk;
}

}  // namespace orvex
