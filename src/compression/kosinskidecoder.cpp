#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include "compression/kosinski.h"

// The decoder keeps its whole state in one small object that lives on the stack, so that after
// inlining the compiler holds it in registers. Output goes into a buffer sized for the largest
// stream the format allows; every stream byte read and every output byte written is checked
// against its limit first.

namespace orvex {
namespace {

enum class Stop : std::uint8_t {
    EndMarker,
    WeirdOffset,
    PastEnd,     // a byte at or beyond the end of the input span was needed
    TooLong,     // a byte at index kKosinskiMaxStream or beyond was needed
    OutputFull,  // the item would have produced more than kKosinskiMaxOutput bytes
};

class StreamReader {
public:
    StreamReader(ByteSpan stream, std::uint8_t* output)
        : mIn(stream.data()),
          mSize(static_cast<std::int64_t>(stream.size())),
          mLimit(std::min<std::int64_t>(mSize, kKosinskiMaxStream)),
          mOut(output) {}

    // Runs items until the end marker or a failure.
    Stop run() {
        if (!loadField()) {
            return mStop;
        }
        for (;;) {
            std::uint32_t bit = 0;
            if (!takeBit(bit)) {
                return mStop;
            }
            if (bit != 0) {
                if (!literal()) {
                    return mStop;
                }
                continue;
            }
            if (!takeBit(bit)) {
                return mStop;
            }
            const bool keepGoing = bit == 0 ? inlineCopy() : fullCopy();
            if (!keepGoing) {
                return mStop;
            }
        }
    }

    [[nodiscard]] std::int32_t outputLength() const { return mOutLen; }
    // Index of the last stream byte read, or of the byte that could not be read.
    [[nodiscard]] std::int64_t lastIndex() const { return mPos - 1; }
    [[nodiscard]] std::int64_t failedIndex() const { return mFailedAt; }

private:
    bool fail(Stop stop, std::int64_t index) {
        mStop = stop;
        mFailedAt = index;
        return false;
    }

    bool failRead() { return fail(mPos >= mSize ? Stop::PastEnd : Stop::TooLong, mPos); }

    bool readByte(std::uint32_t& value) {
        if (mPos >= mLimit) [[unlikely]] {
            return failRead();
        }
        value = mIn[mPos];
        ++mPos;
        return true;
    }

    // The next two stream bytes become the description field, low byte first.
    bool loadField() {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        if (!readByte(low) || !readByte(high)) {
            return false;
        }
        mField = low | (high << 8);
        mBitsLeft = 16;
        return true;
    }

    // Takes the next description bit; the field is refilled right after its 16th bit.
    bool takeBit(std::uint32_t& bit) {
        bit = mField & 1U;
        mField >>= 1;
        --mBitsLeft;
        if (mBitsLeft == 0) [[unlikely]] {
            return loadField();
        }
        return true;
    }

    bool literal() {
        std::uint32_t value = 0;
        if (!readByte(value)) {
            return false;
        }
        if (mOutLen >= kKosinskiMaxOutput) [[unlikely]] {
            return fail(Stop::OutputFull, mPos - 1);
        }
        mOut[mOutLen] = static_cast<std::uint8_t>(value);
        ++mOutLen;
        return true;
    }

    // 0 0 H L, offset byte B: 2 + 2H + L bytes from B - 256.
    bool inlineCopy() {
        std::uint32_t high = 0;
        std::uint32_t low = 0;
        std::uint32_t offsetByte = 0;
        if (!takeBit(high) || !takeBit(low) || !readByte(offsetByte)) {
            return false;
        }
        const auto count = static_cast<std::int32_t>(2 + 2 * high + low);
        return copy(static_cast<std::int32_t>(offsetByte) - 256, count);
    }

    // 0 1, LO, HI and perhaps a count byte: offset ((HI & 0xF8) << 5 | LO) - 8192.
    bool fullCopy() {
        std::uint32_t low = 0;
        std::uint32_t high = 0;
        if (!readByte(low) || !readByte(high)) {
            return false;
        }
        const auto offset = static_cast<std::int32_t>(((high & 0xF8U) << 5) | low) - 8192;
        if ((high & 7U) != 0) {
            return copy(offset, static_cast<std::int32_t>(high & 7U) + 2);
        }
        std::uint32_t countByte = 0;
        if (!readByte(countByte)) {
            return false;
        }
        if (countByte == 0) {
            mStop = Stop::EndMarker;
            return false;
        }
        if (countByte == 1) {
            return true;  // a copy of nothing: the stream simply goes on
        }
        return copy(offset, static_cast<std::int32_t>(countByte) + 1);
    }

    // Appends count bytes read from (output length + offset), one at a time, so a source that
    // overlaps the bytes being written repeats them.
    bool copy(std::int32_t offset, std::int32_t count) {
        const std::int32_t from = mOutLen + offset;
        if (from < 0) [[unlikely]] {
            mStop = Stop::WeirdOffset;
            return false;
        }
        if (count > kKosinskiMaxOutput - mOutLen) [[unlikely]] {
            return fail(Stop::OutputFull, mPos - 1);
        }
        std::uint8_t* target = mOut + mOutLen;
        const std::uint8_t* source = mOut + from;
        if (-offset >= count) {
            std::memcpy(target, source, static_cast<std::size_t>(count));
        } else {
            for (std::int32_t i = 0; i < count; ++i) {
                target[i] = source[i];
            }
        }
        mOutLen += count;
        return true;
    }

    const std::uint8_t* mIn;
    std::int64_t mSize;
    std::int64_t mLimit;
    std::int64_t mPos = 0;
    std::uint8_t* mOut;
    std::int32_t mOutLen = 0;
    std::uint32_t mField = 0;
    std::int32_t mBitsLeft = 0;
    Stop mStop = Stop::EndMarker;
    std::int64_t mFailedAt = 0;
};

Error stopError(Stop stop, std::int64_t index) {
    switch (stop) {
        case Stop::PastEnd:
            return makeError(ErrorCode::CorruptStream,
                             "Kosinski stream runs past the end of the data", index);
        case Stop::TooLong:
            return makeError(
                ErrorCode::CorruptStream,
                "Kosinski stream is longer than " + std::to_string(kKosinskiMaxStream) + " bytes",
                index);
        default:
            return makeError(ErrorCode::CorruptStream,
                             "Kosinski stream decodes to more than " +
                                 std::to_string(kKosinskiMaxOutput) + " bytes",
                             index);
    }
}

}  // namespace

Result<KosinskiDecoded> decompressKosinski(ByteSpan stream) {
    // Decoded into a buffer of the most the format can produce, left uninitialised (the reader
    // never reads a byte it has not written), then kept at the length decoded.
    const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kKosinskiMaxOutput]);
    StreamReader reader(stream, buffer.get());
    const Stop stop = reader.run();
    if (stop != Stop::EndMarker && stop != Stop::WeirdOffset) {
        return stopError(stop, reader.failedIndex());
    }
    KosinskiDecoded decoded;
    decoded.data.assign(buffer.get(), buffer.get() + reader.outputLength());
    decoded.packedLastIndex = static_cast<std::int32_t>(reader.lastIndex());
    decoded.weirdOffset = stop == Stop::WeirdOffset;
    return decoded;
}

Result<KosinskiDecoded> decompressKosinski(ByteSpan rom, std::int32_t streamOffset) {
    if (streamOffset < 0 || static_cast<std::size_t>(streamOffset) >= rom.size()) {
        return makeError(
            ErrorCode::OutOfRange,
            "Kosinski stream offset " + hexOffset(streamOffset) + " lies outside the ROM",
            streamOffset);
    }
    auto decoded = decompressKosinski(rom.subspan(static_cast<std::size_t>(streamOffset)));
    if (!decoded.ok()) {
        Error error = decoded.error();
        error.offset = error.offset.value_or(0) + streamOffset;
        return error;
    }
    return decoded;
}

}  // namespace orvex
