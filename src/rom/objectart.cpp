#include "rom/objectart.h"

#include <string>

namespace orvex {

namespace {

// A list found through a table of word offsets from the table: where its first word lies, and
// that word (a count).
struct ListHead {
    std::int64_t at = 0;
    std::uint16_t word = 0;
};

Result<ListHead> listHead(ByteSpan image, std::int32_t table, std::int32_t index) {
    auto offset = readWord(image, std::int64_t{table} + 2 * std::int64_t{index});
    if (!offset) {
        return offset.error();
    }
    const std::int64_t at = std::int64_t{table} + *offset;
    auto word = readWord(image, at);
    if (!word) {
        return word.error();
    }
    return ListHead{at, *word};
}

// `count` entries of `size` bytes after the list's first word, each made by `parse` from its
// bytes; FileRead when one runs past the image.
template <typename Entry, typename Parse>
Result<std::vector<Entry>> readEntries(ByteSpan image, const ListHead& head, std::int32_t count,
                                       std::int32_t size, Parse parse) {
    std::vector<Entry> entries;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t at = head.at + 2 + std::int64_t{size} * i;
        if (!fitsIn(image.size(), at, size)) {
            return readPastEnd(at, size);
        }
        entries.push_back(parse(image.data() + at));
    }
    return entries;
}

std::uint16_t wordAt(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::int32_t longAt(const std::uint8_t* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wordAt(p)) << 16 | wordAt(p + 2));
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
    auto head = listHead(image, table, list);
    if (!head) {
        return head.error();
    }
    const std::int32_t count = static_cast<std::int16_t>(head->word) + 1;  // -1: none
    return readEntries<ArtCue>(image, *head, count, kArtCueBytes, [](const std::uint8_t* p) {
        return ArtCue{longAt(p), wordAt(p + 4)};
    });
}

Result<std::vector<DebugEntry>> readDebugList(ByteSpan image, std::int32_t table,
                                              std::uint8_t zone) {
    auto head = listHead(image, table, zone);
    if (!head) {
        return head.error();
    }
    return readEntries<DebugEntry>(
        image, *head, head->word, kDebugEntryBytes, [](const std::uint8_t* p) {
            return DebugEntry{p[0], longAt(p) & 0xFFFFFF, p[4], p[5], wordAt(p + 6)};
        });
}

Result<std::vector<SpritePiece>> readSpriteFrame(ByteSpan image, std::int32_t mappings,
                                                 std::int32_t frame) {
    auto head = listHead(image, mappings, frame);
    if (!head) {
        return head.error();
    }
    return readEntries<SpritePiece>(
        image, *head, head->word, kSpritePieceBytes, [](const std::uint8_t* p) {
            SpritePiece piece;
            piece.y = static_cast<std::int8_t>(p[0]);
            piece.widthTiles = static_cast<std::uint8_t>(((p[1] >> 2) & 3) + 1);
            piece.heightTiles = static_cast<std::uint8_t>((p[1] & 3) + 1);
            piece.pattern = wordAt(p + 2);
            piece.x = static_cast<std::int16_t>(wordAt(p + 6));
            return piece;
        });
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
