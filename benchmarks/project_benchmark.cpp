#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "document/documentloader.h"
#include "project/projectreader.h"
#include "project/projectsource.h"
#include "project/projectwriter.h"
#include "project/syntheticproject.h"

// Opening a disassembly project whose build is current, up to the first level's document: the
// folder checked, the listing read and compared with the files it names, the built image read
// and identified, the build checked, and level 1 loaded. (Drawing it is the level benchmarks'
// part.) Saving one level into a project: its edited layout and objects encoded, their files
// checked and replaced, then a build that does nothing (`true`), the project read again and the
// level read back; the real build's time comes on top. The project is the synthetic one the
// tests use.

namespace {

struct ProjectFolder {
    explicit ProjectFolder(const std::string& name) {
        path = std::filesystem::temp_directory_path() /
               ("orvex-project-bench-" + name + "-" + std::to_string(::getpid()));
        ok = orvex::testing::writeSyntheticProject(path).ok();
    }
    ~ProjectFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
    bool ok = false;
};

void BM_OpenCurrentProjectToFirstLevel(benchmark::State& state) {
    static const ProjectFolder folder("open");
    if (!folder.ok) {
        state.SkipWithError("the synthetic project could not be written");
        return;
    }
    for (auto _ : state) {
        auto project = orvex::readProject(folder.path, {"false"});
        if (!project || project->build) {
            state.SkipWithError("the project did not open without a build");
            return;
        }
        auto level = orvex::loadDocument(project->image, project->identity.profile, 0);
        benchmark::DoNotOptimize(level.ok());
    }
}
BENCHMARK(BM_OpenCurrentProjectToFirstLevel)->Unit(benchmark::kMillisecond);

void BM_SaveOneLevelIntoProject(benchmark::State& state) {
    static const ProjectFolder folder("save");
    if (!folder.ok) {
        state.SkipWithError("the synthetic project could not be written");
        return;
    }
    // Opened once: the build that does nothing leaves the listing behind the saved files, so
    // a second open would rightly refuse to read them.
    static auto source = [] {
        orvex::SourceOptions options;
        options.buildCommand = "true";
        return orvex::openLevelSource(folder.path, options);
    }();
    static auto loaded =
        source ? (*source)->loadLevel(0) : orvex::Result<orvex::LoadedLevel>(source.error());
    if (!loaded) {
        state.SkipWithError(loaded.error().message.c_str());
        return;
    }
    orvex::LevelDocument& document = *loaded->document;
    static std::uint8_t block = 1;
    for (auto _ : state) {
        document.setBlock({3, 3}, block++);
        auto objects = *document.parts().objects;
        objects.push_back({static_cast<std::uint16_t>(0x100 + block), 0x100, 0x26, 0});
        document.setObjects(std::move(objects));
        auto saved = (*source)->save(document, nullptr, {});
        if (!saved || saved->files.size() != 2) {
            state.SkipWithError("the save did not write the two files");
            return;
        }
    }
}
BENCHMARK(BM_SaveOneLevelIntoProject)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The part of a save that goes to the disk, without the build: one level's layout and objects
// encoded as their files hold them, each file checked against what was read and replaced
// through a flushed temporary file.
void BM_WriteOneLevelFiles(benchmark::State& state) {
    static const ProjectFolder folder("write");
    if (!folder.ok) {
        state.SkipWithError("the synthetic project could not be written");
        return;
    }
    const orvex::DemoRom& rom = orvex::testing::syntheticProjectRom();
    const std::filesystem::path layoutFile = folder.path / "level/layout/EHZ_1.kos";
    const std::filesystem::path objectFile = folder.path / "level/objects/EHZ_1.bin";
    std::vector<std::uint8_t> layout = rom.layoutData[0];
    auto objects = rom.objects[0];
    for (auto _ : state) {
        ++layout[3 * 256 + 3];
        objects.push_back({static_cast<std::uint16_t>(0x100 + objects.size()), 0x100, 0x26, 0});
        const auto layoutBefore = orvex::readRegularFile(layoutFile);
        const auto objectsBefore = orvex::readRegularFile(objectFile);
        const auto packed = orvex::kosinskiFileBytes(layout);
        if (!layoutBefore || !objectsBefore || !packed ||
            !orvex::replaceProjectFile(layoutFile, *layoutBefore, *packed) ||
            !orvex::replaceProjectFile(objectFile, *objectsBefore,
                                       orvex::objectFileBytes(objects))) {
            state.SkipWithError("the files could not be written");
            return;
        }
    }
}
BENCHMARK(BM_WriteOneLevelFiles)->Unit(benchmark::kMillisecond);

}  // namespace
