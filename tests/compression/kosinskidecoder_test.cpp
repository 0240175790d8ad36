#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "compression/kosinski.h"
#include "kosinskitestsupport.h"

namespace orvex {
namespace {

using test::Bytes;
using test::decodeOk;
using test::StreamBuilder;

// A stream that uses every kind of item.
Bytes everyItemStream() {
    StreamBuilder stream;
    stream.literal(0x10).literal(0x20).literal(0x30);
    stream.inlineCopy(0, 0xFE);         // 2 bytes from -2
    stream.inlineCopy(3, 0xFF);         // 5 bytes from -1
    stream.fullCopy(0xFD, 0xF8 | 2);    // 4 bytes from -3
    stream.fullCopy(0xFA, 0xF8, 0x01);  // nothing
    stream.fullCopy(0xF6, 0xF8, 0x09);  // 10 bytes from -10
    for (std::uint32_t i = 0; i < 12; ++i) {
        stream.literal(i);
    }
    stream.end();
    return stream.bytes();
}

TEST(KosinskiDecoderFormat, InlineRepeatOfOneByte) {
    const Bytes stream{0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00};
    const auto decoded = decodeOk(stream);
    EXPECT_EQ(decoded.data, Bytes(6, 0x41));
    EXPECT_EQ(decoded.packedLastIndex, 6);
    EXPECT_FALSE(decoded.weirdOffset);
}

TEST(KosinskiDecoderFormat, FieldIsReadRightAfterItsSixteenthBit) {
    Bytes stream{0xFF, 0xBF};
    for (std::uint8_t i = 0; i < 14; ++i) {
        stream.push_back(static_cast<std::uint8_t>(0x30 + i));
    }
    Bytes withField = stream;
    withField.insert(withField.end(), {0x00, 0x00, 0x00, 0xF0, 0x00});
    const auto decoded = decodeOk(withField);
    ASSERT_EQ(decoded.data.size(), 14U);
    for (std::uint8_t i = 0; i < 14; ++i) {
        EXPECT_EQ(decoded.data[i], 0x30 + i);
    }
    EXPECT_EQ(decoded.packedLastIndex, 20);

    // Without the field the end marker's bytes are taken as the field and the stream runs out.
    Bytes withoutField = stream;
    withoutField.insert(withoutField.end(), {0x00, 0xF0, 0x00});
    const auto misread = decompressKosinski(ByteSpan(withoutField));
    ASSERT_FALSE(misread.ok());
    EXPECT_EQ(misread.error().code, ErrorCode::CorruptStream);
}

TEST(KosinskiDecoderFormat, FieldReadAfterLastNeededBitCountsInPackedLastIndex) {
    // 14 literals and the end marker's two bits fill the field exactly; the next field is still
    // read before the marker's bytes.
    StreamBuilder stream;
    for (std::uint32_t i = 0; i < 14; ++i) {
        stream.literal(i);
    }
    stream.end();
    ASSERT_EQ(stream.size(), 21U);
    EXPECT_EQ(decodeOk(stream.bytes()).packedLastIndex, 20);
}

TEST(KosinskiDecoderFormat, EmptyStreamGivesEmptyData) {
    const Bytes stream{0x02, 0x00, 0x00, 0x00, 0x00};
    const auto decoded = decodeOk(stream);
    EXPECT_TRUE(decoded.data.empty());
    EXPECT_EQ(decoded.packedLastIndex, 4);
    EXPECT_FALSE(decoded.weirdOffset);
}

TEST(KosinskiDecoderFormat, BytesAfterTheStreamAreIgnored) {
    Bytes stream{0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00};
    const Bytes trailing{0xDE, 0xAD, 0xBE, 0xEF};
    stream.insert(stream.end(), trailing.begin(), trailing.end());
    const auto decoded = decodeOk(stream);
    EXPECT_EQ(decoded.data, Bytes(6, 0x41));
    EXPECT_EQ(decoded.packedLastIndex, 6);
}

TEST(KosinskiDecoderFormat, InlineCountBits) {
    const std::int32_t expected[4] = {2, 3, 4, 5};
    for (std::uint32_t bits = 0; bits < 4; ++bits) {
        StreamBuilder stream;
        stream.literal(0x77).inlineCopy(bits, 0xFF).end();
        EXPECT_EQ(decodeOk(stream.bytes()).data.size(),
                  static_cast<std::size_t>(1 + expected[bits]))
            << "count bits " << bits;
    }
}

TEST(KosinskiDecoderFormat, InlineOffsetByteIsOffsetFrom256) {
    StreamBuilder stream;
    for (std::uint32_t i = 0; i < 256; ++i) {
        stream.literal(i);
    }
    stream.inlineCopy(0, 0x00).inlineCopy(0, 0x80).end();
    const auto decoded = decodeOk(stream.bytes());
    ASSERT_EQ(decoded.data.size(), 260U);
    EXPECT_EQ(decoded.data[256], 0x00);  // offset -256
    EXPECT_EQ(decoded.data[257], 0x01);
    EXPECT_EQ(decoded.data[258], 0x82);  // offset -128 from position 258
    EXPECT_EQ(decoded.data[259], 0x83);
}

TEST(KosinskiDecoderFormat, FullCopyCounts) {
    struct Case {
        std::uint32_t high;
        std::int32_t countByte;  // -1: none
        std::size_t copied;
    };
    const Case cases[] = {{0xF8 | 1, -1, 3}, {0xF8 | 2, -1, 4}, {0xF8 | 7, -1, 9}, {0xF8, 1, 0},
                          {0xF8, 2, 3},      {0xF8, 9, 10},     {0xF8, 255, 256}};
    for (const Case& c : cases) {
        StreamBuilder stream;
        stream.literal(0x55);
        if (c.countByte < 0) {
            stream.fullCopy(0xFF, c.high);
        } else {
            stream.fullCopy(0xFF, c.high, static_cast<std::uint32_t>(c.countByte));
        }
        stream.literal(0x66).end();
        const auto decoded = decodeOk(stream.bytes());
        Bytes expected(1 + c.copied, 0x55);
        expected.push_back(0x66);
        EXPECT_EQ(decoded.data, expected) << "HI " << c.high << " C " << c.countByte;
        EXPECT_EQ(decoded.packedLastIndex, static_cast<std::int32_t>(stream.size()) - 1);
    }
}

TEST(KosinskiDecoderFormat, FullCopyOffsets) {
    StreamBuilder stream;
    for (std::uint32_t i = 0; i < 8192; ++i) {
        stream.literal(i * 7 + (i >> 8));
    }
    stream.fullCopy(0xFF, 0xF8 | 1);  // -1
    stream.fullCopy(0x00, 0x00 | 1);  // -8192
    stream.fullCopy(0x00, 0xF8 | 1);  // -256
    stream.fullCopy(0x34, 0x90 | 1);  // ((0x90 << 5) | 0x34) - 8192 = -3532
    stream.end();
    const auto decoded = decodeOk(stream.bytes());
    ASSERT_EQ(decoded.data.size(), 8192U + 12U);
    const auto& d = decoded.data;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(d[8192 + i], d[8191]);
        EXPECT_EQ(d[8195 + i], d[8195 + i - 8192]);
        EXPECT_EQ(d[8198 + i], d[8198 + i - 256]);
        EXPECT_EQ(d[8201 + i], d[8201 + i - 3532]);
    }
    EXPECT_FALSE(decoded.weirdOffset);
}

TEST(KosinskiDecoderFormat, OverlappingCopyRepeatsWhatItWrites) {
    StreamBuilder one;
    one.literal(0x41).fullCopy(0xFF, 0xF8 | 6).end();  // offset -1, 8 bytes
    EXPECT_EQ(decodeOk(one.bytes()).data, Bytes(9, 0x41));

    StreamBuilder two;
    two.literal('a').literal('b').inlineCopy(3, 0xFE).end();  // offset -2, 5 bytes
    const Bytes expected{'a', 'b', 'a', 'b', 'a', 'b', 'a'};
    EXPECT_EQ(decodeOk(two.bytes()).data, expected);
}

TEST(KosinskiDecoderWeirdOffset, CopyFromPositionZeroIsValid) {
    StreamBuilder stream;
    stream.literal(1).literal(2).literal(3).inlineCopy(1, 0xFD).end();
    const auto decoded = decodeOk(stream.bytes());
    EXPECT_EQ(decoded.data, (Bytes{1, 2, 3, 1, 2, 3}));
    EXPECT_FALSE(decoded.weirdOffset);
}

TEST(KosinskiDecoderWeirdOffset, CopyFromBeforeTheStartStopsWithWhatWasDecoded) {
    StreamBuilder stream;
    stream.literal(1).literal(2).literal(3).inlineCopy(1, 0xFC);  // from position -1
    const std::size_t lastRead = stream.size() - 1;
    stream.literal(9).end();
    const auto decoded = decodeOk(stream.bytes());
    EXPECT_TRUE(decoded.weirdOffset);
    EXPECT_EQ(decoded.data, (Bytes{1, 2, 3}));
    EXPECT_EQ(decoded.packedLastIndex, static_cast<std::int32_t>(lastRead));
}

TEST(KosinskiDecoderWeirdOffset, FullCopyOf8192NeedsThatManyBytes) {
    for (const std::uint32_t produced : {8191U, 8192U}) {
        StreamBuilder stream;
        for (std::uint32_t i = 0; i < produced; ++i) {
            stream.literal(i & 0xFFU);
        }
        stream.fullCopy(0x00, 0x00, 0x02);
        const std::size_t lastRead = stream.size() - 1;
        stream.end();
        const auto decoded = decodeOk(stream.bytes());
        EXPECT_EQ(decoded.weirdOffset, produced < 8192) << produced;
        if (decoded.weirdOffset) {
            EXPECT_EQ(decoded.data.size(), produced);
            EXPECT_EQ(decoded.packedLastIndex, static_cast<std::int32_t>(lastRead));
        } else {
            ASSERT_EQ(decoded.data.size(), produced + 3);
            EXPECT_EQ(decoded.data[produced], decoded.data[0]);
        }
    }
}

TEST(KosinskiDecoderWeirdOffset, FirstItemCopyIsWeird) {
    StreamBuilder stream;
    stream.inlineCopy(0, 0xFF).end();
    const auto decoded = decodeOk(stream.bytes());
    EXPECT_TRUE(decoded.weirdOffset);
    EXPECT_TRUE(decoded.data.empty());
    EXPECT_EQ(decoded.packedLastIndex, 2);
}

TEST(KosinskiDecoderWeirdOffset, NothingCopiedMeansNothingChecked) {
    // Neither the end marker nor a copy of nothing reads its offset.
    StreamBuilder stream;
    stream.fullCopy(0x00, 0x00, 0x01).literal(0x42).fullCopy(0x00, 0x00, 0x00);
    const auto decoded = decodeOk(stream.bytes());
    EXPECT_FALSE(decoded.weirdOffset);
    EXPECT_EQ(decoded.data, Bytes{0x42});
}

TEST(KosinskiDecoderErrors, EveryTruncationFailsAtItsEnd) {
    const std::vector<Bytes> streams = {
        {0x59, 0x00, 0x41, 0xFF, 0x00, 0xF0, 0x00},
        {0x02, 0x00, 0x00, 0x00, 0x00},
        everyItemStream(),
    };
    for (const Bytes& full : streams) {
        ASSERT_TRUE(decompressKosinski(ByteSpan(full)).ok());
        for (std::size_t length = 0; length < full.size(); ++length) {
            // An exact-size copy, so a read past its end is caught by the sanitizers.
            const Bytes prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
            const auto decoded = decompressKosinski(ByteSpan(prefix));
            ASSERT_FALSE(decoded.ok()) << "length " << length;
            EXPECT_EQ(decoded.error().code, ErrorCode::CorruptStream);
            EXPECT_EQ(decoded.error().offset, static_cast<std::int64_t>(length));
        }
    }
}

TEST(KosinskiDecoderErrors, EveryTruncationOfEncodedDataFails) {
    const Bytes input = test::randomRuns(400, 5, 9);
    for (const bool best : {false, true}) {
        const auto packed =
            best ? compressKosinskiOptimal(ByteSpan(input)) : compressKosinski(ByteSpan(input));
        ASSERT_TRUE(packed.ok());
        const std::size_t streamLength = packed->size() - 1;
        for (std::size_t length = 0; length < streamLength; ++length) {
            const Bytes prefix(packed->begin(),
                               packed->begin() + static_cast<std::ptrdiff_t>(length));
            const auto decoded = decompressKosinski(ByteSpan(prefix));
            ASSERT_FALSE(decoded.ok()) << "length " << length;
            EXPECT_EQ(decoded.error().offset, static_cast<std::int64_t>(length));
        }
    }
}

TEST(KosinskiDecoderErrors, ArbitraryBytesNeverReadOutside) {
    // Whatever the bytes, the decoder ends with data, a weird offset or an error inside the span.
    for (std::uint32_t seed = 0; seed < 3000; ++seed) {
        const Bytes stream = test::randomBytes(seed % 97, seed);
        const auto decoded = decompressKosinski(ByteSpan(stream));
        if (decoded.ok()) {
            EXPECT_LT(decoded->packedLastIndex, static_cast<std::int32_t>(stream.size()));
        } else {
            EXPECT_EQ(decoded.error().code, ErrorCode::CorruptStream);
            EXPECT_LE(decoded.error().offset.value_or(-1),
                      static_cast<std::int64_t>(stream.size()));
        }
    }
}

TEST(KosinskiDecoderErrors, EmptySpan) {
    const auto decoded = decompressKosinski(ByteSpan());
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().code, ErrorCode::CorruptStream);
    EXPECT_EQ(decoded.error().offset, 0);
}

// Literals then the end marker, with `noOps` copies of nothing, laid out to exactly `length`.
Bytes literalStreamOfLength(std::int32_t length) {
    for (std::int32_t noOps = 0; noOps < 3; ++noOps) {
        for (std::int32_t count = length - 2 * length / 16 - 16; count < length; ++count) {
            const std::int32_t bits = count + 2 * noOps + 2;
            if (2 + count + 3 * noOps + 3 + 2 * (bits / 16) != length) {
                continue;
            }
            StreamBuilder stream;
            for (std::int32_t i = 0; i < noOps; ++i) {
                stream.fullCopy(0xFF, 0xF8, 0x01);
            }
            for (std::int32_t i = 0; i < count; ++i) {
                stream.literal(static_cast<std::uint32_t>(i));
            }
            stream.end();
            return stream.bytes();
        }
    }
    return {};
}

TEST(KosinskiDecoderLimits, StreamOf32768BytesIsAccepted) {
    Bytes stream = literalStreamOfLength(kKosinskiMaxStream);
    ASSERT_EQ(stream.size(), static_cast<std::size_t>(kKosinskiMaxStream));
    stream.push_back(0x00);
    const auto decoded = decodeOk(stream);
    EXPECT_EQ(decoded.packedLastIndex, kKosinskiMaxStream - 1);
    EXPECT_GT(decoded.data.size(), 28000U);
}

TEST(KosinskiDecoderLimits, LongerStreamIsRefusedAtIndex32768) {
    for (const std::int32_t length : {kKosinskiMaxStream + 1, kKosinskiMaxStream + 3}) {
        Bytes stream = literalStreamOfLength(length);
        if (stream.empty()) {
            continue;  // not every length can be laid out this way
        }
        stream.resize(stream.size() + 100, 0x00);  // the data goes on: the limit, not the end
        const auto decoded = decompressKosinski(ByteSpan(stream));
        ASSERT_FALSE(decoded.ok());
        EXPECT_EQ(decoded.error().code, ErrorCode::CorruptStream);
        EXPECT_EQ(decoded.error().offset, kKosinskiMaxStream);
        EXPECT_NE(decoded.error().message.find("longer"), std::string::npos);
    }
}

// A stream that produces `produced` copies of 0xAA (at least 1).
StreamBuilder filledStream(std::int32_t produced) {
    StreamBuilder stream;
    stream.literal(0xAA);
    std::int32_t left = produced - 1;
    while (left >= 3) {
        const std::int32_t count = std::min(left, 256);
        stream.longCopy(1, count);
        left -= count;
    }
    for (; left > 0; --left) {
        stream.literal(0xAA);
    }
    return stream;
}

TEST(KosinskiDecoderLimits, OutputOf65536BytesIsAccepted) {
    StreamBuilder stream = filledStream(kKosinskiMaxOutput);
    stream.end();
    const auto decoded = decodeOk(stream.bytes());
    EXPECT_EQ(decoded.data, Bytes(static_cast<std::size_t>(kKosinskiMaxOutput), 0xAA));
}

TEST(KosinskiDecoderLimits, OneMoreByteIsRefused) {
    StreamBuilder byLiteral = filledStream(kKosinskiMaxOutput);
    byLiteral.literal(0x01);
    const std::size_t literalAt = byLiteral.size() - 1;
    byLiteral.end();
    const auto first = decompressKosinski(ByteSpan(byLiteral.bytes()));
    ASSERT_FALSE(first.ok());
    EXPECT_EQ(first.error().code, ErrorCode::CorruptStream);
    EXPECT_EQ(first.error().offset, static_cast<std::int64_t>(literalAt));

    StreamBuilder byCopy = filledStream(kKosinskiMaxOutput - 1);
    byCopy.inlineCopy(0, 0xFF);
    byCopy.end();
    const auto second = decompressKosinski(ByteSpan(byCopy.bytes()));
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().code, ErrorCode::CorruptStream);
}

TEST(KosinskiDecoderRom, DecodesAtAnOffset) {
    const Bytes stream = everyItemStream();
    Bytes rom(100 + stream.size() + 50, 0xEE);
    std::copy(stream.begin(), stream.end(), rom.begin() + 100);
    const auto direct = decompressKosinski(ByteSpan(stream));
    const auto inRom = decompressKosinski(ByteSpan(rom), 100);
    ASSERT_TRUE(direct.ok());
    ASSERT_TRUE(inRom.ok());
    EXPECT_EQ(inRom->data, direct->data);
    EXPECT_EQ(inRom->packedLastIndex, direct->packedLastIndex);
}

TEST(KosinskiDecoderRom, ErrorOffsetsAreRomOffsets) {
    const Bytes stream = everyItemStream();
    Bytes rom(100, 0xEE);
    rom.insert(rom.end(), stream.begin(), stream.end() - 4);
    const auto decoded = decompressKosinski(ByteSpan(rom), 100);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.error().code, ErrorCode::CorruptStream);
    EXPECT_EQ(decoded.error().offset, static_cast<std::int64_t>(rom.size()));
}

TEST(KosinskiDecoderRom, OffsetOutsideTheRom) {
    const Bytes rom(64, 0x00);
    for (const std::int32_t offset : {-1, 64, 1000}) {
        const auto decoded = decompressKosinski(ByteSpan(rom), offset);
        ASSERT_FALSE(decoded.ok()) << offset;
        EXPECT_EQ(decoded.error().code, ErrorCode::OutOfRange);
    }
}

}  // namespace
}  // namespace orvex
