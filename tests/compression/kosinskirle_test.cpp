#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;

void expectRoundTrip(const Bytes& input) {
    test::expectRoundTrip(compressKosinski(ByteSpan(input)), input);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

TEST(KosinskiRle, WritesTheOriginalEditorsStreams) {
    Bytes fourteen;
    for (std::uint8_t i = 0; i < 14; ++i) {
        fourteen.push_back(static_cast<std::uint8_t>(0x30 + i));
    }
    Bytes fifteen = fourteen;
    fifteen.push_back(0x3E);
    const Bytes shortRuns = concat({{0x09}, Bytes(3, 0x05), Bytes(6, 0x06), {0x0A}});
    struct Case {
        Bytes input;
        Bytes stream;  // without the trailing 0x00
    };
    const Case cases[] = {
        {{}, {0x02, 0x00, 0x00, 0x00, 0x00}},
        {{0x07}, {0x05, 0x00, 0x07, 0xFF, 0xF8, 0x00}},
        {{0x41, 0x42}, {0x0B, 0x00, 0x41, 0x42, 0xFF, 0xF8, 0x00}},
        {Bytes(8, 0x41), {0x15, 0x00, 0x41, 0xFF, 0xFD, 0xFF, 0xF8, 0x00}},
        {Bytes(10, 0x41), {0x15, 0x00, 0x41, 0xFF, 0xFF, 0xFF, 0xF8, 0x00}},  // 9 in LO, HI
        {Bytes(300, 0x00),
         {0xB5, 0x00, 0x00, 0xFF, 0xF8, 0xFF, 0xFF, 0xF8, 0x29, 0x00, 0xFF, 0xF8, 0x00}},
        {{0x01, 0x02, 0x02, 0x03}, {0x2F, 0x00, 0x01, 0x02, 0x02, 0x03, 0xFF, 0xF8, 0x00}},
        // Bits 1, 1, 0 0 0 0, 1, 0 0 1 1, 1, 0 1: inline copies of 2 and 5.
        {shortRuns, {0x43, 0x2E, 0x09, 0x05, 0xFF, 0x06, 0xFF, 0x0A, 0xFF, 0xF8, 0x00}},
        // The 16th bit is the end marker's second, then its first: a field follows either way.
        {fourteen, concat({{0xFF, 0xBF}, fourteen, {0x00, 0x00, 0xFF, 0xF8, 0x00}})},
        {fifteen, concat({{0xFF, 0x7F}, fifteen, {0x01, 0x00, 0xFF, 0xF8, 0x00}})},
    };
    for (const Case& c : cases) {
        const auto packed = compressKosinski(ByteSpan(c.input));
        ASSERT_TRUE(packed.ok());
        EXPECT_EQ(*packed, concat({c.stream, {0x00}})) << "input of " << c.input.size();
        expectRoundTrip(c.input);
    }
}

TEST(KosinskiRle, RoundTripsUpTo32767BytesAndRefusesMore) {
    // Every input of up to 7 bytes over three values: every way a run meets the last byte.
    test::forEachString(3, 7, expectRoundTrip);
    for (const std::size_t run : {9U, 10U, 255U, 256U, 257U, 258U, 513U}) {
        expectRoundTrip(Bytes(run, 0x11));
        expectRoundTrip(concat({{0x33}, Bytes(run, 0x11), {0x22}}));
    }
    for (const std::size_t size : {255U, 8193U, 32767U}) {
        expectRoundTrip(test::randomRuns(size, 8, 300));
        if (size < 32767) {  // random data would take a longer stream than a decoder reads
            expectRoundTrip(test::randomBytes(size, 7, 3));
        }
    }
    expectRoundTrip(Bytes(32767, 0x00));
    const auto refused = compressKosinski(ByteSpan(Bytes(32768, 0x00)));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, ErrorCode::InputTooLarge);
}

TEST(KosinskiRle, ReportsSavingProgress) {
    // 300 zeros take three steps: literal and copy of 256, copy of 42, the last byte.
    test::RecordingProgress progress;
    ASSERT_TRUE(compressKosinski(ByteSpan(Bytes(300, 0x00)), &progress).ok());
    EXPECT_EQ(progress.captions, std::vector<std::string>{"Saving Level..."});
    EXPECT_EQ(progress.widths, (std::vector<double>{0.0, 317.0 * 257 / 299, 317.0}));

    test::RecordingProgress single;
    ASSERT_TRUE(compressKosinski(ByteSpan(Bytes{0x01}), &single).ok());
    EXPECT_EQ(single.captions.size(), 1U);
    EXPECT_TRUE(single.widths.empty());
}

}  // namespace
}  // namespace orvex
