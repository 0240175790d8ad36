#include "document/sharing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "rom/leveldirectory.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

class SharingTest : public ProfileTest {};

// The levels of the demo whose zone is `level`'s (both acts of a zone share its art entry).
std::vector<std::int16_t> sameZone(const DemoRom& demo, std::int16_t level) {
    std::vector<std::int16_t> levels;
    for (std::int16_t other = 0; other < kLevelCount; ++other) {
        if (demo.levelZone[static_cast<std::size_t>(other)] ==
            demo.levelZone[static_cast<std::size_t>(level)]) {
            levels.push_back(other);
        }
    }
    return levels;
}

TEST_P(SharingTest, ArtIsSharedByTheLevelsOfAZone) {
    const DemoRom& demo = this->demo();
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        for (const Part part : {Part::TileArt, Part::ChunkMappings, Part::BlockMappings}) {
            const auto sharing = levelsSharing(demo.image, profile(), level, part);
            EXPECT_TRUE(std::ranges::includes(sharing, sameZone(demo, level)))
                << levelName(level) << " " << partName(part);
            EXPECT_TRUE(std::ranges::is_sorted(sharing));
        }
    }
}

TEST_P(SharingTest, ArtEntriesNamingOneStreamAreShared) {
    DemoRom demo = this->demo();
    // Point the tile art of level 1's zone at level 0's stream.
    const std::int32_t zone = demo.levelZone[2];
    const std::int32_t entry = profile().levelArtTable + zone * kLevelArtEntrySize;
    const auto own = getDataAddr(demo.image, profile(), 0, kTileArtIncrement);
    ASSERT_TRUE(own.ok());
    const std::int32_t pointer =
        artOffset(*own) | (demo.image[static_cast<std::size_t>(entry)] << 24);
    for (std::int32_t i = 0; i < 4; ++i) {
        demo.image[static_cast<std::size_t>(entry + i)] =
            static_cast<std::uint8_t>(pointer >> (24 - 8 * i));
    }
    const auto sharing = levelsSharing(demo.image, profile(), 0, Part::TileArt);
    EXPECT_TRUE(std::ranges::find(sharing, std::int16_t{2}) != sharing.end());
    const auto chunks = levelsSharing(demo.image, profile(), 0, Part::ChunkMappings);
    EXPECT_TRUE(std::ranges::find(chunks, std::int16_t{2}) == chunks.end());
}

TEST_P(SharingTest, PaletteLineZeroIsEveryLevels) {
    const auto sharing = levelsSharing(demo().image, profile(), 5, Part::Palette);
    EXPECT_EQ(sharing.size(), static_cast<std::size_t>(kLevelCount));
    const auto lines = levelsSharingLines(demo().image, profile(), 0);
    EXPECT_TRUE(std::ranges::includes(lines, sameZone(demo(), 0)));
    EXPECT_LT(lines.size(), static_cast<std::size_t>(kLevelCount));
}

TEST_P(SharingTest, StartPositionIsTheActsOwn) {
    EXPECT_EQ(levelsSharing(demo().image, profile(), 3, Part::StartPosition),
              std::vector<std::int16_t>{3});
}

TEST(OtherLevels, LeavesTheLevelOut) {
    EXPECT_EQ(otherLevels({0, 1, 4}, 1), (std::vector<std::int16_t>{0, 4}));
}

// Sharing is read through the tables the loader located, which its tests check on every layout.
ORVEX_ONE_PROFILE(SharingTest);

}  // namespace
}  // namespace orvex::testing
