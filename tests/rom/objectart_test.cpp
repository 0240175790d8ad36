#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "rom/objectart.h"

// The object art lists read as far as they can be: up to their limit and the image's end.

namespace orvex {
namespace {

// A table of one word offset (2) to a list of `count` in its first word and `present` 8-byte
// entries after it, each of whose bytes hold the entry's number; the image ends there.
std::vector<std::uint8_t> list(std::uint16_t count, std::int32_t present) {
    std::vector<std::uint8_t> bytes = {0x00, 0x02, static_cast<std::uint8_t>(count >> 8),
                                       static_cast<std::uint8_t>(count)};
    for (std::int32_t i = 0; i < present; ++i) {
        bytes.insert(bytes.end(), 8, static_cast<std::uint8_t>(i));
    }
    return bytes;
}

struct Case {
    std::uint16_t count;
    std::int32_t present;
    std::size_t read;
    std::optional<ErrorCode> cut;
};

TEST(ObjectArt, ListsAreReadUpToTheirLimitAndTheImagesEnd) {
    const Case cases[] = {
        {3, 3, 3, std::nullopt},
        {3, 2, 2, ErrorCode::FileRead},                // the image ends inside the list
        {0xFFFF, 300, 256, ErrorCode::ValueTooLarge},  // the debug list limit
        {0xFFFF, 100, 100, ErrorCode::FileRead},       // the image ends first
    };
    for (const Case& c : cases) {
        const auto bytes = list(c.count, c.present);
        const auto entries = readDebugList(bytes, 0, 0);
        ASSERT_TRUE(entries.ok());
        EXPECT_EQ(entries->entries.size(), c.read) << c.count << " " << c.present;
        EXPECT_EQ(entries->cut ? std::optional(entries->cut->code) : std::nullopt, c.cut);
        if (!entries->entries.empty()) {
            EXPECT_EQ(entries->entries.back().frame, (c.read - 1) & 0xFF);
        }
    }
    // The same bytes as a frame: the video chip shows 80 sprites.
    const auto pieces = readSpriteFrame(list(0xFFFF, 300), 0, 0);
    ASSERT_TRUE(pieces.ok());
    EXPECT_EQ(pieces->entries.size(), std::size_t{kMaxSpritePieces});
    EXPECT_EQ(pieces->cut->code, ErrorCode::ValueTooLarge);
}

}  // namespace
}  // namespace orvex
