#include "rom/levelstart.h"

#include <algorithm>
#include <array>

#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "rom/placements.h"

namespace orvex {

namespace {

constexpr std::int32_t kMaxScripts = 8;  // the game keeps counters for 8 scripts a list
constexpr std::uint8_t kTitleScreenList = 0;
constexpr std::uint8_t kStandardList = 1;
constexpr std::uint8_t kStandardWaterList = 2;

// Zones whose animation routine does nothing.
bool hasAnimationScripts(std::uint8_t zone) {
    constexpr std::array<std::uint8_t, 10> kZones{0, 4, 5, 7, 8, 10, 12, 13, 14, 15};
    return std::find(kZones.begin(), kZones.end(), zone) != kZones.end();
}

std::string hex(std::int64_t value) {
    return hexOffset(value);
}

// ---- pattern load cues ----

// A chosen limit on the tiles the cues of one list decode together: all of video memory. A list
// that decodes more must write over its own art; the game's lists decode a few hundred tiles.
constexpr std::int32_t kListTileBudget = kVideoMemoryBytes / kTileBytes;

// The tiles from byte `address` of video memory to its end, a tile partly inside included: the
// most a cue there can put into video memory.
std::int32_t tilesFrom(std::uint16_t address) {
    return (kVideoMemoryBytes - address + kTileBytes - 1) / kTileBytes;
}

// Decodes the cues of list `list`, each only as far as video memory reaches and all of them no
// further than kListTileBudget; what is left out is named in `problems`. A cue is charged what
// its header asks before it is decoded, so a stream that breaks late costs the budget too.
void decodeCues(ByteSpan image, std::uint8_t list, const std::vector<ArtCue>& cues,
                std::vector<VideoWrite>& writes, std::vector<std::string>& problems) {
    const std::string name = "pattern load cue list " + std::to_string(list);
    std::int32_t budget = kListTileBudget;
    std::int32_t pastEnd = 0;
    std::optional<std::size_t> overBudget;
    for (std::size_t i = 0; i < cues.size() && !overBudget; ++i) {
        const ArtCue& cue = cues[i];
        const auto header = nemesisTileCount(image, cue.source);
        const std::int32_t asked = header ? *header : 0;
        const std::int32_t room = tilesFrom(cue.videoAddress);
        const std::int32_t wanted = std::min(asked, room);
        if (wanted > budget) {
            overBudget = i;
        } else if (asked > room) {
            ++pastEnd;
        }
        const std::int32_t allowed = std::min(wanted, budget);
        budget -= allowed;
        auto art = decompressNemesis(image, cue.source, allowed);
        if (!art) {
            problems.push_back("art at " + hex(cue.source) + ": " + art.error().describe());
            continue;
        }
        writes.push_back({cue.videoAddress, std::move(art->tiles)});
    }
    if (pastEnd > 0) {
        problems.push_back(name + ": the art of " + std::to_string(pastEnd) +
                           " cue(s) runs past the end of video memory and is cut there");
    }
    if (overBudget) {
        problems.push_back(name + ": its cues decode more than " + std::to_string(kListTileBudget) +
                           " tiles (all of video memory); the art from cue " +
                           std::to_string(*overBudget + 1) + " on is left out");
    }
}

void loadCueList(ByteSpan image, std::int32_t table, std::uint8_t list,
                 std::vector<VideoWrite>& writes, std::vector<std::string>& problems) {
    auto cues = readArtCues(image, table, list);
    if (!cues) {
        problems.push_back("pattern load cue list " + std::to_string(list) + ": " +
                           cues.error().describe());
        return;
    }
    if (cues->cut) {
        problems.push_back("pattern load cue list " + std::to_string(list) + ": " +
                           cues->cut->describe());
    }
    decodeCues(image, list, cues->entries, writes, problems);
}

// The top byte of one long of the zone's art table entry: the cue list it names (0: none).
std::uint8_t zoneCueList(ByteSpan image, const RomProfile& profile, std::uint8_t zone,
                         std::int32_t increment) {
    const std::int64_t at =
        profile.levelArtTable + std::int64_t{kLevelArtEntrySize} * zone + increment;
    auto list = readByte(image, at);
    return list ? *list : std::uint8_t{0};
}

// The lists the level queues, in the order the game queues them: the zone's first, the standard
// list, the zone's second (after its chunks), then standard water and the animals when the title
// card leaves. A one-player game with Sonic and Tails loads no life icon list.
std::vector<std::uint8_t> levelCueLists(ByteSpan image, const RomProfile& profile,
                                        const StartTables& tables, std::uint8_t zone) {
    std::vector<std::uint8_t> lists;
    if (const std::uint8_t first = zoneCueList(image, profile, zone, kTileArtIncrement)) {
        lists.push_back(first);
    }
    lists.push_back(kStandardList);
    if (const std::uint8_t second = zoneCueList(image, profile, zone, kChunkMappingsIncrement)) {
        lists.push_back(second);
    }
    lists.push_back(kStandardWaterList);
    if (tables.animalCues) {
        if (auto animals = readByte(image, std::int64_t{*tables.animalCues} + zone)) {
            lists.push_back(*animals);
        }
    }
    return lists;
}

void readCues(ByteSpan image, const RomProfile& profile, const StartTables& tables, ZoneAct act,
              LevelStart& start) {
    if (!profile.patternLoadCues) {
        start.missing.emplace_back("pattern load cues");
        return;
    }
    loadCueList(image, *profile.patternLoadCues, kTitleScreenList, start.titleScreen,
                start.problems);
    for (const std::uint8_t list : levelCueLists(image, profile, tables, act.zone)) {
        loadCueList(image, *profile.patternLoadCues, list, start.afterArt, start.problems);
    }
}

// ---- the loader's extra streams ----

std::optional<std::vector<std::uint8_t>> decodeStream(ByteSpan image, std::int32_t offset,
                                                      std::string_view what,
                                                      std::vector<std::string>& problems) {
    auto decoded = decompressKosinski(image, offset);
    if (!decoded) {
        problems.push_back(std::string(what) + " at " + hex(offset) + ": " +
                           decoded.error().describe());
        return std::nullopt;
    }
    return std::move(decoded->data);
}

void readExtraArt(ByteSpan image, const StartTables& tables, std::uint8_t zone, LevelStart& start) {
    const std::optional<ExtraStream>* stream = nullptr;
    const std::optional<std::int32_t>* copied = nullptr;
    if (zone == kHillTop) {
        stream = &tables.hillTopArt;
        copied = &tables.hillTopCopiedTiles;
    } else if (zone == kWingFortress) {
        stream = &tables.wingFortressArt;
        copied = &tables.wingFortressCopiedTiles;
    } else if (zone == kDeathEgg) {
        start.copiedTiles = tables.deathEggCopiedTiles;
        return;
    } else {
        return;
    }
    if (!*stream || !*copied) {
        return;
    }
    if (auto bytes = decodeStream(image, (*stream)->stream, "extra tile art", start.problems)) {
        start.extraArt = VideoWrite{(*stream)->first * kTileBytes, std::move(*bytes)};
        start.copiedTiles = **copied;
    }
}

void readExtraChunks(ByteSpan image, const StartTables& tables, std::uint8_t zone,
                     LevelStart& start) {
    if (zone != kHillTop || !tables.hillTopChunks) {
        return;
    }
    const ExtraStream& stream = *tables.hillTopChunks;
    if (auto bytes = decodeStream(image, stream.stream, "extra chunk mappings", start.problems)) {
        start.extraChunks = ChunkWrite{stream.first, std::move(*bytes)};
    }
}

// The zone's record of chunks written over the top of the chunk table: word D (byte offset in
// the table; a record of the single word 0 is none), word N (data words - 1), the data.
void readChunkRecord(ByteSpan image, const StartTables& tables, std::uint8_t zone,
                     LevelStart& start) {
    if (!tables.chunkRecords) {
        return;
    }
    const std::int64_t table = *tables.chunkRecords;
    auto offset = readWord(image, table + 2 * std::int64_t{zone});
    if (!offset) {
        start.problems.push_back("chunk records: " + offset.error().describe());
        return;
    }
    const std::int64_t record = table + *offset;
    auto destination = readWord(image, record);
    if (!destination || *destination == 0) {
        return;
    }
    auto count = readWord(image, record + 2);
    const std::int64_t bytes = count ? 2 * (std::int64_t{*count} + 1) : 0;
    if (!count || !fitsIn(image.size(), record + 4, bytes)) {
        start.problems.push_back("the chunk record at " + hex(record) +
                                 " runs past the end of the image");
        return;
    }
    if (*destination % kChunkBytes != 0 || *destination + bytes > kChunkTableBytes) {
        start.problems.push_back("the chunk record at " + hex(record) +
                                 " writes outside the chunk table; it is left out");
        return;
    }
    const auto from = image.begin() + record + 4;
    start.chunkRecord =
        ChunkWrite{*destination / kChunkBytes, std::vector<std::uint8_t>(from, from + bytes)};
}

// ---- animation scripts ----

// One script at `at`: duration byte, 24-bit art address, video address word, frame count,
// tiles a frame, then the frame list (first tiles, each followed by its duration when the
// duration byte has bit 7 set), padded to an even length. Returns the script and its length.
std::optional<std::pair<AnimationScript, std::int64_t>> readScript(ByteSpan image,
                                                                   std::int64_t at) {
    if (!fitsIn(image.size(), at, 8)) {
        return std::nullopt;
    }
    const auto byte = [&image, at](std::int32_t i) {
        return image[static_cast<std::size_t>(at + i)];
    };
    const std::uint8_t duration = byte(0);
    const std::int32_t artAt = (byte(1) << 16) | (byte(2) << 8) | byte(3);
    const bool ownDurations = (duration & 0x80) != 0;
    const std::int32_t frameCount = byte(6);
    AnimationScript script;
    script.destination = ((byte(4) << 8) | byte(5)) / kTileBytes;
    script.tilesPerFrame = byte(7);
    const std::int64_t list = at + 8;
    const std::int64_t listBytes = frameCount * (ownDurations ? 2 : 1);
    if (frameCount == 0 || !fitsIn(image.size(), list, listBytes)) {
        return std::nullopt;
    }
    std::int32_t lastTile = 0;
    for (std::int32_t k = 0; k < frameCount; ++k) {
        const std::size_t entry = static_cast<std::size_t>(list + k * (ownDurations ? 2 : 1));
        const std::int32_t shown = ownDurations ? image[entry + 1] : duration;
        script.frames.push_back({image[entry], shown + 1});
        lastTile = std::max<std::int32_t>(lastTile, image[entry]);
    }
    const std::int64_t artBytes = std::int64_t{lastTile + script.tilesPerFrame} * kTileBytes;
    if (!fitsIn(image.size(), artAt, artBytes)) {
        return std::nullopt;
    }
    script.art.assign(image.begin() + artAt, image.begin() + artAt + artBytes);
    return std::pair{std::move(script), 8 + listBytes + (listBytes % 2)};
}

void readScripts(ByteSpan image, const StartTables& tables, std::uint8_t zone, LevelStart& start) {
    if (!tables.animations || !hasAnimationScripts(zone)) {
        return;
    }
    const std::int64_t table = *tables.animations;
    auto listOffset = readWord(image, table + 4 * std::int64_t{zone} + 2);
    if (!listOffset) {
        start.problems.push_back("animation table: " + listOffset.error().describe());
        return;
    }
    const std::int64_t list = table + static_cast<std::int16_t>(*listOffset);
    auto count = readWord(image, list);
    if (!count) {
        start.problems.push_back("animation scripts: " + count.error().describe());
        return;
    }
    const std::int32_t scripts = static_cast<std::int16_t>(*count) + 1;
    std::int64_t at = list + 2;
    for (std::int32_t i = 0; i < std::min(scripts, kMaxScripts); ++i) {
        auto script = readScript(image, at);
        if (!script) {
            start.problems.push_back("the animation script at " + hex(at) +
                                     " cannot be read; it and those after it are left out");
            return;
        }
        start.scripts.push_back(std::move(script->first));
        at += script->second;
    }
}

// ---- pictures made by code ----

constexpr std::int32_t kMountainTile = 0x500;
constexpr std::int32_t kCloudTile = 0x518;

// Six columns of four mountain tiles, chosen by where the camera is.
void writeMountains(const std::vector<std::uint8_t>& cliffs, std::int32_t cameraX,
                    LevelStart& start) {
    const auto value = static_cast<std::uint16_t>((cameraX >> 4) + ((-cameraX) >> 3) - 0x10);
    const std::int32_t r = value % 0x30;
    const std::int32_t group = r & 7;
    const std::int32_t column = r >> 3;
    for (std::int32_t i = 0; i < 6; ++i) {
        const std::int32_t first = (group * 6 + (column + i) % 6) * 4;
        const auto from = cliffs.begin() + first * kTileBytes;
        start.afterArt.push_back({(kMountainTile + 4 * i) * kTileBytes,
                                  std::vector<std::uint8_t>(from, from + 4 * kTileBytes)});
    }
}

// The cloud strip unshifted: rows of 64 pixels, of which the first 32 fill 4 columns of tiles,
// 2 tiles a column.
void writeClouds(ByteSpan image, std::int32_t art, LevelStart& start) {
    std::vector<std::uint8_t> tiles(8 * static_cast<std::size_t>(kTileBytes));
    for (std::int32_t row = 0; row < 16; ++row) {
        for (std::int32_t k = 0; k < 4; ++k) {
            const std::int32_t tile = 2 * k + (row >> 3);
            const auto from = image.begin() + art + 0x20 * row + 4 * k;
            std::copy_n(from, 4, tiles.begin() + tile * kTileBytes + 4 * (row & 7));
        }
    }
    start.afterArt.push_back({kCloudTile * kTileBytes, std::move(tiles)});
}

void hideCliffBlocks(ByteSpan image, std::int32_t offsets, LevelStart& start) {
    for (std::int32_t i = 0; i < kCliffOffsetWords; ++i) {
        if (auto word = readWord(image, std::int64_t{offsets} + 2 * i)) {
            const std::int32_t block = *word / kBlockMappingBytes;
            if (block < kBlockCount) {
                start.hiddenBlocks.set(static_cast<std::size_t>(block));
            }
        }
    }
    // The cloud strip is built in the RAM of the last blocks but two.
    start.hiddenBlocks.set(0xF8);
    start.hiddenBlocks.set(0xF9);
}

void readHillTop(ByteSpan image, const StartTables& tables, std::int32_t cameraX,
                 LevelStart& start) {
    if (tables.hillTopCliffArt) {
        auto cliffs = decompressNemesis(image, *tables.hillTopCliffArt, kCliffTiles);
        if (cliffs && cliffs->tiles.size() >= std::size_t{kCliffTiles} * kTileBytes) {
            writeMountains(cliffs->tiles, cameraX, start);
        } else {
            start.problems.emplace_back("the mountain art cannot be decoded");
        }
    }
    if (tables.hillTopCloudArt && fitsIn(image.size(), *tables.hillTopCloudArt, kCloudArtBytes)) {
        writeClouds(image, *tables.hillTopCloudArt, start);
    }
    if (tables.hillTopCliffOffsets) {
        hideCliffBlocks(image, *tables.hillTopCliffOffsets, start);
    }
}

// Casino Night's three slot windows, each the first picture of its sequence (picture 3).
void readSlotWindows(ByteSpan image, const StartTables& tables, LevelStart& start) {
    constexpr std::int32_t kPictureBytes = 16 * kTileBytes;
    constexpr std::int32_t kFirstPicture = 3;
    if (!tables.slotPictures) {
        return;
    }
    const std::int64_t from = *tables.slotPictures + std::int64_t{kFirstPicture} * kPictureBytes;
    if (!fitsIn(image.size(), from, kPictureBytes)) {
        return;
    }
    for (const std::int32_t tile : {0x550, 0x560, 0x570}) {
        start.afterArt.push_back(
            {tile * kTileBytes, std::vector<std::uint8_t>(image.begin() + from,
                                                          image.begin() + from + kPictureBytes)});
    }
}

// ---- palettes ----

void readUnderwater(ByteSpan image, const RomProfile& profile, const StartTables& tables,
                    ZoneAct act, LevelStart& start) {
    if (!hasWater(act) || !tables.underwaterPalettes) {
        return;
    }
    const auto& ids = *tables.underwaterPalettes;
    const std::uint8_t id = act.zone == kHiddenPalace    ? ids[0]
                            : act.zone == kChemicalPlant ? ids[1]
                                                         : ids[2];
    const std::int64_t entry =
        profile.palettePointerTable + std::int64_t{kPalettePointerEntrySize} * id;
    auto source = readLong(image, entry);
    auto destination = readWord(image, entry + 4);
    auto longs = readWord(image, entry + 6);
    if (!source || !destination || !longs || *destination < 0xFB00 || *destination >= 0xFB80) {
        start.problems.push_back("underwater palette " + std::to_string(id) + " cannot be read");
        return;
    }
    PaletteWords palette;
    const std::int32_t first = (*destination - 0xFB00) / 2;
    const std::int32_t words = std::min<std::int32_t>(2 * (*longs + 1), 64 - first);
    for (std::int32_t i = 0; i < words; ++i) {
        auto word = readWord(image, std::int64_t{*source} + 2 * i);
        if (!word) {
            start.problems.push_back("underwater palette " + std::to_string(id) + ": " +
                                     word.error().describe());
            return;
        }
        palette.words[static_cast<std::size_t>(first + i)] = *word;
    }
    start.underwater = palette;
}

// A cycle as the game's routine for one zone writes it: the table's place in revision 01,
// colours per frame, frames, delay (0: unknown), and the palette entries in writing order.
struct CycleShape {
    std::uint8_t zone;
    std::int32_t table;  // revision 01 offset
    std::int32_t frames;
    std::int32_t delay;
    std::vector<std::uint8_t> targets;
};

constexpr std::int32_t kCycleTableRevision01 = 0x19F4;

std::uint8_t entry(std::int32_t line, std::int32_t colour) {
    return static_cast<std::uint8_t>(kLineColours * line + colour);
}

// The cycles whose first frame or timing is known. The others leave the stored colours on
// their first frame.
std::vector<CycleShape> cycleShapes() {
    return {
        {0, 0x1E7A, 4, 8, {entry(1, 3), entry(1, 4), entry(1, 0xE), entry(1, 0xF)}},
        {4, 0x1F2A, 6, 0, {entry(2, 5)}},
        {4, 0x1F36, 3, 0, {entry(2, 1), entry(2, 2), entry(2, 3)}},
        {5, 0x1F2A, 6, 0, {entry(2, 5)}},
        {5, 0x1F36, 3, 0, {entry(2, 1), entry(2, 2), entry(2, 3)}},
        {11, 0x1F86, 1, 0, {entry(1, 0xB)}},
        {12, 0x1FC4, 1, 0, {entry(3, 0xB), entry(3, 0xA), entry(3, 9)}},
    };
}

void readCycles(ByteSpan image, const StartTables& tables, std::uint8_t zone, LevelStart& start) {
    if (!tables.paletteCycles) {
        return;
    }
    const std::int64_t shift = std::int64_t{*tables.paletteCycles} - kCycleTableRevision01;
    for (const CycleShape& shape : cycleShapes()) {
        if (shape.zone != zone) {
            continue;
        }
        PaletteCycle cycle{shape.targets, {}, shape.delay};
        const std::int64_t table = shape.table + shift;
        for (std::int32_t f = 0; f < shape.frames; ++f) {
            std::vector<std::uint16_t> words;
            for (std::size_t i = 0; i < shape.targets.size(); ++i) {
                const std::int64_t at =
                    table + 2 * (std::int64_t{f} * static_cast<std::int64_t>(shape.targets.size()) +
                                 static_cast<std::int64_t>(i));
                auto word = readWord(image, at);
                // Colour words have bits only in $0EEE; anything else is not cycle data.
                if (!word || (*word & 0xF111) != 0) {
                    start.problems.push_back("the palette cycle data at " + hex(table) +
                                             " does not hold colours; the stored colours are "
                                             "shown");
                    return;
                }
                words.push_back(*word);
            }
            cycle.frames.push_back(std::move(words));
        }
        start.cycles.push_back(std::move(cycle));
    }
}

// ---- the ring ----

void readRing(ByteSpan image, const StartTables& tables, LevelStart& start) {
    if (tables.ringArtWord) {
        start.ringArtWord = *tables.ringArtWord;
    }
    if (!tables.ringMappings) {
        return;
    }
    const std::int64_t mappings = *tables.ringMappings;
    auto offset = readWord(image, mappings);
    if (!offset) {
        return;
    }
    const std::int64_t at = mappings + *offset;
    auto y = readByte(image, at);
    auto size = readByte(image, at + 1);
    auto pattern = readWord(image, at + 2);
    auto x = readWord(image, at + 6);
    if (!y || !size || !pattern || !x) {
        start.problems.push_back("the ring's mappings cannot be read");
        return;
    }
    start.ringPiece = SpritePiece{static_cast<std::int16_t>(*x), static_cast<std::int8_t>(*y),
                                  static_cast<std::uint8_t>(((*size >> 2) & 3) + 1),
                                  static_cast<std::uint8_t>((*size & 3) + 1), *pattern};
}

}  // namespace

std::int32_t AnimationScript::frameAt(std::int64_t videoFrame) const {
    std::int64_t period = 0;
    for (const Frame& frame : frames) {
        period += frame.duration;
    }
    if (period <= 0) {
        return 0;
    }
    std::int64_t into = videoFrame % period;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        if (into < frames[k].duration) {
            return static_cast<std::int32_t>(k);
        }
        into -= frames[k].duration;
    }
    return 0;
}

ByteSpan AnimationScript::frameBytes(std::int32_t frame) const {
    const std::size_t first =
        static_cast<std::size_t>(frames[static_cast<std::size_t>(frame)].firstTile) * kTileBytes;
    return ByteSpan(art).subspan(first, static_cast<std::size_t>(tilesPerFrame) * kTileBytes);
}

std::int32_t PaletteCycle::frameAt(std::int64_t videoFrame) const {
    if (delay <= 0 || frames.empty()) {
        return 0;
    }
    return static_cast<std::int32_t>((videoFrame / delay) %
                                     static_cast<std::int64_t>(frames.size()));
}

LevelStart readLevelStart(ByteSpan image, const RomProfile& profile, const StartTables& tables,
                          ZoneAct act, std::int32_t cameraX) {
    LevelStart start;
    readCues(image, profile, tables, act, start);
    readExtraArt(image, tables, act.zone, start);
    if (act.zone == kHillTop) {
        readHillTop(image, tables, cameraX, start);
    }
    if (act.zone == kCasinoNight) {
        readSlotWindows(image, tables, start);
    }
    readScripts(image, tables, act.zone, start);
    readExtraChunks(image, tables, act.zone, start);
    readChunkRecord(image, tables, act.zone, start);
    readUnderwater(image, profile, tables, act, start);
    readCycles(image, tables, act.zone, start);
    readRing(image, tables, start);
    return start;
}

}  // namespace orvex
