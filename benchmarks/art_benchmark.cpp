#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "benchrom.h"
#include "demo/demorom.h"
#include "document/documentloader.h"
#include "document/documentsaver.h"
#include "graphics/artsheet.h"
#include "graphics/png.h"
#include "rom/romimage.h"
#include "tileart.h"

// The art a user imports: a changed stream of 1,000 tiles saved (optimal compression, checks of
// the game's limits, the all-or-nothing write), and a sheet of 1,024 tiles read into a level.

namespace {

using namespace orvex;
using namespace orvex::bench;

constexpr std::size_t kTileBytes = 32;

// The first level whose art may hold `art` (below every tile written after it), with it set.
std::unique_ptr<LevelDocument> levelTaking(const RomImage& rom, std::span<const std::uint8_t> art) {
    auto image = rom.readAll();
    for (std::int16_t level = 0; image && level < kLevelCount; ++level) {
        auto document = readDocument(rom, level);
        if (!document) {
            continue;
        }
        document->setTiles(0, art);
        if (documentImage(*image, *document, nullptr, {.moveGrownArt = true}).ok()) {
            return document;
        }
    }
    return nullptr;
}

// A save of 1,000 changed tiles: the stream moves to the end of the file once, then is written
// in place.
void BM_SaveTileArt(benchmark::State& state) {
    const BenchRom file("art-save", false);
    const RomImage rom = file.rom();
    const std::vector<std::uint8_t> art = bench::tileArt(1000 * kTileBytes, 11);
    const auto document = levelTaking(rom, art);
    if (!document) {
        state.SkipWithError("no level takes 1,000 tiles");
        return;
    }
    std::uint8_t colour = 0;
    for (auto _ : state) {
        const std::vector<std::uint8_t> tile(kTileBytes, colour++);  // an edit, so every save
        document->setTiles(3, tile);                                 // writes new bytes
        if (!saveDocument(rom, *document, nullptr, {.moveGrownArt = true}).ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveTileArt)->Unit(benchmark::kMillisecond);

// A sheet of 1,024 tiles (16 a row) decoded from its PNG file and written into a level's art.
void BM_ImportTileSheet(benchmark::State& state) {
    const BenchRom file("art-import", false);
    const auto document = readDocument(file.rom(), 0);
    const IndexedImage sheet = tileSheet(bench::tileArt(1024 * kTileBytes, 12));
    const auto png = encodeIndexedPng(sheet, std::vector<std::uint32_t>(16, 0xFF000000));
    if (!document || !png) {
        state.SkipWithError("setup failed");
        return;
    }
    for (auto _ : state) {
        auto decoded = decodeIndexedPng(*png);
        auto tiles =
            decoded ? sheetTiles(*decoded) : Result<std::vector<std::uint8_t>>(decoded.error());
        if (!tiles) {
            state.SkipWithError("import failed");
            break;
        }
        document->setTiles(0, placeTiles(document->parts().tiles.bytes, 0, *tiles));
        benchmark::DoNotOptimize(document->parts().tiles.bytes.data());
    }
}
BENCHMARK(BM_ImportTileSheet)->Unit(benchmark::kMillisecond);

}  // namespace
