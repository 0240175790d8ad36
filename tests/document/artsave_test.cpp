#include <gtest/gtest.h>

#include <string>

#include "common/byteorder.h"
#include "compression/kosinski.h"
#include "document/artlimits.h"
#include "document/documenttestsupport.h"
#include "document/sharing.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/leveldirectory.h"
#include "rom/romcheck.h"
#include "rom/room.h"
#include "rom/starttables.h"

namespace orvex::testing {
namespace {

constexpr std::size_t kTile = 32;

using ArtSaveTest = ProfileTest;

std::int32_t tileCount(const LevelDocument& document) {
    return static_cast<std::int32_t>(document.parts().tiles.bytes.size() / kTile);
}

// The save is refused as out of range, its message holding `text`, and the file is unchanged.
void expectRefused(DocumentFile& file, const std::string& text) {
    const Bytes before = file.file.contents();
    ASSERT_TRUE(failsWith(file.save(), ErrorCode::OutOfRange, text));
    EXPECT_EQ(file.file.contents(), before);
}

// Each kind of art is refused past the memory the game decodes it into, and the chunk table's
// own size fits.
TEST_P(ArtSaveTest, RefusesArtPastTheMemoryTheGameDecodesItInto) {
    DocumentFile file(demo().image, profile());
    file.load(0);
    file.document->setTiles(0, Bytes(1400 * kTile, 0x11));
    expectRefused(file, "tile art: 1,400 tiles decode to 44,800 bytes, past the 43,520 ($AA00)");
    file.load(2);
    file.document->replaceMappings(Part::ChunkMappings, Bytes(769 * 8, 0));
    expectRefused(file, "769 chunks decode to 6,152 bytes, past the 6,144 ($1800)");
    file.document->replaceMappings(Part::ChunkMappings, Bytes(768 * 8, 0));
    EXPECT_TRUE(file.save({.moveGrownArt = true}).ok());
    file.load(3);
    file.document->replaceMappings(Part::BlockMappings, Bytes(257 * 0x80, 0));
    expectRefused(file, "257 blocks decode to 32,896 bytes, past the 32,768 ($8000)");
}

// A chunk stream the file holds longer than the game's table may be saved as long as it was.
TEST_P(ArtSaveTest, AChunkStreamLongerThanTheTableMayStayAsLongAsItWas) {
    Bytes image = demo().image;
    Bytes chunks(0x1900);
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        chunks[i] = static_cast<std::uint8_t>(i / 8);
    }
    const auto packed = compressKosinskiOptimal(chunks);
    ASSERT_TRUE(packed.ok());
    const std::size_t at = (image.size() + 1) & ~std::size_t{1};
    image.resize(at);
    image.insert(image.end(), packed->begin(), packed->end());
    const std::int32_t zone = demo().levelZone[2];
    const auto entry = static_cast<std::size_t>(
        profile().levelArtTable + zone * kLevelArtEntrySize + kChunkMappingsIncrement);
    putLong(image, entry, std::uint32_t{image[entry]} << 24 | static_cast<std::uint32_t>(at));
    DocumentFile file(image, profile());
    file.load(2);
    ASSERT_EQ(file.document->parts().chunks.bytes.size(), 0x1900U);
    file.document->replaceMappings(Part::ChunkMappings, Bytes(0x1908, 0x01));
    expectRefused(file, "6,408 bytes, past the 6,400 bytes the stream held in the file");
    file.document->replaceMappings(Part::ChunkMappings, Bytes(0x1900, 0x01));
    const auto saved = file.save({.moveGrownArt = true});
    EXPECT_TRUE(saved.ok()) << saved.error().describe();
}

TEST_P(ArtSaveTest, RefusesTileArtReachingTilesWrittenAfterIt) {
    bool tested = false;
    for (std::int16_t level = 0; level < kLevelCount && !tested; ++level) {
        DocumentFile file(demo().image, profile());
        file.load(level);
        const std::int32_t tiles = tileCount(*file.document);
        const VideoLimit limit = videoLimit(demo().image, *file.document, level, tiles);
        if (limit.copiedTiles || !limit.firstWrittenTile ||
            *limit.firstWrittenTile * 32 > kMaxTileArtBytes) {
            continue;
        }
        tested = true;
        const std::int32_t first = *limit.firstWrittenTile;
        file.document->setTiles(tiles, Bytes(static_cast<std::size_t>(first + 1 - tiles) * kTile));
        ASSERT_TRUE(
            failsWith(file.save({.moveGrownArt = true}), ErrorCode::OutOfRange, "fills tile $"));
        EXPECT_EQ(file.file.contents(), demo().image);

        // Up to the tile before it is allowed.
        file.load(level);
        file.document->setTiles(tiles, Bytes(static_cast<std::size_t>(first - tiles) * kTile));
        const auto fits = file.save({.moveGrownArt = true});
        EXPECT_TRUE(fits.ok()) << fits.error().describe();
    }
    EXPECT_TRUE(tested) << "no level writes video memory after its art";
}

// Grown art is refused without the move; moved, every art table entry that named it (here a
// second zone's too) names the new place with its own top byte, every level reads back, the old
// place is left as it was and the next save writes at the new place.
TEST_P(ArtSaveTest, GrownArtIsRefusedWithoutTheMoveAndMovedWithIt) {
    Bytes image = demo().image;
    const auto oldEntry = *getDataAddr(image, profile(), 0, kTileArtIncrement);
    const auto other = static_cast<std::size_t>(profile().levelArtTable +
                                                demo().levelZone[4] * kLevelArtEntrySize);
    putLong(image, other, std::uint32_t{image[other]} << 24 | artOffset(oldEntry));
    const auto sharing = levelsSharing(image, profile(), 0, Part::TileArt);
    ASSERT_NE(std::ranges::find(sharing, std::int16_t{4}), sharing.end());
    DocumentFile file(image, profile());
    file.load(0);
    const auto before = everyLevel(image, profile());
    file.document->setTiles(0, noiseBytes(file.document->parts().tiles.bytes.size()));
    const Bytes art = file.document->parts().tiles.bytes;

    ASSERT_TRUE(failsWith(file.save(), ErrorCode::ArtMustMove, "moved to the end of the file"));
    EXPECT_EQ(file.file.contents(), image);

    const auto moved = file.save({.moveGrownArt = true});
    ASSERT_TRUE(moved.ok()) << moved.error().describe();
    ASSERT_EQ(moved->movedArt.size(), 1U);
    const MovedStream& stream = moved->movedArt.front();
    EXPECT_EQ(stream.from, artOffset(oldEntry));
    EXPECT_EQ(stream.to % 2, 0);
    EXPECT_EQ(stream.levels, sharing);
    const Bytes after = file.file.contents();
    EXPECT_EQ(*storedChecksum(after, HeaderFields{}), *computeChecksum(after, HeaderFields{}));
    EXPECT_EQ(*readLong(after, HeaderFields{}.romEnd), static_cast<std::int32_t>(after.size() - 1));
    const auto from = static_cast<std::size_t>(stream.from);
    EXPECT_TRUE(std::equal(after.begin() + static_cast<std::ptrdiff_t>(from),
                           after.begin() + static_cast<std::ptrdiff_t>(from + 64),
                           image.begin() + static_cast<std::ptrdiff_t>(from)));
    const auto reread = everyLevel(after, profile());
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        const auto l = static_cast<std::size_t>(level);
        LevelParts expected = before[l];
        const auto entry = *getDataAddr(after, profile(), level, kTileArtIncrement);
        if (std::ranges::find(stream.levels, level) != stream.levels.end()) {
            expected.tiles.bytes = art;
            EXPECT_EQ(artOffset(entry), stream.to) << level;
        }
        EXPECT_TRUE(reread[l] == expected) << levelName(level);
        // The top byte (the cue list) stays each zone's own.
        EXPECT_EQ(paletteNumber(entry),
                  paletteNumber(*getDataAddr(image, profile(), level, kTileArtIncrement)));
    }

    file.document->setTiles(3, Bytes(kTile, 0x22));
    const auto again = file.save({.moveGrownArt = true});
    ASSERT_TRUE(again.ok()) << again.error().describe();
    EXPECT_TRUE(again->movedArt.empty());
    EXPECT_EQ(again->find(Part::TileArt)->offset, stream.to);
    EXPECT_EQ(file.file.contents().size(), after.size());
}

TEST_P(ArtSaveTest, AMovePastTheCartridgeIsRefusedWithBothSizes) {
    Bytes image = demo().image;
    image.resize(static_cast<std::size_t>(kCartridgeSpace) - 256, 0x5A);
    const auto end = static_cast<std::uint32_t>(image.size() - 1);
    for (std::size_t i = 0; i < 4; ++i) {
        image[static_cast<std::size_t>(HeaderFields{}.romEnd) + i] =
            static_cast<std::uint8_t>(end >> (24 - 8 * i));
    }
    DocumentFile file(image, profile());
    file.load(0);
    file.document->setTiles(
        0, noiseBytes(static_cast<std::size_t>(tileCount(*file.document)) * kTile));
    ASSERT_TRUE(failsWith(file.save({.moveGrownArt = true}), ErrorCode::NoRoom, "past the 4 MiB"));
    EXPECT_EQ(file.file.contents(), image);
}

// Valid mapping words of noise: chunk entries naming tiles below `tiles`, block entries naming
// chunks below `chunks`, every flag bit at random.
Bytes noiseMappings(Part part, std::size_t words, std::int32_t pieces) {
    const Bytes noise = noiseBytes(2 * words);
    const std::uint16_t flags = part == Part::ChunkMappings ? 0xF800 : 0xFC00;
    Bytes bytes;
    for (std::size_t i = 0; i < words; ++i) {
        const auto random = static_cast<std::uint16_t>(noise[2 * i] << 8 | noise[2 * i + 1]);
        const auto word = static_cast<std::uint16_t>((random & flags) |
                                                     (random % static_cast<std::uint16_t>(pieces)));
        bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
    }
    return bytes;
}

// The art block as the game lays it out: Hill Top's extra chunks and art right after the tile art
// its entry names, Wing Fortress's extra art right after its own, $00 filler after a zone's
// block mappings up to the next zone's art, and after the last block mappings $00 bytes and then
// data Orvex does not know. A stream owns its length, the byte that makes it even and filler that
// runs up to the next thing Orvex reads; grown past that it moves, and no byte it does not own
// changes.
TEST_P(ArtSaveTest, AGrownStreamWritesOnlyWhatItOwns) {
    const StartTables& extra = demo().start.tables;
    const DemoZone& last = demo().zones.back();
    const std::int32_t lastEnd = last.blocks.offset + last.blocks.length + last.blocks.length % 2;
    Bytes image = demo().image;
    std::fill_n(image.begin() + lastEnd, 32, std::uint8_t{0});
    struct Grown {
        std::uint8_t zone;
        Part part;
        std::int64_t room;  // what the stream owns
        std::size_t words;  // mapping words replaced by noise; 0: every tile
    };
    const DemoZone& first = demo().zones[0];
    const std::vector<Grown> cases = {
        {kHillTop, Part::TileArt, extra.hillTopChunks->stream - demo().zoneOf(10).tiles.offset, 0},
        {kWingFortress, Part::TileArt,
         extra.wingFortressArt->stream - demo().zoneOf(8).tiles.offset, 0},
        {kHillTop, Part::ChunkMappings,
         demo().zoneOf(10).blocks.offset - demo().zoneOf(10).chunks.offset, 1024},
        {0, Part::BlockMappings, demo().zones[1].tiles.offset - first.blocks.offset, 6},
        {last.zone, Part::BlockMappings, lastEnd - last.blocks.offset, 16000},
    };
    for (const Grown& grown : cases) {
        SCOPED_TRACE(std::string(partName(grown.part)) + " of zone " + std::to_string(grown.zone));
        const std::int16_t level = levelOfZone(demo(), grown.zone);
        DocumentFile file(image, profile());
        file.load(level);
        const std::int16_t increment = grown.part == Part::TileArt ? kTileArtIncrement
                                       : grown.part == Part::ChunkMappings
                                           ? kChunkMappingsIncrement
                                           : kBlockMappingsIncrement;
        const std::int32_t offset = artOffset(*getDataAddr(image, profile(), level, increment));
        ASSERT_EQ(*artRoom(image, profile(), offset), grown.room);
        const LevelParts& parts = file.document->parts();
        if (grown.part == Part::TileArt) {
            file.document->setTiles(0, noiseBytes(parts.tiles.bytes.size()));
        } else {
            Bytes bytes =
                grown.part == Part::ChunkMappings ? parts.chunks.bytes : parts.blocks.bytes;
            const std::int32_t pieces = grown.part == Part::ChunkMappings
                                            ? tileCount(*file.document)
                                            : parts.chunks.wordCount() / kChunkMappingWords;
            const Bytes noise = noiseMappings(grown.part, grown.words, pieces);
            std::copy(noise.begin(), noise.end(), bytes.begin() + 64);
            file.document->replaceMappings(grown.part, bytes);
        }
        const LevelParts edited = file.document->parts();
        const auto saved = file.save({.alwaysWriteLayout = false, .moveGrownArt = true});
        ASSERT_TRUE(saved.ok()) << saved.error().describe();
        EXPECT_EQ(saved->movedArt.empty(), saved->find(grown.part)->offset == offset);
        if (grown.words == 16000) {  // 32,000 bytes of noise pack past 32 KiB, as the game allows
            EXPECT_GT(saved->find(grown.part)->bytes, 32768);
        }

        const Bytes after = file.file.contents();
        const std::size_t appended = appendOffset(image, HeaderFields{});
        const auto table = static_cast<std::size_t>(profile().levelArtTable);
        for (std::size_t at = 0; at < after.size(); ++at) {
            const bool owned = at >= static_cast<std::size_t>(offset) &&
                               at < static_cast<std::size_t>(offset + grown.room);
            const bool header = at == 0x18E || at == 0x18F || (at >= 0x1A4 && at < 0x1A8);
            const bool entry = at >= table && at < table + kZoneCount * kLevelArtEntrySize;
            ASSERT_TRUE(at >= image.size() || after[at] == image[at] || owned || header || entry ||
                        at >= appended)
                << "changed " << at;
        }
        EXPECT_EQ(decompressKosinski(after, extra.hillTopChunks->stream)->data,
                  demo().start.hillTopChunks);
        EXPECT_EQ(decompressKosinski(after, extra.hillTopArt->stream)->data,
                  demo().start.hillTopArt);
        EXPECT_EQ(decompressKosinski(after, extra.wingFortressArt->stream)->data,
                  demo().start.wingFortressArt);
        const auto reread = file.read(level);
        ASSERT_TRUE(reread.ok());
        EXPECT_TRUE(reread->document->parts() == edited);
    }
}

ORVEX_ALL_PROFILES(ArtSaveTest);

}  // namespace
}  // namespace orvex::testing
