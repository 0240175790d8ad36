#include <gtest/gtest.h>

#include "document/documenttestsupport.h"
#include "rom/romidentity.h"

namespace orvex::testing {
namespace {

// The lists and, since any edit of the demo's tightly packed collision indexes grows them, the
// grown streams moved.
constexpr SaveOptions kMoving{.movePlacementLists = true, .moveGrownArt = true};

// Mapping word `index` set to the word four before it: a repeat, so the streams still fit.
void repeatWord(LevelDocument& document, Part part, std::int32_t index) {
    const Bytes& bytes =
        part == Part::ChunkMappings ? document.parts().chunks.bytes : document.parts().blocks.bytes;
    const auto at = static_cast<std::size_t>(2 * (index - 4));
    document.setMappingWord(part, index,
                            static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]));
}

// Every part the editor changes, the object list grown past its place.
void editEveryPart(LevelDocument& document) {
    document.setBlock({2, 5}, 0x33);
    document.setColour(20, 0x0ACE);
    repeatWord(document, Part::ChunkMappings, 9);
    repeatWord(document, Part::BlockMappings, 29);
    auto objects = *document.parts().objects;
    for (int i = 0; i < 40; ++i) {
        objects.push_back({static_cast<std::uint16_t>(0x2000 + 0x30 * i), 0x180, 0x41, 3});
    }
    document.setObjects(objects);
    auto rings = *document.parts().rings;
    rings.front().x += 8;
    document.setRings(rings);
    document.setStart({0x123, 0x234});
    document.setBounds({0x10, 0x2000, 0, 0x600});
    document.setChunkShape(0, 3, 0);
    document.setChunkShape(1, 3, 0);
    document.setShape(0x20, document.parts().shapes->shapes[6]);
}

using DocumentImageOnEveryProfile = ProfileTest;

// The image in memory is byte for byte the file a save writes, and the edits stay unsaved.
TEST_P(DocumentImageOnEveryProfile, IsTheFileASaveWritesWithTheEditsLeftUnsaved) {
    DocumentFile f(demo().image, profile());
    f.load(6);
    editEveryPart(*f.document);
    ASSERT_TRUE(failsWith(documentImage(demo().image, *f.document), ErrorCode::ListsMustMove));

    const auto image = documentImage(demo().image, *f.document, nullptr, kMoving);
    ASSERT_TRUE(image.ok()) << image.error().describe();
    for (const Part part : kAllParts) {
        EXPECT_EQ(f.document->isModified(part), part != Part::TileArt) << partName(part);
    }
    EXPECT_EQ(f.file.contents(), demo().image);
    const auto saved = f.save(kMoving);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_EQ(*image, f.file.contents());
}

ORVEX_ALL_PROFILES(DocumentImageOnEveryProfile);

// Another program's write at the level's place refuses a save, not a copy: the copy holds the
// document's layout.
TEST(DocumentImage, IsMadeOverWhatAnotherProgramWroteAtTheLevelsPlace) {
    const RomProfile& profile = revisionProfile(RomKind::Revision01);
    DocumentFile other(demoRom().image, profile);
    other.load(3);
    other.document->setBlock({0, 0}, 0x77);
    ASSERT_TRUE(other.save().ok());
    const Bytes changed = other.file.contents();

    DocumentFile f(demoRom().image, profile);
    f.load(3);
    f.document->setBlock({1, 1}, 0x55);
    const auto image = documentImage(changed, *f.document);
    ASSERT_TRUE(image.ok()) << image.error().describe();
    auto reread = loadDocument(*image, profile, 3);
    ASSERT_TRUE(reread.ok()) << reread.error().describe();
    EXPECT_EQ(reread->document->layout().bytes(), f.document->layout().bytes());
    writeFile(f.file.path(), changed);
    EXPECT_EQ(f.save().error().code, ErrorCode::ChangedOnDisk);
}

}  // namespace
}  // namespace orvex::testing
