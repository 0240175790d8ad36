// Writes the seed corpora of the fuzz targets: streams and inputs made by our own code.
//   orvex_fuzz_seeds DIR   creates DIR/kosinski_decoder_fuzz, DIR/optimal_roundtrip_fuzz,
//                          DIR/level_load_fuzz, DIR/nemesis_decoder_fuzz and DIR/images
// DIR/images holds whole images for runs of orvex-tool on crafted images: the demo image of each
// kind, its art block laid out as the game lays it out (Hill Top's extra chunks and art right
// after the art its entry names, Wing Fortress's extra art after its own, data Orvex does not
// read after the last block mappings), and one padded to 4 MiB.
// The level loads include the crafted object art tables of tests/support/craftedart.h.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "demo/demorom.h"
#include "levelregions.h"
#include "support/craftedart.h"

namespace {

namespace fs = std::filesystem;

void writeSeed(const fs::path& folder, int number, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(folder);
    const fs::path path = folder / ("seed-" + std::to_string(number));
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

std::vector<std::vector<std::uint8_t>> sampleInputs(const orvex::DemoRom& rom) {
    std::vector<std::vector<std::uint8_t>> inputs = {
        {}, {0x41}, {1, 2, 2, 3}, std::vector<std::uint8_t>(300, 0)};
    inputs.push_back(rom.layoutData[0]);
    inputs.emplace_back(rom.layoutData[7].begin(), rom.layoutData[7].begin() + 700);
    std::vector<std::uint8_t> mixed;
    for (int i = 0; i < 2000; ++i) {
        mixed.push_back(static_cast<std::uint8_t>((i * 37) ^ (i >> 3)));
    }
    inputs.push_back(mixed);
    return inputs;
}

// A level load input for level 0 that patches the demo image into `changed`: the bytes from the
// first that differs to the last, written at their place in the first region that holds it;
// empty when no region does.
std::vector<std::uint8_t> patchInput(const orvex::DemoRom& rom,
                                     const std::vector<std::uint8_t>& changed) {
    std::size_t first = 0;
    while (first < changed.size() && changed[first] == rom.image[first]) {
        ++first;
    }
    std::size_t last = changed.size();
    while (last > first && changed[last - 1] == rom.image[last - 1]) {
        --last;
    }
    const auto regions = orvex::fuzz::levelLoadRegions(rom);
    std::size_t index = 0;
    while (index < regions.size() &&
           (first < static_cast<std::size_t>(regions[index].start) ||
            first >= static_cast<std::size_t>(regions[index].start + regions[index].size))) {
        ++index;
    }
    if (index == regions.size()) {
        return {};
    }
    const std::size_t within = first - static_cast<std::size_t>(regions[index].start);
    std::vector<std::uint8_t> input = {static_cast<std::uint8_t>(index),
                                       static_cast<std::uint8_t>(within >> 16),
                                       static_cast<std::uint8_t>(within >> 8),
                                       static_cast<std::uint8_t>(within),
                                       0,
                                       0};
    input.insert(input.end(), changed.begin() + static_cast<std::ptrdiff_t>(first),
                 changed.begin() + static_cast<std::ptrdiff_t>(last));
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvex_fuzz_seeds DIR\n");
        return 2;
    }
    const fs::path root = argv[1];
    const auto rom = orvex::buildDemoRom(orvex::demoBuildProfile());
    if (!rom) {
        std::fprintf(stderr, "%s\n", rom.error().describe().c_str());
        return 1;
    }
    int number = 0;
    for (const auto& input : sampleInputs(*rom)) {
        writeSeed(root / "optimal_roundtrip_fuzz", number, input);
        if (auto packed = orvex::compressKosinskiOptimal(input)) {
            writeSeed(root / "kosinski_decoder_fuzz", number, *packed);
        }
        if (auto packed = orvex::compressKosinski(input)) {
            writeSeed(root / "kosinski_decoder_fuzz", 100 + number, *packed);
        }
        const orvex::ByteSpan tiles(input.data(), input.size() - input.size() % 32);
        for (const auto mode : {orvex::NemesisMode::Plain, orvex::NemesisMode::Xor}) {
            if (auto packed = orvex::compressNemesis(tiles, mode)) {
                writeSeed(root / "nemesis_decoder_fuzz",
                          (mode == orvex::NemesisMode::Xor ? 100 : 0) + number, *packed);
            }
        }
        ++number;
    }
    // Level loads: each region of the ROM, patched with a few bytes of its own kind.
    for (int region = 0; region < 32; ++region) {
        std::vector<std::uint8_t> patch = {static_cast<std::uint8_t>(region),
                                           0,
                                           0,
                                           static_cast<std::uint8_t>(region * 3),
                                           0,
                                           static_cast<std::uint8_t>(region == 5   ? 0xFE
                                                                     : region == 6 ? 0xFF
                                                                                   : region)};
        patch.push_back(static_cast<std::uint8_t>(region * 7));
        patch.push_back(0xFF);
        writeSeed(root / "level_load_fuzz", region, patch);
    }
    writeSeed(root / "level_load_fuzz", 99, {2, 0, 0, 0, 200, 0xFF, 0});  // a cut file
    // The extra streams after Hill Top's and Wing Fortress's art, each with a byte changed.
    const auto regionCount = orvex::fuzz::levelLoadRegions(*rom).size();
    for (std::size_t extra = 1; extra <= 3; ++extra) {
        writeSeed(root / "level_load_fuzz", 199 + static_cast<int>(extra),
                  {static_cast<std::uint8_t>(regionCount - extra), 0, 0, 4, 0, 0xFE, 0x5A});
    }
    int image = 0;
    for (const orvex::RomProfile* profile : orvex::factoryProfiles()) {
        if (const auto factory = orvex::buildDemoRom(*profile)) {
            writeSeed(root / "images", image++, factory->image);
        }
    }
    writeSeed(root / "images", image++, rom->image);
    std::vector<std::uint8_t> padded = rom->image;
    padded.resize(0x400000, 0xFF);
    writeSeed(root / "images", image, padded);
    // Object art tables that ask for far more than the game can use.
    for (const auto art : orvex::testing::kCraftedArts) {
        const auto input = patchInput(*rom, orvex::testing::craftArt(*rom, art));
        if (!input.empty()) {
            writeSeed(root / "level_load_fuzz", 100 + static_cast<int>(art), input);
        }
    }
    return 0;
}
