#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "common/host.h"
#include "compression/kosinski.h"
#include "graphics/blocks.h"
#include "rom/leveldata.h"
#include "rom/romimage.h"
#include "rom/romprofile.h"

namespace orvex {

inline constexpr std::string_view kApplicationTitle = "Orvex";

struct LoadReport {
    // Things the user should know that did not stop the load (short block mappings, ...).
    std::vector<std::string> warnings;
    // False when the layout stream broke off ("Argh, weird offset!"): the map shows what was
    // decoded, but the level counts as not loaded and cannot be saved.
    bool layoutComplete = true;
};

// Loads level `l_num` (0..19) of the ROM, its tables where `profile` says, into `data`: palette,
// tile art, chunk mappings, block mappings and last the layout, which stays in data.unpackedData.
// The file is read once. Every stream is fetched and decompressed before anything in `data`
// changes, so an error (a table or stream cut off by the end of the file, a value too wide, a
// corrupt stream) leaves `data` exactly as it was; so does a file that is not a cartridge image or
// an empty layout. A copy before the start of the output shows "Argh, weird offset!" through `host`
// and the load goes on with what was decoded. Progress goes to `host` between begin() and end();
// each block picture goes to `drawn` as soon as it is drawn, which happens only once nothing can
// fail any more.
[[nodiscard]] Result<LoadReport> loadLevel(const RomImage& rom, const RomProfile& profile,
                                           std::int16_t l_num, LevelData& data, Host& host,
                                           const BlockDrawn& drawn = {});

// The same on a ROM image already in memory (what loadLevel reads from the file).
[[nodiscard]] Result<LoadReport> loadLevel(ByteSpan image, const RomProfile& profile,
                                           std::int16_t l_num, LevelData& data, Host& host,
                                           const BlockDrawn& drawn = {});

// The five steps, each on a ROM image already in memory. They change `data` only when they
// succeed.
[[nodiscard]] Status readPalette(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                 LevelData& data);
[[nodiscard]] Status readTiles(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                               LevelData& data, Host& host);
[[nodiscard]] Status readChunks(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                LevelData& data, Host& host);
[[nodiscard]] Result<BlockRenderReport> readBlocks(ByteSpan rom, const RomProfile& profile,
                                                   std::int16_t level, LevelData& data, Host& host);
[[nodiscard]] Result<KosinskiDecoded> readMap(ByteSpan rom, const RomProfile& profile,
                                              std::int16_t level, LevelData& data, Host& host);

// Decompresses the stream at `offset` and shows "Argh, weird offset!" through `prompter` when
// it breaks off that way.
[[nodiscard]] Result<KosinskiDecoded> decompressStream(ByteSpan rom, std::int32_t offset,
                                                       Prompter& prompter);

}  // namespace orvex
