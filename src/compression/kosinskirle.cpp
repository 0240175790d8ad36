#include <cassert>
#include <cstddef>
#include <string>

#include "compression/kosinski.h"

// The editor's own encoder. It knows two items only: a literal, and a copy from distance 1 that
// repeats the byte before it. Its output is kept byte for byte as it always was, so a level
// saved here matches one saved by earlier versions.

namespace orvex {
namespace {

constexpr std::int32_t kRleMaxInput = 32768;  // inputs of this many bytes or more are refused
constexpr std::int32_t kMaxRun = 256;

class RleEncoder {
public:
    explicit RleEncoder(ByteSpan input)
        : mIn(input.data()),
          mSize(static_cast<std::int32_t>(input.size())),
          mBuffer(bufferSize(mSize), 0) {}

    std::vector<std::uint8_t> encode(ProgressSink* progress) {
        const std::int32_t last = mSize - 1;
        if (progress != nullptr) {
            progress->progress(Stage::Encoding, 0, std::max(1, mSize));
        }
        while (mInPos < mSize) {
            if (progress != nullptr && last > 0) {
                progress->progress(Stage::Encoding, mInPos + 1, mSize);
            }
            encodeItem(last);
        }
        return finish();
    }

private:
    // Worst case: two description bits per input byte (a 2-byte copy takes four), one byte per
    // input byte, a field every 16 bits, and the end marker.
    static std::size_t bufferSize(std::int32_t size) {
        return static_cast<std::size_t>(size) * 2 + 16;
    }

    [[nodiscard]] std::uint8_t at(std::int32_t index) const {
        assert(index >= 0 && index < mSize);
        return mIn[index];
    }

    void putBit(std::uint32_t bit) {
        ++mPendingCount;
        mPendingBits |= bit << (mPendingCount - 1);
        if (mPendingCount == 16) {
            storeField();
            mSlot = mOutPos;
            mOutPos += 2;
            mPendingBits = 0;
            mPendingCount = 0;
        }
    }

    void storeField() {
        mBuffer[static_cast<std::size_t>(mSlot)] = static_cast<std::uint8_t>(mPendingBits & 0xFF);
        mBuffer[static_cast<std::size_t>(mSlot) + 1] =
            static_cast<std::uint8_t>((mPendingBits >> 8) & 0xFF);
    }

    void putByte(std::uint32_t value) {
        mBuffer[static_cast<std::size_t>(mOutPos)] = static_cast<std::uint8_t>(value);
        ++mOutPos;
    }

    // Length of the run of bytes equal to the current one, the last input byte never included.
    [[nodiscard]] std::int32_t runLength(std::int32_t last) const {
        std::int32_t run = 1;
        while (mInPos + run < last && run < kMaxRun && at(mInPos + run) == at(mInPos)) {
            ++run;
        }
        return run;
    }

    void encodeItem(std::int32_t last) {
        std::int32_t run = runLength(last);
        const bool repeatsPrevious = mInPos > 0 && at(mInPos - 1) == at(mInPos);
        if (!repeatsPrevious || run == 1) {
            run = literalThenRest(run);
        }
        if (run == 0) {
            return;
        }
        putRepeat(run);
        mInPos += run;
    }

    // Writes the current byte as a literal and returns how much of its run a copy still covers.
    std::int32_t literalThenRest(std::int32_t run) {
        putBit(1);
        if (run == 2) {
            run = 1;
        }
        putByte(at(mInPos));
        ++mInPos;
        if (run == 1) {
            return 0;
        }
        // run >= 3 here, and the run never reaches the last input byte, so both indexes lie
        // inside the input.
        if (at(mInPos) != at(mInPos + run - 1)) {
            --run;
        }
        return run;
    }

    // A copy of `run` bytes (2..256) from distance 1.
    void putRepeat(std::int32_t run) {
        const auto count = static_cast<std::uint32_t>(run);
        if (run <= 5) {
            putBit(0);
            putBit(0);
            putBit(((count - 2) / 2) & 1U);
            putBit((count - 2) & 1U);
            putByte(0xFF);
        } else if (run <= 9) {
            putBit(0);
            putBit(1);
            putByte(0xFF);
            putByte(0xF8 | (count - 2));
        } else {
            putBit(0);
            putBit(1);
            putByte(0xFF);
            putByte(0xF8);
            putByte(count - 1);
        }
    }

    // The end marker, then the field still being filled; returns the stream and one 0x00.
    std::vector<std::uint8_t> finish() {
        putBit(0);
        putBit(1);
        const bool anyInput = mSize > 0;
        const auto at0 = static_cast<std::size_t>(mOutPos);
        mBuffer[at0] = anyInput ? 0xFF : 0x00;
        mBuffer[at0 + 1] = anyInput ? 0xF8 : 0x00;
        mBuffer[at0 + 2] = 0x00;
        storeField();
        mBuffer.resize(at0 + 4);
        return std::move(mBuffer);
    }

    const std::uint8_t* mIn;
    std::int32_t mSize;
    std::vector<std::uint8_t> mBuffer;
    std::uint32_t mPendingBits = 0;
    std::uint32_t mPendingCount = 0;
    std::int32_t mSlot = 0;
    std::int32_t mInPos = 0;
    std::int32_t mOutPos = 2;
};

}  // namespace

Result<std::vector<std::uint8_t>> compressKosinski(ByteSpan input, ProgressSink* progress) {
    if (input.size() >= static_cast<std::size_t>(kRleMaxInput)) {
        return makeError(ErrorCode::InputTooLarge,
                         "Data of " + std::to_string(input.size()) +
                             " bytes is too large for the Kosinski run-length encoder (limit " +
                             std::to_string(kRleMaxInput - 1) + " bytes)");
    }
    RleEncoder encoder(input);
    return encoder.encode(progress);
}

}  // namespace orvex
