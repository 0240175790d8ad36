#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"

namespace orvex {

// No cartridge is larger; a bigger file is refused before it is read.
inline constexpr std::int64_t kMaxRomFileSize = 8 * 1024 * 1024;

// What a write kept of the file as it was.
struct WriteReport {
    // NAME.bak: the file as it was just before this write (the one previous version); empty
    // when the write kept no backups.
    std::filesystem::path previous;
    // NAME.orig: the file as it was before Orvex first changed it; never replaced. Empty when
    // the write kept no backups.
    std::filesystem::path original;
    // True when this write was Orvex's first change to the file, so NAME.orig was made now.
    bool originalMadeNow = false;
    // False when NAME.orig is there but is no copy Orvex made (a symbolic link, a folder): it is
    // left alone and holds no copy of the ROM.
    bool originalIsCopy = true;

    [[nodiscard]] bool keptBackups() const { return !previous.empty(); }
};

// The ROM file named by its path (romPath). No copy of the file is kept: every operation opens
// the file, does its reads and writes and closes it again before it returns. Only regular files
// of at most kMaxRomFileSize bytes are read; anything else (a folder, a device, a pipe) is
// refused with a message that says what it is, without waiting on it.
class RomImage {
public:
    RomImage() = default;
    explicit RomImage(std::filesystem::path romPath) : mPath(std::move(romPath)) {}

    [[nodiscard]] const std::filesystem::path& romPath() const { return mPath; }
    [[nodiscard]] bool empty() const { return mPath.empty(); }

    // The whole file, read in one go. FileOpen says why it cannot be read (not found,
    // permission denied, a folder, not a regular file, larger than 8 MiB).
    [[nodiscard]] Result<std::vector<std::uint8_t>> readAll() const;

    // Single fields of the file. FileRead names the offset of a short read; a long whose first
    // byte is 0x80 or more is ValueTooLarge.
    [[nodiscard]] Result<std::uint16_t> readWord(std::int64_t offset) const;
    [[nodiscard]] Result<std::int32_t> readLong(std::int64_t offset) const;

    // FileWrite when the file cannot be written: read-only (even for root), missing, ...
    [[nodiscard]] Status checkWritable() const;

    // The new contents of a file, made from what it holds now; an error writes nothing.
    using Change = std::function<Result<std::vector<std::uint8_t>>(ByteSpan current)>;

    // One read-modify-write of the file, all or nothing, while holding an advisory lock on it
    // (a second writer waits up to `lockWait()`, then fails with "NAME is being written by
    // another program"). Under the lock the file is read whole and handed to `change`; its
    // result goes to a temporary file beside the file (NAME.orvex-temp-XXXXXX), then the file
    // as it was to NAME.bak and, the first time only, to NAME.orig; all are flushed, and only
    // then renamed into place, the file itself last. On any error every temporary file is
    // removed and the file and its backups are as they were. A symbolic link to the file is
    // followed; the backups lie beside its target and are never written through a link.
    // Temporary files a killed run left beside the file are removed.
    [[nodiscard]] Result<WriteReport> rewrite(const Change& change) const;

    // The file with one word or long changed, written as above.
    [[nodiscard]] Result<WriteReport> writeWord(std::int64_t offset, std::uint16_t value) const;
    [[nodiscard]] Result<WriteReport> writeLong(std::int64_t offset, std::int32_t value) const;

    // Whether rewrite keeps NAME.bak and NAME.orig (it does unless told otherwise). A file
    // Orvex has just created has no earlier version worth keeping: its writes go straight to
    // the file, still through a temporary file, and report no backups.
    void setKeepsBackups(bool keeps) { mKeepsBackups = keeps; }
    [[nodiscard]] bool keepsBackups() const { return mKeepsBackups; }

    // How long a write waits for another program's lock on the file.
    static constexpr std::chrono::milliseconds lockWait() { return std::chrono::seconds(5); }

    // Test seam for the file layer: called before each step of rewrite (every chunk written to
    // any temporary file, each flush, each rename), numbered from 0 within its kind; a failing
    // status makes the step fail as a real I/O error would.
    enum class WriteStep { Write, Flush, Rename };
    using WriteHook = std::function<Status(WriteStep step, std::size_t index)>;
    void setWriteHook(WriteHook hook) { mWriteHook = std::move(hook); }

private:
    std::filesystem::path mPath;
    WriteHook mWriteHook;
    bool mKeepsBackups = true;
};

// Where the backups of the ROM at `target` (a resolved path) lie.
[[nodiscard]] std::filesystem::path previousVersionPath(const std::filesystem::path& target);
[[nodiscard]] std::filesystem::path originalVersionPath(const std::filesystem::path& target);

// The whole of a file that is not a ROM (a layout, a stream), with the same checks as
// RomImage::readAll.
[[nodiscard]] Result<std::vector<std::uint8_t>> readRegularFile(const std::filesystem::path& path);

// Writes a file that does not exist yet, all or nothing: through a temporary file in the same
// folder, flushed, then linked into place. FileWrite, leaving nothing behind, when `path`
// already exists or any step fails.
[[nodiscard]] Status writeNewFile(const std::filesystem::path& path, ByteSpan bytes);

// Writes an output file (a layout, a picture, a plain image), replacing one that is there, all
// or nothing: through a temporary file beside it, flushed, then renamed into place. A symbolic
// link to a regular file is written through; anything else that is not a regular file (a
// folder, a device, a pipe) is refused. FileWrite, leaving nothing behind, on any failure.
[[nodiscard]] Status writeOutputFile(const std::filesystem::path& path, ByteSpan bytes);

// True when both paths name the same existing file (device and inode, links followed).
[[nodiscard]] bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Big-endian encodings of a word and a long.
[[nodiscard]] std::vector<std::uint8_t> wordBytes(std::uint16_t value);
[[nodiscard]] std::vector<std::uint8_t> longBytes(std::int32_t value);

}  // namespace orvex
