#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;
using test::decodeOk;

Bytes optimal(const Bytes& input) {
    auto packed = compressKosinskiOptimal(ByteSpan(input));
    EXPECT_TRUE(packed.ok()) << (packed.ok() ? "" : packed.error().message);
    return packed.ok() ? std::move(packed).value() : Bytes{};
}

// Encodes, decodes, checks the data; returns the stream length (without the trailing 0x00).
std::size_t expectRoundTrip(const Bytes& input) {
    const Bytes data = optimal(input);
    EXPECT_GE(data.size(), 6U);
    if (data.empty()) {
        return 0;
    }
    EXPECT_EQ(data.back(), 0x00);
    const auto decoded = decodeOk(data);
    EXPECT_FALSE(decoded.weirdOffset);
    EXPECT_EQ(decoded.data, input);
    EXPECT_EQ(decoded.packedLastIndex, static_cast<std::int32_t>(data.size()) - 2);
    return data.size() - 1;
}

// The shortest stream length for `data`, by exhaustive search over every item the format has
// at every distance, memoised on (position, description bits so far). With `exactBits` the bit
// count is kept whole and the fields are counted once at the end; otherwise only its value
// modulo 16 is kept and each item pays for the field it opens.
class BruteForce {
public:
    BruteForce(const Bytes& data, bool exactBits)
        : mData(data), mN(static_cast<std::int32_t>(data.size())), mExact(exactBits) {
        mBitsRange = mExact ? 4 * mN + 3 : 16;
        mMemo.assign(static_cast<std::size_t>((mN + 1) * mBitsRange), -1);
        mMatch.assign(static_cast<std::size_t>((mN + 1) * (mN + 1)), 0);
        for (std::int32_t p = 0; p < mN; ++p) {
            for (std::int32_t d = 1; d <= p; ++d) {
                std::int32_t length = 0;
                while (p + length < mN && length < 256 &&
                       data[static_cast<std::size_t>(p + length)] ==
                           data[static_cast<std::size_t>(p - d + length)]) {
                    ++length;
                }
                mMatch[static_cast<std::size_t>(p * (mN + 1) + d)] = length;
            }
        }
    }

    std::int32_t shortest() { return 2 + solve(0, 0); }

private:
    std::int32_t solve(std::int32_t pos, std::int32_t bits) {
        if (pos == mN) {
            return mExact ? 3 + 2 * ((bits + 2) / 16) : 3 + (bits + 2 >= 16 ? 2 : 0);
        }
        std::int32_t& memo = mMemo[static_cast<std::size_t>(pos * mBitsRange + bits)];
        if (memo >= 0) {
            return memo;
        }
        std::int32_t best = item(pos, bits, 1, 1, 1);
        for (std::int32_t d = 1; d <= std::min(pos, 8192); ++d) {
            const std::int32_t longest = mMatch[static_cast<std::size_t>(pos * (mN + 1) + d)];
            for (std::int32_t length = 2; length <= longest; ++length) {
                if (d <= 256 && length <= 5) {
                    best = std::min(best, item(pos, bits, length, 4, 1));
                }
                if (length >= 3 && length <= 9) {
                    best = std::min(best, item(pos, bits, length, 2, 2));
                }
                if (length >= 3) {
                    best = std::min(best, item(pos, bits, length, 2, 3));
                }
            }
        }
        memo = best;
        return best;
    }

    std::int32_t item(std::int32_t pos, std::int32_t bits, std::int32_t length,
                      std::int32_t itemBits, std::int32_t itemBytes) {
        if (mExact) {
            return itemBytes + solve(pos + length, bits + itemBits);
        }
        const std::int32_t field = bits + itemBits >= 16 ? 2 : 0;
        return itemBytes + field + solve(pos + length, (bits + itemBits) % 16);
    }

    const Bytes& mData;
    std::int32_t mN;
    bool mExact;
    std::int32_t mBitsRange = 0;
    std::vector<std::int32_t> mMemo;
    std::vector<std::int32_t> mMatch;
};

void expectShortest(const Bytes& input, bool exactBits) {
    const std::size_t length = expectRoundTrip(input);
    BruteForce search(input, exactBits);
    ASSERT_EQ(static_cast<std::int32_t>(length), search.shortest())
        << "input of " << input.size() << " bytes";
}

// Every string of the given length over `letters` letters, up to renaming the letters.
std::vector<Bytes> allStrings(std::size_t length, std::uint8_t letters) {
    std::vector<Bytes> out;
    Bytes current;
    auto grow = [&](auto& self, std::uint8_t used) -> void {
        if (current.size() == length) {
            out.push_back(current);
            return;
        }
        const auto limit = std::min<std::uint8_t>(letters, static_cast<std::uint8_t>(used + 1));
        for (std::uint8_t letter = 0; letter < limit; ++letter) {
            current.push_back(static_cast<std::uint8_t>('a' + letter));
            self(self, std::max(used, static_cast<std::uint8_t>(letter + 1)));
            current.pop_back();
        }
    };
    grow(grow, 0);
    return out;
}

TEST(KosinskiOptimalShortest, EveryStringOverTwoLetters) {
    for (std::size_t length = 0; length <= 14; ++length) {
        for (const Bytes& input : allStrings(length, 2)) {
            expectShortest(input, true);
        }
    }
}

TEST(KosinskiOptimalShortest, EveryStringOverThreeLetters) {
    for (std::size_t length = 0; length <= 10; ++length) {
        for (const Bytes& input : allStrings(length, 3)) {
            expectShortest(input, true);
        }
    }
}

TEST(KosinskiOptimalShortest, LongerRandomStringsCrossManyFields) {
    for (std::uint32_t seed = 0; seed < 60; ++seed) {
        const std::uint32_t letters = 2 + seed % 3;
        const std::size_t length = 24 + (seed * 7) % 40;
        expectShortest(test::randomBytes(length, seed, letters), true);
    }
}

TEST(KosinskiOptimalShortest, RunsAndRepeats) {
    for (std::uint32_t seed = 0; seed < 30; ++seed) {
        Bytes input = test::randomRuns(60 + seed * 5, seed, 1 + seed % 12);
        expectShortest(input, false);
    }
    Bytes longRuns = Bytes(300, 0x01);
    longRuns.insert(longRuns.end(), 20, 0x02);
    longRuns.insert(longRuns.end(), 270, 0x01);
    expectShortest(longRuns, false);
}

TEST(KosinskiOptimalShortest, InlineCopiesReachExactly256Back) {
    // A pair that repeats 256 back fits an inline copy; 257 back it does not.
    for (const std::size_t gap : {254U, 255U, 256U, 257U}) {
        Bytes input = test::randomBytes(gap, 21);
        const Bytes tail = test::randomBytes(40, 22);
        input.insert(input.end(), tail.begin(), tail.end());
        input.insert(input.end(), input.begin(), input.begin() + 2);
        input.insert(input.end(), tail.begin(), tail.begin() + 1);
        expectShortest(input, false);
    }
}

TEST(KosinskiOptimalMatches, FullCopiesReachExactly8192Back) {
    const Bytes head = test::randomBytes(8192, 31);
    Bytes within = head;
    within.insert(within.end(), head.begin(), head.begin() + 2000);
    Bytes beyond = test::randomBytes(8193, 31);
    beyond.insert(beyond.end(), beyond.begin(), beyond.begin() + 2000);
    const std::size_t withinSize = expectRoundTrip(within);
    const std::size_t beyondSize = expectRoundTrip(beyond);
    // 2,000 bytes as eight copies against as many literals.
    EXPECT_LT(withinSize + 1500, beyondSize);
}

TEST(KosinskiOptimalMatches, OverlappingCopiesRepeatPatterns) {
    Bytes input;
    for (std::int32_t i = 0; i < 3000; ++i) {
        input.push_back(static_cast<std::uint8_t>("abcdefg"[i % 7]));
    }
    EXPECT_LT(expectRoundTrip(input), 60U);
}

TEST(KosinskiOptimalRoundTrip, Sizes) {
    for (const std::size_t size : {0U, 1U, 2U, 255U, 256U, 257U, 8192U, 8193U}) {
        expectRoundTrip(test::randomBytes(size, 41));
        expectRoundTrip(test::randomRuns(size, 42, 30));
        expectRoundTrip(Bytes(size, 0x00));
    }
}

TEST(KosinskiOptimalRoundTrip, LargeInputs) {
    for (const std::size_t size : {32767U, 32768U, 65536U}) {
        expectRoundTrip(test::tileArt(size, 43));
        expectRoundTrip(test::randomRuns(size, 44, 200));
        expectRoundTrip(Bytes(size, 0xFF));
    }
}

TEST(KosinskiOptimalRoundTrip, RandomData) {
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        expectRoundTrip(test::randomBytes(1000 + seed * 500, seed, 2 + seed * 13));
    }
}

TEST(KosinskiOptimalCompare, NeverLongerThanTheRunLengthEncoder) {
    std::vector<Bytes> inputs;
    for (std::uint32_t seed = 0; seed < 20; ++seed) {
        inputs.push_back(test::randomRuns(2000 + seed * 300, seed, 1 + seed * 3));
        inputs.push_back(test::randomBytes(500 + seed * 100, seed, 1 + seed));
        inputs.push_back(test::tileArt(4096, seed));
    }
    for (const Bytes& input : inputs) {
        const auto rle = compressKosinski(ByteSpan(input));
        ASSERT_TRUE(rle.ok());
        EXPECT_LE(optimal(input).size(), rle->size());
    }
}

TEST(KosinskiOptimalCompare, Deterministic) {
    const Bytes input = test::tileArt(20000, 51);
    test::RecordingProgress progress;
    const auto first = compressKosinskiOptimal(ByteSpan(input), &progress);
    const auto second = compressKosinskiOptimal(ByteSpan(input));
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(*first, *second);
}

TEST(KosinskiOptimalLimits, InputLongerThan65536IsRefused) {
    const Bytes input(65537, 0x00);
    const auto result = compressKosinskiOptimal(ByteSpan(input));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::InputTooLarge);
}

TEST(KosinskiOptimalLimits, StreamLongerThan32768IsRefused) {
    const Bytes input = test::randomBytes(40000, 61);
    const auto result = compressKosinskiOptimal(ByteSpan(input));
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, ErrorCode::InputTooLarge);
    EXPECT_NE(result.error().message.find("32768"), std::string::npos);
}

TEST(KosinskiOptimalLimits, StreamOfAlmost32768IsAccepted) {
    // Random bytes cost about 9/8 of their size: 29,000 of them fit.
    const Bytes input = test::randomBytes(29000, 62);
    const std::size_t size = expectRoundTrip(input);
    EXPECT_LE(size, static_cast<std::size_t>(kKosinskiMaxStream));
    EXPECT_GT(size, 32000U);
}

TEST(KosinskiOptimalProgress, CaptionThenAFewHundredWidths) {
    test::RecordingProgress progress;
    const Bytes input = test::tileArt(30000, 71);
    ASSERT_TRUE(compressKosinskiOptimal(ByteSpan(input), &progress).ok());
    EXPECT_EQ(progress.captions, std::vector<std::string>{"Saving Level..."});
    EXPECT_TRUE(progress.captionBeforeFirstWidth);
    EXPECT_GE(progress.widths.size(), 10U);
    EXPECT_LE(progress.widths.size(), 400U);
    EXPECT_TRUE(progress.nonDecreasing());
    EXPECT_GE(progress.widths.front(), 0.0);
    EXPECT_LE(progress.widths.back(), 317.0);
    EXPECT_EQ(progress.brackets, 0);
}

TEST(KosinskiOptimalProgress, TinyInputs) {
    for (const std::size_t size : {0U, 1U, 2U}) {
        test::RecordingProgress progress;
        const Bytes input(size, 0x01);
        ASSERT_TRUE(compressKosinskiOptimal(ByteSpan(input), &progress).ok());
        for (const double width : progress.widths) {
            EXPECT_GE(width, 0.0);
            EXPECT_LE(width, 317.0);
        }
    }
}

}  // namespace
}  // namespace orvex
