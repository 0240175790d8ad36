#include <gtest/gtest.h>

#include <vector>

#include "document/documentcommands.h"
#include "document/documenttestsupport.h"

namespace orvex::testing {
namespace {

std::unique_ptr<LevelDocument> demoDocument(std::int16_t level = 0) {
    auto loaded = loadDocument(demoRom().image, demoRom().profile, level);
    EXPECT_TRUE(loaded.ok());
    return std::move(loaded->document);
}

// The layout's addressing: row r, layout column c is byte 256 r + c; a partial last row holds
// only its first columns.
TEST(Layout, AddressesCellsOfBothPlanesAndAPartialRow) {
    Bytes bytes(256 * 2 + 10);
    bytes[256 + 130] = 7;
    Layout layout(bytes);
    EXPECT_EQ(layout.completeRows(), 2);
    EXPECT_EQ(layout.blockAt(planeCell(Plane::Background, 1, 2)), 7);
    EXPECT_TRUE(layout.contains({2, 9}));
    EXPECT_FALSE(layout.contains({2, 10}));
    EXPECT_FALSE(layout.contains({0, 256}));
    EXPECT_FALSE(layout.contains({-1, 0}));
    EXPECT_FALSE(layout.setBlock({2, 10}, 1));
    EXPECT_EQ(layout.bytes(), bytes);
}

TEST(LevelDocument, EditsTellListenersWhatChangedAndKnowWhatIsModified) {
    auto document = demoDocument();
    std::vector<DocumentChange> changes;
    const auto id = document->addListener([&](const DocumentChange& c) { changes.push_back(c); });
    const std::uint8_t before = *document->layout().blockAt({3, 4});

    const std::vector<CellBlock> cells{{{3, 4}, 0xAB}, {{5, 130}, 0xAB}, {{99, 0}, 0xAB}};
    document->setBlocks(cells);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].part, Part::Layout);
    EXPECT_EQ(changes[0].cells, (CellRect{3, 4, 3, 127}));  // the row outside is left out
    EXPECT_TRUE(document->isModified(Part::Layout));
    EXPECT_FALSE(document->isModified(Part::Palette));

    document->setBlock({3, 4}, 0xAB);  // no change, no notice
    EXPECT_EQ(changes.size(), 1u);
    document->setBlock({3, 4}, before);
    document->setBlock({5, 130}, demoRom().layoutData[0][5 * 256 + 130]);
    EXPECT_FALSE(document->isModified());  // edits undone by hand are no modification

    document->setColour(20, 0x0246);
    document->setMappingWord(Part::ChunkMappings, 9, 0x1234);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[3].part, Part::Palette);
    EXPECT_EQ(changes[3].first, 20);
    EXPECT_EQ(changes[4].part, Part::ChunkMappings);
    EXPECT_EQ(changes[4].first, 2);  // word 9 belongs to chunk 2
    EXPECT_TRUE(document->isModified(Part::Palette) && document->isModified(Part::ChunkMappings));

    document->removeListener(id);
    document->setColour(20, 0);
    EXPECT_EQ(changes.size(), 5u);
}

TEST(DocumentCommands, UndoAndRedoRestoreEveryCell) {
    auto document = demoDocument(1);
    const Layout original = document->layout();
    EXPECT_EQ(makePlaceBlock(*document, {0, 0}, *original.blockAt({0, 0})), nullptr);
    EXPECT_EQ(makePlaceBlock(*document, {500, 0}, 1), nullptr);  // outside the layout

    const std::vector<CellBlock> cells{{{1, 1}, 0x10}, {{1, 2}, 0x11}, {{15, 255}, 0x12}};
    auto command = makeSetBlocks(*document, cells);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->text(), "Place 3 blocks");
    command->redo(*document);
    const Layout edited = document->layout();
    EXPECT_EQ(edited.blockAt({15, 255}), 0x12);
    command->undo(*document);
    EXPECT_EQ(document->layout(), original);
    EXPECT_FALSE(document->isModified());
    command->redo(*document);
    EXPECT_EQ(document->layout(), edited);

    SetColourCommand colour(5, document->parts().palette.words[5], 0x0E00);
    colour.redo(*document);
    EXPECT_EQ(document->parts().palette.words[5], 0x0E00);
    colour.undo(*document);
    EXPECT_FALSE(document->isModified(Part::Palette));
}

}  // namespace
}  // namespace orvex::testing
