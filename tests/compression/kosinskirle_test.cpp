// The run-length encoder: the original editor's streams, round trips and progress.

#include <numeric>

#include "kosinskitestsupport.h"  // gtest, <algorithm>, <cstdint>, <string>, <vector>, kosinski.h

namespace orvex {
namespace {

using test::Bytes;
using test::concat;

void expectRoundTrip(const Bytes& input) {
    test::expectRoundTrip(compressKosinski(ByteSpan(input)), input);
}

TEST(KosinskiRle, WritesTheOriginalEditorsStreams) {
    Bytes fifteen(15);
    std::iota(fifteen.begin(), fifteen.end(), 0x30);
    const Bytes fourteen(fifteen.begin(), fifteen.end() - 1);
    const Bytes shortRuns = concat({{0x09}, Bytes(3, 0x05), Bytes(6, 0x06), {0x0A}});
    const std::pair<Bytes, Bytes> cases[] = {
        // the input and its stream without the 0x00 after
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
    for (const auto& [input, stream] : cases) {
        EXPECT_EQ(compressKosinski(ByteSpan(input)).value(), concat({stream, {0x00}}))
            << "input of " << input.size();
        expectRoundTrip(input);
    }
}

TEST(KosinskiRle, RoundTripsUpTo32767BytesAndRefusesMore) {
    // Every input of up to 7 bytes over three values: every way a run meets the last byte.
    test::forEachString(3, 7, expectRoundTrip);
    for (const std::size_t run : {9U, 10U, 255U, 256U, 257U, 258U, 513U}) {
        expectRoundTrip(Bytes(run, 0x11));
        expectRoundTrip(concat({{0x33}, Bytes(run, 0x11), {0x22}}));
    }
    // Random data of 32767 bytes would take a longer stream than a decoder reads.
    for (const Bytes& input : {test::randomRuns(255, 8, 300), test::randomRuns(8193, 8, 300),
                               test::randomRuns(32767, 8, 300), test::randomBytes(255, 7, 3),
                               test::randomBytes(8193, 7, 3), Bytes(32767, 0x00)}) {
        expectRoundTrip(input);
    }
    const auto refused = compressKosinski(ByteSpan(Bytes(32768, 0x00)));
    EXPECT_TRUE(!refused.ok() && refused.error().code == ErrorCode::InputTooLarge);
}

// 300 zeros take three steps: literal and copy of 256 at position 0, copy of 42 at 257, the
// last byte at 299; a single byte takes none.
TEST(KosinskiRle, ReportsEncodingProgress) {
    using Report = test::RecordingProgress::Report;
    test::RecordingProgress progress;
    test::RecordingProgress single;
    ASSERT_TRUE(compressKosinski(ByteSpan(Bytes(300, 0x00)), &progress).ok());
    ASSERT_TRUE(compressKosinski(ByteSpan(Bytes{0x01}), &single).ok());
    EXPECT_EQ(progress.reports, (std::vector<Report>{{Stage::Encoding, 0, 300},
                                                     {Stage::Encoding, 1, 300},
                                                     {Stage::Encoding, 258, 300},
                                                     {Stage::Encoding, 300, 300}}));
    EXPECT_EQ(single.reports, (std::vector<Report>{{Stage::Encoding, 0, 1}}));
}

}  // namespace
}  // namespace orvex
