#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "common/byteorder.h"
#include "rom/cartridge.h"
#include "rom/checksum.h"
#include "rom/codepatterns.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "support/testrom.h"

namespace orvex::testing {
namespace {

using Identification = ProfileTest;

void expectSameTables(const RomProfile& found, const RomProfile& expected) {
    for (const TableId table : allTables()) {
        EXPECT_EQ(tableOffset(found, table), tableOffset(expected, table)) << tableName(table);
    }
}

// Each demo image is taken for what it is, with every table where its profile has it, and
// the code in its image names the same tables.
TEST_P(Identification, NamesTheImageAndFindsEveryTable) {
    const auto identity = identifyRom(demo().image);
    ASSERT_TRUE(identity.ok()) << identity.error().describe();
    EXPECT_EQ(identity->profile.kind, profile().kind);
    expectSameTables(identity->profile, profile());
    const LocatedTables located = locateTables(demo().image);
    for (const TableId table : allTables()) {
        if (table == TableId::CollisionShapes) {
            continue;  // no code names them: found by their contents, above
        }
        ASSERT_TRUE(located.at(table).has_value()) << tableName(table);
        EXPECT_EQ(located.at(table)->offset, tableOffset(profile(), table)) << tableName(table);
    }
    const bool built = profile().kind == RomKind::Disassembly;
    EXPECT_EQ(describeIdentity(*identity),
              built ? "built from the disassembly (tables located by code)"
                    : std::string(profile().name) + " (factory tables, modified)");
}

// An image whose checksum is its revision's factory one counts as the factory image.
TEST(IdentifyRom, AFactoryChecksumMeansUnmodified) {
    for (const RomProfile* revision : factoryProfiles()) {
        const RomProfile& profile = *revision;
        const HeaderFields header;
        Bytes image = demoRom(profile).image;
        // Make the sum the factory one by changing a word no table uses.
        const std::size_t filler = 0x7F00;
        const auto sum = *computeChecksum(image, header);
        putWord(
            image, filler,
            static_cast<std::uint16_t>(*readWord(image, filler) + profile.factoryChecksum - sum));
        putWord(image, static_cast<std::size_t>(header.checksum), profile.factoryChecksum);
        ASSERT_EQ(*computeChecksum(image, header), profile.factoryChecksum);
        EXPECT_EQ(describeIdentity(*identifyRom(image)),
                  std::string(profile.name) + " (factory tables)");
    }
}

// Padding up to 4 MiB changes nothing (placementmove_test migrates into it); a padded image
// that is full refuses the migration with the sizes.
TEST_P(Identification, PaddedImagesWork) {
    for (const std::size_t size : {std::size_t{0x200000}, std::size_t{0x400000}}) {
        Bytes image = demo().image;
        image.resize(size, 0xFF);
        EXPECT_EQ(identifyRom(image)->profile.kind, profile().kind);
    }
    Bytes full = demo().image;
    full.resize(0x400000, 0x5A);
    putLong(full, 0x1A4, 0x3FFFFF);
    TempRomFile file(full);
    ASSERT_TRUE(failsWith(migrateLayouts(RomImage(file.path()), profile()), ErrorCode::NoRoom,
                          "4194304 bytes"));
    EXPECT_EQ(file.contents(), full);
}

ORVEX_ALL_PROFILES(Identification);

// The serial alone decides nothing: tables that moved under a factory serial are found through
// the code; a revision's image under another revision's serial is never read at that
// revision's offsets.
TEST(IdentifyRom, TablesAreProvenNotAssumed) {
    const auto& build = demoRom(demoBuildProfile());
    ASSERT_EQ(std::string(build.image.begin() + 0x180, build.image.begin() + 0x18E),
              "GM 00001051-01");
    EXPECT_EQ(identifyRom(build.image)->profile.kind, RomKind::Disassembly);

    Bytes renamed = demoRom(revisionProfile(RomKind::Revision00)).image;
    std::copy_n("GM 00001051-02", 14, renamed.begin() + 0x180);
    const auto identity = identifyRom(renamed);
    ASSERT_TRUE(identity.ok()) << identity.error().describe();
    EXPECT_NE(identity->profile.kind, RomKind::Revision02);
    expectSameTables(identity->profile, revisionProfile(RomKind::Revision00));
}

// What is recognised and what is missing, in the message.
TEST(IdentifyRom, RefusalsSayWhatTheImageIs) {
    const auto refusal = [](const Bytes& image) {
        const auto identity = identifyRom(image);
        EXPECT_FALSE(identity.ok());
        return identity.ok() ? std::string() : identity.error().message;
    };
    const auto withoutCode = [](Bytes image) {
        for (const CodePattern& pattern : codePatterns()) {
            for (const std::int32_t at : findPattern(image, parsePattern(pattern.bytes))) {
                image[static_cast<std::size_t>(at)] ^= 0xFF;
            }
        }
        return image;
    };
    Bytes foreign = withoutCode(demoRom(demoBuildProfile()).image);
    std::copy_n("GM 00001009-00", 14, foreign.begin() + 0x180);
    EXPECT_NE(refusal(foreign).find("not this game: its serial is \"GM 00001009-00\""),
              std::string::npos)
        << refusal(foreign);

    Bytes noArtTable = demoRom(demoBuildProfile()).image;
    const auto art = findPattern(noArtTable, parsePattern(codePatterns()[3].bytes));
    ASSERT_EQ(art.size(), 1u);
    noArtTable[static_cast<std::size_t>(art[0])] ^= 0xFF;
    EXPECT_NE(refusal(noArtTable)
                  .find("built from the game's code, but the level art table could not be found"),
              std::string::npos)
        << refusal(noArtTable);

    Bytes badStream = demoRom(demoBuildProfile()).image;
    std::fill_n(badStream.begin() + demoRom(demoBuildProfile()).layouts[3].offset, 8, 0xFF);
    EXPECT_NE(refusal(badStream).find("the layout of level 4"), std::string::npos)
        << refusal(badStream);

    const Bytes factoryNoCode = withoutCode(demoRom().image);
    Bytes broken = factoryNoCode;
    broken[static_cast<std::size_t>(demoRom().profile.levelList) + 6] = 40;
    EXPECT_NE(refusal(broken).find("revision 01"), std::string::npos) << refusal(broken);
    EXPECT_NE(refusal(broken).find("names zone 40"), std::string::npos) << refusal(broken);
    EXPECT_TRUE(identifyRom(factoryNoCode).ok());  // factory tables need no code to be found
}

// Dumps are named, turned back into the plain image, and never read or written as level data.
TEST(DumpFormats, AreRecognisedAndNormalised) {
    const Bytes& plain = demoRom().image;
    Bytes header(512, 0);
    header.insert(header.end(), plain.begin(), plain.end());
    Bytes smd = interleavedSmd(plain);
    smd[8] = 0xAA;
    smd[9] = 0xBB;
    const Bytes swapped = byteSwapped(plain);
    for (const auto& [dump, format, name] :
         {std::tuple{header, DumpFormat::CopierHeader, "512-byte copier header"},
          {smd, DumpFormat::Interleaved, "interleaved .smd dump"},
          {swapped, DumpFormat::ByteSwapped, "byte-swapped image"}}) {
        EXPECT_EQ(detectDumpFormat(dump), format) << name;
        EXPECT_EQ(plainImage(dump, format), plain) << name;
        const auto identity = identifyRom(dump);
        ASSERT_TRUE(failsWith(identity, ErrorCode::NotPlainImage, name)) << name;
    }
    EXPECT_EQ(detectDumpFormat(plain), DumpFormat::Plain);
    EXPECT_EQ(plainCopyPath("/roms/s2.smd"), "/roms/s2.bin");
    EXPECT_EQ(plainCopyPath("/roms/s2.bin"), "/roms/s2-plain.bin");
}

}  // namespace
}  // namespace orvex::testing
