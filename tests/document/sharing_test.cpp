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

// The tile art of another zone pointed at level 0's stream shares it; its chunks stay its own.
TEST_P(SharingTest, ArtEntriesNamingOneStreamAreShared) {
    Bytes image = demo().image;
    const auto entry = static_cast<std::size_t>(profile().levelArtTable +
                                                demo().levelZone[2] * kLevelArtEntrySize);
    const auto own = *getDataAddr(image, profile(), 0, kTileArtIncrement);
    putLong(image, entry, std::uint32_t{image[entry]} << 24 | artOffset(own));
    const auto sharing = levelsSharing(image, profile(), 0, Part::TileArt);
    EXPECT_NE(std::ranges::find(sharing, std::int16_t{2}), sharing.end());
    const auto chunks = levelsSharing(image, profile(), 0, Part::ChunkMappings);
    EXPECT_EQ(std::ranges::find(chunks, std::int16_t{2}), chunks.end());
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
