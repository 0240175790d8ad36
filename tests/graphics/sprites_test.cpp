#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "document/documentloader.h"
#include "graphics/sprites.h"
#include "rom/codepatterns.h"
#include "support/craftedart.h"
#include "support/testrom.h"

// Sprites: pieces of tiles from video memory, placed, flipped and coloured as the game does.

namespace orvex::testing {
namespace {

// Video memory in which tile t is empty but for its top left pixel, colour t + 1.
VideoMemory markedTiles() {
    VideoMemory video;
    for (std::size_t tile = 0; tile < 15; ++tile) {
        video.bytes[32 * tile] = static_cast<std::uint8_t>((tile + 1) << 4);
    }
    return video;
}

// Where the picture has colour `colour`, from the object's point.
std::vector<std::pair<int, int>> where(const SpriteImage& sprite, std::uint8_t colour) {
    std::vector<std::pair<int, int>> points;
    for (int y = 0; y < sprite.picture.height(); ++y) {
        for (int x = 0; x < sprite.picture.width(); ++x) {
            if (sprite.picture.pixel(x, y) == colour) {
                points.emplace_back(x + sprite.left, y + sprite.top);
            }
        }
    }
    return points;
}

using Points = std::vector<std::pair<int, int>>;

// A piece of 2 x 1 tiles in palette line 1 and a mirrored piece of 1 x 2 tiles, drawn as they
// are and with the object mirrored: tiles run down columns, flips mirror the tile order and
// each tile, and the object's flip places pieces at -x - width.
TEST(Sprites, PiecesArePlacedFlippedAndColouredAsTheVideoChipShowsThem) {
    const std::vector<SpritePiece> frame{{-8, -4, 2, 1, 0x2000}, {8, -8, 1, 2, 0x0802}};
    const VideoMemory video = markedTiles();

    const SpriteImage plain = renderSprite(video, frame, 0, false, false);
    EXPECT_EQ(std::make_tuple(plain.left, plain.top, plain.picture.width(), plain.picture.height()),
              std::make_tuple(-8, -8, 24, 16));
    EXPECT_EQ(where(plain, 16 + 1), (Points{{-8, -4}}));  // line 1, tile 0
    EXPECT_EQ(where(plain, 16 + 2), (Points{{0, -4}}));   // tile 1: the next column
    EXPECT_EQ(where(plain, 3), (Points{{15, -8}}));       // tile 2, mirrored
    EXPECT_EQ(where(plain, 4), (Points{{15, 0}}));        // tile 3 below it

    const SpriteImage mirrored = renderSprite(video, frame, 0, true, false);
    EXPECT_EQ(mirrored.left, -16);
    EXPECT_EQ(where(mirrored, 16 + 1), (Points{{7, -4}}));
    EXPECT_EQ(where(mirrored, 16 + 2), (Points{{-1, -4}}));
    EXPECT_EQ(where(mirrored, 3), (Points{{-16, -8}}));  // its own flip undone
    EXPECT_EQ(where(mirrored, 4), (Points{{-16, 0}}));

    const SpriteImage upsideDown = renderSprite(video, frame, 0x0004, false, true);
    EXPECT_EQ(where(upsideDown, 16 + 5), (Points{{-8, 3}}));  // the art tile moves every piece
    EXPECT_EQ(where(upsideDown, 7), (Points{{15, 7}}));       // rows swap, the tile turns over
    EXPECT_EQ(where(upsideDown, 8), (Points{{15, -1}}));
}

TEST(Sprites, TheFirstPieceOfAFrameIsOnTop) {
    const std::vector<SpritePiece> frame{{0, 0, 1, 1, 0x0000}, {0, 0, 1, 1, 0x0001}};
    EXPECT_EQ(renderSprite(markedTiles(), frame, 0, false, false).picture.pixel(0, 0), 1);
}

// Pieces beyond the video chip's reach from the point are left out and a piece across its edge
// is cut there, so that a frame's picture stays small whatever its offsets say.
TEST(Sprites, PiecesBeyondTheVideoChipsReachAreLeftOut) {
    const VideoMemory video = markedTiles();
    const SpritePiece piece{-8, -4, 2, 1, 0x0000};
    const SpritePiece right{32000, 0, 4, 4, 0x0001};
    const SpritePiece left{-32768, 0, 4, 4, 0x0001};
    const SpritePiece across{kSpriteReach - 8, 0, 2, 1, 0x0002};  // tile 2 inside, 3 outside
    const std::vector<SpritePiece> near{piece};
    const std::vector<SpritePiece> far{piece, right, left};
    const std::vector<SpritePiece> edgeFrame{piece, right, left, across};
    const SpriteImage plain = renderSprite(video, near, 0, false, false);
    const SpriteImage cut = renderSprite(video, far, 0, false, false);
    EXPECT_TRUE(cut.picture == plain.picture && cut.left == plain.left && cut.top == plain.top);
    const SpriteImage edge = renderSprite(video, edgeFrame, 0, false, false);
    EXPECT_EQ(edge.left + edge.picture.width(), kSpriteReach);
    EXPECT_EQ(where(edge, 3), (Points{{kSpriteReach - 8, 0}}));
    EXPECT_TRUE(where(edge, 4).empty());
}

// The sprites of level `level` (from 0) of `image`.
LevelSprites levelSprites(const std::vector<std::uint8_t>& image, const RomProfile& profile,
                          std::int16_t level = 0) {
    auto loaded = loadDocument(image, profile, level);
    EXPECT_TRUE(loaded.ok());
    const LevelDocument& document = *loaded->document;
    auto sprites = loadLevelSprites(image, profile, document.zoneAct(), document.parts());
    EXPECT_TRUE(sprites.ok()) << sprites.error().describe();
    return std::move(*sprites);
}

class LevelSpritesTest : public ProfileTest {};

// The demo ROM loads ring art by a standard list, common object art by the other and a badnik
// by the zone's own list; even zones' debug lists know the badnik, no list knows the starpost.
TEST_P(LevelSpritesTest, ObjectsAreDrawnFromTheZonesDebugListAndArtCues) {
    const DemoRom& rom = demo();
    for (const std::int16_t level : {0, 2}) {
        const LevelSprites sprites = levelSprites(rom.image, profile(), level);
        EXPECT_TRUE(sprites.problems.empty()) << sprites.problems.front();
        ASSERT_NE(sprites.ring(), nullptr);
        EXPECT_EQ(sprites.ring()->picture.width(), 16);
        const SpriteImage* monitor = sprites.object({0, 0, 0x26, 0});
        ASSERT_NE(monitor, nullptr);
        EXPECT_EQ(monitor->left, -8);
        EXPECT_EQ(monitor->picture.pixel(0, 0), 15);  // the frame's edge, palette line 0
        EXPECT_EQ(sprites.object({0, 0, 0x79, 0}), nullptr);
        const bool evenZone = rom.zoneOf(level).zone == rom.zones[0].zone;
        EXPECT_EQ(sprites.object({0, 0, 0x4B, 0}) != nullptr, evenZone);
    }
}

TEST_P(LevelSpritesTest, ArtThatCannotBeReadIsNamedAndTheRestDrawn) {
    DemoRom rom = demo();
    // List 1's first entry, the monitors' art, now points past the image.
    auto cues = readArtCues(rom.image, *profile().patternLoadCues, 1);
    ASSERT_TRUE(cues.ok() && !cues->entries.empty());
    auto list = readWord(rom.image, *profile().patternLoadCues + 2);
    putLong(rom.image, static_cast<std::size_t>(*profile().patternLoadCues + *list + 2),
            0x00FFFFF0);
    const LevelSprites sprites = levelSprites(rom.image, profile());
    ASSERT_EQ(sprites.problems.size(), 1u);
    EXPECT_EQ(sprites.object({0, 0, 0x26, 0}), nullptr);  // its art never arrived
    EXPECT_NE(sprites.ring(), nullptr);
}

// Objects with several parts come as one picture: a bridge of 10 logs spans 160 pixels from
// -88; the signpost shows its own art, not the spikes that lie at its tiles; what the game
// never shows has no picture.
TEST_P(LevelSpritesTest, ObjectsAreDrawnAsTheGameShowsThemAtLevelStart) {
    const DemoRom& rom = demo();
    auto loaded = loadDocument(rom.image, profile(), 0);
    ASSERT_TRUE(loaded.ok());
    const LevelDocument& document = *loaded->document;
    auto sprites = loadLevelSprites(rom.image, profile(), document.zoneAct(), document.parts());
    ASSERT_TRUE(sprites.ok());
    EXPECT_TRUE(sprites->problems.empty());

    const SpriteImage* bridge = sprites->object({0, 0, 0x11, 0x0A});
    ASSERT_NE(bridge, nullptr);
    EXPECT_EQ(std::make_pair(bridge->left, bridge->picture.width()), std::make_pair(-88, 160));
    EXPECT_EQ(bridge->picture.pixel(0, -bridge->top), 32 + 3);  // the first log's edge, line 2
    const SpriteImage* longest = sprites->object({0, 0, 0x11, 0xFF});  // 255 logs, 4,080 pixels
    ASSERT_NE(longest, nullptr);
    EXPECT_EQ(std::make_pair(longest->left, longest->picture.width()),
              std::make_pair(-kObjectReach, 2 * kObjectReach));

    const SpriteImage* sign = sprites->object({0, 0, 0x0D, 0});
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(sign->picture.pixel(-sign->left, -sign->top), 10);  // the face's centre
    const SpriteImage* spikes = sprites->object({0, 0, 0x36, 0x00});
    ASSERT_NE(spikes, nullptr);
    EXPECT_NE(spikes->picture.pixel(-spikes->left - 12, -spikes->top + 7), 10);

    EXPECT_EQ(sprites->object({0, 0, 0x03, 0x05}), nullptr);
    auto actTwo = loadLevelSprites(rom.image, profile(), {0, 1}, document.parts());
    ASSERT_TRUE(actTwo.ok());
    EXPECT_EQ(actTwo->object({0, 0, 0x0D, 0}), nullptr);
    EXPECT_NE(actTwo->object({0, 0, 0x11, 0x0A}), nullptr);
}

// Where the code naming a table is gone, its type is drawn from the debug list as before.
TEST_P(LevelSpritesTest, ATypeWhoseTableIsMissingIsDrawnFromTheDebugList) {
    DemoRom rom = demo();
    const auto code = findPattern(rom.image, parsePattern(objectTableCode().yellowSpring));
    ASSERT_EQ(code.size(), 1u);
    rom.image[static_cast<std::size_t>(code.front())] ^= 0xFF;
    const LevelSprites sprites = levelSprites(rom.image, profile());
    const SpriteImage* yellow = sprites.object({0, 0, 0x41, 0x12, true});
    const SpriteImage* red = sprites.object({0, 0, 0x41, 0x00, true});
    ASSERT_TRUE(yellow != nullptr && red != nullptr);
    EXPECT_TRUE(yellow->picture == red->picture && yellow->left == red->left);
    EXPECT_NE(sprites.object({0, 0, 0x11, 0x0A}), nullptr);
}

ORVEX_ALL_PROFILES(LevelSpritesTest);

// A crafted table that asks for far more than the game can use: what lies past the limit is
// named, and every object whose own tables are untouched is drawn as on the plain image.
struct CraftedCase {
    CraftedArt art;
    std::vector<std::string> named;  // each in a problem of its own
    std::vector<std::uint8_t> untouched;
};

const CraftedCase kCraftedCases[] = {
    {CraftedArt::LongDebugList,
     {"debug object list: its count claims 65535 entries; only the first 256 are read"},
     {0x26, 0x41, 0x36, 0x4B}},
    {CraftedArt::ManyPieces,
     {"frame of object 38: its count claims 65535 pieces; only the first 80 are read"},
     {0x41, 0x36, 0x4B}},
    {CraftedArt::ManyCues,
     {"pattern load cue list 2: its count claims 32768 cues; only the first 256 are read",
      "pattern load cue list 2: the art of 1 cue(s) runs past the end of video memory",
      "pattern load cue list 2: its cues decode more than 2048 tiles (all of video memory); the "
      "art from cue 2 on is left out"},
     // List 2 is loaded after every list of object art, so its cues write over their art.
     {}},
};

void PrintTo(const CraftedCase& crafted, std::ostream* out) {
    *out << craftedName(crafted.art);
}

class CraftedArtTest : public ::testing::TestWithParam<std::tuple<const RomProfile*, CraftedCase>> {
};

TEST_P(CraftedArtTest, WhatIsPastALimitIsNamedAndTheRestDrawn) {
    const auto& [profile, expected] = GetParam();
    const DemoRom& rom = demoRom(*profile);
    const LevelSprites plain = levelSprites(rom.image, *profile);
    const LevelSprites crafted = levelSprites(craftArt(rom, expected.art), *profile);
    for (const std::string& text : expected.named) {
        EXPECT_TRUE(
            std::any_of(crafted.problems.begin(), crafted.problems.end(),
                        [&text](const std::string& problem) { return problem.find(text) == 0; }))
            << text << "\nnot in\n"
            << ::testing::PrintToString(crafted.problems);
    }
    EXPECT_LE(crafted.problems.size(), kMaxSpriteProblems + 1);
    for (const std::uint8_t id : expected.untouched) {
        const SpriteImage* before = plain.object({0, 0, id, 0});
        const SpriteImage* after = crafted.object({0, 0, id, 0});
        ASSERT_TRUE(before != nullptr && after != nullptr) << int{id};
        EXPECT_TRUE(after->picture.pixels() == before->picture.pixels() &&
                    after->left == before->left && after->top == before->top)
            << int{id};
    }
}

std::string craftedLabel(
    const ::testing::TestParamInfo<std::tuple<const RomProfile*, CraftedCase>>& param) {
    const RomProfile* profile = std::get<0>(param.param);
    return profileLabel({profile, param.index}) +
           std::string(craftedName(std::get<1>(param.param).art));
}

// The limits hold whatever the table layout; LevelSpritesTest reads the tables on every layout.
INSTANTIATE_TEST_SUITE_P(
    Profiles, CraftedArtTest,
    ::testing::Combine(::testing::Values(&revisionProfile(RomKind::Revision01)),
                       ::testing::ValuesIn(kCraftedCases)),
    craftedLabel);

}  // namespace
}  // namespace orvex::testing
