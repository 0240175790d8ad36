#include <gtest/gtest.h>

#include <filesystem>

#include "common/byteorder.h"
#include "rom/romimage.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::TempRomFile;

TEST(ByteOrder, FieldsAreBigEndianAndLongsNeverNegative) {
    const std::vector<std::uint8_t> bytes = {0x00, 0x04, 0x5A, 0x80, 0xED,
                                             0xC4, 0x80, 0x00, 0x00, 0x01};
    EXPECT_EQ(*readLong(bytes, 0), 0x45A80);
    EXPECT_EQ(*readWord(bytes, 4), 60868);  // not a negative number
    EXPECT_EQ(*readByte(bytes, 5), 0xC4);

    const auto tooWide = readLong(bytes, 6);
    ASSERT_FALSE(tooWide.ok());
    EXPECT_EQ(tooWide.error().code, ErrorCode::ValueTooLarge);
    EXPECT_EQ(tooWide.error().offset, 6);

    const auto pastEnd = readWord(bytes, 9);
    ASSERT_FALSE(pastEnd.ok());
    EXPECT_EQ(pastEnd.error().code, ErrorCode::FileRead);
    EXPECT_EQ(pastEnd.error().offset, 9);
    EXPECT_FALSE(readByte(bytes, -1).ok());

    EXPECT_EQ(longBytes(0x45A80), (std::vector<std::uint8_t>{0x00, 0x04, 0x5A, 0x80}));
    EXPECT_EQ(wordBytes(0xEDC4), (std::vector<std::uint8_t>{0xED, 0xC4}));
}

TEST(RomImage, ReadsAndWritesFieldsThroughTheFile) {
    TempRomFile file(std::vector<std::uint8_t>(16, 0));
    const RomImage rom(file.path());
    ASSERT_TRUE(rom.writeLong(4, 0x45A80).ok());
    ASSERT_TRUE(rom.writeWord(10, 0xEDC4).ok());
    EXPECT_EQ(*rom.readLong(4), 0x45A80);
    EXPECT_EQ(*rom.readWord(10), 0xEDC4);
    EXPECT_EQ(*rom.readByte(5), 0x04);
    EXPECT_EQ(*rom.size(), 16);

    const auto pastEnd = rom.readLong(14);
    ASSERT_FALSE(pastEnd.ok());
    EXPECT_EQ(pastEnd.error().offset, 14);
    EXPECT_NE(pastEnd.error().describe().find("0xE"), std::string::npos);

    EXPECT_EQ(rom.writeWord(15, 1).error().code, ErrorCode::FileRead);
    EXPECT_EQ(rom.writeLong(0, -1).error().code, ErrorCode::ValueTooLarge);
}

TEST(RomImage, ReadOnlyFileCanBeReadButNotWritten) {
    TempRomFile file(std::vector<std::uint8_t>(8, 7));
    std::filesystem::permissions(file.path(), std::filesystem::perms::owner_read);
    const RomImage rom(file.path());
    EXPECT_TRUE(rom.readAll().ok());
    const Status written = rom.writeWord(0, 1);
    ASSERT_FALSE(written.ok());
    EXPECT_EQ(written.error().code, ErrorCode::FileWrite);
    EXPECT_EQ(file.contents(), std::vector<std::uint8_t>(8, 7));
}

TEST(RomImage, MissingFileIsAnErrorThatNamesIt) {
    const RomImage rom(std::filesystem::temp_directory_path() / "orvex-no-such-rom.bin");
    const auto bytes = rom.readAll();
    ASSERT_FALSE(bytes.ok());
    EXPECT_EQ(bytes.error().code, ErrorCode::FileOpen);
    EXPECT_NE(bytes.error().message.find("orvex-no-such-rom.bin"), std::string::npos);
}

}  // namespace
}  // namespace orvex
