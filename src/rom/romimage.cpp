#include "rom/romimage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace orvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string pathText(const std::filesystem::path& path) {
    return path.string();
}

Result<FileHandle> openFile(const std::filesystem::path& path, const char* mode) {
    FileHandle file(std::fopen(path.c_str(), mode));
    if (!file) {
        const bool forWriting = mode[1] == '+';
        return makeError(forWriting ? ErrorCode::FileWrite : ErrorCode::FileOpen,
                         forWriting
                             ? "Cannot open " + pathText(path) + " for writing (is it read-only?)"
                             : "Cannot open " + pathText(path));
    }
    return file;
}

Result<std::int64_t> fileLength(std::FILE* file, const std::filesystem::path& path) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return makeError(ErrorCode::FileRead, "Cannot measure " + pathText(path));
    }
    const long length = std::ftell(file);
    if (length < 0) {
        return makeError(ErrorCode::FileRead, "Cannot measure " + pathText(path));
    }
    return static_cast<std::int64_t>(length);
}

}  // namespace

namespace {

// A file opened for reading, with its length measured.
struct OpenedFile {
    FileHandle handle;
    std::int64_t length = 0;
};

Result<OpenedFile> openForReading(const std::filesystem::path& path) {
    auto file = openFile(path, "rb");
    if (!file) {
        return file.error();
    }
    auto length = fileLength(file->get(), path);
    if (!length) {
        return length.error();
    }
    return OpenedFile{std::move(*file), *length};
}

// count bytes from offset, which the caller has checked against the file's length.
Result<std::vector<std::uint8_t>> readAt(const OpenedFile& file, const std::filesystem::path& path,
                                         std::int64_t offset, std::int64_t count) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (std::fseek(file.handle.get(), static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, bytes.size(), file.handle.get()) != bytes.size()) {
        return makeError(ErrorCode::FileRead, "Cannot read " + pathText(path), offset);
    }
    return bytes;
}

}  // namespace

Result<std::vector<std::uint8_t>> RomImage::readAll() const {
    auto file = openForReading(mPath);
    if (!file) {
        return file.error();
    }
    return readAt(*file, mPath, 0, file->length);
}

Result<std::int64_t> RomImage::size() const {
    auto file = openForReading(mPath);
    if (!file) {
        return file.error();
    }
    return file->length;
}

Result<std::vector<std::uint8_t>> RomImage::readRange(std::int64_t offset,
                                                      std::int64_t count) const {
    auto file = openForReading(mPath);
    if (!file) {
        return file.error();
    }
    if (!fitsIn(static_cast<std::size_t>(file->length), offset, count)) {
        return makeError(
            ErrorCode::FileRead,
            "Read of " + std::to_string(count) + " byte(s) runs past the end of " + pathText(mPath),
            offset);
    }
    return readAt(*file, mPath, offset, count);
}

Result<std::uint8_t> RomImage::readByte(std::int64_t offset) const {
    auto bytes = readRange(offset, 1);
    if (!bytes) {
        return bytes.error();
    }
    return (*bytes)[0];
}

Result<std::uint16_t> RomImage::readWord(std::int64_t offset) const {
    auto bytes = readRange(offset, 2);
    if (!bytes) {
        return bytes.error();
    }
    return orvex::readWord(*bytes, 0);
}

Result<std::int32_t> RomImage::readLong(std::int64_t offset) const {
    auto bytes = readRange(offset, 4);
    if (!bytes) {
        return bytes.error();
    }
    auto value = orvex::readLong(*bytes, 0);
    if (!value) {
        return makeError(value.error().code, value.error().message, offset);
    }
    return value;
}

Status RomImage::checkWritable() const {
    // A file marked read-only stays unwritten even for a user (root) whom the system would let
    // write it anyway.
    std::error_code error;
    const auto permissions = std::filesystem::status(mPath, error).permissions();
    if (!error &&
        (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
        return makeError(ErrorCode::FileWrite, pathText(mPath) + " is read-only");
    }
    auto file = openFile(mPath, "r+b");
    if (!file) {
        return file.error();
    }
    return {};
}

Status RomImage::hook(WriteStep step, std::size_t index) const {
    return mWriteHook ? mWriteHook(step, index) : Status{};
}

namespace {

constexpr std::size_t kWriteChunk = 256 * 1024;

// A temporary file beside the target; removed again unless release() was called.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        std::string name = ".";
        name += target.filename().string();
        name += ".orvex-XXXXXX";
        std::string pattern = (target.parent_path() / name).string();
        mFd = ::mkstemp(pattern.data());
        if (mFd >= 0) {
            mPath = pattern;
        }
    }
    ~TemporaryFile() {
        closeFile();
        if (!mPath.empty()) {
            ::unlink(mPath.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] bool valid() const { return mFd >= 0; }
    [[nodiscard]] int fd() const { return mFd; }
    [[nodiscard]] const std::string& path() const { return mPath; }
    bool closeFile() {
        const bool closed = mFd < 0 || ::close(mFd) == 0;
        mFd = -1;
        return closed;
    }
    void release() { mPath.clear(); }

private:
    int mFd = -1;
    std::string mPath;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ::ssize_t written = ::write(fd, data, size);
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

Error writeError(const std::filesystem::path& path, const std::string& what) {
    return makeError(ErrorCode::FileWrite,
                     "Cannot save " + path.string() + ": " + what + "; the file was not changed");
}

}  // namespace

Status RomImage::writeReplacement(const std::filesystem::path& target, ByteSpan image) const {
    struct ::stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return writeError(target, "it cannot be found");
    }
    TemporaryFile temporary(target);
    if (!temporary.valid()) {
        return writeError(target, "no temporary file can be made in its folder");
    }
    for (std::size_t at = 0, k = 0; at < image.size(); at += kWriteChunk, ++k) {
        const std::size_t count = std::min(kWriteChunk, image.size() - at);
        if (Status step = hook(WriteStep::Write, k); !step) {
            return writeError(target, step.error().message);
        }
        if (!writeAll(temporary.fd(), image.data() + at, count)) {
            return writeError(target, "writing failed (is the disk full?)");
        }
    }
    // Keep the original's permissions (and owner, where we may).
    ::fchmod(temporary.fd(), info.st_mode & 07777);
    if (::geteuid() == 0) {
        [[maybe_unused]] const int owned = ::fchown(temporary.fd(), info.st_uid, info.st_gid);
    }
    if (Status step = hook(WriteStep::Flush, 0); !step) {
        return writeError(target, step.error().message);
    }
    if (::fsync(temporary.fd()) != 0 || !temporary.closeFile()) {
        return writeError(target, "flushing to disk failed");
    }
    if (Status step = hook(WriteStep::Rename, 0); !step) {
        return writeError(target, step.error().message);
    }
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) {
        return writeError(target, "the new file could not replace it");
    }
    temporary.release();
    syncFolder(target.parent_path());
    return {};
}

Status RomImage::makeBackup(const std::filesystem::path& target) const {
    auto current = readAll();
    if (!current) {
        return current.error();
    }
    std::filesystem::path backup = target;
    backup += ".bak";
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(backup.c_str(), "wb"));
        if (!file ||
            std::fwrite(current->data(), 1, current->size(), file.get()) != current->size() ||
            std::fflush(file.get()) != 0 || ::fsync(::fileno(file.get())) != 0) {
            return makeError(ErrorCode::FileWrite,
                             "Cannot keep a backup as " + backup.string() + "; nothing was saved");
        }
    }
    *mBackup = backup;
    return {};
}

Status RomImage::replaceContents(ByteSpan image) const {
    if (Status writable = checkWritable(); !writable) {
        return writable;
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(mPath, error);
    if (error) {
        return writeError(mPath, "its path cannot be resolved");
    }
    if (!mBackup->has_value()) {
        if (Status backup = makeBackup(target); !backup) {
            return backup;
        }
    }
    return writeReplacement(target, image);
}

Status RomImage::writeWord(std::int64_t offset, std::uint16_t value) const {
    auto image = readAll();
    if (!image) {
        return image.error();
    }
    if (!fitsIn(image->size(), offset, 2)) {
        return readPastEnd(offset, 2);
    }
    putWord(*image, static_cast<std::size_t>(offset), value);
    return replaceContents(*image);
}

Status RomImage::writeLong(std::int64_t offset, std::int32_t value) const {
    auto image = readAll();
    if (!image) {
        return image.error();
    }
    if (value < 0 || !fitsIn(image->size(), offset, 4)) {
        return value < 0 ? makeError(ErrorCode::ValueTooLarge, "A long must not be negative")
                         : readPastEnd(offset, 4);
    }
    putLong(*image, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value));
    return replaceContents(*image);
}

Status writeNewFile(const std::filesystem::path& path, ByteSpan bytes) {
    const auto failed = [&path](const std::string& what) {
        return makeError(ErrorCode::FileWrite, "Cannot write " + path.string() + ": " + what);
    };
    TemporaryFile temporary(path);
    if (!temporary.valid()) {
        return failed("no temporary file can be made in its folder");
    }
    if (!writeAll(temporary.fd(), bytes.data(), bytes.size())) {
        return failed("writing failed (is the disk full?)");
    }
    ::fchmod(temporary.fd(), 0644);
    if (::fsync(temporary.fd()) != 0 || !temporary.closeFile()) {
        return failed("flushing to disk failed");
    }
    // link() never replaces: a file that appeared at `path` meanwhile is left alone.
    if (::link(temporary.path().c_str(), path.c_str()) != 0) {
        return failed(errno == EEXIST ? "a file of that name already exists"
                                      : "the new file could not be put in place");
    }
    syncFolder(path.parent_path());
    return {};
}

std::vector<std::uint8_t> wordBytes(std::uint16_t value) {
    std::vector<std::uint8_t> bytes(2);
    putWord(bytes, 0, value);
    return bytes;
}

std::vector<std::uint8_t> longBytes(std::int32_t value) {
    std::vector<std::uint8_t> bytes(4);
    putLong(bytes, 0, static_cast<std::uint32_t>(value));
    return bytes;
}

}  // namespace orvex
