#include "rom/levelloader.h"

#include "rom/cartridge.h"
#include "rom/leveldirectory.h"

namespace orvex {

namespace {

// Everything a level load reads from the ROM, fetched before any of it is decoded.
struct FetchedLevel {
    std::int32_t paletteAddr = 0;
    LevelPalette palette;
    KosinskiDecoded tiles;
    KosinskiDecoded chunks;
    KosinskiDecoded blocks;
    KosinskiDecoded layout;
    std::int32_t layoutOffset = 0;
};

Result<KosinskiDecoded> fetchArt(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                 std::int16_t increment, Prompter& prompter) {
    auto entry = getDataAddr(rom, profile, level, increment);
    if (!entry) {
        return entry.error();
    }
    return decompressStream(rom, artOffset(*entry), prompter);
}

Status fetchPalette(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                    FetchedLevel& fetched) {
    auto address = paletteAddress(rom, profile, level);
    if (!address) {
        return address.error();
    }
    fetched.paletteAddr = *address;
    return convertPalette(rom, profile.fixedPaletteLine, *address, fetched.palette);
}

Status fetchLevel(ByteSpan rom, const RomProfile& profile, std::int16_t level, Prompter& prompter,
                  FetchedLevel& fetched) {
    if (Status palette = fetchPalette(rom, profile, level, fetched); !palette) {
        return palette;
    }
    auto tiles = fetchArt(rom, profile, level, kTileArtIncrement, prompter);
    if (!tiles) {
        return tiles.error();
    }
    fetched.tiles = std::move(*tiles);
    auto chunks = fetchArt(rom, profile, level, kChunkMappingsIncrement, prompter);
    if (!chunks) {
        return chunks.error();
    }
    fetched.chunks = std::move(*chunks);
    auto blocks = fetchArt(rom, profile, level, kBlockMappingsIncrement, prompter);
    if (!blocks) {
        return blocks.error();
    }
    fetched.blocks = std::move(*blocks);
    auto layoutAt = layoutAddress(rom, profile, level);
    if (!layoutAt) {
        return layoutAt.error();
    }
    fetched.layoutOffset = *layoutAt;
    auto layout = decompressStream(rom, *layoutAt, prompter);
    if (!layout) {
        return layout.error();
    }
    if (layout->data.empty()) {
        return makeError(ErrorCode::CorruptStream,
                         "The layout of " + levelName(level) + " is empty", *layoutAt);
    }
    fetched.layout = std::move(*layout);
    return {};
}

std::string blockShortfallWarning(std::int16_t level, std::int32_t missing) {
    return "The block mappings of " + levelName(level) + " hold only " +
           std::to_string(kBlockCount - missing) + " of 256 blocks; the other " +
           std::to_string(missing) + " are drawn black.";
}

void takeLayout(KosinskiDecoded&& layout, LevelData& data) {
    data.packedLastIndex = layout.packedLastIndex;
    data.unpackedData = std::move(layout.data);
}

}  // namespace

Result<KosinskiDecoded> decompressStream(ByteSpan rom, std::int32_t offset, Prompter& prompter) {
    auto decoded = decompressKosinski(rom, offset);
    if (decoded && decoded->weirdOffset) {
        prompter.showMessage(kApplicationTitle, kWeirdOffsetMessage);
    }
    return decoded;
}

Status readPalette(ByteSpan rom, const RomProfile& profile, std::int16_t level, LevelData& data) {
    FetchedLevel fetched;
    if (Status palette = fetchPalette(rom, profile, level, fetched); !palette) {
        return palette;
    }
    data.paletteAddr = fetched.paletteAddr;
    data.levelPalette = fetched.palette;
    return {};
}

Status readTiles(ByteSpan rom, const RomProfile& profile, std::int16_t level, LevelData& data,
                 Host& host) {
    auto tiles = fetchArt(rom, profile, level, kTileArtIncrement, host);
    if (!tiles) {
        return tiles.error();
    }
    extractTiles(tiles->data, data.tilePixels, &host);
    data.packedLastIndex = tiles->packedLastIndex;
    return {};
}

Status readChunks(ByteSpan rom, const RomProfile& profile, std::int16_t level, LevelData& data,
                  Host& host) {
    auto chunks = fetchArt(rom, profile, level, kChunkMappingsIncrement, host);
    if (!chunks) {
        return chunks.error();
    }
    extractChunks(chunks->data, data.tilePixels, data.chunkPixels, &host);
    data.packedLastIndex = chunks->packedLastIndex;
    return {};
}

Result<BlockRenderReport> readBlocks(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                     LevelData& data, Host& host) {
    auto blocks = fetchArt(rom, profile, level, kBlockMappingsIncrement, host);
    if (!blocks) {
        return blocks.error();
    }
    data.packedLastIndex = blocks->packedLastIndex;
    return extractBlocks(blocks->data, data.levelPalette, data.chunkPixels, data.blockPictures,
                         &host);
}

Result<KosinskiDecoded> readMap(ByteSpan rom, const RomProfile& profile, std::int16_t level,
                                LevelData& data, Host& host) {
    auto layoutAt = layoutAddress(rom, profile, level);
    if (!layoutAt) {
        return layoutAt.error();
    }
    auto layout = decompressStream(rom, *layoutAt, host);
    if (!layout) {
        return layout.error();
    }
    KosinskiDecoded copy = *layout;
    takeLayout(std::move(copy), data);
    return layout;
}

Result<LoadReport> loadLevel(const RomImage& rom, const RomProfile& profile, std::int16_t l_num,
                             LevelData& data, Host& host, const BlockDrawn& drawn) {
    ProgressScope progress(host);
    auto image = rom.readAll();
    if (!image) {
        return image.error();
    }
    return loadLevel(ByteSpan(*image), profile, l_num, data, host, drawn);
}

Result<LoadReport> loadLevel(ByteSpan image, const RomProfile& profile, std::int16_t l_num,
                             LevelData& data, Host& host, const BlockDrawn& drawn) {
    if (Status cartridge = checkCartridge(image, profile.header); !cartridge) {
        return cartridge.error();
    }
    FetchedLevel fetched;
    if (Status status = fetchLevel(image, profile, l_num, host, fetched); !status) {
        return status.error();
    }

    data.loadedLevel.reset();
    data.paletteAddr = fetched.paletteAddr;
    data.levelPalette = fetched.palette;
    extractTiles(fetched.tiles.data, data.tilePixels, &host);
    extractChunks(fetched.chunks.data, data.tilePixels, data.chunkPixels, &host);
    const BlockRenderReport blocks = extractBlocks(
        fetched.blocks.data, data.levelPalette, data.chunkPixels, data.blockPictures, &host, drawn);

    LoadReport report;
    if (blocks.blocksWithoutData > 0) {
        report.warnings.push_back(blockShortfallWarning(l_num, blocks.blocksWithoutData));
    }
    report.layoutComplete = !fetched.layout.weirdOffset;
    const auto streamLength = static_cast<std::size_t>(fetched.layout.packedLastIndex + 1);
    const auto streamStart = image.begin() + fetched.layoutOffset;
    data.snapshot =
        LayoutSnapshot{fetched.layoutOffset,
                       std::vector<std::uint8_t>(
                           streamStart, streamStart + static_cast<std::ptrdiff_t>(streamLength))};
    takeLayout(std::move(fetched.layout), data);
    if (report.layoutComplete) {
        data.loadedLevel = l_num;
    }
    return report;
}

}  // namespace orvex
