#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "document/documentloader.h"
#include "project/projectreader.h"
#include "project/projectsource.h"
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
    ProjectFolder() {
        path = std::filesystem::temp_directory_path() /
               ("orvex-project-bench-" + std::to_string(::getpid()));
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
    static const ProjectFolder folder;
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
    static const ProjectFolder folder;
    if (!folder.ok) {
        state.SkipWithError("the synthetic project could not be written");
        return;
    }
    orvex::SourceOptions options;
    options.buildCommand = "true";
    auto source = orvex::openLevelSource(folder.path, options);
    auto loaded =
        source ? (*source)->loadLevel(0) : orvex::Result<orvex::LoadedLevel>(source.error());
    if (!loaded) {
        state.SkipWithError("the project's first level could not be read");
        return;
    }
    orvex::LevelDocument& document = *loaded->document;
    std::uint8_t block = 1;
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
