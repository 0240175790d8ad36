// Writes the seed corpora of the fuzz targets: streams and inputs made by our own code.
//   orvex_fuzz_seeds DIR   creates DIR/kosinski_decoder_fuzz, DIR/optimal_roundtrip_fuzz,
//                          DIR/level_load_fuzz and DIR/nemesis_decoder_fuzz

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "compression/nemesis.h"
#include "rom/demorom.h"

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
    return 0;
}
