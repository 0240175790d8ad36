#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;

std::size_t roundTrip(const Bytes& input) {
    return test::expectRoundTrip(compressKosinskiOptimal(ByteSpan(input)), input);
}

// The length of the shortest stream for `data`, by trying every item in every form at every
// distance from every state (position, bits already in the current field). Fields cost two
// bytes: the first one, and one more right after every 16th bit.
class BruteForce {
public:
    explicit BruteForce(const Bytes& data)
        : mData(data), mSize(static_cast<std::int32_t>(data.size())), mMemo(16 * (mSize + 1), -1) {}

    std::int32_t shortest() { return 2 + solve(0, 0); }

private:
    std::int32_t solve(std::int32_t pos, std::int32_t bits) {
        if (pos == mSize) {
            return 3 + field(bits, 2);  // the end marker
        }
        std::int32_t& memo = mMemo[static_cast<std::size_t>(16 * pos + bits)];
        if (memo >= 0) {
            return memo;
        }
        std::int32_t best = item(pos, bits, 1, 1, 1);  // literal
        for (std::int32_t d = 1; d <= std::min(pos, 8192); ++d) {
            for (std::int32_t length = 1; length <= std::min(256, mSize - pos) &&
                                          mData[pos + length - 1] == mData[pos - d + length - 1];
                 ++length) {
                if (length >= 2 && length <= 5 && d <= 256) {
                    best = std::min(best, item(pos, bits, length, 4, 1));  // inline copy
                }
                if (length >= 3 && length <= 9) {
                    best = std::min(best, item(pos, bits, length, 2, 2));  // LO, HI
                }
                if (length >= 3) {
                    best = std::min(best, item(pos, bits, length, 2, 3));  // LO, HI, count
                }
            }
        }
        memo = best;
        return best;
    }

    std::int32_t item(std::int32_t pos, std::int32_t bits, std::int32_t length,
                      std::int32_t itemBits, std::int32_t itemBytes) {
        return itemBytes + field(bits, itemBits) + solve(pos + length, (bits + itemBits) % 16);
    }
    static std::int32_t field(std::int32_t bits, std::int32_t itemBits) {
        return bits + itemBits >= 16 ? 2 : 0;
    }

    const Bytes& mData;
    std::int32_t mSize;
    std::vector<std::int32_t> mMemo;
};

void expectShortest(const Bytes& input) {
    EXPECT_EQ(static_cast<std::int32_t>(roundTrip(input)), BruteForce(input).shortest())
        << "input of " << input.size() << " bytes";
}

TEST(KosinskiOptimal, EveryShortStringGetsTheShortestStream) {
    test::forEachString(2, 14, expectShortest);
    test::forEachString(3, 10, expectShortest);
}

TEST(KosinskiOptimal, LongerInputsGetTheShortestStream) {
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        expectShortest(test::randomBytes(24 + (seed * 7) % 40, seed, 2 + seed % 3));  // fields
        expectShortest(test::randomRuns(60 + seed * 4, seed, 1 + seed % 20));         // long copies
    }
    // Pairs repeating exactly 256 back fit inline copies; 257 back they fit nothing.
    for (const std::size_t distance : {256U, 257U}) {
        Bytes input = test::randomBytes(distance + 90, 21);
        for (std::size_t i = distance; i + 1 < input.size(); i += 3) {
            input[i] = input[i - distance];
            input[i + 1] = input[i + 1 - distance];
        }
        expectShortest(input);
    }
}

TEST(KosinskiOptimal, FullCopiesReachExactly8192Back) {
    Bytes within = test::randomBytes(8192, 31);
    within.insert(within.end(), within.begin(), within.begin() + 2000);
    Bytes beyond = test::randomBytes(8193, 31);
    beyond.insert(beyond.end(), beyond.begin(), beyond.begin() + 2000);
    // 2,000 bytes as eight copies against as many literals.
    EXPECT_LT(roundTrip(within) + 1500, roundTrip(beyond));
}

TEST(KosinskiOptimal, RoundTrips) {
    for (const std::size_t size :
         {0U, 1U, 2U, 255U, 256U, 257U, 8192U, 8193U, 32767U, 32768U, 65536U}) {
        roundTrip(test::randomRuns(size, 42, 30));
        roundTrip(test::randomBytes(size, 43, 3));
        roundTrip(Bytes(size, 0x00));
        if (size <= 8193) {
            roundTrip(test::randomBytes(size, 41));
        }
    }
    // Random bytes cost about 9/8 of their size: 29,000 of them still fit.
    EXPECT_GT(roundTrip(test::randomBytes(29000, 62)), 32000U);
}

TEST(KosinskiOptimal, NeverLongerThanTheRunLengthEncoderAndDeterministic) {
    for (std::uint32_t seed = 0; seed < 10; ++seed) {
        const Bytes input = seed % 2 == 0 ? test::randomRuns(3000 + seed * 500, seed, 1 + seed * 3)
                                          : test::randomBytes(2000, seed, 1 + seed);
        const auto rle = compressKosinski(ByteSpan(input));
        const auto best = compressKosinskiOptimal(ByteSpan(input));
        ASSERT_TRUE(rle.ok() && best.ok());
        EXPECT_LE(best->size(), rle->size()) << "seed " << seed;
        // The same stream again, now with "Saving Level..." and a few hundred growing widths.
        test::RecordingProgress progress;
        EXPECT_EQ(compressKosinskiOptimal(ByteSpan(input), &progress).value(), *best);
        EXPECT_EQ(progress.captions, std::vector<std::string>{"Saving Level..."});
        const auto& widths = progress.widths;
        EXPECT_TRUE(widths.size() >= 10 && widths.size() <= 400 && widths.front() >= 0.0 &&
                    std::is_sorted(widths.begin(), widths.end()) && widths.back() <= 317.0);
    }
}

TEST(KosinskiOptimal, RefusesWhatNoStreamHolds) {
    // More than 65,536 bytes, or a shortest stream that is still longer than 32,768 bytes.
    for (const Bytes& input : {Bytes(65537, 0x00), test::randomBytes(40000, 61)}) {
        const auto refused = compressKosinskiOptimal(ByteSpan(input));
        ASSERT_FALSE(refused.ok());
        EXPECT_EQ(refused.error().code, ErrorCode::InputTooLarge);
        EXPECT_NE(refused.error().message.find(input.size() > 65536 ? "65536" : "32768"),
                  std::string::npos);
    }
}

}  // namespace
}  // namespace orvex
