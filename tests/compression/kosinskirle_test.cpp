#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;
using test::decodeOk;

Bytes rle(const Bytes& input) {
    auto packed = compressKosinski(ByteSpan(input));
    EXPECT_TRUE(packed.ok());
    return packed.ok() ? std::move(packed).value() : Bytes{};
}

// The stream followed by the one 0x00 byte the encoder adds.
Bytes packed(Bytes stream) {
    stream.push_back(0x00);
    return stream;
}

// Encodes, decodes and checks the data and the length the decoder reports.
void expectRoundTrip(const Bytes& input) {
    const Bytes data = rle(input);
    ASSERT_GE(data.size(), 6U);
    EXPECT_EQ(data.back(), 0x00);
    const auto decoded = decodeOk(data);
    EXPECT_FALSE(decoded.weirdOffset);
    EXPECT_EQ(decoded.data, input);
    EXPECT_EQ(decoded.packedLastIndex, static_cast<std::int32_t>(data.size()) - 2);
}

TEST(KosinskiRleOutput, TwoDifferentBytes) {
    EXPECT_EQ(rle({0x41, 0x42}), packed({0x0B, 0x00, 0x41, 0x42, 0xFF, 0xF8, 0x00}));
}

TEST(KosinskiRleOutput, EightEqualBytes) {
    EXPECT_EQ(rle(Bytes(8, 0x41)), packed({0x15, 0x00, 0x41, 0xFF, 0xFD, 0xFF, 0xF8, 0x00}));
}

TEST(KosinskiRleOutput, ThreeHundredZeros) {
    EXPECT_EQ(rle(Bytes(300, 0x00)), packed({0xB5, 0x00, 0x00, 0xFF, 0xF8, 0xFF, 0xFF, 0xF8, 0x29,
                                             0x00, 0xFF, 0xF8, 0x00}));
}

TEST(KosinskiRleOutput, OneByte) {
    EXPECT_EQ(rle({0x07}), packed({0x05, 0x00, 0x07, 0xFF, 0xF8, 0x00}));
}

TEST(KosinskiRleOutput, EmptyInput) {
    EXPECT_EQ(rle({}), packed({0x02, 0x00, 0x00, 0x00, 0x00}));
    expectRoundTrip({});
}

TEST(KosinskiRleOutput, PairInTheMiddleStaysLiteral) {
    EXPECT_EQ(rle({0x01, 0x02, 0x02, 0x03}),
              packed({0x2F, 0x00, 0x01, 0x02, 0x02, 0x03, 0xFF, 0xF8, 0x00}));
}

TEST(KosinskiRleOutput, ShortRunsUseInlineCopies) {
    // 0x09, then 0x05 x 3 (literal + inline copy of 2), then 0x06 x 6 (literal + copy of 5).
    Bytes input{0x09, 0x05, 0x05, 0x05};
    input.insert(input.end(), 6, 0x06);
    input.push_back(0x0A);
    // Bits in order: 1, 1, 0 0 0 0, 1, 0 0 1 1, 1, 0 1.
    EXPECT_EQ(rle(input),
              packed({0x43, 0x2E, 0x09, 0x05, 0xFF, 0x06, 0xFF, 0x0A, 0xFF, 0xF8, 0x00}));
    expectRoundTrip(input);
}

TEST(KosinskiRleFields, SixteenthBitIsTheEndMarkersSecond) {
    Bytes input;
    for (std::uint8_t i = 0; i < 14; ++i) {
        input.push_back(static_cast<std::uint8_t>(0x30 + i));
    }
    Bytes expected{0xFF, 0xBF};
    expected.insert(expected.end(), input.begin(), input.end());
    expected.insert(expected.end(), {0x00, 0x00, 0xFF, 0xF8, 0x00});
    EXPECT_EQ(rle(input), packed(expected));
    expectRoundTrip(input);
}

TEST(KosinskiRleFields, SixteenthBitIsTheEndMarkersFirst) {
    Bytes input;
    for (std::uint8_t i = 0; i < 15; ++i) {
        input.push_back(static_cast<std::uint8_t>(0x30 + i));
    }
    Bytes expected{0xFF, 0x7F};
    expected.insert(expected.end(), input.begin(), input.end());
    expected.insert(expected.end(), {0x01, 0x00, 0xFF, 0xF8, 0x00});
    EXPECT_EQ(rle(input), packed(expected));
    expectRoundTrip(input);
}

TEST(KosinskiRleFields, FieldsAreFilledAcrossManyItems) {
    for (std::size_t count = 1; count < 80; ++count) {
        expectRoundTrip(test::randomBytes(count, static_cast<std::uint32_t>(count), 3));
    }
}

TEST(KosinskiRleRoundTrip, EveryShortInputOverThreeValues) {
    // Lengths 1..7 over three values cover every way a run can meet the last byte.
    for (std::size_t length = 1; length <= 7; ++length) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < length; ++i) {
            combinations *= 3;
        }
        for (std::size_t code = 0; code < combinations; ++code) {
            Bytes input(length);
            std::size_t rest = code;
            for (auto& value : input) {
                value = static_cast<std::uint8_t>(rest % 3);
                rest /= 3;
            }
            expectRoundTrip(input);
        }
    }
}

TEST(KosinskiRleRoundTrip, RunsAroundTheLongestCopy) {
    for (const std::size_t run :
         {2U, 3U, 5U, 6U, 9U, 10U, 11U, 255U, 256U, 257U, 258U, 512U, 513U, 1000U}) {
        Bytes input(run, 0x11);
        expectRoundTrip(input);
        input.push_back(0x22);
        expectRoundTrip(input);
        input.insert(input.begin(), 0x33);
        expectRoundTrip(input);
        input.insert(input.begin(), 0x11);
        expectRoundTrip(input);
    }
}

TEST(KosinskiRleRoundTrip, Sizes) {
    for (const std::size_t size : {1U, 2U, 255U, 256U, 257U, 8192U, 8193U}) {
        expectRoundTrip(test::randomBytes(size, 7));
        expectRoundTrip(test::randomRuns(size, 8, 40));
        expectRoundTrip(Bytes(size, 0x5A));
    }
}

TEST(KosinskiRleRoundTrip, LargestAcceptedInput) {
    expectRoundTrip(test::randomRuns(32767, 11, 300));
    expectRoundTrip(test::tileArt(32767, 12));
    expectRoundTrip(Bytes(32767, 0x00));
}

TEST(KosinskiRleLimits, InputOf32768BytesIsRefused) {
    const Bytes input(32768, 0x00);
    const auto result = compressKosinski(ByteSpan(input));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::InputTooLarge);
}

TEST(KosinskiRleLimits, IncompressibleDataMakesAStreamTheDecoderRefuses) {
    // The encoder accepts it; the stream is simply longer than a decoder will read.
    const Bytes input = test::randomBytes(32767, 13);
    const Bytes data = rle(input);
    EXPECT_GT(data.size(), static_cast<std::size_t>(kKosinskiMaxStream));
    const auto decoded = decompressKosinski(ByteSpan(data));
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().offset, kKosinskiMaxStream);
}

TEST(KosinskiRleProgress, OneWidthPerStep) {
    // 300 zeros take three steps: literal and copy of 256, copy of 42, the last byte.
    test::RecordingProgress progress;
    const Bytes input(300, 0x00);
    ASSERT_TRUE(compressKosinski(ByteSpan(input), &progress).ok());
    ASSERT_EQ(progress.captions, std::vector<std::string>{"Saving Level..."});
    EXPECT_TRUE(progress.captionBeforeFirstWidth);
    ASSERT_EQ(progress.widths.size(), 3U);
    EXPECT_DOUBLE_EQ(progress.widths[0], 0.0);
    EXPECT_DOUBLE_EQ(progress.widths[1], 317.0 * 257 / 299);
    EXPECT_DOUBLE_EQ(progress.widths[2], 317.0);
    EXPECT_EQ(progress.brackets, 0);
}

TEST(KosinskiRleProgress, WidthsGrowAndStayOnTheBar) {
    test::RecordingProgress progress;
    const Bytes input = test::randomRuns(5000, 3, 12);
    ASSERT_TRUE(compressKosinski(ByteSpan(input), &progress).ok());
    ASSERT_FALSE(progress.widths.empty());
    EXPECT_TRUE(progress.nonDecreasing());
    EXPECT_GE(progress.widths.front(), 0.0);
    EXPECT_LE(progress.widths.back(), 317.0);
}

TEST(KosinskiRleProgress, SingleByteReportsOnlyTheCaption) {
    test::RecordingProgress progress;
    const Bytes input{0x01};
    ASSERT_TRUE(compressKosinski(ByteSpan(input), &progress).ok());
    EXPECT_EQ(progress.captions.size(), 1U);
    EXPECT_TRUE(progress.widths.empty());
}

}  // namespace
}  // namespace orvex
