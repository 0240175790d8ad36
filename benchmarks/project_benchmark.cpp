#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "document/documentloader.h"
#include "project/projectreader.h"
#include "project/syntheticproject.h"

// Opening a disassembly project whose build is current, up to the first level's document: the
// folder checked, the listing read and compared with the files it names, the built image read
// and identified, the build checked, and level 1 loaded. (Drawing it is the level benchmarks'
// part.) The project is the synthetic one the tests use.

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

}  // namespace
