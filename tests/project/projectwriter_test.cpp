#include <gtest/gtest.h>

#include "compression/kosinski.h"
#include "project/projecttestsupport.h"
#include "project/projectwriter.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::fileBytes;
using testing::putFile;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

// The files left in a folder, by name.
std::vector<std::string> names(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        found.push_back(entry.path().filename().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A file is replaced only while it holds what was read; a read-only file or folder is never
// written; no temporary or backup file stays behind either way.
TEST(ProjectWriter, ReplacesOnlyWhatWasReadAndNothingReadOnly) {
    testing::TempFolder folder;
    const auto path = folder.path() / "EHZ 1.kos";
    putFile(path, std::string("old"));
    ASSERT_TRUE(replaceProjectFile(path, bytesOf("old"), bytesOf("new bytes")).ok());
    EXPECT_EQ(fileBytes(path), bytesOf("new bytes"));

    putFile(path, std::string("changed by another program"));
    const Status changed = replaceProjectFile(path, bytesOf("new bytes"), bytesOf("mine"));
    ASSERT_TRUE(testing::failsWith(changed, ErrorCode::ChangedOnDisk, "EHZ 1.kos changed on disk"));
    EXPECT_EQ(fileBytes(path), bytesOf("changed by another program"));

    const auto current = fileBytes(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const Status readOnlyFile = replaceProjectFile(path, current, bytesOf("mine"));
    ASSERT_TRUE(testing::failsWith(readOnlyFile, ErrorCode::FileWrite, "read-only"));
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);

    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    const Status readOnlyFolder = replaceProjectFile(path, current, bytesOf("mine"));
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    ASSERT_TRUE(testing::failsWith(readOnlyFolder, std::nullopt, "folder is read-only"));
    EXPECT_EQ(fileBytes(path), current);
    EXPECT_EQ(names(folder.path()), std::vector<std::string>{"EHZ 1.kos"});

    const auto empty = folder.path() / "empty.bin";
    putFile(empty, std::string());
    ASSERT_TRUE(replaceProjectFile(empty, {}, bytesOf("12")).ok());
    ASSERT_TRUE(replaceProjectFile(empty, bytesOf("12"), {}).ok());
    EXPECT_TRUE(fileBytes(empty).empty());
    std::filesystem::remove(empty);

    const Status missing = replaceProjectFile(folder.path() / "gone.bin", {}, bytesOf("x"));
    EXPECT_FALSE(missing.ok());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "gone.bin"));
}

// Compressed files are the shortest stream padded with zeros to a multiple of 16 bytes, and
// decode to what was given.
TEST(ProjectWriter, CompressedFilesArePaddedToSixteen) {
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{0x300}, std::size_t{0x1000}}) {
        std::vector<std::uint8_t> data(size);
        for (std::size_t i = 0; i < size; ++i) {
            data[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 3));
        }
        auto file = kosinskiFileBytes(data);
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(file->size() % 16, 0u) << size;
        auto decoded = decompressKosinski(*file);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->data, data);
        auto packed = compressKosinskiOptimal(data);
        EXPECT_LT(file->size(), packed->size() + 16);  // no more padding than needed
    }
}

// Objects without markers, sorted by x with equal x in their order; an empty ring list; fixed
// sizes for palettes and start positions. Grown object, ring and compressed files are read back
// through the test build (projectbuild_test).
TEST(ProjectWriter, PlacementAndFixedSizeFiles) {
    const std::vector<ObjectPlacement> objects{
        {0x300, 0x10, 1, 0}, {0x100, 0x20, 2, 0}, {0x300, 0x30, 3, 0}, {0x100, 0xFFF, 4, 9}};
    const auto file = objectFileBytes(objects);
    ASSERT_EQ(file.size(), 24u);
    auto read = readObjectFile(file);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(*read,
              (std::vector<ObjectPlacement>{objects[1], objects[3], objects[0], objects[2]}));
    EXPECT_TRUE(readObjectFile({}).ok());
    EXPECT_FALSE(readObjectFile(std::vector<std::uint8_t>(7)).ok());
    EXPECT_FALSE(readObjectFile(std::vector<std::uint8_t>{0xFF, 0xFF, 0, 0, 0, 0}).ok());

    EXPECT_EQ(ringFileBytes({}), (std::vector<std::uint8_t>{0xFF, 0xFF}));

    PaletteWords palette;
    for (std::size_t i = 0; i < palette.words.size(); ++i) {
        palette.words[i] = static_cast<std::uint16_t>(i);
    }
    const auto colours = paletteFileBytes(palette);
    ASSERT_EQ(colours.size(), static_cast<std::size_t>(kPaletteFileBytes));
    EXPECT_EQ(colours[1], 16);  // line 1 first: line 0 is the fixed line
    EXPECT_EQ(startFileBytes({0x60, 0x28C}), (std::vector<std::uint8_t>{0, 0x60, 0x02, 0x8C}));
    EXPECT_TRUE(checkExactSize("p.bin", 96, kPaletteFileBytes).ok());
    const Status other = checkExactSize("art/palettes/EHZ.bin", 94, kPaletteFileBytes);
    ASSERT_TRUE(testing::failsWith(other, std::nullopt,
                                   "holds 94 bytes where the source needs exactly 96"));
}

}  // namespace
}  // namespace orvex
