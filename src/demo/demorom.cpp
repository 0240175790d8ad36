#include "demo/demorom.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "demo/democollision.h"
#include "demo/demoglyphs.h"
#include "demo/demoobjectart.h"
#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/objectids.h"
#include "rom/romimage.h"
#include "rom/testimage.h"

namespace orvex {

namespace {

// Zone and act of each level index, in the order of the level selector.
constexpr std::array<std::array<std::uint8_t, 2>, kLevelCount> kLevels = {{
    {0, 0}, {0, 1}, {2, 0},  {2, 1},  {4, 0},  {4, 1},  {5, 0},  {5, 1},  {6, 0},  {6, 1},
    {7, 0}, {7, 1}, {15, 0}, {15, 1}, {10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {16, 0},
}};
constexpr std::array<std::uint8_t, 13> kZones = {0, 2, 4, 5, 6, 7, 15, 10, 11, 12, 13, 14, 16};

constexpr std::int32_t kPaletteArea = 0x3000;
constexpr std::int32_t kCodeArea = 0x1000;       // where the instructions naming tables go
constexpr std::uint8_t kFirstLevelPalette = 4;   // 0 to 3 are the game's own screens' palettes
constexpr std::uint16_t kPaletteLine1 = 0xFB20;  // palette RAM of line 1
constexpr std::uint16_t kPaletteLine0 = 0xFB00;
constexpr std::uint16_t kLevelPaletteLongs = 0x17;  // 3 lines, in longs - 1
constexpr std::uint16_t kFixedPaletteLongs = 0x0F;  // 2 lines, in longs - 1
constexpr std::string_view kBuildSerial = "GM 00001051-01";
constexpr std::int32_t kDirectorySize = 4 * kZoneCount;  // two act words a zone
constexpr std::int32_t kPcRelativeReach = 0x30;          // code placed this far before its table

// An image built from the disassembly with everything moved: the code that names the tables
// sits elsewhere too, so the layout directory pointer moved with it.
constexpr RomProfile kDemoBuild{
    .kind = RomKind::Disassembly,
    .name = "built from the disassembly",
    .serial = "",
    .factoryChecksum = 0,
    .factorySize = 0x100000,
    .header = {},
    .levelList = 0x9700,
    .levelArtTable = 0x42A00,
    .palettePointerTable = 0x2900,
    .fixedPaletteLine = 0x2B00,
    .layoutDirectoryPointer = 0xE812,
    .factoryLayoutDirectory = 0x45C40,
    .objectDirectory = 0xE6A00,
    .ringDirectory = 0xE4500,
    .startPositions = 0xC300,
    .levelSizes = 0xC180,
    .collisionPrimary = 0x4B00,
    .collisionSecondary = 0x4B44,
    .collisionShapes = 0x42F00,
    .waterHeights = 0x4700,
    .patternLoadCues = 0x42900,
    .debugObjectLists = 0x41E00,
};
constexpr std::int32_t kArtArea = 0x50000;
// The factory images' collision indexes end here; the build keeps the same room after its own.
constexpr std::int32_t kFactoryIndexesEnd = 0x459A0;
constexpr std::int32_t kIndexRoom = kFactoryIndexesEnd - 0x44E50;
constexpr std::int32_t kLayoutBytes = 4096;

// Deterministic filler so that every byte the editor must not touch has a value of its own.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : mState(seed) {}
    std::uint32_t next() {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return mState;
    }
    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 24); }

private:
    std::uint32_t mState;
};

void putText(std::vector<std::uint8_t>& image, std::size_t at, std::string_view text) {
    std::copy(text.begin(), text.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void writeHeader(std::vector<std::uint8_t>& image, const RomProfile& profile) {
    std::fill(image.begin() + 0x100, image.begin() + 0x200, std::uint8_t{' '});
    putText(image, 0x100, "SEGA MEGA DRIVE ");
    putText(image, 0x110, "(C)ORVX 2026.DEC");
    putText(image, 0x120, "ORVEX DEMO LEVELS");
    putText(image, 0x150, "ORVEX DEMO LEVELS");
    putText(image, static_cast<std::size_t>(profile.header.serial),
            profile.serial.empty() ? kBuildSerial : profile.serial);
    putWord(image, static_cast<std::size_t>(profile.header.checksum), 0);
    putLong(image, 0x1A0, 0);
    putLong(image, static_cast<std::size_t>(profile.header.romEnd),
            static_cast<std::uint32_t>(image.size() - 1));
    putText(image, 0x1F0, "JUE");
}

// A Mega Drive colour word from 3-bit channel levels.
std::uint16_t colourWord(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return static_cast<std::uint16_t>(((blue & 7) << 9) | ((green & 7) << 5) | ((red & 7) << 1));
}

void putPaletteEntry(std::vector<std::uint8_t>& image, const RomProfile& profile,
                     std::uint32_t number, std::int32_t source, std::uint16_t destination,
                     std::uint16_t longs) {
    const std::size_t entry = static_cast<std::size_t>(profile.palettePointerTable) +
                              kPalettePointerEntrySize * std::size_t{number};
    putLong(image, entry, static_cast<std::uint32_t>(source));
    putWord(image, entry + 4, destination);
    putWord(image, entry + 6, longs);
}

void writeFixedPaletteLine(std::vector<std::uint8_t>& image, const RomProfile& profile) {
    putPaletteEntry(image, profile, kFixedPaletteEntry, profile.fixedPaletteLine, kPaletteLine0,
                    kFixedPaletteLongs);
    for (std::uint32_t c = 0; c < 16; ++c) {
        // A grey ramp with a few pure colours, the same for every level.
        const std::uint32_t level = c / 2;
        const std::uint16_t word =
            c < 12 ? colourWord(level, level, level)
                   : colourWord(c == 12 ? 7 : 0, c == 13 ? 7 : 0, c == 14 ? 7 : 3);
        putWord(image, static_cast<std::size_t>(profile.fixedPaletteLine) + 2 * c, word);
    }
}

// Three palette lines in the zone's own hues: line 1 warm, line 2 cool, line 3 the zone's mix.
std::vector<std::uint8_t> zonePalette(std::size_t zoneIndex) {
    std::vector<std::uint8_t> lines(96);
    const auto hue = static_cast<std::uint32_t>(zoneIndex);
    for (std::uint32_t c = 0; c < 16; ++c) {
        const std::uint32_t ramp = c / 2;
        putWord(lines, 2 * c, colourWord(ramp, (ramp * (hue % 4)) / 3, ramp / 3));
        putWord(lines, 32 + 2 * c, colourWord(ramp / 3, (ramp * 2) / 3, ramp));
        putWord(lines, 64 + 2 * c, colourWord((ramp + hue) % 8, ramp, (7 - ramp + hue) % 8));
    }
    // A non-zero colour 0 on every line: the editor shows colour 0 black all the same.
    putWord(lines, 0, 0x0EEE);
    return lines;
}

// The colour index of pixel (x, y) of tile t: sixteen kinds of pattern, coloured by t.
std::uint8_t tilePixel(std::int32_t t, std::int32_t x, std::int32_t y) {
    const auto a = static_cast<std::uint8_t>(1 + (t / 16) % 15);
    const auto b = static_cast<std::uint8_t>(1 + (t / 16 + 7) % 15);
    switch (t % 16) {
        case 0:
            return a;
        case 1:
            return y % 2 == 0 ? a : b;
        case 2:
            return x % 2 == 0 ? a : b;
        case 3:
            return ((x / 2) + (y / 2)) % 2 == 0 ? a : b;
        case 4:
            return (x + y) % 4 < 2 ? a : b;
        case 5:
            return x == 0 || y == 0 || x == 7 || y == 7 ? a : b;
        case 6:
            return (x - 3) * (x - 4) + (y - 3) * (y - 4) < 8 ? a : 0;
        case 7:
            return static_cast<std::uint8_t>(1 + y * 2);
        case 8:
            return x <= y ? a : b;  // not symmetric: shows every flip
        case 9:
            return x < 2 ? a : (y < 2 ? b : 0);
        case 10:
            return static_cast<std::uint8_t>(1 + (x + 2 * y) % 15);
        case 11:
            return y == 3 || y == 4 ? a : b;
        case 12:
            return (x * y) % 3 == 0 ? a : b;
        case 13:
            return x + y < 4 ? a : (x + y > 10 ? b : 0);
        case 14:
            return static_cast<std::uint8_t>(1 + x * 2);
        default:
            return (x ^ y) & 1 ? a : b;
    }
}

std::vector<std::uint8_t> makeTileArt(std::int32_t tileCount) {
    std::vector<std::uint8_t> art;
    art.reserve(static_cast<std::size_t>(tileCount) * 32);
    for (std::int32_t t = 0; t < tileCount; ++t) {
        for (std::int32_t y = 0; y < 8; ++y) {
            for (std::int32_t x = 0; x < 8; x += 2) {
                art.push_back(
                    static_cast<std::uint8_t>((tilePixel(t, x, y) << 4) | tilePixel(t, x + 1, y)));
            }
        }
    }
    return art;
}

// Chunk mappings: chunk 0 is plain dark, chunk 1 plain bright, chunks 2 to 4 frame pieces; the
// rest mix the zone's tiles with every flip, every palette line and the priority bit.
std::vector<std::uint8_t> makeChunkMappings(std::int32_t chunkCount, std::int32_t tileCount) {
    std::vector<std::uint8_t> mappings(static_cast<std::size_t>(chunkCount) * 8);
    for (std::int32_t c = 0; c < chunkCount; ++c) {
        for (std::int32_t q = 0; q < 4; ++q) {
            std::uint32_t word = 0;
            if (c == 0) {
                word = 0x2000 | 16;  // line 1, a solid tile
            } else if (c == 1) {
                word = 0x4000 | 112;  // line 2, a solid tile
            } else if (c <= 4) {
                word = 0x6000 | static_cast<std::uint32_t>(5 + 16 * (c + q));  // frame boxes
            } else {
                const auto tile = static_cast<std::uint32_t>((c * 4 + q * 5) % tileCount);
                const auto line = static_cast<std::uint32_t>((c + q) % 4);
                word = (static_cast<std::uint32_t>(c & 1) << 15) | (line << 13) |
                       (static_cast<std::uint32_t>((c >> 1) & 1) << 11) |
                       (static_cast<std::uint32_t>((c >> 2) & 1) << 12) | tile;
            }
            putWord(mappings, static_cast<std::size_t>(8 * c + 2 * q),
                    static_cast<std::uint16_t>(word));
        }
    }
    return mappings;
}

bool glyphCell(std::int32_t block, std::int32_t row, std::int32_t column) {
    // Digits in chunk rows 1..5: the high digit in columns 1..3, the low one in 4..6.
    if (row < 1 || row > 5 || column < 1 || column > 6) {
        return false;
    }
    const std::int32_t digit = column <= 3 ? block >> 4 : block & 15;
    const std::int32_t bit = 2 - (column - 1) % 3;
    return (kDemoGlyphs[static_cast<std::size_t>(digit)][static_cast<std::size_t>(row - 1)] >>
            bit) &
           1;
}

// The chunk variant of chunk row r, column q of block b: a frame (its pieces mirrored with the
// flip bits) around the block's number in hex; the solidity bits are left clear.
std::uint16_t blockWord(std::int32_t b, std::int32_t r, std::int32_t q, std::int32_t chunkCount) {
    constexpr std::uint32_t kHFlip = 0x0400;
    constexpr std::uint32_t kVFlip = 0x0800;
    std::uint32_t word = 0;
    const bool top = r == 0;
    const bool bottom = r == 7;
    const bool left = q == 0;
    const bool right = q == 7;
    if ((top || bottom) && (left || right)) {
        word = 4 | (right ? kHFlip : 0) | (bottom ? kVFlip : 0);
    } else if (top || bottom) {
        word = 2 | (bottom ? kVFlip : 0);
    } else if (left || right) {
        word = 3 | (right ? kHFlip : 0);
    } else if (glyphCell(b, r, q)) {
        word = 1;
    } else {
        const auto decor = static_cast<std::uint32_t>(5 + (b * 7 + r * 3 + q) % (chunkCount - 5));
        word = (b % 3 == 0) ? 0 : decor | (static_cast<std::uint32_t>(b & 3) << 10);
    }
    return static_cast<std::uint16_t>(word);
}

// The solidity bits of chunk row r of block b (bits 12/13 primary top / left-right-bottom, 14/15
// the same for the secondary path): the ground-line blocks ($40-$47) are solid from row 4 down
// with a surface in row 3 that the primary path meets from above only and the secondary from
// the sides and below only; the earth blocks under them ($80-$9F) are solid throughout.
std::uint16_t blockSolidity(std::int32_t b, std::int32_t r) {
    constexpr std::uint16_t kAll = 0xF000;
    const bool ground = b >= 0x40 && b < 0x48;
    const bool earth = b >= 0x80 && b < 0xA0;
    if (earth || (ground && r >= 4)) {
        return kAll;
    }
    return ground && r == 3 ? 0x9000 : 0;
}

// All 256 blocks, then cut to `bytes`. The ground-line blocks ($40-$47) show the zone's
// animated chunks (`animated`: first chunk and count) along their second row, where the zone has
// them, so that the animation can be seen on the map.
std::vector<std::uint8_t> makeBlockMappings(std::size_t bytes, std::int32_t chunkCount,
                                            DemoChunkRange animated) {
    std::vector<std::uint8_t> mappings(static_cast<std::size_t>(kBlockCount) * 128);
    for (std::int32_t b = 0; b < kBlockCount; ++b) {
        for (std::int32_t r = 0; r < 8; ++r) {
            for (std::int32_t q = 0; q < 8; ++q) {
                std::uint16_t word = blockWord(b, r, q, chunkCount);
                const bool ground = b >= 0x40 && b < 0x48;
                if (ground && animated.count > 0 && r == 1 && q > 0 && q < 7) {
                    word =
                        static_cast<std::uint16_t>(animated.first + (8 * b + q) % animated.count);
                }
                word = static_cast<std::uint16_t>(word | blockSolidity(b, r));
                putWord(mappings, static_cast<std::size_t>(128 * b + 16 * r + 2 * q), word);
            }
        }
    }
    mappings.resize(bytes);
    return mappings;
}

// A landscape: sky above a rolling ground line, solid earth below, in the foreground columns
// 0..127; a calmer pattern in the background columns 128..255.
std::vector<std::uint8_t> makeLayout(std::int16_t level) {
    std::vector<std::uint8_t> layout(kLayoutBytes);
    const std::int32_t seed = level * 37 + 11;
    for (std::int32_t row = 0; row < 16; ++row) {
        for (std::int32_t column = 0; column < 256; ++column) {
            std::int32_t block = 0;
            if (column < 128) {
                const std::int32_t ground = 8 + ((column / 6 + seed) % 5) - 2;
                if (row < ground) {
                    block = (column * 7 + row * 3 + seed) % 29 == 0 ? 0x10 + (column % 16) : 0;
                } else if (row == ground) {
                    block = 0x40 + (column + seed) % 8;
                } else {
                    block = 0x80 + (row + column / 16 + seed) % 32;
                }
            } else {
                block = 0xC0 + ((column / 32 + row / 4 + seed) % 16);
            }
            layout[static_cast<std::size_t>(kLayoutRowBytes * row + column)] =
                static_cast<std::uint8_t>(block);
        }
    }
    return layout;
}

// A stream that decodes a few literals and then copies from before its start.
std::vector<std::uint8_t> makeWeirdStream() {
    // Field bits 1 1 1 0 1: three literals, then a full copy of 3 bytes from offset -8192.
    return {0x17, 0x00, 0x41, 0x42, 0x43, 0x00, 0x01};
}

std::vector<std::uint8_t> withoutTrailingZero(std::vector<std::uint8_t> packed) {
    packed.pop_back();
    return packed;
}

// Copies a stream to the cursor and moves the cursor on to the next even offset.
DemoStream placeStream(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                       const std::vector<std::uint8_t>& stream) {
    const DemoStream placed{cursor, static_cast<std::int32_t>(stream.size())};
    std::copy(stream.begin(), stream.end(), image.begin() + cursor);
    cursor += placed.length;
    cursor += cursor % 2;
    return placed;
}

Result<std::vector<std::uint8_t>> packOptimal(const std::vector<std::uint8_t>& data) {
    auto packed = compressKosinskiOptimal(data);
    if (!packed) {
        return packed.error();
    }
    return withoutTrailingZero(std::move(*packed));
}

// Where the code naming a pattern's tables goes: before the table for a pc-relative
// reference, around the pointer for the layout directory, in the code area otherwise.
std::int32_t codePlace(const CodePattern& pattern, const RomProfile& profile,
                       std::int32_t& codeCursor) {
    const CodeReference& first = pattern.references.front();
    const std::int32_t table = tableOffset(profile, first.table).value_or(0);
    switch (first.rule) {
        case AddressRule::PcRelative:
            return table - kPcRelativeReach;
        case AddressRule::Operand:
            return table - first.at;
        case AddressRule::AbsoluteLong:
            break;
    }
    const std::int32_t place = codeCursor;
    codeCursor += 0x20;
    return place;
}

void writeReference(std::vector<std::uint8_t>& image, const RomProfile& profile, std::int32_t place,
                    const CodeReference& reference) {
    const auto at = static_cast<std::size_t>(place + reference.at);
    const std::int32_t table = tableOffset(profile, reference.table).value_or(0);
    switch (reference.rule) {
        case AddressRule::AbsoluteLong:
            putLong(image, at, static_cast<std::uint32_t>(table));
            break;
        case AddressRule::Operand:
            putLong(image, at,
                    static_cast<std::uint32_t>(profile.factoryLayoutDirectory.value_or(0)));
            break;
        case AddressRule::PcRelative:
            // The extension word: index register d0.w, then the displacement from the word.
            image[at] = 0x00;
            image[at + 1] =
                static_cast<std::uint8_t>(static_cast<std::int8_t>(table - (place + reference.at)));
            break;
    }
}

// The instructions that name each table, as the game's code has them.
void writeCode(std::vector<std::uint8_t>& image, const RomProfile& profile) {
    std::int32_t codeCursor = kCodeArea;
    for (const CodePattern& pattern : codePatterns()) {
        const std::int32_t place = codePlace(pattern, profile, codeCursor);
        const auto bytes = parsePattern(pattern.bytes);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            image[static_cast<std::size_t>(place) + i] =
                bytes[i] < 0 ? std::uint8_t{0} : static_cast<std::uint8_t>(bytes[i]);
        }
        for (const CodeReference& reference : pattern.references) {
            writeReference(image, profile, place, reference);
        }
    }
    // Then the title screen's one-player start, which a test copy rewrites.
    const auto start = parsePattern(kTitleStartCode);
    std::transform(start.begin(), start.end(), image.begin() + codeCursor,
                   [](std::int16_t byte) { return static_cast<std::uint8_t>(byte); });
}

// After the art the art table names for a zone, the streams the loader decodes in code for it,
// as the game lays them out: Hill Top's chunks and art after its tile art, Wing Fortress's art
// after its own.
void placeExtraStreams(std::uint8_t zone, DemoExtraStreams& extra, std::vector<std::uint8_t>& image,
                       std::int32_t& cursor) {
    if (zone == kHillTop) {
        extra.hillTopChunks.offset = placeStream(image, cursor, extra.hillTopChunks.packed).offset;
        extra.hillTopArt.offset = placeStream(image, cursor, extra.hillTopArt.packed).offset;
    } else if (zone == kWingFortress) {
        extra.wingFortressArt.offset =
            placeStream(image, cursor, extra.wingFortressArt.packed).offset;
    }
}

// A zone's streams end on a 64-byte boundary, the bytes up to it $00: a little filler that a
// grown stream may take.
void padZoneEnd(std::vector<std::uint8_t>& image, std::int32_t& cursor) {
    constexpr std::int32_t kZoneAlignment = 0x40;
    const std::int32_t end = (cursor + kZoneAlignment - 1) / kZoneAlignment * kZoneAlignment;
    std::fill(image.begin() + cursor, image.begin() + end, std::uint8_t{0});
    cursor = end;
}

Status buildZones(const DemoRomOptions& options, DemoExtraStreams& extra, DemoRom& rom) {
    std::int32_t cursor = kArtArea;
    for (std::size_t i = 0; i < kZones.size(); ++i) {
        DemoZone zone;
        zone.zone = kZones[i];
        zone.paletteNumber = static_cast<std::uint8_t>(kFirstLevelPalette + i);
        zone.paletteOffset = kPaletteArea + 0x80 * static_cast<std::int32_t>(i);
        const auto index = static_cast<std::int32_t>(i);
        zone.tileCount = (options.fullTileArt && i == 0) ? kBaseTiles : 128 + 64 * index;
        zone.chunkCount = 256 + 48 * index;
        zone.blockCount = (options.shortBlockMappings && i == 0) ? 200 : kBlockCount;
        const auto palette = zonePalette(i);
        std::copy(palette.begin(), palette.end(), rom.image.begin() + zone.paletteOffset);
        putPaletteEntry(rom.image, rom.profile, zone.paletteNumber, zone.paletteOffset,
                        kPaletteLine1, kLevelPaletteLongs);

        // Short mappings end 70 bytes into block 200: 35 of its 64 words.
        const std::size_t blockBytes = zone.blockCount == kBlockCount
                                           ? std::size_t{kBlockMappingsSize}
                                           : static_cast<std::size_t>(zone.blockCount) * 128 + 70;
        const auto blocks =
            makeBlockMappings(blockBytes, zone.chunkCount, demoAnimatedChunks(zone.zone));
        auto tiles = packOptimal(makeTileArt(zone.tileCount));
        auto chunks = packOptimal(makeChunkMappings(zone.chunkCount, zone.tileCount));
        auto packedBlocks = packOptimal(blocks);
        if (!tiles || !chunks || !packedBlocks) {
            return !tiles ? tiles.error() : !chunks ? chunks.error() : packedBlocks.error();
        }
        zone.tiles = placeStream(rom.image, cursor, *tiles);
        placeExtraStreams(zone.zone, extra, rom.image, cursor);
        zone.chunks = placeStream(rom.image, cursor, *chunks);
        zone.blocks = placeStream(rom.image, cursor, *packedBlocks);
        if (i + 1 < kZones.size()) {
            padZoneEnd(rom.image, cursor);
        }

        // The top bytes of the tile and chunk longs name the zone's pattern load cue lists.
        const std::size_t entry = static_cast<std::size_t>(rom.profile.levelArtTable) +
                                  kLevelArtEntrySize * std::size_t{zone.zone};
        const auto cues = demoZoneCueLists(i);
        putLong(rom.image, entry,
                std::uint32_t{cues[0]} << 24 | static_cast<std::uint32_t>(zone.tiles.offset));
        putLong(rom.image, entry + 4,
                std::uint32_t{cues[1]} << 24 | static_cast<std::uint32_t>(zone.chunks.offset));
        putLong(rom.image, entry + 8,
                (std::uint32_t{zone.paletteNumber} << 24) |
                    static_cast<std::uint32_t>(zone.blocks.offset));
        rom.zones.push_back(zone);
    }
    return {};
}

Status buildLayouts(const DemoRomOptions& options, DemoRom& rom) {
    const std::int32_t directory = rom.profile.factoryLayoutDirectory.value_or(0);
    const auto list = static_cast<std::size_t>(rom.profile.levelList);
    putWord(rom.image, list + 2u * kLevelCount, 0x4000);      // the special stage
    putWord(rom.image, list + 2u * kLevelCount + 2, 0xFFFF);  // the sound test
    std::int32_t cursor = directory + kDirectorySize;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        rom.levelZone[l] = kLevels[l][0];
        rom.levelAct[l] = kLevels[l][1];
        putWord(rom.image, list + 2u * l,
                static_cast<std::uint16_t>((kLevels[l][0] << 8) | kLevels[l][1]));
        rom.layoutData[l] = makeLayout(level);
        std::vector<std::uint8_t> stream;
        if (options.weirdLayoutLevel == level) {
            stream = makeWeirdStream();
        } else {
            // The factory layouts come from the run-length encoder, so the optimal encoder
            // leaves room to spare when a level is saved back in place.
            auto packed = compressKosinski(rom.layoutData[l]);
            if (!packed) {
                return packed.error();
            }
            stream = withoutTrailingZero(std::move(*packed));
        }
        if (cursor - directory + static_cast<std::int32_t>(stream.size()) > 0x7FFF) {
            return makeError(ErrorCode::OutOfRange,
                             "The demo layouts do not fit the factory directory");
        }
        rom.layouts[l] = placeStream(rom.image, cursor, stream);
        putWord(rom.image,
                static_cast<std::size_t>(directory) + 4u * kLevels[l][0] + 2u * kLevels[l][1],
                static_cast<std::uint16_t>(rom.layouts[l].offset - directory));
    }
    return {};
}

// Copies a list to the cursor (even offsets) and returns where its first entry lies: after the
// `lead` bytes of a marker before it. Object lists lie back to back as in the game, the marker
// after one list being the marker before the next, so the cursor stops on the end marker.
std::int32_t placeList(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                       const std::vector<std::uint8_t>& bytes, std::int32_t lead) {
    std::copy(bytes.begin(), bytes.end(), image.begin() + cursor);
    const std::int32_t start = cursor + lead;
    cursor += static_cast<std::int32_t>(bytes.size()) - lead;
    cursor += cursor % 2;
    return start;
}

// How many objects a level's list holds: the largest lists of the game (levels 7, 17 and 10
// hold 286, 270 and 259) at their levels, a few elsewhere.
int objectCount(std::int16_t level) {
    switch (level) {
        case 6:
            return 286;
        case 16:
            return 270;
        case 9:
            return 259;
        default:
            return 4 + level % 6;
    }
}

// What the short lists place, in turn from a place that moves with the level: springs of both
// colours in three directions, a monitor, spikes upright, hanging and sideways, a bridge, a
// plane switcher and a badnik.
struct Showcase {
    std::uint8_t id;
    std::uint8_t subtype;
    bool xFlip;
    bool yFlip;
};
constexpr std::array<Showcase, 9> kShowcase{{
    {0x41, 0x00, false, false},  // red spring, up
    {0x26, 0x04, false, false},  // monitor: rings
    {0x36, 0x00, false, true},   // spikes hanging from a ceiling
    {0x11, 0x0A, false, false},  // bridge of 10 logs
    {0x41, 0x12, true, false},   // yellow spring pointing left
    {0x36, 0x40, true, false},   // sideways spikes pointing left
    {0x03, 0x05, false, false},  // plane switcher: invisible
    {0x41, 0x20, false, false},  // red spring, down
    {0x4B, 0x00, false, false},  // badnik
}};

std::vector<ObjectPlacement> makeObjects(std::int16_t level) {
    constexpr std::array<std::uint8_t, 5> kIds{0x26, 0x41, 0x36, 0x4B, 0x79};
    std::vector<ObjectPlacement> objects;
    const int count = objectCount(level);
    const bool showcase = count <= 16;
    const int step = showcase ? 0x100 : 0x40;
    for (int i = 0; i < count; ++i) {
        ObjectPlacement object;
        object.x = static_cast<std::uint16_t>(0x80 + step * i + 8 * level);
        object.y = static_cast<std::uint16_t>(0x100 + (0x30 * i) % 0x300);
        object.id = kIds[static_cast<std::size_t>(i) % kIds.size()];
        object.subtype = static_cast<std::uint8_t>(2 * i);
        object.xFlip = i % 4 == 1;
        object.yFlip = i % 4 == 3;
        if (showcase) {
            const Showcase& shown =
                kShowcase[static_cast<std::size_t>(i + level) % kShowcase.size()];
            object.id = shown.id;
            object.subtype = shown.subtype;
            object.xFlip = shown.xFlip;
            object.yFlip = shown.yFlip;
        }
        object.rememberState = object.id == objectid::kMonitor;
        object.twoPlayer = i == 4;
        objects.push_back(object);
    }
    objects.push_back(
        {static_cast<std::uint16_t>(0x80 + step * count + 8 * level), 0x2A0, 0x0D, 0});
    return objects;
}

std::vector<RingGroup> makeRings(std::int16_t level) {
    std::vector<RingGroup> groups;
    for (int i = 0; i < 3 + level % 4; ++i) {
        groups.push_back({static_cast<std::uint16_t>(0x100 + 0x80 * i),
                          static_cast<std::uint16_t>(0x200 + 0x10 * i),
                          static_cast<std::uint8_t>(1 + (i + level) % kMaxRingsInGroup),
                          i % 2 == 1});
    }
    return groups;
}

// A directory of a word for every act of the 17 zones, each naming the shared empty list until
// a level's own list replaces it.
void fillDirectory(std::vector<std::uint8_t>& image, std::int32_t directory, std::int32_t list) {
    for (std::int32_t word = 0; word < kDirectorySize; word += 2) {
        putWord(image, static_cast<std::size_t>(directory + word),
                static_cast<std::uint16_t>(list - directory));
    }
}

void putDirectoryWord(std::vector<std::uint8_t>& image, std::int32_t directory, ZoneAct act,
                      std::int32_t list) {
    putWord(image, static_cast<std::size_t>(directory + directoryWordOffset(act)),
            static_cast<std::uint16_t>(list - directory));
}

// Objects as the game keeps them: lists back to back sharing their markers, both acts of zone 2
// share one empty list, both acts of zone 4 one list with objects, the others a list each; the
// last list keeps the marker after it. Rings: a list for every act, zone 2's empty.
void buildObjectsAndRings(DemoRom& rom) {
    const std::int32_t objects = *rom.profile.objectDirectory;
    std::int32_t cursor = objects + kDirectorySize;
    const std::int32_t emptyObjects = placeList(rom.image, cursor, objectListBytes({}), 6);
    fillDirectory(rom.image, objects, emptyObjects);
    const std::int32_t rings = *rom.profile.ringDirectory;
    std::int32_t ringCursor = rings + kDirectorySize;
    fillDirectory(rom.image, rings, placeList(rom.image, ringCursor, ringListBytes({}), 0));
    std::optional<std::pair<std::int16_t, std::int32_t>> zone4List;  // its first level, its list
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct act{rom.levelZone[l], rom.levelAct[l]};
        if (act.zone == 2) {
            putDirectoryWord(rom.image, rings, act,
                             placeList(rom.image, ringCursor, ringListBytes({}), 0));
            continue;
        }
        rom.rings[l] = makeRings(level);
        putDirectoryWord(rom.image, rings, act,
                         placeList(rom.image, ringCursor, ringListBytes(rom.rings[l]), 0));
        std::int32_t list = 0;
        if (act.zone == 4 && zone4List) {
            rom.objects[l] = rom.objects[static_cast<std::size_t>(zone4List->first)];
            list = zone4List->second;
        } else {
            rom.objects[l] = makeObjects(level);
            list = placeList(rom.image, cursor, objectListBytes(rom.objects[l]), 6);
            if (act.zone == 4) {
                zone4List = std::pair(level, list);
            }
        }
        putDirectoryWord(rom.image, objects, act, list);
    }
}

// A height for every act of zones 8 to 15, as the game's table has; only the acts with water
// use theirs.
void buildWaterHeights(DemoRom& rom) {
    for (std::uint8_t zone = 8; zone <= 15; ++zone) {
        for (std::uint8_t act = 0; act < 2; ++act) {
            putWord(
                rom.image,
                static_cast<std::size_t>(waterHeightOffset(*rom.profile.waterHeights, {zone, act})),
                static_cast<std::uint16_t>(0x300 + 0x80 * act + 0x10 * (zone - 8)));
        }
    }
}

void buildStartsAndBounds(DemoRom& rom) {
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        const ZoneAct act{rom.levelZone[l], rom.levelAct[l]};
        rom.starts[l] = {static_cast<std::uint16_t>(0x60 + 8 * level), 0x28C};
        rom.bounds[l] = {0, static_cast<std::uint16_t>(0x2A00 + 0x40 * level),
                         static_cast<std::uint16_t>(level % 3 == 0 ? 0xFF00 : 0), 0x720};
        const auto start =
            static_cast<std::size_t>(startPositionOffset(*rom.profile.startPositions, act));
        putWord(rom.image, start, rom.starts[l].x);
        putWord(rom.image, start + 2, rom.starts[l].y);
        const auto bounds =
            static_cast<std::size_t>(levelBoundsOffset(*rom.profile.levelSizes, act));
        putWord(rom.image, bounds, rom.bounds[l].xMin);
        putWord(rom.image, bounds + 2, rom.bounds[l].xMax);
        putWord(rom.image, bounds + 4, rom.bounds[l].yMin);
        putWord(rom.image, bounds + 6, rom.bounds[l].yMax);
    }
}

// The shape tables and every zone's indexes (see buildDemoCollision): in a factory profile at the
// game's places, from the shape tables to $459A0; in the build where its profile says.
Status buildCollision(DemoRom& rom) {
    std::vector<DemoCollisionZone> zones;
    for (const DemoZone& zone : rom.zones) {
        zones.push_back({zone.zone, zone.chunkCount});
    }
    const std::int32_t end = *rom.profile.collisionShapes + kShapeTablesSize + kIndexRoom;
    auto placed = buildDemoCollision(rom.image, rom.profile, zones, end);
    if (!placed) {
        return placed.error();
    }
    for (DemoZone& zone : rom.zones) {
        for (std::size_t path = 0; path < kCollisionPaths; ++path) {
            const DemoCollisionIndex& index = (*placed)[zone.zone][path];
            zone.collision[path] = index.shapes;
            zone.collisionStreams[path] = {index.offset, index.length};
        }
    }
    rom.shapes = demoShapes();
    return {};
}

}  // namespace

const DemoZone& DemoRom::zoneOf(std::int16_t level) const {
    const std::uint8_t zone = levelZone[static_cast<std::size_t>(level)];
    return *std::find_if(zones.begin(), zones.end(),
                         [zone](const DemoZone& z) { return z.zone == zone; });
}

const RomProfile& demoBuildProfile() {
    return kDemoBuild;
}

Result<DemoRom> buildDemoRom(const RomProfile& profile, const DemoRomOptions& options) {
    DemoRom rom;
    rom.profile = profile;
    rom.image.resize(kDemoRomSize);
    Noise noise(0x0E5A2026u);
    std::generate(rom.image.begin(), rom.image.end(), [&noise] { return noise.byte(); });
    writeHeader(rom.image, profile);
    writeFixedPaletteLine(rom.image, profile);
    writeCode(rom.image, profile);
    auto extra = makeDemoExtraStreams();
    if (!extra) {
        return extra.error();
    }
    if (Status zones = buildZones(options, *extra, rom); !zones) {
        return zones.error();
    }
    if (Status layouts = buildLayouts(options, rom); !layouts) {
        return layouts.error();
    }
    if (Status collision = buildCollision(rom); !collision) {
        return collision.error();
    }
    buildObjectsAndRings(rom);
    buildStartsAndBounds(rom);
    buildWaterHeights(rom);
    const std::vector<std::uint8_t> zones(kZones.begin(), kZones.end());
    auto art = buildDemoObjectArt(rom.image, profile, zones);
    if (!art) {
        return art.error();
    }
    rom.objectArt = *art;
    auto start = buildDemoStart(rom.image, profile, rom.zones, *extra);
    if (!start) {
        return start.error();
    }
    rom.start = std::move(*start);
    if (Status header = finishHeader(rom.image, profile.header); !header) {
        return header.error();
    }
    return rom;
}

Status writeDemoRom(const std::filesystem::path& path, const RomProfile& profile,
                    const DemoRomOptions& options) {
    auto rom = buildDemoRom(profile, options);
    if (!rom) {
        return rom.error();
    }
    return writeOutputFile(path, rom->image);
}

}  // namespace orvex
