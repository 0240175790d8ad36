#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

namespace orvex {

// One write of a batch: bytes placed at an offset. An offset at or past the end of the file
// extends it (a gap reads as zero bytes).
struct RomWrite {
    std::int64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

// The ROM file named by its path (romPath). No copy of the file is kept: every operation opens
// the file, does its reads and writes and closes it again before it returns.
class RomImage {
public:
    RomImage() = default;
    explicit RomImage(std::filesystem::path romPath) : mPath(std::move(romPath)) {}

    [[nodiscard]] const std::filesystem::path& romPath() const { return mPath; }
    [[nodiscard]] bool empty() const { return mPath.empty(); }

    // The whole file, read in one go. FileOpen when it cannot be opened.
    [[nodiscard]] Result<std::vector<std::uint8_t>> readAll() const;
    [[nodiscard]] Result<std::int64_t> size() const;

    // Single fields, each its own open and close. FileRead names the offset of a short read;
    // a long whose first byte is 0x80 or more is ValueTooLarge.
    [[nodiscard]] Result<std::uint8_t> readByte(std::int64_t offset) const;
    [[nodiscard]] Result<std::uint16_t> readWord(std::int64_t offset) const;
    [[nodiscard]] Result<std::int32_t> readLong(std::int64_t offset) const;

    // FileWrite when the file cannot be opened for writing (read-only, missing, ...).
    [[nodiscard]] Status checkWritable() const;

    // Applies the writes in order through one open of the file. Stops at the first failure and
    // reports it; the writes before it stay done, so callers order them so that a stop part-way
    // leaves a ROM the game and the editor still accept.
    [[nodiscard]] Status applyWrites(std::span<const RomWrite> writes) const;

    // Field writes, each a batch of one.
    [[nodiscard]] Status writeWord(std::int64_t offset, std::uint16_t value) const;
    [[nodiscard]] Status writeLong(std::int64_t offset, std::int32_t value) const;

    // Test seam: called before the k-th write of applyWrites (k from 0); a failing status stops
    // the batch there as a real write error would.
    using WriteHook = std::function<Status(std::size_t writeIndex)>;
    void setWriteHook(WriteHook hook) { mWriteHook = std::move(hook); }

private:
    [[nodiscard]] Result<std::vector<std::uint8_t>> readRange(std::int64_t offset,
                                                              std::int64_t count) const;

    std::filesystem::path mPath;
    WriteHook mWriteHook;
};

// Big-endian encodings of a word and a long, for RomWrite batches.
[[nodiscard]] std::vector<std::uint8_t> wordBytes(std::uint16_t value);
[[nodiscard]] std::vector<std::uint8_t> longBytes(std::int32_t value);

}  // namespace orvex
