#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

#include "compression/nemesis.h"

// Codes are at most 8 bits long, so the next 8 bits of the stream index a table of 256 slots:
// a code of L bits fills the 2^(8 - L) slots that start with it, and the escape 111111 holds
// the last four. One look-up decodes a code. The bits come through a 64-bit buffer topped up
// with whole bytes, several at once, never from past the end of the data.

namespace orvex {
namespace {

constexpr std::uint32_t kEscapeSlots = 0xFC;  // 111111xx
constexpr std::int32_t kEscapeBits = 6;
constexpr std::int32_t kEscapeFieldBits = 7;  // run - 1 (3 bits), pixel (4 bits)
constexpr std::int32_t kLongestCode = kEscapeBits + kEscapeFieldBits;
constexpr std::uint8_t kTableEnd = 0xFF;

enum class Slot : std::uint8_t { Empty, Code, Escape };

struct LookupSlot {
    Slot kind = Slot::Empty;
    std::uint8_t length = 0;  // bits of the code
    std::uint8_t pixel = 0;
    std::uint8_t run = 0;  // pixels the code stands for, 1..8
};

using LookupTable = std::array<LookupSlot, 256>;

Error pastEnd(std::int64_t index) {
    return makeError(ErrorCode::CorruptStream, "Nemesis stream runs past the end of the data",
                     index);
}

Error badTable(const std::string& what, std::int64_t index) {
    return makeError(ErrorCode::CorruptStream, "Nemesis code table: " + what, index);
}

// Reads the code table into the look-up table, checking every rule of the format.
class TableReader {
public:
    TableReader(ByteSpan data, LookupTable& lookup)
        : mData(data), mSize(static_cast<std::int64_t>(data.size())), mLookup(lookup) {
        for (std::uint32_t slot = kEscapeSlots; slot < 256; ++slot) {
            mLookup[slot] = {Slot::Escape, kEscapeBits, 0, 0};
        }
    }

    // The index just past the table's end byte.
    Result<std::int64_t> read(std::int64_t at) {
        for (;;) {
            if (at >= mSize) {
                return pastEnd(at);
            }
            const std::uint8_t byte = mData[static_cast<std::size_t>(at)];
            if (byte >= 0x80) {
                if (mSelector >= 0 && !mSelectorHasEntry) {
                    return badTable("a pixel value without codes", mSelector);
                }
                if (byte == kTableEnd) {
                    return at + 1;
                }
                select(byte, at);
                at += 1;
                continue;
            }
            if (Status entry = addEntry(at); !entry.ok()) {
                return entry.error();
            }
            at += 2;
        }
    }

private:
    void select(std::uint8_t byte, std::int64_t at) {
        mPixel = static_cast<std::uint8_t>(byte & 0x0F);
        mSelector = at;
        mSelectorHasEntry = false;
    }

    Status addEntry(std::int64_t at) {
        if (mSelector < 0) {
            return badTable("a code before any pixel value", at);
        }
        if (at + 1 >= mSize) {
            return pastEnd(at + 1);
        }
        const std::uint32_t first = mData[static_cast<std::size_t>(at)];
        const std::uint32_t code = mData[static_cast<std::size_t>(at + 1)];
        const std::uint32_t length = first & 0x0FU;
        if (length < 1 || length > 8) {
            return badTable("code length " + std::to_string(length) + " is not 1 to 8", at);
        }
        if ((code >> length) != 0) {
            return badTable(
                "code " + hexOffset(code) + " does not fit in " + std::to_string(length) + " bits",
                at);
        }
        mSelectorHasEntry = true;
        return place(code << (8 - length), (code + 1) << (8 - length),
                     {Slot::Code, static_cast<std::uint8_t>(length), mPixel,
                      static_cast<std::uint8_t>(((first >> 4) & 7U) + 1)},
                     at);
    }

    // Fills slots [begin, end): each must be free, or the code and another share a prefix.
    Status place(std::uint32_t begin, std::uint32_t end, LookupSlot code, std::int64_t at) {
        for (std::uint32_t slot = begin; slot < end; ++slot) {
            if (mLookup[slot].kind == Slot::Escape) {
                return badTable("a code shares its first bits with the escape 111111", at);
            }
            if (mLookup[slot].kind == Slot::Code) {
                return badTable("a code repeats another or is a prefix of it", at);
            }
        }
        std::fill(mLookup.begin() + static_cast<std::ptrdiff_t>(begin),
                  mLookup.begin() + static_cast<std::ptrdiff_t>(end), code);
        return {};
    }

    ByteSpan mData;
    std::int64_t mSize;
    LookupTable& mLookup;
    std::int64_t mSelector = -1;  // index of the last pixel selector
    bool mSelectorHasEntry = false;
    std::uint8_t mPixel = 0;
};

// Decodes the data bits into rows of pixels until the last row is full.
class PixelDecoder {
public:
    PixelDecoder(ByteSpan data, std::int64_t start, const LookupTable& lookup)
        : mData(data.data()),
          mSize(static_cast<std::int64_t>(data.size())),
          mStart(start),
          mPos(start),
          mLookup(lookup) {}

    Status run(bool xorMode, std::vector<std::uint8_t>& out) {
        mOut = out.data();
        mRows = static_cast<std::int64_t>(out.size()) / 4;
        mXor = xorMode;
        bool more = mRows > 0;
        while (more) {
            if (mCount < kLongestCode) {
                refill();
            }
            const LookupSlot& slot = mLookup[peekByte()];
            if (slot.kind == Slot::Code && slot.length <= mCount) {
                mCount -= slot.length;
                more = emit(slot.pixel, slot.run);
            } else if (slot.kind == Slot::Escape && mCount >= kLongestCode) {
                mCount -= kEscapeBits;
                const std::uint32_t field = take(kEscapeFieldBits);
                more = emit(field & 0x0FU, (field >> 4) + 1);
            } else {
                return badCode();
            }
        }
        return {};
    }

    // Data bytes holding a bit that was used.
    [[nodiscard]] std::int64_t bytesUsed() const { return (consumedBits() + 7) / 8; }

private:
    [[nodiscard]] std::int64_t consumedBits() const { return (mPos - mStart) * 8 - mCount; }

    // Tops the buffer up with whole bytes, up to 7 at once while 8 bytes are left.
    void refill() {
        if (mSize - mPos >= 8) {
            std::uint64_t word = 0;
            for (std::int32_t i = 0; i < 8; ++i) {
                word = (word << 8) | mData[mPos + i];
            }
            const std::int32_t bytes = (63 - mCount) / 8;  // 6 or 7: shifts stay below 64
            mBits = (mBits << (8 * bytes)) | (word >> (64 - 8 * bytes));
            mCount += 8 * bytes;
            mPos += bytes;
            return;
        }
        while (mCount <= 56 && mPos < mSize) {
            mBits = (mBits << 8) | mData[mPos];
            mCount += 8;
            ++mPos;
        }
    }

    // The next 8 bits, zero-padded when fewer are left.
    [[nodiscard]] std::uint32_t peekByte() const {
        const std::uint64_t bits = mCount >= 8 ? mBits >> (mCount - 8) : mBits << (8 - mCount);
        return static_cast<std::uint32_t>(bits & 0xFFU);
    }

    std::uint32_t take(std::int32_t count) {
        mCount -= count;
        return static_cast<std::uint32_t>((mBits >> mCount) & ((1U << count) - 1U));
    }

    // The data ran out inside a code when the bits that are left start one (the buffer only
    // holds fewer than 13 bits once the data is used up); otherwise they start no code at all.
    [[nodiscard]] Error badCode() const {
        if (mLookup[peekByte()].kind != Slot::Empty || (mCount < 8 && restStartsACode())) {
            return pastEnd(mSize);
        }
        return makeError(ErrorCode::CorruptStream, "Nemesis data holds a code not in its table",
                         mStart + consumedBits() / 8);
    }

    // True when some slot starts with the fewer than 8 bits left.
    [[nodiscard]] bool restStartsACode() const {
        const std::uint32_t width = 1U << (8 - mCount);
        const auto first =
            mLookup.begin() + static_cast<std::ptrdiff_t>(peekByte() & ~(width - 1U));
        return std::any_of(first, first + static_cast<std::ptrdiff_t>(width),
                           [](const LookupSlot& slot) { return slot.kind != Slot::Empty; });
    }

    // Appends `run` pixels; false once the last row is full. A run of at most 8 fills the rest
    // of the row at most once.
    bool emit(std::uint32_t pixel, std::uint32_t run) {
        const std::uint64_t fill = std::uint64_t{pixel} * 0x11111111U;
        const std::uint32_t room = 8 - mNibbles;
        if (run < room) {
            mRow = (mRow << (4 * run)) | (fill & nibbleMask(run));
            mNibbles += run;
            return true;
        }
        mRow = (mRow << (4 * room)) | (fill & nibbleMask(room));
        if (!finishRow()) {
            return false;
        }
        mRow = fill & nibbleMask(run - room);
        mNibbles = run - room;
        return true;
    }

    static std::uint64_t nibbleMask(std::uint32_t count) {
        return (std::uint64_t{1} << (4 * count)) - 1U;
    }

    bool finishRow() {
        auto value = static_cast<std::uint32_t>(mRow);
        if (mXor) {
            value ^= mPrevious;
        }
        mPrevious = value;
        std::uint8_t* target = mOut + 4 * mRowsDone;
        target[0] = static_cast<std::uint8_t>(value >> 24);
        target[1] = static_cast<std::uint8_t>(value >> 16);
        target[2] = static_cast<std::uint8_t>(value >> 8);
        target[3] = static_cast<std::uint8_t>(value);
        return ++mRowsDone < mRows;
    }

    const std::uint8_t* mData;
    std::int64_t mSize;
    std::int64_t mStart;  // index of the first data byte
    std::int64_t mPos;    // index of the next byte to load
    const LookupTable& mLookup;
    std::uint64_t mBits = 0;  // the low mCount bits are the next ones, oldest highest
    std::int32_t mCount = 0;
    std::uint8_t* mOut = nullptr;
    std::int64_t mRows = 0;
    std::int64_t mRowsDone = 0;  // rows finished
    bool mXor = false;
    std::uint64_t mRow = 0;  // pixels of the row being filled, the last one lowest
    std::uint32_t mNibbles = 0;
    std::uint32_t mPrevious = 0;
};

}  // namespace

Result<std::int32_t> nemesisTileCount(ByteSpan data, std::int64_t offset) {
    auto header = readWord(data, offset);
    if (!header) {
        return header.error();
    }
    return static_cast<std::int32_t>(*header & kNemesisMaxTiles);
}

Result<NemesisDecoded> decompressNemesis(ByteSpan data, std::int64_t offset,
                                         std::int32_t maxTiles) {
    const auto size = static_cast<std::int64_t>(data.size());
    if (offset < 0 || offset >= size) {
        return makeError(ErrorCode::OutOfRange,
                         "Nemesis stream offset " + hexOffset(offset) + " lies outside the data",
                         offset);
    }
    if (offset + 1 >= size) {
        return pastEnd(offset + 1);
    }
    const auto at = static_cast<std::size_t>(offset);
    const std::uint32_t header = (std::uint32_t{data[at]} << 8) | data[at + 1];
    LookupTable lookup;
    const Result<std::int64_t> tableEnd = TableReader(data, lookup).read(offset + 2);
    if (!tableEnd.ok()) {
        return tableEnd.error();
    }
    const std::uint32_t tiles = std::min(header & static_cast<std::uint32_t>(kNemesisMaxTiles),
                                         static_cast<std::uint32_t>(std::max(maxTiles, 0)));
    // A bit yields at most eight pixels (a 1-bit code for a run of 8), so a tile of 64 pixels
    // takes a byte of data at least: shorter data runs out, whatever it holds.
    if (std::int64_t{tiles} > size - *tableEnd) {
        return pastEnd(size);
    }
    NemesisDecoded decoded;
    decoded.tiles.resize(std::size_t{tiles} * static_cast<std::size_t>(kNemesisTileBytes));
    PixelDecoder pixels(data, *tableEnd, lookup);
    if (Status status = pixels.run((header & 0x8000U) != 0, decoded.tiles); !status.ok()) {
        return status.error();
    }
    // At most 2 + 252 x 3 + 1 bytes of header and table, and 13 bits a pixel for under 2^20
    // pixels: far below 2^31.
    decoded.packedLength = static_cast<std::int32_t>(*tableEnd - offset + pixels.bytesUsed());
    return decoded;
}

}  // namespace orvex
