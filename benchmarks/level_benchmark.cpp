// Level loading and saving on the demo ROM, through the file as the editor does it.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/host.h"
#include "graphics/overview.h"
#include "rom/demorom.h"
#include "rom/leveldata.h"
#include "rom/levelloader.h"
#include "rom/levelsaver.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"

namespace {

using namespace orvex;

const RomProfile& benchProfile() {
    return revisionProfile(RomKind::Revision01);
}

// A demo ROM file of its own for each benchmark, removed at exit.
class BenchRom {
public:
    explicit BenchRom(const std::string& name, bool migrated = false)
        : mPath(std::filesystem::temp_directory_path() / ("orvex-bench-" + name + ".bin")) {
        DemoRomOptions options;
        options.fullTileArt = true;  // zone 0 has all 2048 tiles: the heaviest art there is
        if (!writeDemoRom(mPath, benchProfile(), options).ok() ||
            (migrated && !migrateLayouts(RomImage(mPath), benchProfile()).ok())) {
            std::fprintf(stderr, "cannot write %s\n", mPath.c_str());
        }
    }
    ~BenchRom() { std::filesystem::remove(mPath); }
    BenchRom(const BenchRom&) = delete;
    BenchRom& operator=(const BenchRom&) = delete;

    [[nodiscard]] RomImage rom() const { return RomImage(mPath); }

private:
    std::filesystem::path mPath;
};

// Decompress tile art, chunk and block mappings from the file, decode them and render all 256
// block pictures: what a level change costs before the layout.
void BM_DecodeLevelArt(benchmark::State& state) {
    const BenchRom file("art");
    const RomImage rom = file.rom();
    LevelData data;
    SilentHost host;
    for (auto _ : state) {
        auto image = rom.readAll();
        const bool ok = image.ok() && readTiles(*image, benchProfile(), 0, data, host).ok() &&
                        readChunks(*image, benchProfile(), 0, data, host).ok() &&
                        readBlocks(*image, benchProfile(), 0, data, host).ok();
        if (!ok) {
            state.SkipWithError("decoding failed");
            break;
        }
        benchmark::DoNotOptimize(data.blockPictures[255].pixel(127, 127));
    }
}
BENCHMARK(BM_DecodeLevelArt)->Unit(benchmark::kMillisecond);

// The whole loadLevel: palette, tiles, chunks, blocks and layout.
void BM_LoadLevel(benchmark::State& state) {
    const BenchRom file("load");
    const RomImage rom = file.rom();
    LevelData data;
    SilentHost host;
    for (auto _ : state) {
        if (!loadLevel(rom, benchProfile(), 0, data, host).ok()) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(data.unpackedData.data());
    }
}
BENCHMARK(BM_LoadLevel)->Unit(benchmark::kMillisecond);

// saveLevel on a migrated ROM: compress the 4096-byte layout, write it, fix the checksum.
void BM_SaveLevel(benchmark::State& state) {
    const BenchRom file("save", true);
    const RomImage rom = file.rom();
    LevelData data;
    SilentHost host;
    if (!loadLevel(rom, benchProfile(), 6, data, host).ok()) {
        state.SkipWithError("load failed");
        return;
    }
    std::uint8_t block = 0;
    for (auto _ : state) {
        data.unpackedData[700] = block++;  // an edit, so every save writes new bytes
        if (!saveLevel(rom, benchProfile(), 6, data, host).ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveLevel)->Unit(benchmark::kMillisecond);

// The level overview from block pictures already rendered: miniatures, then the plane.
void BM_DrawOverview(benchmark::State& state) {
    const BenchRom file("overview");
    LevelData data;
    SilentHost host;
    if (!loadLevel(file.rom(), benchProfile(), 0, data, host).ok()) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        const BlockMiniatures miniatures = makeMiniatures(data.blockPictures, 8);
        const Image overview = renderOverview(miniatures, data.unpackedData, Plane::Foreground);
        benchmark::DoNotOptimize(overview.pixel(0, 0));
    }
}
BENCHMARK(BM_DrawOverview)->Unit(benchmark::kMillisecond);

// Identifying an image in memory, as every open does: a factory revision (serial and table
// checks) and a build from the disassembly (every code pattern searched, every stream decoded).
void BM_IdentifyRom(benchmark::State& state) {
    const bool build = state.range(0) != 0;
    auto demo = buildDemoRom(build ? demoBuildProfile() : benchProfile());
    if (!demo) {
        state.SkipWithError("no demo ROM");
        return;
    }
    for (auto _ : state) {
        auto identity = identifyRom(demo->image);
        if (!identity) {
            state.SkipWithError("not identified");
            break;
        }
        benchmark::DoNotOptimize(identity->profile.levelList);
    }
    state.SetLabel(build ? "built from the disassembly" : "revision 01");
}
BENCHMARK(BM_IdentifyRom)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
