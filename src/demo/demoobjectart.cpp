// The demo ROM's object art: Nemesis-compressed tiles loaded by pattern load cue lists, sprite
// mappings, and debug object lists naming a frame for most of the object types the demo places.

#include "demo/demoobjectart.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <map>
#include <tuple>

#include "compression/nemesis.h"
#include "rom/codepatterns.h"
#include "rom/objectart.h"

namespace orvex {

namespace {

constexpr std::int32_t kObjectArtArea = 0xF0000;  // art and mappings, past every placement list
// Where list 1 puts the common objects' art, as the game's own lists put it.
constexpr std::uint16_t kMonitorTile = 0x680;
constexpr std::uint16_t kUpSpringTile = 0x45C;
constexpr std::uint16_t kSideSpringTile = 0x470;
constexpr std::uint16_t kDiagonalSpringTile = 0x43C;
constexpr std::uint16_t kSpikesTile = 0x434;
constexpr std::uint16_t kSideSpikesTile = 0x42C;
constexpr std::uint16_t kBridgeTile = 0x3B6;
constexpr std::uint16_t kZoneArtTile = 0x3D2;  // lists 3 to 5: a badnik in three colours
constexpr std::uint8_t kSignpostCueList = 0x27;
constexpr std::uint16_t kRingTile = 0x6BC;  // list 0: the ring
constexpr std::uint8_t kEmptyCueList = 2;   // every zone's first list
constexpr std::int32_t kZoneCueLists = 3;   // lists 3, 4, 5

using Shape = std::function<std::uint8_t(std::int32_t x, std::int32_t y)>;

// The tiles of a piece `columns` x `rows` tiles large, in the order pieces use them (down each
// column first), each pixel's colour given by `shape` over the whole piece.
std::vector<std::uint8_t> pieceTiles(std::int32_t columns, std::int32_t rows, const Shape& shape) {
    std::vector<std::uint8_t> tiles;
    for (std::int32_t column = 0; column < columns; ++column) {
        for (std::int32_t row = 0; row < rows; ++row) {
            for (std::int32_t y = 0; y < 8; ++y) {
                for (std::int32_t x = 0; x < 8; x += 2) {
                    const std::int32_t px = 8 * column + x;
                    const std::int32_t py = 8 * row + y;
                    tiles.push_back(
                        static_cast<std::uint8_t>(shape(px, py) << 4 | shape(px + 1, py)));
                }
            }
        }
    }
    return tiles;
}

std::vector<std::uint8_t> ringTiles() {
    return pieceTiles(2, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const double distance = std::hypot(x - 7.5, y - 7.5);
        return distance > 4.5 && distance < 7.5 ? (x < 8 ? 12 : 13) : 0;
    });
}

std::vector<std::uint8_t> monitorTiles() {
    return pieceTiles(2, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
        return edge ? 15 : (x > 3 && x < 12 && y > 3 && y < 10 ? 9 : 1);
    });
}

// A spring `columns` x `rows` tiles: a plate along the top and coils below.
std::vector<std::uint8_t> springTiles(std::int32_t columns, std::int32_t rows) {
    return pieceTiles(columns, rows, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        return y < 3 ? 2 : (x % 4 < 2 ? 7 : 0);
    });
}

// Spikes pointing up (4 x 2 tiles) or right (2 x 4 tiles).
std::vector<std::uint8_t> spikeTiles(bool sideways) {
    if (sideways) {
        return pieceTiles(2, 4, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
            const std::int32_t tip = std::abs(y % 8 - 4);
            return static_cast<std::uint8_t>(15 - x >= 2 * tip ? 14 - x % 2 : 0);
        });
    }
    return pieceTiles(4, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const std::int32_t tip = std::abs(x % 8 - 4);
        return static_cast<std::uint8_t>(y >= 2 * tip ? 14 - y % 2 : 0);
    });
}

std::vector<std::uint8_t> logTiles() {
    return pieceTiles(2, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        return y > 3 && y < 12 ? static_cast<std::uint8_t>(x == 0 || x == 15 ? 3 : 6) : 0;
    });
}

// The signpost's face: a 4 x 4 tile disc, loaded where the spikes lie.
std::vector<std::uint8_t> signpostTiles() {
    return pieceTiles(4, 4, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const double distance = std::hypot(x - 15.5, y - 15.5);
        return distance < 15 ? (distance < 5 ? 10 : 4) : 0;
    });
}

// A badnik: a 3 x 2 body and one wing tile, in colours that differ by `variant`.
std::vector<std::uint8_t> zoneTiles(std::int32_t variant) {
    const auto body = static_cast<std::uint8_t>(3 + variant);
    auto tiles = pieceTiles(3, 2, [body](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const double dx = (x - 11.5) / 12;
        const double dy = (y - 7.5) / 8;
        return dx * dx + dy * dy < 1 ? (x > 16 && y < 6 ? 15 : body) : 0;
    });
    const auto wing = pieceTiles(1, 1, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        return x <= y ? 11 : 0;  // a triangle with its right angle at the bottom left
    });
    tiles.insert(tiles.end(), wing.begin(), wing.end());
    return tiles;
}

using Frames = std::vector<std::vector<SpritePiece>>;

// `count` frames that all show `piece`, but for the frames `others` names.
Frames framesOf(std::size_t count, const SpritePiece& piece,
                const std::vector<std::pair<std::size_t, SpritePiece>>& others = {}) {
    Frames frames(count, {piece});
    for (const auto& [frame, other] : others) {
        frames[frame] = {other};
    }
    return frames;
}

// The frames each table of the demo has: as many as the game's own tables, so that every frame
// the start-up rules pick exists.
Frames monitorFrames() {
    return framesOf(12, {-8, -8, 2, 2, 0x0000});
}

// Frame 0 points up, 3 sideways, 7 diagonally, as the game's spring frames do.
Frames springFrames() {
    return framesOf(11, {-8, -4, 2, 1, 0x0000},
                    {{3, {-4, -8, 1, 2, 0x0000}}, {7, {-8, -8, 2, 2, 0x0000}}});
}

// Frames 0-3 upright, 4-7 sideways.
Frames spikeFrames() {
    Frames frames = framesOf(8, {-16, -8, 4, 2, 0x0000});
    for (std::size_t frame = 4; frame < 8; ++frame) {
        frames[frame] = {{-8, -16, 2, 4, 0x0000}};
    }
    return frames;
}

// The badnik's body with a mirrored wing; frame 3 is its exhaust.
Frames badnikFrames() {
    Frames frames(5, {{-12, -8, 3, 2, 0x0000}, {-4, -16, 1, 1, 0x0806}});
    frames[3] = {{12, -4, 1, 1, 0x0006}};
    return frames;
}

Result<std::int32_t> placeNemesis(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                                  const std::vector<std::uint8_t>& tiles) {
    auto packed = compressNemesis(tiles);
    if (!packed) {
        return packed.error();
    }
    const std::int32_t at = cursor;
    std::copy(packed->begin(), packed->end(), image.begin() + at);
    cursor += static_cast<std::int32_t>(packed->size());
    cursor += cursor % 2;
    return at;
}

using CueLists = std::map<std::uint8_t, std::vector<ArtCue>>;

// The cue lists: a word offset for each of the 67, all naming one empty list but those `cues`
// has.
void writeCueLists(std::vector<std::uint8_t>& image, std::int32_t table, const CueLists& cues) {
    std::int32_t cursor = table + 2 * kArtCueListCount;
    const std::int32_t empty = cursor;
    putWord(image, static_cast<std::size_t>(cursor), 0xFFFF);
    cursor += 2;
    for (std::int32_t list = 0; list < kArtCueListCount; ++list) {
        putWord(image, static_cast<std::size_t>(table + 2 * list),
                static_cast<std::uint16_t>(empty - table));
    }
    for (const auto& [list, entries] : cues) {
        putWord(image, static_cast<std::size_t>(table + 2 * list),
                static_cast<std::uint16_t>(cursor - table));
        putWord(image, static_cast<std::size_t>(cursor),
                static_cast<std::uint16_t>(entries.size() - 1));
        cursor += 2;
        for (const ArtCue& cue : entries) {
            putLong(image, static_cast<std::size_t>(cursor),
                    static_cast<std::uint32_t>(cue.source));
            putWord(image, static_cast<std::size_t>(cursor + 4), cue.videoAddress);
            cursor += kArtCueBytes;
        }
    }
}

// Two debug lists: zones at even places in the zone list know the badnik, the others do not;
// no list knows the starpost ($79).
void writeDebugLists(std::vector<std::uint8_t>& image, std::int32_t table, const DemoObjectArt& art,
                     const std::vector<std::uint8_t>& zones) {
    const std::vector<DebugEntry> common{
        {0x26, art.monitorMappings, 0x00, 0, kMonitorTile},
        {0x41, art.springMappings, 0x00, 0, kUpSpringTile},
        {0x36, art.spikeMappings, 0x00, 0, 0x2000 | kSpikesTile},
        {0x41, art.springMappings, 0x02, 0, kUpSpringTile},  // a yellow spring: a second subtype
    };
    std::vector<DebugEntry> withBadnik = common;
    withBadnik.push_back(
        {0x4B, art.badnikMappings, 0x00, 0, static_cast<std::uint16_t>(0x4000 | kZoneArtTile)});
    std::int32_t cursor = table + 2 * kZoneCount;
    std::array<std::int32_t, 2> lists{};
    for (std::size_t i = 0; i < 2; ++i) {
        lists[i] = cursor;
        const auto& entries = i == 0 ? withBadnik : common;
        putWord(image, static_cast<std::size_t>(cursor),
                static_cast<std::uint16_t>(entries.size()));
        cursor += 2;
        for (const DebugEntry& entry : entries) {
            putLong(image, static_cast<std::size_t>(cursor),
                    std::uint32_t{entry.id} << 24 | static_cast<std::uint32_t>(entry.mappings));
            putLong(image, static_cast<std::size_t>(cursor + 4),
                    std::uint32_t{entry.subtype} << 24 | std::uint32_t{entry.frame} << 16 |
                        entry.artTile);
            cursor += kDebugEntryBytes;
        }
    }
    for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
        const auto found = std::find(zones.begin(), zones.end(), zone);
        const auto which = found == zones.end()
                               ? std::size_t{1}
                               : static_cast<std::size_t>(found - zones.begin()) % 2;
        putWord(image, static_cast<std::size_t>(table + 2 * zone),
                static_cast<std::uint16_t>(lists[which] - table));
    }
}

std::int32_t placeMappings(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                           const Frames& frames) {
    const auto bytes = spriteMappingBytes(frames);
    const std::int32_t at = cursor;
    std::copy(bytes.begin(), bytes.end(), image.begin() + at);
    cursor += static_cast<std::int32_t>(bytes.size());
    return at;
}

// Writes the instruction bytes of `pattern` ("??" as 0) at the cursor and moves it past them.
std::int32_t placeCode(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                       const char* pattern) {
    const auto bytes = parsePattern(pattern);
    const std::int32_t at = cursor;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        image[static_cast<std::size_t>(at) + i] =
            bytes[i] < 0 ? std::uint8_t{0} : static_cast<std::uint8_t>(bytes[i]);
    }
    cursor += static_cast<std::int32_t>(bytes.size()) + 2;
    return at;
}

// The code that names a table by its absolute address, the long `at` bytes into the code.
void placeNamingCode(std::vector<std::uint8_t>& image, std::int32_t& cursor, const char* pattern,
                     std::int32_t at, std::int32_t table) {
    const std::int32_t code = placeCode(image, cursor, pattern);
    putLong(image, static_cast<std::size_t>(code + at), static_cast<std::uint32_t>(table));
}

// The lava cup lists: three loops of 8 cups, the taller ones with the same x values.
std::int32_t placeCupLists(std::vector<std::uint8_t>& image, std::int32_t& cursor) {
    constexpr std::int16_t kX[] = {0, -0x20, -0x20, -0x20, 0, 0x20, 0x20, 0x20};
    constexpr std::int16_t kY[3][4] = {
        {0x3A, 0x80, 0xC6, 0x100}, {0x5A, 0xC0, 0x126, 0x180}, {0x7A, 0x100, 0x186, 0x200}};
    const std::int32_t table = cursor;
    cursor += 6;
    for (std::size_t list = 0; list < 3; ++list) {
        putWord(image, static_cast<std::size_t>(table) + 2 * list,
                static_cast<std::uint16_t>(cursor - table));
        putWord(image, static_cast<std::size_t>(cursor), 7);
        for (std::size_t cup = 0; cup < 8; ++cup) {
            const std::size_t rung = cup <= 4 ? cup : 8 - cup;
            const std::int16_t y = cup == 0 ? 0 : kY[list][rung - 1];
            const auto at = static_cast<std::size_t>(cursor + 2) + 6 * cup;
            putWord(image, at, static_cast<std::uint16_t>(kX[cup]));
            putWord(image, at + 2, static_cast<std::uint16_t>(y));
            putWord(image, at + 4, static_cast<std::uint16_t>(cup));
        }
        cursor += 2 + 6 * 8;
    }
    return table;
}

// The scenery table: subtype s shows frame s % 12 of the monitor mappings.
std::int32_t placeScenery(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                          std::int32_t mappings) {
    const std::int32_t code = placeCode(image, cursor, objectTableCode().scenery);
    const std::int32_t table = cursor;
    for (std::int32_t s = 0; s <= 0x14; ++s) {
        const auto at = static_cast<std::size_t>(table + kSceneryEntryBytes * s);
        putLong(image, at,
                static_cast<std::uint32_t>(s % 12) << 24 | static_cast<std::uint32_t>(mappings));
        putWord(image, at + 4, kMonitorTile);
        image[at + 6] = 0x10;
        image[at + 7] = 4;
    }
    cursor += kSceneryEntryBytes * 0x15;
    putWord(image, static_cast<std::size_t>(code + 6),
            static_cast<std::uint16_t>(table - code - 6));
    return table;
}

// Three sub-object records, for subtypes 0, 2 and 4: the badnik, a monitor and the spring.
std::int32_t placeSubObjects(std::vector<std::uint8_t>& image, std::int32_t& cursor,
                             const DemoObjectArt& art) {
    const std::int32_t code = placeCode(image, cursor, objectTableCode().subObjects);
    const std::int32_t table = cursor;
    const std::pair<std::int32_t, std::uint16_t> records[] = {
        {art.badnikMappings, kZoneArtTile},
        {art.monitorMappings, kMonitorTile},
        {art.springMappings, kUpSpringTile},
    };
    cursor += 2 * static_cast<std::int32_t>(std::size(records));
    for (std::size_t i = 0; i < std::size(records); ++i) {
        putWord(image, static_cast<std::size_t>(table) + 2 * i,
                static_cast<std::uint16_t>(cursor - table));
        putLong(image, static_cast<std::size_t>(cursor),
                static_cast<std::uint32_t>(records[i].first));
        putWord(image, static_cast<std::size_t>(cursor + 4), records[i].second);
        const std::uint8_t rest[] = {0x04, 0x04, 0x10, 0x0B};
        std::copy(std::begin(rest), std::end(rest), image.begin() + cursor + 6);
        cursor += kSubObjectBytes;
    }
    // Both (d8,PC,Xn) operands reach the table from their extension words, at +8 and +12.
    image[static_cast<std::size_t>(code + 9)] = static_cast<std::uint8_t>(table - code - 8);
    image[static_cast<std::size_t>(code + 13)] = static_cast<std::uint8_t>(table - code - 12);
    return table;
}

// The tables the debug lists do not reach and the code that names them, from `cursor`.
void placeObjectTables(std::vector<std::uint8_t>& image, std::int32_t& cursor, DemoObjectArt& art) {
    const ObjectTableCode& code = objectTableCode();
    ObjectTables& tables = art.tables;
    tables.yellowSpringMappings = placeMappings(image, cursor, springFrames());
    tables.signpostMappings = placeMappings(image, cursor, framesOf(6, {-16, -16, 4, 4, 0}));
    tables.signpostArtTile = kSpikesTile;
    tables.signpostCueList = kSignpostCueList;
    tables.cogMappings = placeMappings(image, cursor, framesOf(3, {-8, -8, 2, 2, 0}));
    tables.lavaCupMappings = placeMappings(image, cursor, framesOf(1, {-8, -8, 2, 2, 0}));
    tables.bridgeLogMappings = placeMappings(image, cursor, framesOf(1, {-8, -8, 2, 2, 0}));
    tables.lavaCupLists = placeCupLists(image, cursor);
    placeNamingCode(image, cursor, code.yellowSpring, 8, *tables.yellowSpringMappings);
    placeNamingCode(image, cursor, code.signpost, 2, *tables.signpostMappings);
    placeCode(image, cursor, code.signpostCueList);
    placeNamingCode(image, cursor, code.cog, 2, *tables.cogMappings);
    placeNamingCode(image, cursor, code.lavaCup, 2, *tables.lavaCupMappings);
    placeNamingCode(image, cursor, code.lavaCupLists, 2, *tables.lavaCupLists);
    placeNamingCode(image, cursor, code.bridgeLog, 2, *tables.bridgeLogMappings);
    tables.scenery = placeScenery(image, cursor, art.monitorMappings);
    tables.subObjects = placeSubObjects(image, cursor, art);
}

// Where each layout's object tables begin, so that they lie elsewhere in every profile.
std::int32_t tablesShift(const RomProfile& profile) {
    return profile.debugObjectLists.value_or(0) & 0x7F0;
}

}  // namespace

Result<DemoObjectArt> buildDemoObjectArt(std::vector<std::uint8_t>& image,
                                         const RomProfile& profile,
                                         const std::vector<std::uint8_t>& zones) {
    std::int32_t cursor = kObjectArtArea;
    DemoObjectArt objectArt;
    objectArt.monitorMappings = placeMappings(image, cursor, monitorFrames());
    objectArt.springMappings = placeMappings(image, cursor, springFrames());
    objectArt.spikeMappings = placeMappings(image, cursor, spikeFrames());
    objectArt.badnikMappings = placeMappings(image, cursor, badnikFrames());
    CueLists cues;
    const std::vector<std::tuple<std::uint8_t, std::vector<std::uint8_t>, std::uint16_t>> art{
        {0, ringTiles(), kRingTile},
        {1, monitorTiles(), kMonitorTile},
        {1, springTiles(2, 1), kUpSpringTile},
        {1, springTiles(1, 2), kSideSpringTile},
        {1, springTiles(2, 2), kDiagonalSpringTile},
        {1, spikeTiles(false), kSpikesTile},
        {1, spikeTiles(true), kSideSpikesTile},
        {1, logTiles(), kBridgeTile},
        {3, zoneTiles(0), kZoneArtTile},
        {4, zoneTiles(1), kZoneArtTile},
        {5, zoneTiles(2), kZoneArtTile},
        {kSignpostCueList, signpostTiles(), kSpikesTile},
    };
    for (const auto& [list, tiles, tile] : art) {
        auto source = placeNemesis(image, cursor, tiles);
        if (!source) {
            return source.error();
        }
        cues[list].push_back({*source, static_cast<std::uint16_t>(32 * tile)});
    }
    writeCueLists(image, *profile.patternLoadCues, cues);
    writeDebugLists(image, *profile.debugObjectLists, objectArt, zones);
    cursor += tablesShift(profile);
    placeObjectTables(image, cursor, objectArt);
    return objectArt;
}

std::array<std::uint8_t, 2> demoZoneCueLists(std::size_t zoneIndex) {
    return {kEmptyCueList,
            static_cast<std::uint8_t>(3 + static_cast<std::int32_t>(zoneIndex) % kZoneCueLists)};
}

}  // namespace orvex
