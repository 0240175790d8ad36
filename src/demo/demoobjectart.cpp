// The demo ROM's object art: Nemesis-compressed tiles loaded by pattern load cue lists, sprite
// mappings, and debug object lists naming a frame for most of the object types the demo places.

#include "demo/demoobjectart.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "compression/nemesis.h"
#include "rom/objectart.h"

namespace orvex {

namespace {

constexpr std::int32_t kObjectArtArea = 0xF0000;  // art and mappings, past every placement list
constexpr std::uint16_t kCommonArtTile = 0x500;   // list 1: monitors, springs, spikes
constexpr std::uint16_t kZoneArtTile = 0x580;     // lists 3 to 5: a badnik in three colours
constexpr std::uint16_t kRingTile = 0x6BC;        // list 0: the ring
constexpr std::uint8_t kEmptyCueList = 2;         // every zone's first list
constexpr std::int32_t kZoneCueLists = 3;         // lists 3, 4, 5

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

// A monitor (2 x 2 tiles), a spring (2 x 1) and spikes (4 x 2): 14 tiles.
std::vector<std::uint8_t> commonTiles() {
    auto tiles = pieceTiles(2, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
        return edge ? 15 : (x > 3 && x < 12 && y > 3 && y < 10 ? 9 : 1);
    });
    const auto spring = pieceTiles(2, 1, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        return y < 3 ? 2 : (x % 4 < 2 ? 7 : 0);
    });
    const auto spikes = pieceTiles(4, 2, [](std::int32_t x, std::int32_t y) -> std::uint8_t {
        const std::int32_t tip = std::abs(x % 8 - 4);
        return static_cast<std::uint8_t>(y >= 2 * tip ? 14 - y % 2 : 0);
    });
    tiles.insert(tiles.end(), spring.begin(), spring.end());
    tiles.insert(tiles.end(), spikes.begin(), spikes.end());
    return tiles;
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

std::vector<std::vector<SpritePiece>> frames() {
    return {
        {{-8, -8, 2, 2, 0x0000}},                            // monitor
        {{-8, -4, 2, 1, 0x2004}},                            // spring, palette line 1
        {{-16, -8, 4, 2, 0x0006}},                           // spikes
        {{-12, -8, 3, 2, 0x0000}, {-4, -16, 1, 1, 0x0806}},  // badnik: body, wing mirrored
    };
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

// The cue lists: a word offset for each of the 67, all naming one empty list but lists 0, 1 and
// the zones' own.
void writeCueLists(std::vector<std::uint8_t>& image, std::int32_t table,
                   const std::vector<std::pair<std::uint8_t, ArtCue>>& cues) {
    std::int32_t cursor = table + 2 * kArtCueListCount;
    const std::int32_t empty = cursor;
    putWord(image, static_cast<std::size_t>(cursor), 0xFFFF);
    cursor += 2;
    for (std::int32_t list = 0; list < kArtCueListCount; ++list) {
        putWord(image, static_cast<std::size_t>(table + 2 * list),
                static_cast<std::uint16_t>(empty - table));
    }
    for (const auto& [list, cue] : cues) {
        putWord(image, static_cast<std::size_t>(table + 2 * list),
                static_cast<std::uint16_t>(cursor - table));
        putWord(image, static_cast<std::size_t>(cursor), 0);  // one entry
        putLong(image, static_cast<std::size_t>(cursor + 2),
                static_cast<std::uint32_t>(cue.source));
        putWord(image, static_cast<std::size_t>(cursor + 6), cue.videoAddress);
        cursor += 2 + kArtCueBytes;
    }
}

// Two debug lists: zones at even places in the zone list know the badnik, the others do not;
// no list knows the starpost ($79).
void writeDebugLists(std::vector<std::uint8_t>& image, std::int32_t table, std::int32_t mappings,
                     const std::vector<std::uint8_t>& zones) {
    const std::vector<DebugEntry> common{
        {0x26, mappings, 0x00, 0, kCommonArtTile},
        {0x41, mappings, 0x00, 1, kCommonArtTile},
        {0x36, mappings, 0x00, 2, kCommonArtTile},
        {0x41, mappings, 0x02, 1, kCommonArtTile},  // a yellow spring: a second subtype
    };
    std::vector<DebugEntry> withBadnik = common;
    withBadnik.push_back(
        {0x4B, mappings, 0x00, 3, static_cast<std::uint16_t>(0x4000 | kZoneArtTile)});
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

}  // namespace

Status buildDemoObjectArt(std::vector<std::uint8_t>& image, const RomProfile& profile,
                          const std::vector<std::uint8_t>& zones) {
    std::int32_t cursor = kObjectArtArea;
    const std::int32_t mappings = cursor;
    const auto mappingBytes = spriteMappingBytes(frames());
    std::copy(mappingBytes.begin(), mappingBytes.end(), image.begin() + cursor);
    cursor += static_cast<std::int32_t>(mappingBytes.size());
    std::vector<std::pair<std::uint8_t, ArtCue>> cues;
    const std::vector<std::tuple<std::uint8_t, std::vector<std::uint8_t>, std::uint16_t>> art{
        {0, ringTiles(), kRingTile},     {1, commonTiles(), kCommonArtTile},
        {3, zoneTiles(0), kZoneArtTile}, {4, zoneTiles(1), kZoneArtTile},
        {5, zoneTiles(2), kZoneArtTile},
    };
    for (const auto& [list, tiles, tile] : art) {
        auto source = placeNemesis(image, cursor, tiles);
        if (!source) {
            return source.error();
        }
        cues.push_back({list, {*source, static_cast<std::uint16_t>(32 * tile)}});
    }
    writeCueLists(image, *profile.patternLoadCues, cues);
    writeDebugLists(image, *profile.debugObjectLists, mappings, zones);
    return {};
}

std::array<std::uint8_t, 2> demoZoneCueLists(std::size_t zoneIndex) {
    return {kEmptyCueList,
            static_cast<std::uint8_t>(3 + static_cast<std::int32_t>(zoneIndex) % kZoneCueLists)};
}

}  // namespace orvex
