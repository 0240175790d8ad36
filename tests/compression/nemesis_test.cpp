// The Nemesis decoder on streams written bit by bit, and the encoder's round trips.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compression/nemesis.h"

namespace orvex {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// '0' and '1' packed most significant bit first, the last byte padded with zeros; other
// characters only space the groups.
Bytes bits(std::string_view text) {
    Bytes out;
    std::size_t count = 0;
    for (const char c : text) {
        if (c != '0' && c != '1') {
            continue;
        }
        if (count % 8 == 0) {
            out.push_back(0);
        }
        out.back() |= static_cast<std::uint8_t>((c == '1' ? 1 : 0) << (7 - count % 8));
        ++count;
    }
    return out;
}

NemesisDecoded decode(const Bytes& data, std::int64_t offset = 0) {
    auto decoded = decompressNemesis(ByteSpan(data), offset);
    EXPECT_TRUE(decoded.ok()) << (decoded.ok() ? "" : decoded.error().describe());
    return decoded.ok() ? std::move(decoded).value() : NemesisDecoded{};
}

Error corrupt(const Bytes& data, std::int64_t offset = 0) {
    const auto decoded = decompressNemesis(ByteSpan(data), offset);
    EXPECT_TRUE(!decoded.ok() && decoded.error().code == ErrorCode::CorruptStream);
    return decoded.ok() ? Error{} : decoded.error();
}

// Pixels (one a byte) packed two a byte, high nibble first.
Bytes packPixels(const Bytes& pixels) {
    Bytes out(pixels.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(pixels[2 * i] << 4 | pixels[2 * i + 1]);
    }
    return out;
}

// `tiles` tiles of runs of random lengths 1..maxRun of random values below `values`.
Bytes randomArt(std::size_t tiles, std::uint32_t seed, std::uint32_t maxRun,
                std::uint32_t values = 16) {
    std::mt19937 random(seed);
    Bytes pixels;
    while (pixels.size() < tiles * 64) {
        pixels.resize(pixels.size() + 1 + random() % maxRun,
                      static_cast<std::uint8_t>(random() % values));
    }
    pixels.resize(tiles * 64);
    return packPixels(pixels);
}

// Codes '0' for eight 0s, '110' for six 3s and '10000000' for three As. The runs of 0s and of
// 3s cross rows, and the last code's run is cut after one A where the tile ends.
const Bytes kPlainStream = concat({
    {0x00, 0x01},                                                  // one tile
    {0x80, 0x71, 0x00, 0x8A, 0x28, 0x80, 0x83, 0x53, 0x06, 0xFF},  // the code table
    bits("10000000 0 110 0 0 0 0 0 110 10000000"),
});
const Bytes kPlainTile = {
    0xAA, 0xA0, 0x00, 0x00, 0x00, 0x03, 0x33, 0x33, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x33, 0x33, 0x3A,
};

TEST(NemesisDecoder, PlainStreamWithCodesOfOneAndEightBits) {
    ASSERT_EQ(kPlainStream.size(), 16U);
    const auto decoded = decode(kPlainStream);
    EXPECT_EQ(decoded.tiles, kPlainTile);
    EXPECT_EQ(decoded.packedLength, 16);
    // Inside larger data: bytes after the stream are never part of it.
    const Bytes around = concat({Bytes(5, 0xFF), kPlainStream, Bytes(3, 0xFF)});
    const auto inside = decode(around, 5);
    EXPECT_TRUE(inside.tiles == kPlainTile && inside.packedLength == 16);
    for (const std::int64_t offset : {-1, 16, 1000}) {  // outside the data
        const auto outside = decompressNemesis(ByteSpan(kPlainStream), offset);
        EXPECT_TRUE(!outside.ok() && outside.error().code == ErrorCode::OutOfRange) << offset;
    }
    const auto empty = decompressNemesis(ByteSpan(), 0);
    EXPECT_TRUE(!empty.ok() && empty.error().code == ErrorCode::OutOfRange);
}

// Code '0' for eight 1s; escapes for eight 2s and for three Fs. Before XOR the rows are
// 11111111, 22222222, four of 11111111, FFF11111, 11111111.
const Bytes kXorTable = {0x81, 0x71, 0x00, 0xFF};
constexpr std::string_view kXorBits = "0  111111 111 0010  0 0 0 0  111111 010 1111  0 0";
const Bytes kXorStream = concat({{0x80, 0x01}, kXorTable, bits(kXorBits)});

TEST(NemesisDecoder, XorModeAndEscapes) {
    EXPECT_EQ(kXorStream.size(), 6U + 5U);
    const Bytes rows = {0x11, 0x11, 0x11, 0x11, 0x33, 0x33, 0x33, 0x33, 0x22, 0x22, 0x22,
                        0x22, 0x33, 0x33, 0x33, 0x33, 0x22, 0x22, 0x22, 0x22, 0x33, 0x33,
                        0x33, 0x33, 0xCC, 0xC2, 0x22, 0x22, 0xDD, 0xD3, 0x33, 0x33};
    const auto decoded = decode(kXorStream);
    EXPECT_EQ(decoded.tiles, rows);
    EXPECT_EQ(decoded.packedLength, 11);
    // The XOR goes on into the next tile: eight more codes '0' fill it with 1s, and its rows
    // alternate CCC22222 and DDD33333.
    const std::string more = std::string(kXorBits) + " 0 0 0 0 0 0 0 0";
    const auto twoTiles = decode(concat({{0x80, 0x02}, kXorTable, bits(more)}));
    ASSERT_EQ(twoTiles.tiles.size(), 64U);
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), twoTiles.tiles.begin()));
    for (std::size_t row = 0; row < 8; ++row) {
        const auto expected = rows.end() - (row % 2 == 0 ? 8 : 4);
        EXPECT_TRUE(std::equal(expected, expected + 4, twoTiles.tiles.begin() + 32 + 4 * row))
            << row;
    }
}

// Tile counts: none, too many for the data, and a cap that decodes the first tiles exactly as
// the whole decode has them.
TEST(NemesisDecoder, TileCountsAndCaps) {
    const Bytes tiles = randomArt(6, 7, 5);
    const auto packed = compressNemesis(ByteSpan(tiles));
    ASSERT_TRUE(packed.ok());
    for (const std::int32_t cap : {-3, 0, 1, 5, 6, 100}) {
        const auto decoded = decompressNemesis(ByteSpan(*packed), 0, cap);
        ASSERT_TRUE(decoded.ok()) << cap;
        const auto kept = static_cast<std::size_t>(std::clamp(cap, 0, 6)) * 32;
        EXPECT_TRUE(std::equal(decoded->tiles.begin(), decoded->tiles.end(), tiles.begin()) &&
                    decoded->tiles.size() == kept)
            << cap;
    }
    const auto none = decode({0x00, 0x00, 0xFF, 0x12});
    EXPECT_TRUE(none.tiles.empty() && none.packedLength == 3);
    const auto xorNone = decode({0x80, 0x00, 0x81, 0x71, 0x00, 0xFF});
    EXPECT_TRUE(xorNone.tiles.empty() && xorNone.packedLength == 6);
    EXPECT_EQ(corrupt({0x00, 0x00}).offset, 2);
    // Every tile takes a byte of data at least (a bit yields eight pixels at most): 0x7FFF tiles
    // in three bytes run out, whatever those bytes hold, but the three tiles they hold decode.
    const Bytes huge = {0x7F, 0xFF, 0x80, 0x71, 0x00, 0xFF, 0x00, 0x00, 0x00};
    EXPECT_EQ(corrupt(huge).offset, 9);
    const auto three = decompressNemesis(ByteSpan(huge), 0, 3);
    ASSERT_TRUE(three.ok());
    EXPECT_EQ(three->tiles, Bytes(3 * 32, 0));
    EXPECT_EQ(nemesisTileCount(ByteSpan(huge), 0).value(), 0x7FFF);
    EXPECT_EQ(nemesisTileCount(ByteSpan(kXorStream), 0).value(), 1);  // without the XOR bit
    EXPECT_FALSE(nemesisTileCount(ByteSpan(huge), 8).ok());
}

// Tables that break a rule, each with the index of the selector or entry that breaks it.
TEST(NemesisDecoder, BadTablesAreRefused) {
    const std::pair<Bytes, std::int64_t> cases[] = {
        {{0x81, 0x00, 0x00}, 3},                    // length 0
        {{0x81, 0x09, 0x00}, 3},                    // length 9
        {{0x81, 0x02, 0x04}, 3},                    // 100 in 2 bits
        {{0x81, 0x01, 0x00, 0x82, 0x31, 0x00}, 6},  // 0 twice
        {{0x81, 0x01, 0x00, 0x82, 0x02, 0x01}, 6},  // 0, then 01 which starts with it
        {{0x81, 0x02, 0x01, 0x01, 0x00}, 5},        // 01, then its prefix 0
        {{0x81, 0x06, 0x3F}, 3},                    // the escape itself
        {{0x81, 0x03, 0x07}, 3},                    // 111, a prefix of the escape
        {{0x81, 0x07, 0x7E}, 3},                    // 1111110 starts with the escape
        {{0x81, 0x08, 0xFF}, 3},                    // so does 11111111
        {{0x01, 0x00}, 2},                          // no pixel selected yet
        {{0x81, 0x82, 0x01, 0x00}, 2},              // a selector without entries ...
        {{0x81, 0x01, 0x00, 0x82}, 5},              // ... also at the end
    };
    for (const auto& [table, offset] : cases) {
        const Bytes stream = concat({{0x00, 0x01}, table, {0xFF}, Bytes(8, 0x00)});
        EXPECT_EQ(corrupt(stream).offset, offset) << ::testing::PrintToString(table);
    }
    // The codes right below the escape are fine: 11110 and 11111011.
    const auto beside =
        decode(concat({{0x00, 0x01, 0x81, 0x75, 0x1E, 0x82, 0x78, 0xFB, 0xFF},
                       bits("11111011 11110 11110 11110 11110 11110 11110 11110")}));
    EXPECT_EQ(beside.tiles, concat({Bytes(4, 0x22), Bytes(28, 0x11)}));
}

TEST(NemesisDecoder, BitsThatStartNoCodeAreRefusedWhereTheyStart) {
    // Code 0 (eight 0s) only, for two tiles: after eight of them, 1 and 0 start no code.
    const Bytes table = {0x00, 0x02, 0x80, 0x71, 0x00, 0xFF};
    EXPECT_EQ(corrupt(concat({table, bits("00000000 10000000"), {0x00}})).offset, 7);
    const Bytes inside = concat({Bytes(3, 0x00), table, bits("00000000 00 100000")});
    EXPECT_EQ(corrupt(inside, 3).offset, 3 + 6 + 1);
    // Two bits left, 10: no code starts with them, so the data is wrong rather than short.
    const Error wrong = corrupt(concat({table, bits("00000000 0000001 0")}));
    EXPECT_TRUE(wrong.offset == 7 && wrong.message.find("not in") != std::string::npos);
}

void expectRoundTrip(const Bytes& tiles, NemesisMode mode) {
    const auto packed = compressNemesis(ByteSpan(tiles), mode);
    ASSERT_TRUE(packed.ok()) << packed.error().describe();
    const auto decoded = decode(*packed);
    EXPECT_TRUE(decoded.tiles == tiles &&
                decoded.packedLength == static_cast<std::int32_t>(packed->size()))
        << tiles.size() << " bytes, mode " << static_cast<int>(mode);
    if (mode != NemesisMode::Auto) {
        EXPECT_EQ((*packed)[0] >= 0x80, mode == NemesisMode::Xor);
    }
}

std::size_t packedSize(const Bytes& tiles, NemesisMode mode) {
    const auto packed = compressNemesis(ByteSpan(tiles), mode);
    return packed.ok() ? packed->size() : 0;
}

// Every one of the 128 (pixel, run) pairs equally often: more codes are worth having than the
// code space holds beside the escape.
Bytes everyPair(std::size_t tiles) {
    Bytes pixels;
    for (std::uint32_t i = 0; pixels.size() < tiles * 64; ++i) {
        pixels.resize(pixels.size() + 1 + (i / 16) % 8, static_cast<std::uint8_t>(i % 16));
    }
    pixels.resize(tiles * 64);
    return packPixels(pixels);
}

// Rows of the same random pixels: plain mode has only short runs; XOR mode almost only 0s.
Bytes verticalStripes(std::size_t tiles, std::uint32_t seed) {
    const Bytes row = randomArt(1, seed, 1);
    Bytes out;
    while (out.size() < tiles * 32) {
        out.insert(out.end(), row.begin(), row.begin() + 4);
    }
    return out;
}

TEST(NemesisEncoder, RoundTripsInEveryMode) {
    Bytes horizontalStripes;
    for (std::uint32_t row = 0; row < 8 * 40; ++row) {
        horizontalStripes.resize(horizontalStripes.size() + 4,
                                 static_cast<std::uint8_t>((row % 16) * 0x11));
    }
    const std::vector<Bytes> inputs = {
        {},
        Bytes(32, 0x00),
        Bytes(64 * 32, 0x77),
        randomArt(1, 1, 1),
        randomArt(200, 2, 1),
        randomArt(200, 3, 12, 5),
        randomArt(300, 4, 40),
        horizontalStripes,
        verticalStripes(50, 5),
        everyPair(100),
        concat({Bytes(32 * 5, 0x00), randomArt(7, 6, 3), Bytes(31, 0xEE), {0xE1}}),
    };
    for (const Bytes& input : inputs) {
        for (const NemesisMode mode : {NemesisMode::Plain, NemesisMode::Xor, NemesisMode::Auto}) {
            expectRoundTrip(input, mode);
        }
        EXPECT_EQ(
            packedSize(input, NemesisMode::Auto),
            std::min(packedSize(input, NemesisMode::Plain), packedSize(input, NemesisMode::Xor)));
    }
    EXPECT_EQ(compressNemesis(ByteSpan()).value(), (Bytes{0x00, 0x00, 0xFF}));
}

TEST(NemesisEncoder, IsCompact) {
    // One bit per eight pixels is the least the format can do: 2048 bits for 256 flat tiles,
    // after header and table 00 01 / 80 71 00 FF.
    EXPECT_EQ(packedSize(Bytes(256 * 32, 0x00), NemesisMode::Auto), 2U + 4U + 256U);
    EXPECT_EQ(packedSize(Bytes(256 * 32, 0x77), NemesisMode::Auto), 2U + 4U + 256U);
    // Uniformly random pixels: 4 bits a pixel would need all of the code space, and the escape
    // keeps 1/64 of it; under 4.25 bits.
    const Bytes noise = randomArt(256, 7, 1);
    EXPECT_LT(packedSize(noise, NemesisMode::Auto), noise.size() * 425 / 400);
    // Runs of 1..8 of five values, about 5.3 bits a run of 4.5 pixels: under 1.25 bits a pixel.
    const Bytes runs = randomArt(256, 8, 8, 5);
    EXPECT_LT(packedSize(runs, NemesisMode::Auto), runs.size() * 125 / 400);
    // Repeated rows: XOR mode wins by far.
    const Bytes stripes = verticalStripes(256, 9);
    EXPECT_LT(packedSize(stripes, NemesisMode::Xor) * 8, packedSize(stripes, NemesisMode::Plain));
}

TEST(NemesisEncoder, TakesWholeTilesUpToTheLimit) {
    for (const std::size_t size : {std::size_t{31}, std::size_t{33}, std::size_t{0x8000} * 32}) {
        const auto refused = compressNemesis(ByteSpan(Bytes(size, 0x00)));
        EXPECT_TRUE(!refused.ok() && refused.error().code == ErrorCode::InputTooLarge) << size;
    }
    Bytes most(std::size_t{kNemesisMaxTiles} * 32, 0x00);
    for (std::size_t i = 0; i < most.size(); i += 4096) {
        most[i] = static_cast<std::uint8_t>(i >> 12);
    }
    const auto packed = compressNemesis(ByteSpan(most));
    ASSERT_TRUE(packed.ok());
    EXPECT_EQ((*packed)[0] & 0x7F, 0x7F);
    EXPECT_EQ((*packed)[1], 0xFF);
    EXPECT_EQ(decode(*packed).tiles, most);
}

TEST(NemesisDecoder, EveryTruncationFailsWhereTheStreamRunsOut) {
    const std::vector<Bytes> streams = {
        kPlainStream,
        kXorStream,
        compressNemesis(ByteSpan(randomArt(3, 10, 6))).value(),
        compressNemesis(ByteSpan(everyPair(4))).value(),
        compressNemesis(ByteSpan(verticalStripes(4, 11)), NemesisMode::Xor).value(),
    };
    for (const Bytes& full : streams) {
        ASSERT_EQ(decode(full).packedLength, static_cast<std::int32_t>(full.size()));
        for (std::size_t length = 1; length < full.size(); ++length) {
            // An exact-size copy, so that a read past its end shows under the sanitizers.
            const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_EQ(corrupt(prefix).offset, static_cast<std::int64_t>(length));
        }
    }
}

}  // namespace
}  // namespace orvex
