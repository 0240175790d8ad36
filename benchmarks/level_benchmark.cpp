// Level loading and saving on the demo ROM, through the file as the editor does it.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "demo/demorom.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "graphics/levelart.h"
#include "graphics/levelimage.h"
#include "graphics/overview.h"
#include "graphics/png.h"
#include "graphics/sprites.h"
#include "rom/romcheck.h"
#include "rom/romidentity.h"
#include "rom/romimage.h"

#include "benchrom.h"

namespace {

using namespace orvex;
using namespace orvex::bench;

// Tiles, chunks and all 256 block pictures drawn from a document's parts.
void BM_DrawLevelArt(benchmark::State& state) {
    const BenchRom file("art", true);
    const auto document = readDocument(file.rom(), 0);
    auto art = std::make_unique<LevelArt>();
    for (auto _ : state) {
        drawLevelArt(document->parts(), *art);
        benchmark::DoNotOptimize(art->blocks.pixel(255, 127, 127));
    }
}
BENCHMARK(BM_DrawLevelArt)->Unit(benchmark::kMillisecond);

// A level change: the file read, the document loaded, the art drawn into the art of the level
// before (warm), or into art of its own as a fresh process would (cold: large blocks come
// straight from the system and go back to it, so every page is touched anew).
void BM_LoadLevel(benchmark::State& state) {
    const bool cold = state.range(0) != 0;
    if (cold) {
        mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    }
    const BenchRom file("load", true);
    const RomImage rom = file.rom();
    auto kept = std::make_unique<LevelArt>();
    for (auto _ : state) {
        auto document = readDocument(rom, 0);
        auto art = cold ? std::make_unique<LevelArt>() : nullptr;
        if (!document) {
            state.SkipWithError("load failed");
            break;
        }
        drawLevelArt(document->parts(), cold ? *art : *kept);
        benchmark::DoNotOptimize(document->layout().bytes().data());
    }
    if (cold) {
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    }
    state.SetLabel(cold ? "first load (cold pages)" : "warm");
}
BENCHMARK(BM_LoadLevel)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A level change with its sprites, as the editor makes it (warm): the document, the art, the
// video memory filled from the pattern load cue lists (Nemesis art) and the debug list's frames.
void BM_LoadLevelWithSprites(benchmark::State& state) {
    const BenchRom file("sprites", true);
    const RomImage rom = file.rom();
    auto art = std::make_unique<LevelArt>();
    for (auto _ : state) {
        auto image = rom.readAll();
        auto loaded =
            image ? loadDocument(*image, benchProfile(), 0) : Result<LoadedLevel>(image.error());
        if (!loaded) {
            state.SkipWithError("load failed");
            break;
        }
        const LevelDocument& document = *loaded->document;
        drawLevelArt(document.parts(), *art);
        auto sprites =
            loadLevelSprites(*image, benchProfile(), document.zoneAct(), document.parts());
        benchmark::DoNotOptimize(sprites.ok());
    }
}
BENCHMARK(BM_LoadLevelWithSprites)->Unit(benchmark::kMillisecond);

// The pictures of every object of the longest list (level 7, 286 objects), drawn the first time
// as the map asks for them: each look's parts read and composed, each kept for the next.
void BM_DrawLevelObjects(benchmark::State& state) {
    const BenchRom file("objects", true);
    const auto image = file.rom().readAll();
    auto loaded =
        image ? loadDocument(*image, benchProfile(), 6) : Result<LoadedLevel>(image.error());
    if (!loaded) {
        state.SkipWithError("load failed");
        return;
    }
    const LevelDocument& document = *loaded->document;
    const auto objects = document.parts().objects.value_or(std::vector<ObjectPlacement>{});
    for (auto _ : state) {
        auto sprites =
            loadLevelSprites(*image, benchProfile(), document.zoneAct(), document.parts());
        if (!sprites) {
            state.SkipWithError("sprites failed");
            break;
        }
        for (const ObjectPlacement& object : objects) {
            benchmark::DoNotOptimize(sprites->object(object));
        }
    }
}
BENCHMARK(BM_DrawLevelObjects)->Unit(benchmark::kMillisecond);

// A save on a migrated ROM: compress the 4096-byte layout, patch it in, fix the checksum, write.
void BM_SaveLevel(benchmark::State& state) {
    const BenchRom file("save", true, true);
    const RomImage rom = file.rom();
    const auto document = readDocument(rom, 6);
    std::uint8_t block = 0;
    for (auto _ : state) {
        document->setBlock({2, 188}, block++);  // an edit, so every save writes new bytes
        if (!saveDocument(rom, *document).ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveLevel)->Unit(benchmark::kMillisecond);

// The level overview from block pictures already drawn: miniatures, then the plane.
void BM_DrawOverview(benchmark::State& state) {
    const BenchRom file("overview", true);
    const auto document = readDocument(file.rom(), 0);
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(document->parts(), *art);
    for (auto _ : state) {
        const BlockMiniatures miniatures = makeMiniatures(art->blocks, art->colours, 8);
        const Image overview = renderOverview(miniatures, document->layout(), Plane::Foreground);
        benchmark::DoNotOptimize(overview.pixel(0, 0));
    }
}
BENCHMARK(BM_DrawOverview)->Unit(benchmark::kMillisecond);

// What `orvex-tool render` does after the load: the whole plane drawn, then encoded as PNG.
void BM_RenderPlaneToPng(benchmark::State& state) {
    const BenchRom file("render", true);
    const auto document = readDocument(file.rom(), 0);
    auto art = std::make_unique<LevelArt>();
    drawLevelArt(document->parts(), *art);
    std::size_t bytes = 0;
    for (auto _ : state) {
        const IndexedImage plane = renderPlane(art->blocks, document->layout(), Plane::Foreground);
        auto png = encodeIndexedPng(plane, art->colours);
        bytes = png ? png->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RenderPlaneToPng)->Unit(benchmark::kMillisecond);

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
