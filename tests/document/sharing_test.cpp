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

// Sharing is read through the tables the loader located, which its tests check on every layout.
ORVEX_ONE_PROFILE(SharingTest);

}  // namespace
}  // namespace orvex::testing
