// orvex-tool info: the level tables and the header of a ROM.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romlayout.h"
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
            first = std::string(what) + ": " + error.describe();
        }
    }
};

StreamFacts streamFacts(ByteSpan rom, std::int32_t offset, std::string_view what,
                        Problems& problems) {
    StreamFacts facts;
    facts.offset = offset;
    auto decoded = decompressKosinski(rom, offset);
    if (!decoded) {
        problems.add(what, decoded.error());
        return facts;
    }
    facts.length = decoded->packedLastIndex + 1;
    facts.breaksOff = decoded->weirdOffset;
    if (facts.breaksOff) {
        problems.add(what, brokenOffError(offset, *decoded));
    }
    return facts;
}

Result<StreamFacts> artFacts(ByteSpan rom, std::int16_t level, std::int16_t increment,
                             std::string_view name, Problems& problems) {
    auto entry = getDataAddr(rom, level, increment);
    if (!entry) {
        return entry.error();
    }
    return streamFacts(rom, artOffset(*entry), std::string(name) + " of " + levelName(level),
                       problems);
}

Status addArtFacts(ByteSpan rom, std::int16_t level, LevelFacts& facts, Problems& problems) {
    auto tiles = artFacts(rom, level, kTileArtIncrement, "the tile art", problems);
    auto chunks = artFacts(rom, level, kChunkMappingsIncrement, "the chunk mappings", problems);
    auto blocks = artFacts(rom, level, kBlockMappingsIncrement, "the block mappings", problems);
    if (!tiles || !chunks || !blocks) {
        return !tiles ? tiles.error() : !chunks ? chunks.error() : blocks.error();
    }
    facts.tiles = *tiles;
    facts.chunks = *chunks;
    facts.blocks = *blocks;
    return {};
}

Result<LevelFacts> levelFacts(ByteSpan rom, std::int16_t level, Problems& problems) {
    LevelFacts facts;
    auto zoneAct = levelZoneAct(rom, level);
    if (!zoneAct) {
        return zoneAct.error();
    }
    facts.zoneAct = *zoneAct;
    if (Status art = addArtFacts(rom, level, facts, problems); !art) {
        return art.error();
    }
    auto blockEntry = getDataAddr(rom, level, kBlockMappingsIncrement);
    auto palette = paletteAddress(rom, level);
    auto layoutAt = layoutAddress(rom, level);
    if (!blockEntry || !palette || !layoutAt) {
        return !blockEntry ? blockEntry.error() : !palette ? palette.error() : layoutAt.error();
    }
    facts.paletteNumber = paletteNumber(*blockEntry);
    facts.paletteAddr = *palette;
    facts.layout = streamFacts(rom, *layoutAt, "the layout of " + levelName(level), problems);
    return facts;
}

std::string describeStream(std::string_view name, const StreamFacts& facts) {
    std::string text = std::string(name) + " " + hexOffset(facts.offset) + " (";
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
           std::to_string(facts.paletteNumber) + " at " + hexOffset(facts.paletteAddr);
}

std::string describeMigration(std::int32_t directory) {
    const bool migrated = directory != kFactoryLayoutDirectory;
    return std::string("layouts: ") + (migrated ? "migrated" : "not migrated") +
           " (layout directory at " + hexOffset(directory) + ", pointer at " +
           hexOffset(kLayoutDirectoryPointer) + ")";
}

std::string describeChecksum(std::uint16_t stored, const Result<std::uint16_t>& computed) {
    std::string text =
        "checksum (" + hexOffset(kChecksumField) + "): stored " + hexOffset(stored) + ", computed ";
    if (!computed) {
        return text + "unknown (" + computed.error().describe() + ")";
    }
    return text + hexOffset(*computed) + (*computed == stored ? ": correct" : ": wrong");
}

// The header lines: migration, ROM end, checksum.
Status printHeader(ByteSpan rom, std::ostream& out, Problems& problems) {
    auto directory = layoutDirectory(rom);
    auto romEnd = readLong(rom, kRomEndField);
    auto stored = storedChecksum(rom);
    if (!directory || !romEnd || !stored) {
        return !directory ? directory.error() : !romEnd ? romEnd.error() : stored.error();
    }
    const auto computed = computeChecksum(rom);
    if (!computed) {
        problems.add("the checksum", computed.error());
    }
    out << describeMigration(*directory) << '\n'
        << "ROM end (" << hexOffset(kRomEndField) << "): " << hexOffset(*romEnd) << " (file length "
        << hexOffset(static_cast<std::int64_t>(rom.size())) << ")\n"
        << describeChecksum(*stored, computed) << '\n';
    return {};
}

}  // namespace

int runInfo(const InfoArgs& args, ToolIo& io) {
    auto image = readWholeFile(args.rom);
    if (!image) {
        return reportFailure(io, kCommand, args.rom, "cannot read the ROM", image.error());
    }
    Problems problems;
    std::vector<std::string> lines;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        auto facts = levelFacts(*image, level, problems);
        if (!facts) {
            return reportFailure(io, kCommand, args.rom,
                                 "cannot read the tables of " + levelName(level), facts.error());
        }
        lines.push_back(describeLevel(level, *facts));
    }
    for (const std::string& line : lines) {
        io.out << line << '\n';
    }
    if (Status header = printHeader(*image, io.out, problems); !header) {
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
