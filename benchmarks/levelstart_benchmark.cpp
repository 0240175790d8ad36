// What the game does at level start, on the demo ROM: reading it from the image once per level,
// then composing video memory, the chunk table and the palette from it, as every redraw of the
// level's art does.

#include <benchmark/benchmark.h>

#include "demo/demorom.h"
#include "document/documentloader.h"
#include "graphics/levelstart.h"
#include "rom/starttables.h"

namespace {

using namespace orvex;

// Hill Top: extra art, extra chunks, the mountains and clouds, the chunk record and the scripts.
constexpr std::int16_t kLevel = 10;

struct StartFixture {
    DemoRom rom;
    LocatedStartTables tables;
    std::unique_ptr<LevelDocument> document;

    StartFixture() : rom(*buildDemoRom(revisionProfile(RomKind::Revision01))) {
        tables = locateStartTables(rom.image, rom.profile);
        auto loaded = loadDocument(rom.image, rom.profile, kLevel);
        if (loaded) {
            document = std::move(loaded->document);
        }
    }
};

void BM_ReadLevelStart(benchmark::State& state) {
    const StartFixture fixture;
    if (!fixture.document) {
        state.SkipWithError("cannot load the level");
        return;
    }
    for (auto _ : state) {
        const LevelStart start =
            readLevelStart(fixture.rom.image, fixture.rom.profile, fixture.tables.tables,
                           fixture.document->zoneAct(), startCameraX(fixture.document->parts()));
        benchmark::DoNotOptimize(start.afterArt.data());
    }
}
BENCHMARK(BM_ReadLevelStart)->Unit(benchmark::kMillisecond);

// Video memory, the chunk table and the palette of the first frame, warm: what a redraw of the
// level's art composes before it draws.
void BM_ComposeStartVideo(benchmark::State& state) {
    const StartFixture fixture;
    if (!fixture.document) {
        state.SkipWithError("cannot load the level");
        return;
    }
    const LevelParts& parts = fixture.document->parts();
    const LevelStart start =
        readLevelStart(fixture.rom.image, fixture.rom.profile, fixture.tables.tables,
                       fixture.document->zoneAct(), startCameraX(parts));
    VideoMemory video;
    for (auto _ : state) {
        composeVideo(parts.tiles, start, video);
        const auto chunks = composeChunks(parts.chunks, start);
        const PaletteWords palette = shownPalette(parts.palette, start);
        benchmark::DoNotOptimize(video.bytes.data());
        benchmark::DoNotOptimize(chunks.data());
        benchmark::DoNotOptimize(palette.words.data());
    }
}
BENCHMARK(BM_ComposeStartVideo)->Unit(benchmark::kMicrosecond);

// The whole of it for a level just chosen: tables located, the start read, video composed.
void BM_LocateAndBuildStartVideo(benchmark::State& state) {
    const StartFixture fixture;
    if (!fixture.document) {
        state.SkipWithError("cannot load the level");
        return;
    }
    VideoMemory video;
    for (auto _ : state) {
        const LocatedStartTables tables = locateStartTables(fixture.rom.image, fixture.rom.profile);
        const LevelStart start =
            readLevelStart(fixture.rom.image, fixture.rom.profile, tables.tables,
                           fixture.document->zoneAct(), startCameraX(fixture.document->parts()));
        composeVideo(fixture.document->parts().tiles, start, video);
        benchmark::DoNotOptimize(video.bytes.data());
    }
}
BENCHMARK(BM_LocateAndBuildStartVideo)->Unit(benchmark::kMillisecond);

}  // namespace
