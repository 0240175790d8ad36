// Level loads whose object art tables ask for far more than the game can use: the time and the
// most heap each takes must stay far below what the tables ask for.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "demo/demorom.h"
#include "document/documentloader.h"
#include "graphics/sprites.h"
#include "heappeak.h"
#include "support/craftedart.h"

namespace {

using namespace orvex;
using ObjectList = std::vector<ObjectPlacement>;

// The demo image (revision 01's tables) with `art` crafted into it, or as it is.
std::vector<std::uint8_t> benchImage(std::optional<testing::CraftedArt> art) {
    auto rom = buildDemoRom(revisionProfile(RomKind::Revision01));
    if (!rom) {
        return {};
    }
    return art ? testing::craftArt(*rom, *art) : rom->image;
}

// Level 0 loaded as the editor and `orvex-tool render --objects` load it: the document, the
// sprites (the video memory filled from the cue lists, the debug list's frames) and the picture
// of every object placed. peak_bytes: the most heap the load held at once, over all iterations.
void BM_LoadCraftedObjectArt(benchmark::State& state) {
    const auto which = static_cast<std::size_t>(state.range(0));
    const auto art = which < testing::kCraftedArts.size()
                         ? std::optional(testing::kCraftedArts[which])
                         : std::nullopt;
    const std::vector<std::uint8_t> image = benchImage(art);
    const RomProfile& profile = revisionProfile(RomKind::Revision01);
    std::int64_t peak = 0;
    for (auto _ : state) {
        bench::markHeapPeak();
        {
            auto loaded = loadDocument(image, profile, 0);
            if (!loaded) {
                state.SkipWithError("load failed");
                break;
            }
            const LevelDocument& document = *loaded->document;
            auto sprites = loadLevelSprites(image, profile, document.zoneAct(), document.parts());
            if (!sprites) {
                state.SkipWithError("no sprites");
                break;
            }
            const auto& objects = document.parts().objects;
            for (const ObjectPlacement& object : objects ? *objects : ObjectList{}) {
                benchmark::DoNotOptimize(sprites->object(object));
            }
        }
        peak = std::max(peak, bench::heapPeakSinceMark());
    }
    state.counters["peak_bytes"] = benchmark::Counter(
        static_cast<double>(peak), benchmark::Counter::kDefaults, benchmark::Counter::kIs1024);
    state.SetLabel(art ? std::string(testing::craftedName(*art)) : "the plain demo image");
}
BENCHMARK(BM_LoadCraftedObjectArt)
    ->DenseRange(0, static_cast<std::int64_t>(testing::kCraftedArts.size()))
    ->Unit(benchmark::kMillisecond);

}  // namespace
