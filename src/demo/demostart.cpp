// The demo ROM's level-start tables: every table the game's level start reads beyond the level
// tables, invented, with the instructions that name them placed as the game's code has them.

#include "demo/demostart.h"

#include <algorithm>
#include <string_view>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "demo/demoglyphs.h"
#include "demo/demorom.h"
#include "rom/codepatterns.h"
#include "rom/levelformat.h"
#include "rom/starttables.h"
#include "rom/zones.h"

namespace orvex {

namespace {

constexpr std::int32_t kStartArea = 0xC0000;     // past every zone's streams, before placements
constexpr std::int32_t kCueListsAfter = 0x400;   // the added cue lists, after the cue table
constexpr std::int32_t kPcRelativeReach = 0x30;  // code placed this far before its table
constexpr std::int32_t kCodeSpacing = 0x20;
constexpr std::uint8_t kPerFrame = 0xFF;

// Where the extra art and chunks land, as the loader's code fixes them.
constexpr std::int32_t kHillTopFirstTile = 0x1FC;
constexpr std::int32_t kWingFortressFirstTile = 0x307;
constexpr std::int32_t kHillTopFirstChunk = 0x130;
constexpr std::int32_t kHillTopArtTiles = 0x40;
constexpr std::int32_t kWingFortressArtTiles = 0x20;
constexpr std::int32_t kHillTopChunkCount = 0x30;
constexpr std::int32_t kDeathEggCopiedTiles = 0x300;  // fewer than its art's $340 tiles
constexpr std::array<std::uint8_t, 3> kUnderwaterIds = {0x15, 0x16, 0x17};
constexpr std::uint16_t kUnderwaterLongs = 0x1F;
constexpr std::uint16_t kPaletteLine0 = 0xFB00;
constexpr std::uint16_t kRingArtWord = 0x26BC;
constexpr std::uint16_t kExplosionTile = 0x5A4;
constexpr std::array<std::uint16_t, 2> kAnimalTiles = {0x580, 0x594};
constexpr std::uint8_t kExplosionCueList = 2;
constexpr std::uint8_t kFirstAnimalList = 0x32;
constexpr std::int32_t kAnimalLists = 4;

// The palette cycle data lies at these distances from the table of cycle routines.
constexpr std::int32_t kEmeraldHillCycle = 0x486;
constexpr std::array<std::int32_t, 3> kMetropolisCycles = {0x536, 0x542, 0x54E};
constexpr std::int32_t kMysticCaveCycle = 0x592;
constexpr std::int32_t kCasinoNightCycle = 0x5D0;
constexpr std::int32_t kCycleDataBytes = 0x600;

// The instructions, as the game's code has them ("??" an operand the builder fills).
constexpr std::string_view kHillTopArtCode =
    "0C38 0007 FE10 6614 41F9 ???????? 43F9 FFFF 3F80 6100 CA5C 363C ????";
constexpr std::string_view kWingFortressArtCode =
    "0C38 0006 FE10 6614 41F9 ???????? 43F9 FFFF 60E0 6100 CA40 363C ????";
constexpr std::int32_t kArtAt = 10;
constexpr std::int32_t kCopyAt = 26;
constexpr std::string_view kDeathEggCode = "0C38 000E FE10 6604 363C ????";
constexpr std::string_view kHillTopChunksCode = "0C38 0007 FE10 660E 43F8 9980 41F9 ???????? 6100";
constexpr std::string_view kChunkRecordsCode = "1038 FE10 D040 303B 0006 41FB 00?? 4A78 FFD8";
constexpr std::string_view kAnimationsCode =
    "D040 D040 323B 0008 45FB 1004 303B 0002 4EFB 00?? 4E75";
constexpr std::string_view kCliffArtCode = "41F9 ???????? 49F8 B800 6100";
constexpr std::string_view kCliffOffsetsCode = "43F8 B800 49FA ???? 7000";
constexpr std::string_view kCliffOffsetsLongCode = "43F8 B800 49F9 ???????? 7000";
constexpr std::string_view kCloudArtCode = "41F9 ???????? 45F9 FFFF 7C00 7000";
constexpr std::string_view kSlotPicturesCode = "0240 0007 EE58 45F9 ???????? D4C0";
constexpr std::string_view kAnimalCode = "7002 6100 1234 7000 1038 FE10 103B 00?? 6100";
constexpr std::string_view kAnimalJsrCode = "7002 4EB9 0000 1234 7000 1038 FE10 103B 00?? 4EB9";
constexpr std::string_view kUnderwaterCode =
    "7015 0C38 0008 FE10 6710 7016 0C38 000D FE10 6706 7017 6100";
constexpr std::string_view kRingMappingsCode = "0642 0078 43F9 ???????? 7200 1228 0001";
constexpr std::string_view kRingArtCode = "3019 0640 26BC 34C0 5449";
constexpr std::string_view kPaletteCyclesCode = "7400 7000 1038 FE10 D040 303B 00?? 4EFB 00??";

// A tile showing `number` as two hex digits in colour `ink` on `paper`, with a dot of the third
// colour in its bottom right corner so that flips show.
std::vector<std::uint8_t> numberTile(std::int32_t number, std::uint8_t ink, std::uint8_t paper) {
    std::vector<std::uint8_t> tile;
    const auto pixel = [&](std::int32_t x, std::int32_t y) -> std::uint8_t {
        if (x == 7 && y == 7) {
            return static_cast<std::uint8_t>(1 + (ink + paper) % 15);
        }
        if (y < 1 || y > 5 || x == 3 || x == 7) {
            return paper;
        }
        const std::int32_t digit = x < 3 ? (number >> 4) & 15 : number & 15;
        const std::int32_t bit = 2 - (x < 3 ? x : x - 4);
        const auto row =
            kDemoGlyphs[static_cast<std::size_t>(digit)][static_cast<std::size_t>(y - 1)];
        return ((row >> bit) & 1) != 0 ? ink : paper;
    };
    for (std::int32_t y = 0; y < kTileSide; ++y) {
        for (std::int32_t x = 0; x < kTileSide; x += 2) {
            tile.push_back(static_cast<std::uint8_t>(pixel(x, y) << 4 | pixel(x + 1, y)));
        }
    }
    return tile;
}

// `count` numbered tiles, from `first` on, the colours turning with `shade`.
std::vector<std::uint8_t> numberedTiles(std::int32_t count, std::int32_t first,
                                        std::int32_t shade) {
    std::vector<std::uint8_t> tiles;
    for (std::int32_t t = 0; t < count; ++t) {
        const auto ink = static_cast<std::uint8_t>(1 + (shade + t) % 15);
        const auto paper = static_cast<std::uint8_t>(1 + (shade + t + 7) % 15);
        const auto tile = numberTile(first + t, ink, paper);
        tiles.insert(tiles.end(), tile.begin(), tile.end());
    }
    return tiles;
}

std::uint16_t colourWord(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return static_cast<std::uint16_t>(((blue & 7) << 9) | ((green & 7) << 5) | ((red & 7) << 1));
}

// A chunk's four words (top left, top right, bottom left, bottom right) showing the 2 x 2 tiles
// from `tile`, numbered down each column as the game's pieces are.
std::array<std::uint16_t, 4> chunkOf(std::uint16_t tile, std::uint16_t flags) {
    return {static_cast<std::uint16_t>(flags | tile),
            static_cast<std::uint16_t>(flags | (tile + 2)),
            static_cast<std::uint16_t>(flags | (tile + 1)),
            static_cast<std::uint16_t>(flags | (tile + 3))};
}

// Hill Top's extra chunks show its extra tiles, every flip and palette line among them.
std::vector<std::uint8_t> hillTopChunks() {
    std::vector<std::uint8_t> chunks(static_cast<std::size_t>(kHillTopChunkCount) * 8);
    for (std::int32_t c = 0; c < kHillTopChunkCount; ++c) {
        const auto tile = static_cast<std::uint16_t>(kHillTopFirstTile + (4 * c) % 0x3C);
        const auto flags = static_cast<std::uint16_t>((c % 4) << 13 | (c / 4 % 4) << 11);
        const auto words = chunkOf(tile, flags);
        for (std::size_t q = 0; q < words.size(); ++q) {
            putWord(chunks, static_cast<std::size_t>(8 * c) + 2 * q, words[q]);
        }
    }
    return chunks;
}

Result<DemoExtraStream> packExtra(std::vector<std::uint8_t> decoded) {
    auto packed = compressKosinskiOptimal(decoded);
    if (!packed) {
        return packed.error();
    }
    packed->pop_back();  // the padding byte a save adds
    return DemoExtraStream{std::move(decoded), std::move(*packed), 0};
}

class StartWriter {
public:
    StartWriter(std::vector<std::uint8_t>& image, const RomProfile& profile,
                const std::vector<DemoZone>& zones, const DemoExtraStreams& extra)
        : mImage(image), mProfile(profile), mZones(zones), mExtra(extra) {}

    Result<DemoStartData> run() {
        writeExtraArt();
        Status hillTop = writeHillTop();
        Status cues = hillTop ? writeCueLists() : hillTop;
        if (!cues) {
            return cues.error();
        }
        writeChunkRecords();
        writeAnimations();
        writeSlotPictures();
        writeUnderwater();
        writeRing();
        writePaletteCycles();
        return std::move(mData);
    }

private:
    // Writes the instruction bytes at `at` ("??" as 0).
    void putCode(std::int32_t at, std::string_view code) {
        const auto bytes = parsePattern(code);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            mImage[static_cast<std::size_t>(at) + i] =
                bytes[i] < 0 ? std::uint8_t{0} : static_cast<std::uint8_t>(bytes[i]);
        }
    }

    // Code in the code run at the cursor; returns where it starts.
    std::int32_t placeCode(std::string_view code) {
        const std::int32_t at = mCursor;
        putCode(at, code);
        mCursor += kCodeSpacing;
        return at;
    }

    // Code naming the table right after it through the (d8,PC,Xn) extension word at `at`: the
    // table starts kPcRelativeReach bytes after the code; returns the table's offset.
    std::int32_t placePcRelative(std::string_view code, std::int32_t at) {
        const std::int32_t place = mCursor;
        putCode(place, code);
        const std::int32_t table = place + kPcRelativeReach;
        mImage[static_cast<std::size_t>(place + at)] =
            static_cast<std::uint8_t>(table - (place + at - 1));
        mCursor = table;
        return table;
    }

    std::int32_t placeBytes(const std::vector<std::uint8_t>& bytes) {
        const std::int32_t at = mCursor;
        std::copy(bytes.begin(), bytes.end(), mImage.begin() + at);
        mCursor += static_cast<std::int32_t>(bytes.size());
        mCursor += mCursor % 2;
        return at;
    }

    Result<std::int32_t> placeNemesis(const std::vector<std::uint8_t>& tiles) {
        auto packed = compressNemesis(tiles);
        if (!packed) {
            return packed.error();
        }
        return placeBytes(*packed);
    }

    [[nodiscard]] const DemoZone* zone(std::uint8_t number) const {
        const auto found = std::find_if(mZones.begin(), mZones.end(),
                                        [number](const DemoZone& z) { return z.zone == number; });
        return found == mZones.end() ? nullptr : &*found;
    }

    // One zone's extra art: the loader's code, naming the stream where the builder put it.
    void writeArt(std::string_view code, std::int32_t firstTile, const DemoExtraStream& extra,
                  std::optional<ExtraStream>& stream, std::optional<std::int32_t>& copied,
                  std::vector<std::uint8_t>& decoded) {
        decoded = extra.decoded;
        const std::int32_t tiles = static_cast<std::int32_t>(decoded.size()) / kTileBytes;
        const std::int32_t at = placeCode(code);
        putLong(mImage, static_cast<std::size_t>(at + kArtAt),
                static_cast<std::uint32_t>(extra.offset));
        putWord(mImage, static_cast<std::size_t>(at + kCopyAt),
                static_cast<std::uint16_t>((firstTile + tiles) * kTileBytes));
        stream = ExtraStream{extra.offset, firstTile};
        copied = firstTile + tiles;
    }

    void writeExtraArt() {
        StartTables& tables = mData.tables;
        writeArt(kHillTopArtCode, kHillTopFirstTile, mExtra.hillTopArt, tables.hillTopArt,
                 tables.hillTopCopiedTiles, mData.hillTopArt);
        writeArt(kWingFortressArtCode, kWingFortressFirstTile, mExtra.wingFortressArt,
                 tables.wingFortressArt, tables.wingFortressCopiedTiles, mData.wingFortressArt);
        const std::int32_t deathEgg = placeCode(kDeathEggCode);
        putWord(mImage, static_cast<std::size_t>(deathEgg + 10),
                static_cast<std::uint16_t>(kDeathEggCopiedTiles * kTileBytes));
        tables.deathEggCopiedTiles = kDeathEggCopiedTiles;
        mData.hillTopChunks = mExtra.hillTopChunks.decoded;
        const std::int32_t code = placeCode(kHillTopChunksCode);
        putLong(mImage, static_cast<std::size_t>(code + 14),
                static_cast<std::uint32_t>(mExtra.hillTopChunks.offset));
        tables.hillTopChunks = ExtraStream{mExtra.hillTopChunks.offset, kHillTopFirstChunk};
        alignCursor();
    }

    void alignCursor() { mCursor += (kCodeSpacing - mCursor % kCodeSpacing) % kCodeSpacing; }

    // The record of zones 0 and 7: the mountain and cloud tiles ($500-$51F), then the tiles of
    // zone 0's scripts in every flip.
    static DemoChunkRecord emeraldHillRecord() {
        DemoChunkRecord record{0, 0x2F0, {}};
        for (std::uint16_t c = 0; c < 16; ++c) {
            const auto words =
                c < 8 ? chunkOf(static_cast<std::uint16_t>(0x500 + 4 * c), 0x2000)
                      : chunkOf(0x80, static_cast<std::uint16_t>((c % 4) << 11 | (c % 3) << 13));
            record.words.insert(record.words.end(), words.begin(), words.end());
        }
        return record;
    }

    // Casino Night's: its script's tiles, then the three slot windows ($550-$57F).
    static DemoChunkRecord casinoNightRecord() {
        DemoChunkRecord record{0, 0x2EC, {}};
        for (std::uint16_t c = 0; c < 20; ++c) {
            const bool slot = c >= 1 && c <= 12;
            const auto words = chunkOf(
                slot ? static_cast<std::uint16_t>(0x550 + 4 * (c - 1)) : std::uint16_t{0x2C0},
                static_cast<std::uint16_t>(slot ? 0x4000 : (c % 4) << 11));
            record.words.insert(record.words.end(), words.begin(), words.end());
        }
        return record;
    }

    // Chemical Plant's and Death Egg's: one chunk of their two animated tiles.
    static DemoChunkRecord chemicalPlantRecord() {
        return {0, 0x2FF, {0x2300, 0x2301, 0x2B00, 0x2B01}};
    }

    std::int32_t placeRecord(DemoChunkRecord& record) {
        record.offset = mCursor;
        const auto words = static_cast<std::int32_t>(record.words.size());
        putWord(mImage, static_cast<std::size_t>(mCursor),
                static_cast<std::uint16_t>(record.firstChunk * 8));
        putWord(mImage, static_cast<std::size_t>(mCursor + 2),
                static_cast<std::uint16_t>(words - 1));
        for (std::int32_t w = 0; w < words; ++w) {
            putWord(mImage, static_cast<std::size_t>(mCursor + 4 + 2 * w),
                    record.words[static_cast<std::size_t>(w)]);
        }
        mCursor += 4 + 2 * words;
        return record.offset;
    }

    void writeChunkRecords() {
        const std::int32_t table = placePcRelative(kChunkRecordsCode, 9);
        mCursor = table + 2 * kZoneCount;
        const std::int32_t none = mCursor;
        putWord(mImage, static_cast<std::size_t>(none), 0);
        mCursor += 2;
        for (std::int32_t z = 0; z < kZoneCount; ++z) {
            putWord(mImage, static_cast<std::size_t>(table + 2 * z),
                    static_cast<std::uint16_t>(none - table));
        }
        const std::vector<std::pair<std::vector<std::uint8_t>, DemoChunkRecord>> records{
            {{0, kHillTop}, emeraldHillRecord()},
            {{kCasinoNight}, casinoNightRecord()},
            {{kChemicalPlant, kDeathEgg}, chemicalPlantRecord()},
        };
        for (auto [zones, record] : records) {
            const std::int32_t at = placeRecord(record);
            for (const std::uint8_t z : zones) {
                putWord(mImage, static_cast<std::size_t>(table + 2 * z),
                        static_cast<std::uint16_t>(at - table));
                mData.records[z] = record;
            }
        }
        mData.tables.chunkRecords = table;
        alignCursor();
    }

    // The scripts of each list, the art of each script numbered by its art tile.
    static std::vector<std::vector<DemoScript>> scriptLists() {
        return {
            // Zones 0 and 7: durations per frame (frame 0 starts at art tile 2), then fixed.
            {{kPerFrame, 0, 8, 0x80, 2, {{2, 5}, {0, 9}, {4, 3}, {6, 11}}},
             {7, 0, 6, 0x82, 2, {{0, 7}, {2, 7}, {4, 7}}}},
            // Casino Night: just past its $2C0 tiles.
            {{3, 0, 12, 0x2C0, 4, {{4, 3}, {0, 3}, {8, 3}}}},
            // Chemical Plant and Death Egg: past Chemical Plant's $300 tiles and Death Egg's
            // shortened copy.
            {{kPerFrame, 0, 4, 0x300, 2, {{0, 4}, {2, 6}}}},
            // The other zones whose routine runs a list: one tile past all their art.
            {{0, 0, 2, 0x370, 1, {{1, 0}, {0, 0}}}},
        };
    }

    // A script's header and frame list at the cursor; its art is already placed.
    void placeScript(const DemoScript& script) {
        const auto at = static_cast<std::size_t>(mCursor);
        const bool perFrame = script.duration == kPerFrame;
        mImage[at] = script.duration;
        mImage[at + 1] = static_cast<std::uint8_t>(script.art >> 16);
        putWord(mImage, at + 2, static_cast<std::uint16_t>(script.art & 0xFFFF));
        putWord(mImage, at + 4, static_cast<std::uint16_t>(script.destinationTile * kTileBytes));
        mImage[at + 6] = static_cast<std::uint8_t>(script.frames.size());
        mImage[at + 7] = script.tilesPerFrame;
        std::size_t list = at + 8;
        for (const auto& [first, duration] : script.frames) {
            mImage[list++] = first;
            if (perFrame) {
                mImage[list++] = duration;
            }
        }
        mCursor = static_cast<std::int32_t>(list + list % 2);
    }

    // The scripts' art, then the list: the count word - 1 and the scripts back to back.
    std::int32_t placeList(std::vector<DemoScript>& scripts, std::int32_t shade) {
        for (DemoScript& script : scripts) {
            script.art = placeBytes(numberedTiles(script.artTiles, 0, shade++));
        }
        const std::int32_t list = mCursor;
        putWord(mImage, static_cast<std::size_t>(list),
                static_cast<std::uint16_t>(scripts.size() - 1));
        mCursor += 2;
        for (const DemoScript& script : scripts) {
            placeScript(script);
        }
        return list;
    }

    void writeAnimations() {
        const std::int32_t table = placePcRelative(kAnimationsCode, 15);
        mCursor = table + 4 * kZoneCount;
        const std::int32_t routine = mCursor;  // every routine is an rts here
        putWord(mImage, static_cast<std::size_t>(routine), 0x4E75);
        mCursor += 2;
        auto lists = scriptLists();
        std::vector<std::int32_t> placed;
        std::int32_t shade = 2;
        for (auto& scripts : lists) {
            placed.push_back(placeList(scripts, shade));
            shade += 4;
        }
        for (std::int32_t z = 0; z < kZoneCount; ++z) {
            const std::size_t which = (z == 0 || z == kHillTop)               ? 0
                                      : z == kCasinoNight                     ? 1
                                      : z == kChemicalPlant || z == kDeathEgg ? 2
                                                                              : 3;
            putWord(mImage, static_cast<std::size_t>(table + 4 * z),
                    static_cast<std::uint16_t>(routine - table));
            putWord(mImage, static_cast<std::size_t>(table + 4 * z + 2),
                    static_cast<std::uint16_t>(placed[which] - table));
            mData.scripts[static_cast<std::size_t>(z)] = lists[which];
        }
        mData.tables.animations = table;
        alignCursor();
    }

    // 48 blocks the demo's layouts never use (they use 0, $10-$1F, $40-$47, $80-$9F, $C0-$CF).
    static std::vector<std::uint8_t> cliffBlocks() {
        std::vector<std::uint8_t> blocks;
        for (std::uint8_t b = 0x20; b < 0x40; ++b) {
            blocks.push_back(b);
        }
        for (std::uint8_t b = 0x50; b < 0x60; ++b) {
            blocks.push_back(b);
        }
        return blocks;
    }

    // 16 rows of 64 pixels in diagonal bands, then the same shifted left by one pixel.
    static std::vector<std::uint8_t> cloudArt() {
        std::vector<std::uint8_t> art(kCloudArtBytes);
        const auto pixel = [](std::int32_t x, std::int32_t row) {
            return static_cast<std::uint8_t>(1 + ((x % 64) / 4 + row / 2) % 15);
        };
        for (std::int32_t copy = 0; copy < 2; ++copy) {
            for (std::int32_t row = 0; row < 16; ++row) {
                for (std::int32_t x = 0; x < 64; x += 2) {
                    art[static_cast<std::size_t>(0x200 * copy + 0x20 * row + x / 2)] =
                        static_cast<std::uint8_t>(pixel(x + copy, row) << 4 |
                                                  pixel(x + copy + 1, row));
                }
            }
        }
        return art;
    }

    // The offset table: 8 groups of 12 words, each group's 6 words twice.
    std::int32_t placeCliffOffsets() {
        mData.cliffBlocks = cliffBlocks();
        for (std::size_t g = 0; g < 8; ++g) {
            for (std::size_t e = 0; e < 6; ++e) {
                const auto offset =
                    static_cast<std::uint16_t>(mData.cliffBlocks[6 * g + e] * kBlockMappingBytes);
                mData.cliffOffsets[12 * g + e] = offset;
                mData.cliffOffsets[12 * g + 6 + e] = offset;
            }
        }
        const std::int32_t table = mCursor;
        for (std::size_t w = 0; w < mData.cliffOffsets.size(); ++w) {
            putWord(mImage, static_cast<std::size_t>(table) + 2 * w, mData.cliffOffsets[w]);
        }
        mCursor += 2 * static_cast<std::int32_t>(mData.cliffOffsets.size());
        return table;
    }

    Status writeHillTop() {
        StartTables& tables = mData.tables;
        mData.cliffTiles = numberedTiles(kCliffTiles, 0, 5);
        const std::int32_t artCode = placeCode(kCliffArtCode);
        const bool longForm = mProfile.kind == RomKind::Revision02;
        const std::int32_t offsetsCode =
            placeCode(longForm ? kCliffOffsetsLongCode : kCliffOffsetsCode);
        const std::int32_t cloudCode = placeCode(kCloudArtCode);
        auto art = placeNemesis(mData.cliffTiles);
        if (!art) {
            return art.error();
        }
        putLong(mImage, static_cast<std::size_t>(artCode + 2), static_cast<std::uint32_t>(*art));
        const std::int32_t offsets = placeCliffOffsets();
        if (longForm) {
            putLong(mImage, static_cast<std::size_t>(offsetsCode + 6),
                    static_cast<std::uint32_t>(offsets));
        } else {
            putWord(mImage, static_cast<std::size_t>(offsetsCode + 6),
                    static_cast<std::uint16_t>(offsets - (offsetsCode + 6)));
        }
        mData.cloudArt = cloudArt();
        const std::int32_t clouds = placeBytes(mData.cloudArt);
        putLong(mImage, static_cast<std::size_t>(cloudCode + 2),
                static_cast<std::uint32_t>(clouds));
        tables.hillTopCliffArt = *art;
        tables.hillTopCliffOffsets = offsets;
        tables.hillTopCloudArt = clouds;
        alignCursor();
        return {};
    }

    // Six pictures of 4 x 4 tiles, stored down each column: picture p's tiles show p0 to pF.
    void writeSlotPictures() {
        mData.slotPictures.clear();
        for (std::int32_t p = 0; p < 6; ++p) {
            const auto picture = numberedTiles(16, 0x10 * p, 3 * p);
            mData.slotPictures.insert(mData.slotPictures.end(), picture.begin(), picture.end());
        }
        const std::int32_t code = placeCode(kSlotPicturesCode);
        const std::int32_t pictures = placeBytes(mData.slotPictures);
        putLong(mImage, static_cast<std::size_t>(code + 8), static_cast<std::uint32_t>(pictures));
        mData.tables.slotPictures = pictures;
        alignCursor();
    }

    // The cue lists the level start adds: list 2 (an explosion) and four animal lists, written
    // after the cue lists the object art already has, and the animal table naming them.
    Status writeCueLists() {
        std::vector<std::int32_t> art;
        for (std::int32_t a = 0; a <= kAnimalLists; ++a) {
            auto placed = placeNemesis(numberedTiles(4, 0xA0 + 0x10 * a, 4 * a + 1));
            if (!placed) {
                return placed.error();
            }
            art.push_back(*placed);
        }
        const auto address = [](std::uint16_t tile) {
            return static_cast<std::uint16_t>(tile * kTileBytes);
        };
        mData.cueLists = {{kExplosionCueList, {{art[0], address(kExplosionTile)}}}};
        for (std::int32_t a = 0; a < kAnimalLists; ++a) {
            const auto list = static_cast<std::uint8_t>(kFirstAnimalList + a);
            mData.cueLists.push_back(
                {list,
                 {{art[static_cast<std::size_t>(1 + a)], address(kAnimalTiles[0])},
                  {art[static_cast<std::size_t>(1 + (a + 1) % kAnimalLists)],
                   address(kAnimalTiles[1])}}});
        }
        putCueLists(*mProfile.patternLoadCues);
        alignCursor();
        writeAnimalTable();
        return {};
    }

    void putCueLists(std::int32_t table) {
        std::int32_t cursor = table + kCueListsAfter;
        for (const auto& [list, cues] : mData.cueLists) {
            putWord(mImage, static_cast<std::size_t>(table + 2 * list),
                    static_cast<std::uint16_t>(cursor - table));
            putWord(mImage, static_cast<std::size_t>(cursor),
                    static_cast<std::uint16_t>(cues.size() - 1));
            cursor += 2;
            for (const ArtCue& cue : cues) {
                putLong(mImage, static_cast<std::size_t>(cursor),
                        static_cast<std::uint32_t>(cue.source));
                putWord(mImage, static_cast<std::size_t>(cursor + 4), cue.videoAddress);
                cursor += kArtCueBytes;
            }
        }
    }

    void writeAnimalTable() {
        const bool jsr =
            mProfile.kind == RomKind::Revision02 || mProfile.kind == RomKind::Disassembly;
        const std::int32_t table =
            jsr ? placePcRelative(kAnimalJsrCode, 17) : placePcRelative(kAnimalCode, 15);
        for (std::size_t z = 0; z < mData.animalLists.size(); ++z) {
            mData.animalLists[z] = static_cast<std::uint8_t>(kFirstAnimalList + z % kAnimalLists);
            mImage[static_cast<std::size_t>(table) + z] = mData.animalLists[z];
        }
        mCursor = table + kZoneCount;
        mData.tables.animalCues = table;
        alignCursor();
    }

    // Bluer, darker versions of every line, different for each palette.
    static std::vector<std::uint8_t> underwaterColours(std::uint32_t which) {
        std::vector<std::uint8_t> colours(4 * 32);
        for (std::uint32_t c = 0; c < 64; ++c) {
            const std::uint32_t ramp = (c % 16) / 2;
            putWord(colours, 2 * c,
                    colourWord(ramp / 4, (ramp + which) / 2, 4 + (ramp + c / 16) % 4));
        }
        return colours;
    }

    void writeUnderwater() {
        placeCode(kUnderwaterCode);
        placeCode(kUnderwaterCode);  // the game names the ids twice
        for (std::size_t i = 0; i < kUnderwaterIds.size(); ++i) {
            mData.underwaterColours[i] = underwaterColours(static_cast<std::uint32_t>(i));
            const std::int32_t source = placeBytes(mData.underwaterColours[i]);
            const std::size_t entry = static_cast<std::size_t>(mProfile.palettePointerTable) +
                                      kPalettePointerEntrySize * std::size_t{kUnderwaterIds[i]};
            putLong(mImage, entry, static_cast<std::uint32_t>(source));
            putWord(mImage, entry + 4, kPaletteLine0);
            putWord(mImage, entry + 6, kUnderwaterLongs);
        }
        mData.tables.underwaterPalettes = kUnderwaterIds;
        alignCursor();
    }

    // 8 word offsets, then 8 frames of one piece: a 2 x 2 ring centred on its position, turning
    // through tiles 0-3, 4-7, ..., then sparkles.
    void writeRing() {
        const std::int32_t code = placeCode(kRingMappingsCode);
        placeCode(kRingArtCode);
        const std::int32_t mappings = mCursor;
        for (std::int32_t f = 0; f < 8; ++f) {
            const auto at = static_cast<std::size_t>(mappings + 0x10 + 8 * f);
            putWord(mImage, static_cast<std::size_t>(mappings + 2 * f),
                    static_cast<std::uint16_t>(0x10 + 8 * f));
            putWord(mImage, at, 0xF805);
            putWord(mImage, at + 2, static_cast<std::uint16_t>(4 * (f % 4) | (f / 4) << 11));
            putWord(mImage, at + 4, static_cast<std::uint16_t>(2 * (f % 4) | (f / 4) << 11));
            putWord(mImage, at + 6, 0xFFF8);
        }
        std::copy_n(mImage.begin() + mappings + 0x10, mData.ringPiece.size(),
                    mData.ringPiece.begin());
        mCursor = mappings + 0x50;
        putLong(mImage, static_cast<std::size_t>(code + 6), static_cast<std::uint32_t>(mappings));
        mData.tables.ringMappings = mappings;
        mData.tables.ringArtWord = kRingArtWord;
        alignCursor();
    }

    // The stored colour `index` of `line` (1 to 3) of a zone's palette.
    [[nodiscard]] std::uint16_t storedColour(std::uint8_t number, std::int32_t line,
                                             std::int32_t index) const {
        const DemoZone* found = zone(number);
        return found == nullptr ? std::uint16_t{0}
                                : static_cast<std::uint16_t>(
                                      mImage[static_cast<std::size_t>(found->paletteOffset +
                                                                      32 * (line - 1) + 2 * index)]
                                          << 8 |
                                      mImage[static_cast<std::size_t>(
                                          found->paletteOffset + 32 * (line - 1) + 2 * index + 1)]);
    }

    // Frames of `width` words from `at`: frame 0 from `first`, later frames the colours turned.
    void putCycle(std::int32_t at, std::int32_t frames, const std::vector<std::uint16_t>& first) {
        for (std::int32_t f = 0; f < frames; ++f) {
            for (std::size_t w = 0; w < first.size(); ++w) {
                const auto turned = static_cast<std::uint16_t>(
                    (first[w] + 0x0222 * static_cast<std::uint32_t>(f)) & 0x0EEE);
                putWord(mImage,
                        static_cast<std::size_t>(at) +
                            2 * first.size() * static_cast<std::size_t>(f) + 2 * w,
                        turned);
            }
        }
    }

    // A colour of the zone's palette, changed: frame 0 differs from what the palette stores.
    [[nodiscard]] std::uint16_t changed(std::uint8_t zone, std::int32_t line,
                                        std::int32_t index) const {
        return static_cast<std::uint16_t>(storedColour(zone, line, index) ^ 0x0222);
    }

    void writePaletteCycles() {
        const std::int32_t table = placePcRelative(kPaletteCyclesCode, 13);
        const std::int32_t routine = table + 2 * kZoneCount;
        putWord(mImage, static_cast<std::size_t>(routine), 0x4E75);
        for (std::int32_t z = 0; z < kZoneCount; ++z) {
            putWord(mImage, static_cast<std::size_t>(table + 2 * z),
                    static_cast<std::uint16_t>(routine - table));
        }
        DemoPaletteCycles& cycles = mData.cycles;
        cycles.emeraldHill = table + kEmeraldHillCycle;
        putCycle(cycles.emeraldHill, 4,
                 {storedColour(0, 1, 3), storedColour(0, 1, 4), storedColour(0, 1, 14),
                  storedColour(0, 1, 15)});
        for (std::size_t i = 0; i < cycles.metropolis.size(); ++i) {
            cycles.metropolis[i] = table + kMetropolisCycles[i];
        }
        putCycle(cycles.metropolis[0], 6, {changed(kMetropolis, 2, 5)});
        // Three colours that turn a word a frame: the words of frame 0, then again.
        putCycle(
            cycles.metropolis[1], 2,
            {changed(kMetropolis, 2, 1), changed(kMetropolis, 2, 2), changed(kMetropolis, 2, 3)});
        putCycle(cycles.metropolis[2], 10, {changed(kMetropolis, 2, 15)});
        cycles.mysticCave = table + kMysticCaveCycle;
        putCycle(cycles.mysticCave, 4, {changed(kMysticCave, 1, 11)});
        cycles.casinoNight = table + kCasinoNightCycle;
        putCycle(cycles.casinoNight, 3,
                 {changed(kCasinoNight, 3, 11), changed(kCasinoNight, 3, 10),
                  changed(kCasinoNight, 3, 9)});
        mData.tables.paletteCycles = table;
        mCursor = table + kCycleDataBytes;
    }

    std::vector<std::uint8_t>& mImage;
    const RomProfile& mProfile;
    const std::vector<DemoZone>& mZones;
    const DemoExtraStreams& mExtra;
    std::int32_t mCursor = kStartArea;
    DemoStartData mData;
};

}  // namespace

Result<DemoExtraStreams> makeDemoExtraStreams() {
    auto chunks = packExtra(hillTopChunks());
    auto hillTop = chunks ? packExtra(numberedTiles(kHillTopArtTiles, kHillTopFirstTile, 3))
                          : Result<DemoExtraStream>(chunks.error());
    auto fortress = hillTop
                        ? packExtra(numberedTiles(kWingFortressArtTiles, kWingFortressFirstTile, 9))
                        : Result<DemoExtraStream>(hillTop.error());
    if (!fortress) {
        return fortress.error();
    }
    return DemoExtraStreams{std::move(*chunks), std::move(*hillTop), std::move(*fortress)};
}

Result<DemoStartData> buildDemoStart(std::vector<std::uint8_t>& image, const RomProfile& profile,
                                     const std::vector<DemoZone>& zones,
                                     const DemoExtraStreams& extra) {
    return StartWriter(image, profile, zones, extra).run();
}

DemoChunkRange demoAnimatedChunks(std::uint8_t zone) {
    switch (zone) {
        case 0:
        case kHillTop:
            return {0x2F0, 16};
        case kCasinoNight:
            return {0x2EC, 20};
        case kChemicalPlant:
        case kDeathEgg:
            return {0x2FF, 1};
        default:
            return {};
    }
}

}  // namespace orvex
