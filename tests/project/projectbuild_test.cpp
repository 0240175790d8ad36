#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "project/boundaryline.h"
#include "project/buildrunner.h"
#include "project/levelfiles.h"
#include "project/listing.h"
#include "project/projectfolder.h"
#include "project/projectreader.h"
#include "project/projecttestsupport.h"
#include "project/projectwriter.h"
#include "project/syntheticproject.h"
#include "rom/romidentity.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::fileBytes;
using testing::syntheticProjectRom;

// A project read from its last build: the image identified, the listing parsed.
struct BuiltProject {
    std::vector<std::uint8_t> image;
    RomProfile profile;
    Listing listing;
};

BuiltProject readBuilt(const ProjectFolder& project) {
    BuiltProject built;
    built.image = fileBytes(project.image);
    auto identity = identifyRom(built.image);
    EXPECT_TRUE(identity.ok()) << identity.error().describe();
    built.profile = identity->profile;
    auto listing = readListing(project.listing);
    EXPECT_TRUE(listing.ok()) << listing.error().describe();
    built.listing = std::move(*listing);
    return built;
}

ProjectFolder makeProject(const std::filesystem::path& folder,
                          const testing::SyntheticProjectOptions& options = {}) {
    const Status written = testing::writeSyntheticProject(folder, options);
    EXPECT_TRUE(written.ok()) << written.error().describe();
    auto project = openProjectFolder(folder);
    EXPECT_TRUE(project.ok()) << project.error().describe();
    return *project;
}

// The build of the untouched project is the demo image, and the listing names the file behind
// every stream of every level, with the bytes the image holds there; the boundary line of each
// act holds its boundaries. (Sources with CRLF endings: ProjectSourceSave.)
TEST(SyntheticProject, BuildIsTheDemoImageAndEveryStreamHasItsFile) {
    testing::TempFolder folder;
    const ProjectFolder project = makeProject(folder.path());
    const DemoRom& rom = syntheticProjectRom();
    const BuiltProject built = readBuilt(project);
    ASSERT_EQ(built.image, rom.image);
    EXPECT_FALSE(staleReason(project, built.listing).has_value());
    std::set<std::string> sharedObjects;
    for (std::int16_t level = 0; level < kLevelCount; ++level) {
        SCOPED_TRACE(levelName(level));
        auto files = levelFiles(built.listing, built.image, built.profile, level);
        ASSERT_TRUE(files.ok()) << files.error().describe();
        EXPECT_TRUE(files->notes.empty()) << files->notes.front();
        // 11 parts, the palette in two files, the shapes in three.
        EXPECT_EQ(files->files.size(), 14u);
        for (const PartFile& file : files->files) {
            const auto bytes = fileBytes(project.file(file.path));
            ASSERT_EQ(static_cast<std::int64_t>(bytes.size()), file.length) << file.path;
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), built.image.begin() + file.address))
                << file.path;
        }
        const std::string name = testing::syntheticZoneName(rom.levelZone[level]);
        EXPECT_EQ(files->find(Part::Palette)->path, "art/palettes/" + name + ".bin");
        EXPECT_EQ(files->files[5].path, "art/palettes/SonicAndTails.bin");
        EXPECT_TRUE(files->find(Part::CollisionPrimary)
                        ->path.ends_with(" primary 16x16 collision index.kos"));
        if (rom.levelZone[level] == 4) {
            sharedObjects.insert(files->find(Part::Objects)->path);
        }
        ASSERT_TRUE(files->bounds.has_value());
        EXPECT_EQ(files->bounds->source, "s2.asm");
        auto line = sourceLine(fileBytes(project.file("s2.asm")), files->bounds->line);
        ASSERT_TRUE(line.ok());
        auto bounds = parseBoundaryLine(*line);
        ASSERT_TRUE(bounds.ok()) << bounds.error().describe();
        EXPECT_EQ(*bounds, rom.bounds[level]);
    }
    EXPECT_EQ(sharedObjects, std::set<std::string>{"level/objects/MTZ_1.bin"});
    // Lines of included files belong to them, however deep.
    const PlacedFile* objects = built.listing.fileAt(
        *placementListAddress(built.image, *built.profile.objectDirectory, {0, 0}));
    ASSERT_NE(objects, nullptr);
    EXPECT_EQ(objects->source, "level/objects/Object lists.asm");
    EXPECT_EQ(
        built.listing.sources,
        (std::vector<std::string>{"s2.asm", "s2.macros.asm", "s2.macrosetup.asm",
                                  "level/rings/Ring lists.asm", "level/objects/Object lists.asm"}));
}

// Writes one part's file as a save does: what was read must still be there.
void saveFile(const ProjectFolder& project, const std::string& path,
              const std::vector<std::uint8_t>& bytes) {
    const auto before = fileBytes(project.file(path));
    const Status saved = replaceProjectFile(project.file(path), before, bytes);
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
}

// A part file the listing names that is gone is named when its part is read; a file of another
// size than the build placed is one the build has not seen.
TEST(SyntheticProjectRead, PartFilesAreTheOnesTheBuildPlaced) {
    testing::TempFolder folder;
    const ProjectFolder project = makeProject(folder.path());
    std::filesystem::remove(project.file("level/layout/EHZ_2.kos"));
    const BuiltProject last = readBuilt(project);
    auto files = levelFiles(last.listing, last.image, last.profile, 1);
    ASSERT_TRUE(files.ok());
    auto missing = readPartFile(project, *files->find(Part::Layout));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().message.starts_with(
        "level/layout/EHZ_2.kos, which the listing names for the layout, cannot be read"))
        << missing.error().message;
    const PartFile& rings = *files->find(Part::Rings);
    EXPECT_TRUE(readPartFile(project, rings).ok());
    testing::putFile(project.file(rings.path), std::string("\xFF\xFF\0\0"));
    EXPECT_EQ(readPartFile(project, rings).error().code, ErrorCode::ChangedOnDisk);
}

// The listing is stale once a file it names is newer, and current again after a build.
TEST(SyntheticProjectSave, NewerFileMakesTheListingStale) {
    testing::TempFolder folder;
    const ProjectFolder project = makeProject(folder.path());
    auto listing = readListing(project.listing);
    ASSERT_TRUE(listing.ok());
    ASSERT_FALSE(staleReason(project, *listing).has_value());
    const std::filesystem::path art = project.file("mappings/128x128/CNZ.kos");
    std::filesystem::last_write_time(
        art, std::filesystem::last_write_time(project.listing) + std::chrono::seconds(5));
    EXPECT_EQ(staleReason(project, *listing).value_or(""),
              "s2.lst is older than mappings/128x128/CNZ.kos");
    std::filesystem::remove(project.listing);
    EXPECT_EQ(staleReason(project, *listing).value_or(""), "there is no s2.lst yet");
}

void makeOld(const std::filesystem::path& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(10));
}

// A current build is read as it is; a stale one is built first, and its output kept; a build that
// fails reads nothing.
TEST(ProjectRead, StaleListingRunsTheBuildFirst) {
    testing::TempFolder folder;
    const ProjectFolder project = makeProject(folder.path());
    ProjectOptions options{testing::testBuildProgram()};
    auto current = readProject(folder.path(), options);
    ASSERT_TRUE(current.ok()) << current.error().describe();
    EXPECT_FALSE(current->build.has_value());
    EXPECT_TRUE(current->problems.empty());
    EXPECT_EQ(current->image, syntheticProjectRom().image);
    EXPECT_EQ(current->identity.profile.kind, RomKind::Disassembly);

    makeOld(project.listing);
    auto rebuilt = readProject(folder.path(), options);
    ASSERT_TRUE(rebuilt.ok()) << rebuilt.error().describe();
    ASSERT_TRUE(rebuilt->build.has_value());
    EXPECT_TRUE(rebuilt->builtBecause->starts_with("s2.lst is older than "));
    EXPECT_EQ(rebuilt->build->tail(1), "Wrote s2built.bin and s2.lst");

    makeOld(project.listing);
    const auto image = fileBytes(project.image);
    options.buildCommand = "sh -c 'echo assembling; echo s2.asm: error >&2; exit 2'";
    ASSERT_TRUE(testing::failsWith(readProject(folder.path(), options), ErrorCode::BuildFailed,
                                   "assembling\ns2.asm: error"));
    EXPECT_EQ(fileBytes(project.image), image);
}

// What the build lets through and the game cannot read is named with the file to mend: object
// lists pushed out of their directory's signed reach by a grown list, and ring lists at odd
// addresses after a ring file of odd length.
TEST(ProjectRead, BuildProblemsNameTheFileToMend) {
    testing::TempFolder folder;
    const ProjectFolder project = makeProject(folder.path());
    const auto problemsAfterBuild = [&project]() {
        EXPECT_TRUE(runBuild(project.root, {testing::testBuildProgram()}).ok());
        auto opened = readProject(project.root, {testing::testBuildProgram()});
        EXPECT_TRUE(opened.ok()) << opened.error().describe();
        return opened.ok() ? opened->problems : std::vector<std::string>{};
    };
    const auto has = [](const std::vector<std::string>& problems, const std::string& text) {
        return std::any_of(problems.begin(), problems.end(), [&text](const std::string& problem) {
            return problem.find(text) != std::string::npos;
        });
    };
    std::vector<ObjectPlacement> many(6000, ObjectPlacement{0x100, 0x100, 0x26, 0});
    saveFile(project, "level/objects/EHZ_1.bin", objectFileBytes(many));
    const auto far = problemsAfterBuild();
    EXPECT_TRUE(has(far, "The object list of level 2 lies beyond the 0x7FFF bytes"));
    EXPECT_TRUE(has(far, "the largest being level/objects/EHZ_1.bin (36000 bytes)"));
    EXPECT_FALSE(has(far, "The object list of level 1 "));
    EXPECT_FALSE(has(far, "ring list"));

    saveFile(project, "level/objects/EHZ_1.bin", objectFileBytes({}));
    auto rings = fileBytes(project.file("level/rings/EHZ_1.bin"));
    rings.push_back(0xFF);
    saveFile(project, "level/rings/EHZ_1.bin", rings);
    const auto odd = problemsAfterBuild();
    EXPECT_TRUE(has(odd, "level/rings/EHZ_2.bin lies at the odd address"));
    EXPECT_TRUE(has(odd, "pad level/rings/EHZ_1.bin to an even length"));
    EXPECT_FALSE(has(odd, "beyond"));
}

}  // namespace
}  // namespace orvex
