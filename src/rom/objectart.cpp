#include "rom/objectart.h"

#include <string>

namespace orvex {

namespace {

// The start of entry `index` of a table of word offsets from the table.
Result<std::int64_t> listStart(ByteSpan image, std::int32_t table, std::int32_t index) {
    auto offset = readWord(image, std::int64_t{table} + 2 * std::int64_t{index});
    if (!offset) {
        return offset.error();
    }
    return std::int64_t{table} + *offset;
}

void putWordTo(std::vector<std::uint8_t>& bytes, std::uint16_t word) {
    bytes.push_back(static_cast<std::uint8_t>(word >> 8));
    bytes.push_back(static_cast<std::uint8_t>(word & 0xFF));
}

}  // namespace

Result<std::vector<ArtCue>> readArtCues(ByteSpan image, std::int32_t table, std::uint8_t list) {
    if (list >= kArtCueListCount) {
        return makeError(ErrorCode::OutOfRange,
                         "pattern load cue list " + std::to_string(list) + " does not exist",
                         table);
    }
    auto start = listStart(image, table, list);
    auto count = start ? readWord(image, *start) : Result<std::uint16_t>(start.error());
    if (!count) {
        return count.error();
    }
    std::vector<ArtCue> cues;
    const auto entries = static_cast<std::int16_t>(*count) + 1;  // -1: none
    for (std::int32_t i = 0; i < entries; ++i) {
        const std::int64_t at = *start + 2 + std::int64_t{kArtCueBytes} * i;
        auto source = readLong(image, at);
        auto address = readWord(image, at + 4);
        if (!source || !address) {
            return readPastEnd(at, kArtCueBytes);
        }
        cues.push_back({*source, *address});
    }
    return cues;
}

Result<std::vector<DebugEntry>> readDebugList(ByteSpan image, std::int32_t table,
                                              std::uint8_t zone) {
    auto start = listStart(image, table, zone);
    auto count = start ? readWord(image, *start) : Result<std::uint16_t>(start.error());
    if (!count) {
        return count.error();
    }
    std::vector<DebugEntry> entries;
    for (std::int32_t i = 0; i < *count; ++i) {
        const std::int64_t at = *start + 2 + std::int64_t{kDebugEntryBytes} * i;
        auto head = readLong(image, at);
        auto tail = readLong(image, at + 4);
        if (!head || !tail) {
            return readPastEnd(at, kDebugEntryBytes);
        }
        entries.push_back({static_cast<std::uint8_t>((*head >> 24) & 0xFF), *head & 0xFFFFFF,
                           static_cast<std::uint8_t>((*tail >> 24) & 0xFF),
                           static_cast<std::uint8_t>((*tail >> 16) & 0xFF),
                           static_cast<std::uint16_t>(*tail & 0xFFFF)});
    }
    return entries;
}

Result<std::vector<SpritePiece>> readSpriteFrame(ByteSpan image, std::int32_t mappings,
                                                 std::int32_t frame) {
    auto start = listStart(image, mappings, frame);
    auto count = start ? readWord(image, *start) : Result<std::uint16_t>(start.error());
    if (!count) {
        return count.error();
    }
    std::vector<SpritePiece> pieces;
    for (std::int32_t i = 0; i < *count; ++i) {
        const std::int64_t at = *start + 2 + std::int64_t{kSpritePieceBytes} * i;
        if (!fitsIn(image.size(), at, kSpritePieceBytes)) {
            return readPastEnd(at, kSpritePieceBytes);
        }
        const auto* p = image.data() + at;
        SpritePiece piece;
        piece.y = static_cast<std::int8_t>(p[0]);
        piece.widthTiles = static_cast<std::uint8_t>(((p[1] >> 2) & 3) + 1);
        piece.heightTiles = static_cast<std::uint8_t>((p[1] & 3) + 1);
        piece.pattern = static_cast<std::uint16_t>(p[2] << 8 | p[3]);
        piece.x = static_cast<std::int16_t>(p[6] << 8 | p[7]);
        pieces.push_back(piece);
    }
    return pieces;
}

std::vector<std::uint8_t> spriteMappingBytes(const std::vector<std::vector<SpritePiece>>& frames) {
    std::vector<std::uint8_t> bytes(2 * frames.size());
    for (std::size_t f = 0; f < frames.size(); ++f) {
        putWord(bytes, 2 * f, static_cast<std::uint16_t>(bytes.size()));
        putWordTo(bytes, static_cast<std::uint16_t>(frames[f].size()));
        for (const SpritePiece& piece : frames[f]) {
            bytes.push_back(static_cast<std::uint8_t>(piece.y));
            bytes.push_back(
                static_cast<std::uint8_t>((piece.widthTiles - 1) << 2 | (piece.heightTiles - 1)));
            putWordTo(bytes, piece.pattern);
            putWordTo(bytes, piece.pattern);
            putWordTo(bytes, static_cast<std::uint16_t>(piece.x));
        }
    }
    return bytes;
}

}  // namespace orvex
