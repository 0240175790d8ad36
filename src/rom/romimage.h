#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

namespace orvex {

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

    // Replaces the whole file with `image`, all or nothing: the new image goes to a temporary
    // file in the same folder, is flushed to disk and then renamed over the original, keeping
    // its permissions; a symbolic link is followed and its target replaced. On any error the
    // temporary file is removed and the original is untouched.
    //
    // Before the first change through this object, the file as it was is kept beside it as
    // NAME.bak (replacing an older one); backupPath() names it from then on.
    [[nodiscard]] Status replaceContents(ByteSpan image) const;

    // Field writes: the file with one word or long changed, replaced as above.
    [[nodiscard]] Status writeWord(std::int64_t offset, std::uint16_t value) const;
    [[nodiscard]] Status writeLong(std::int64_t offset, std::int32_t value) const;

    // The backup made before the first change through this object, once there is one.
    [[nodiscard]] const std::optional<std::filesystem::path>& backupPath() const {
        return *mBackup;
    }

    // Test seam for the file layer: called before each step of replaceContents (every chunk
    // written, the flush, the rename), numbered from 0 within its kind; a failing status makes
    // the step fail as a real I/O error would.
    enum class WriteStep { Write, Flush, Rename };
    using WriteHook = std::function<Status(WriteStep step, std::size_t index)>;
    void setWriteHook(WriteHook hook) { mWriteHook = std::move(hook); }

private:
    [[nodiscard]] Status makeBackup(const std::filesystem::path& target) const;
    [[nodiscard]] Status writeReplacement(const std::filesystem::path& target,
                                          ByteSpan image) const;
    [[nodiscard]] Status hook(WriteStep step, std::size_t index) const;

    [[nodiscard]] Result<std::vector<std::uint8_t>> readRange(std::int64_t offset,
                                                              std::int64_t count) const;

    std::filesystem::path mPath;
    WriteHook mWriteHook;
    // Shared by copies of this object: one backup per opened ROM.
    std::shared_ptr<std::optional<std::filesystem::path>> mBackup =
        std::make_shared<std::optional<std::filesystem::path>>();
};

// Writes a file that does not exist yet, all or nothing: through a temporary file in the same
// folder, flushed, then linked into place. FileWrite, leaving nothing behind, when `path`
// already exists or any step fails.
[[nodiscard]] Status writeNewFile(const std::filesystem::path& path, ByteSpan bytes);

// Big-endian encodings of a word and a long.
[[nodiscard]] std::vector<std::uint8_t> wordBytes(std::uint16_t value);
[[nodiscard]] std::vector<std::uint8_t> longBytes(std::int32_t value);

}  // namespace orvex
