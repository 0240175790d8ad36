#include "rom/objectart.h"

#include <algorithm>
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

// What a list holds: its count word's claim, what one entry takes, and the most entries read.
struct ListShape {
    std::int32_t count = 0;
    std::int32_t entryBytes = 0;
    std::int32_t limit = 0;
    const char* noun = "";  // what an entry is, in the plural
};

// The list's entries after its first word, each made by `parse` from its bytes: at most
// `shape.limit` of them and none past the image, with the reason when that is fewer than the count.
template <typename Entry, typename Parse>
CountedList<Entry> readEntries(ByteSpan image, const ListHead& head, const ListShape& shape,
                               Parse parse) {
    CountedList<Entry> list;
    const std::int32_t wanted = std::min(shape.count, shape.limit);
    for (std::int32_t i = 0; i < wanted; ++i) {
        const std::int64_t at = head.at + 2 + std::int64_t{shape.entryBytes} * i;
        if (!fitsIn(image.size(), at, shape.entryBytes)) {
            list.cut = readPastEnd(at, shape.entryBytes);
            return list;
        }
        list.entries.push_back(parse(image.data() + at));
    }
    if (shape.count > shape.limit) {
        list.cut = makeError(ErrorCode::ValueTooLarge,
                             "its count claims " + std::to_string(shape.count) + " " + shape.noun +
                                 "; only the first " + std::to_string(shape.limit) + " are read",
                             head.at);
    }
    return list;
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

Result<CountedList<ArtCue>> readArtCues(ByteSpan image, std::int32_t table, std::uint8_t list) {
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
    return readEntries<ArtCue>(image, *head, {count, kArtCueBytes, kMaxArtCues, "cues"},
                               [](const std::uint8_t* p) {
                                   return ArtCue{longAt(p), wordAt(p + 4)};
                               });
}

Result<CountedList<DebugEntry>> readDebugList(ByteSpan image, std::int32_t table,
                                              std::uint8_t zone) {
    auto head = listHead(image, table, zone);
    if (!head) {
        return head.error();
    }
    return readEntries<DebugEntry>(
        image, *head, {head->word, kDebugEntryBytes, kMaxDebugEntries, "entries"},
        [](const std::uint8_t* p) {
            return DebugEntry{p[0], longAt(p) & 0xFFFFFF, p[4], p[5], wordAt(p + 6)};
        });
}

Result<CountedList<SpritePiece>> readSpriteFrame(ByteSpan image, std::int32_t mappings,
                                                 std::int32_t frame) {
    auto head = listHead(image, mappings, frame);
    if (!head) {
        return head.error();
    }
    return readEntries<SpritePiece>(
        image, *head, {head->word, kSpritePieceBytes, kMaxSpritePieces, "pieces"},
        [](const std::uint8_t* p) {
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
