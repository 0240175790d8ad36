#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <numeric>

#include "document/sharing.h"
#include "project/boundaryline.h"
#include "project/projectfolder.h"
#include "project/projectsource.h"
#include "project/projecttestsupport.h"
#include "project/syntheticproject.h"
#include "support/testrom.h"

namespace orvex {
namespace {

using testing::fileBytes;
using testing::syntheticProjectRom;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

// Every file of the project but what the build writes, by path relative to the project.
Files projectFiles(const std::filesystem::path& root) {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string path = std::filesystem::relative(entry.path(), root).generic_string();
        if (entry.is_regular_file() && path != "s2.lst" && path != "s2built.bin") {
            files[path] = fileBytes(entry.path());
        }
    }
    return files;
}

// What the source told of its builds.
struct HeardBuilds final : BuildListener {
    std::vector<std::string> reasons;
    std::vector<bool> ended;
    void buildStarted(const std::string& /*command*/, const std::string& reason) override {
        reasons.push_back(reason);
    }
    void buildEnded(bool succeeded, const std::string& /*output*/) override {
        ended.push_back(succeeded);
    }
};

std::filesystem::path makeProject(const testing::TempFolder& folder, bool crlf = false) {
    // A folder name with a space, as users' folders have.
    const std::filesystem::path root = folder.path() / "my hack";
    const Status written = testing::writeSyntheticProject(root, {.crlf = crlf});
    EXPECT_TRUE(written.ok()) << written.error().describe();
    return root;
}

std::unique_ptr<LevelSource> open(const std::filesystem::path& root, const SourceOptions& options) {
    auto source = openLevelSource(root, options);
    EXPECT_TRUE(source.ok()) << source.error().describe();
    return source.ok() ? std::move(*source) : nullptr;
}

std::unique_ptr<LevelDocument> load(LevelSource& source, std::int16_t level) {
    auto loaded = source.loadLevel(level);
    EXPECT_TRUE(loaded.ok()) << loaded.error().describe();
    return loaded.ok() ? std::move(loaded->document) : nullptr;
}

SourceOptions buildWith(std::string command, BuildListener* listener = nullptr) {
    SourceOptions options;
    options.buildCommand = std::move(command);
    options.builds = listener;
    return options;
}

// A save of every kind of part of one level writes exactly the files they came from (a grown
// layout, objects sorted without markers, rings with their end, the boundary line in its
// notation, the level's palette and the shared fixed line, a shared collision index, one shape
// array), names the levels reading each, builds, and reads back: the level as saved, every other
// as it was apart from what it shares, though every later stream moved. A test image leaves the
// project alone.
TEST(ProjectSourceSave, ChangedPartsGoIntoTheirFilesAndReadBack) {
    testing::TempFolder folder;
    const std::filesystem::path root = makeProject(folder, true);
    const DemoRom& rom = syntheticProjectRom();
    HeardBuilds heard;
    auto source = open(root, buildWith(testing::testBuildProgram(), &heard));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->kind(), SourceKind::Project);
    EXPECT_EQ(source->displayName(), "project my hack");
    EXPECT_TRUE(heard.reasons.empty());  // the build was current
    auto document = load(*source, 0);
    ASSERT_NE(document, nullptr);
    const LevelPlaces places = source->places(0);
    EXPECT_TRUE(places.readOnly.empty());
    const auto pathOf = [&places](Part part) { return places.filesOf(part).front()->path; };
    const Files before = projectFiles(root);

    document->replaceLayout(Layout(testing::noiseBytes(rom.layoutData[0].size())));
    std::vector<ObjectPlacement> objects = rom.objects[0];
    objects.insert(objects.begin(), ObjectPlacement{0x7FF0, 0x123, 0x41, 2});
    document->setObjects(objects);
    std::vector<RingGroup> rings = rom.rings[0];
    rings.push_back({0x300, 0x200, 5, true});
    document->setRings(rings);
    document->setBounds({0x10, 0x3000, 0xFF80, 0x600});
    document->setColour(20, 0x0EEE);
    document->setColour(1, 0x0222);
    document->setChunkShape(0, 5, static_cast<std::uint8_t>(document->parts().collision[0][5] + 1));
    Shape shape = document->parts().shapes->shapes[3];
    shape.angle = static_cast<std::uint8_t>(shape.angle + 8);
    document->setShape(3, shape);

    auto saved = source->save(*document, nullptr, {});
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    EXPECT_TRUE(saved->built);
    EXPECT_FALSE(saved->buildFailed.has_value()) << saved->buildOutput;
    EXPECT_TRUE(saved->problems.empty()) << saved->problems.front();
    EXPECT_EQ(heard.reasons, std::vector<std::string>{"its files were saved"});
    EXPECT_FALSE(document->isModified());

    // Each file written with the levels reading it: a shared one every level the image shares
    // it with.
    std::vector<std::int16_t> everyLevel(kLevelCount);
    std::iota(everyLevel.begin(), everyLevel.end(), std::int16_t{0});
    const std::string index = pathOf(Part::CollisionPrimary);
    std::map<std::string, std::vector<std::int16_t>> expected{
        {pathOf(Part::Layout), {0}},
        {pathOf(Part::Objects), {0}},
        {pathOf(Part::Rings), {0}},
        {"s2.asm", everyLevel},
        {pathOf(Part::Palette), {0, 1}},  // both acts
        {"art/palettes/SonicAndTails.bin", everyLevel},
        {index, levelsSharing(rom.image, rom.profile, 0, Part::CollisionPrimary)},
        {pathOf(Part::CollisionShapes), everyLevel}};
    EXPECT_GT(expected[index].size(), 1u);
    std::map<std::string, std::vector<std::int16_t>> written;
    for (const FileWrite& file : saved->files) {
        written[file.path] = file.levels;
    }
    EXPECT_EQ(written, expected);

    const Files after = projectFiles(root);
    ASSERT_EQ(after.size(), before.size());  // no backups, no temporary files
    for (const auto& [path, bytes] : before) {
        EXPECT_EQ(after.at(path) != bytes, expected.contains(path)) << path;
    }
    const auto& layoutFile = after.at(pathOf(Part::Layout));
    EXPECT_EQ(layoutFile.size() % 16, 0u);
    EXPECT_GT(layoutFile.size(), before.at(pathOf(Part::Layout)).size() + 1000);  // grown
    auto line = sourceLine(after.at("s2.asm"), places.filesOf(Part::Bounds).front()->line);
    EXPECT_EQ(line.ok() ? *line : "",
              "LevelSize:\tzoneTableEntry.w\t$10,\t$3000,\t-$80,\t$600\t; Act 1");
    EXPECT_NE(std::string(after.at("s2.asm").begin(), after.at("s2.asm").end()).find("\r\n"),
              std::string::npos);

    // Read back from the new build by a source of its own.
    auto again = open(root, buildWith(testing::testBuildProgram()));
    ASSERT_NE(again, nullptr);
    LevelParts saved0 = document->parts();
    std::stable_sort(saved0.objects->begin(), saved0.objects->end(),
                     [](const auto& a, const auto& b) { return a.x < b.x; });
    EXPECT_EQ(load(*again, 0)->parts(), saved0);
    for (std::int16_t level = 1; level < kLevelCount; ++level) {
        const auto other = load(*again, level);
        ASSERT_NE(other, nullptr);
        EXPECT_EQ(other->parts().layout.bytes(), rom.layoutData[level]) << level;
        EXPECT_EQ(*other->parts().objects, rom.objects[level]) << level;
        EXPECT_EQ(other->parts().palette.at(0, 1), 0x0222) << level;
    }

    // The play test: the last build with the edits in memory; the project is not touched.
    document->setBlock({0, 0}, 7);
    auto test = source->testImage(*document, nullptr);
    ASSERT_TRUE(test.ok()) << test.error().describe();
    EXPECT_EQ(projectFiles(root), after);
    EXPECT_TRUE(document->isModified());
}

// What refuses a save writes nothing: a file changed on disk since it was read, a read-only
// file, a boundary line in another notation (read-only with a note). A failing build after a
// save keeps the files written and reports its output; a hanging one is stopped.
TEST(ProjectSourceSave, RefusalsWriteNothingAndFailedBuildsKeepTheFiles) {
    testing::TempFolder folder;
    const std::filesystem::path root = makeProject(folder);
    auto source = open(root, buildWith(testing::testBuildProgram()));
    ASSERT_NE(source, nullptr);
    auto document = load(*source, 0);
    ASSERT_NE(document, nullptr);
    const std::string start = source->places(0).filesOf(Part::StartPosition).front()->path;
    const std::filesystem::path startFile = root / start;

    document->setStart({0x111, 0x222});
    const std::vector<std::uint8_t> changed{0x00, 0x60, 0x02, 0x80};
    testing::putFile(startFile, changed);
    const Files before = projectFiles(root);
    auto refused = source->save(*document, nullptr, {});
    ASSERT_TRUE(testing::failsWith(refused, ErrorCode::ChangedOnDisk));
    EXPECT_TRUE(refused.error().message.starts_with(start)) << refused.error().message;
    EXPECT_EQ(projectFiles(root), before);
    EXPECT_TRUE(document->isModified());

    // Read again, then marked read-only.
    document = load(*source, 0);
    document->setStart({0x111, 0x222});
    std::filesystem::permissions(startFile, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    refused = source->save(*document, nullptr, {});
    ASSERT_TRUE(testing::failsWith(refused, ErrorCode::FileWrite));
    EXPECT_EQ(refused.error().message, start + ": the file is read-only; nothing was saved");
    EXPECT_EQ(projectFiles(root), before);
    std::filesystem::permissions(startFile, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);

    // A boundary line the source writes with a symbol: read-only, with the line named.
    const std::int32_t boundsLine = source->places(0).filesOf(Part::Bounds).front()->line;
    const auto sourceFile = fileBytes(root / "s2.asm");
    std::string text(sourceFile.begin(), sourceFile.end());
    const std::string plain = *sourceLine(sourceFile, boundsLine);
    const std::string symbolic = "LevelSize:\tzoneTableEntry.w\t$0,\tRightEdge,\t$0,\t$320";
    text.replace(text.find(plain), plain.size(), symbolic);
    testing::putFile(root / "s2.asm", text);
    // Kept older than the listing, so that no build runs.
    std::filesystem::last_write_time(
        root / "s2.asm", std::filesystem::last_write_time(root / "s2.lst") - std::chrono::hours(1));
    document = load(*source, 0);
    const auto note = source->places(0).readOnlyReason(Part::Bounds);
    ASSERT_TRUE(note.has_value());
    EXPECT_TRUE(note->starts_with("s2.asm line " + std::to_string(boundsLine) + ": ")) << *note;
    document->setBounds({0, 0x2000, 0, 0x300});
    const Files symbolicBefore = projectFiles(root);
    refused = source->save(*document, nullptr, {});
    ASSERT_TRUE(testing::failsWith(refused, std::nullopt, "read-only"));
    EXPECT_EQ(projectFiles(root), symbolicBefore);

    // A build that fails after the save: the file stays written, the output is reported.
    auto failing = open(root, buildWith("sh -c 'echo assembling; echo s2.asm: boom >&2; exit 3'"));
    ASSERT_NE(failing, nullptr);
    document = load(*failing, 1);
    document->setStart({0x111, 0x222});
    auto saved = failing->save(*document, nullptr, {});
    ASSERT_TRUE(saved.ok()) << saved.error().describe();
    ASSERT_TRUE(saved->buildFailed.has_value());
    EXPECT_TRUE(testing::holds(saved->buildOutput, "assembling\ns2.asm: boom"));
    ASSERT_EQ(saved->files.size(), 1u);
    EXPECT_EQ(fileBytes(root / saved->files[0].path),
              (std::vector<std::uint8_t>{0x01, 0x11, 0x02, 0x22}));

    // The file is newer than the listing now: the next open builds, and a build that hangs is
    // stopped, quoting what it wrote so far.
    SourceOptions hanging = buildWith("sh -c 'echo started; sleep 30'");
    hanging.buildTimeout = std::chrono::milliseconds(300);
    ASSERT_TRUE(
        testing::failsWith(openLevelSource(root, hanging), ErrorCode::BuildFailed, "started"));
}

// Opening: a stale listing builds first, told to the listener; a build that fails reads nothing;
// a file the listing names that is gone, or one that no longer decodes, is named when its level
// is read.
TEST(ProjectSourceOpen, BuildsWhenStaleAndNamesWhatIsMissing) {
    testing::TempFolder folder;
    const std::filesystem::path root = makeProject(folder);
    std::filesystem::last_write_time(
        root / "s2.lst", std::filesystem::last_write_time(root / "s2.asm") - std::chrono::hours(1));
    HeardBuilds failed;
    auto refused = openLevelSource(root, buildWith("sh -c 'echo nope; exit 1'", &failed));
    ASSERT_TRUE(testing::failsWith(refused, ErrorCode::BuildFailed));
    EXPECT_EQ(failed.ended, std::vector<bool>{false});

    HeardBuilds heard;
    auto source = open(root, buildWith(testing::testBuildProgram(), &heard));
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(heard.reasons.size(), 1u);
    EXPECT_TRUE(heard.reasons[0].starts_with("s2.lst is older than")) << heard.reasons[0];
    EXPECT_EQ(heard.ended, std::vector<bool>{true});

    const std::string layout = source->places(1).filesOf(Part::Layout).front()->path;
    const auto kept = fileBytes(root / layout);
    std::filesystem::remove(root / layout);
    auto missing = source->loadLevel(1);
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().message.starts_with(layout)) << missing.error().message;
    testing::putFile(root / layout, kept);

    // A file that no longer decodes (its first copy reaches before its start) is named.
    const std::string broken = source->places(2).filesOf(Part::Layout).front()->path;
    std::vector<std::uint8_t> stream(16, 0);
    stream[2] = 0xFF;
    testing::putFile(root / broken, stream);
    auto read = source->loadLevel(2);
    ASSERT_FALSE(read.ok());
    EXPECT_TRUE(read.error().message.starts_with(
        broken + " no longer decodes: a copy reaches before the start of its data"))
        << read.error().message;
}

}  // namespace
}  // namespace orvex
