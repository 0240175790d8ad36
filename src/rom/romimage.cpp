#include "rom/romimage.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

namespace orvex {

namespace {

constexpr std::size_t kWriteChunk = 256 * 1024;
// Temporary files are called NAME.orvex-temp-XXXXXX after the file they stand in for, so that
// a user knows what they are and the next write to NAME can clear those a killed run left.
constexpr std::string_view kTemporaryMark = ".orvex-temp-";
constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::string text(const std::filesystem::path& path) {
    return path.string();
}

std::filesystem::path withSuffix(const std::filesystem::path& path, std::string_view suffix) {
    std::filesystem::path result = path;
    result += std::string(suffix);
    return result;
}

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : mFd(fd) {}
    ~UniqueFd() { close(); }
    UniqueFd(UniqueFd&& other) noexcept : mFd(std::exchange(other.mFd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            mFd = std::exchange(other.mFd, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int get() const { return mFd; }
    [[nodiscard]] bool valid() const { return mFd >= 0; }
    bool close() {
        const bool closed = mFd < 0 || ::close(mFd) == 0;
        mFd = -1;
        return closed;
    }

private:
    int mFd = -1;
};

std::string errnoText(int error) {
    switch (error) {
        case ENOENT:
            return "it does not exist";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOTDIR:
            return "a part of its path is not a folder";
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        default:
            return std::strerror(error);
    }
}

Error cannotOpen(const std::filesystem::path& path, const std::string& why) {
    return makeError(ErrorCode::FileOpen, "Cannot open " + text(path) + ": " + why);
}

// Only regular files of a cartridge's size are read: a folder reads as endless, a pipe or a
// device may never end.
Status checkKind(const std::filesystem::path& path, const struct ::stat& info) {
    if (S_ISDIR(info.st_mode)) {
        return cannotOpen(path, "it is a folder, not a file");
    }
    if (!S_ISREG(info.st_mode)) {
        return cannotOpen(path, "it is not a regular file (a device, pipe or socket)");
    }
    if (info.st_size > kMaxRomFileSize) {
        return cannotOpen(path, "it is " + std::to_string(info.st_size) +
                                    " bytes; Orvex reads files of at most 8 MiB, the largest "
                                    "a cartridge image can be");
    }
    return {};
}

// Opens an existing regular file without ever waiting on it.
Result<UniqueFd> openRegular(const std::filesystem::path& path, int flags) {
    struct ::stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return cannotOpen(path, errnoText(errno));
    }
    if (Status kind = checkKind(path, info); !kind) {
        return kind.error();
    }
    UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        return cannotOpen(path, errnoText(errno));
    }
    if (::fstat(fd.get(), &info) != 0) {
        return cannotOpen(path, errnoText(errno));
    }
    if (Status kind = checkKind(path, info); !kind) {  // replaced between the two looks
        return kind.error();
    }
    return fd;
}

Result<std::vector<std::uint8_t>> readWhole(int fd, const std::filesystem::path& path) {
    struct ::stat info {};
    if (::fstat(fd, &info) != 0) {
        return makeError(ErrorCode::FileRead, "Cannot read " + text(path));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ::ssize_t got =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<::off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return makeError(ErrorCode::FileRead, "Cannot read " + text(path),
                             static_cast<std::int64_t>(done));
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

Result<std::vector<std::uint8_t>> readFile(const std::filesystem::path& path) {
    auto fd = openRegular(path, O_RDONLY);
    if (!fd) {
        return fd.error();
    }
    return readWhole(fd->get(), path);
}

// A temporary file beside the target; removed again unless release() was called.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        std::string pattern = text(withSuffix(target, kTemporaryMark)) + "XXXXXX";
        mFd = UniqueFd(::mkstemp(pattern.data()));
        if (mFd.valid()) {
            mPath = pattern;
            ::fcntl(mFd.get(), F_SETFD, FD_CLOEXEC);
        }
    }
    ~TemporaryFile() {
        mFd.close();
        if (!mPath.empty()) {
            ::unlink(mPath.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    [[nodiscard]] bool valid() const { return mFd.valid(); }
    [[nodiscard]] int fd() const { return mFd.get(); }
    [[nodiscard]] const std::string& path() const { return mPath; }
    bool closeFile() { return mFd.close(); }
    void release() { mPath.clear(); }

private:
    UniqueFd mFd;
    std::string mPath;
};

void syncFolder(const std::filesystem::path& folder) {
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

Error writeError(const std::filesystem::path& target, const std::string& what) {
    return makeError(ErrorCode::FileWrite,
                     "Cannot save " + text(target) + ": " + what + "; the file was not changed");
}

// The temporary files of one rewrite: each written whole and flushed before any is renamed.
class Writer {
public:
    Writer(const std::filesystem::path& target, const RomImage::WriteHook& hook)
        : mTarget(target), mHook(hook) {}

    // A flushed temporary file holding `bytes`, with the permissions (and, for root, the
    // owner) of `like`.
    Result<std::unique_ptr<TemporaryFile>> write(ByteSpan bytes, const struct ::stat& like) {
        auto temporary = std::make_unique<TemporaryFile>(mTarget);
        if (!temporary->valid()) {
            return writeError(
                mTarget, "no temporary file can be made in its folder (" + errnoText(errno) + ")");
        }
        for (std::size_t at = 0; at < bytes.size(); at += kWriteChunk) {
            if (Status step = hook(RomImage::WriteStep::Write, mWrites); !step) {
                return writeError(mTarget, step.error().message);
            }
            const std::size_t count = std::min(kWriteChunk, bytes.size() - at);
            if (!writeAll(temporary->fd(), bytes.data() + at, count)) {
                return writeError(mTarget, "writing failed: " + errnoText(errno));
            }
        }
        ::fchmod(temporary->fd(), like.st_mode & 07777);
        if (::geteuid() == 0) {
            [[maybe_unused]] const int owned = ::fchown(temporary->fd(), like.st_uid, like.st_gid);
        }
        if (Status step = hook(RomImage::WriteStep::Flush, mFlushes); !step) {
            return writeError(mTarget, step.error().message);
        }
        if (::fsync(temporary->fd()) != 0 || !temporary->closeFile()) {
            return writeError(mTarget, "flushing to disk failed: " + errnoText(errno));
        }
        return temporary;
    }

    // Renames `from` to `to`; with `replace` false an existing `to` is kept (and that counts
    // as done).
    Status move(const std::string& from, const std::filesystem::path& to, bool replace) {
        if (Status step = hook(RomImage::WriteStep::Rename, mRenames); !step) {
            return writeError(mTarget, step.error().message);
        }
        const int moved =
            replace ? ::rename(from.c_str(), to.c_str()) : ::link(from.c_str(), to.c_str());
        if (moved != 0 && !(!replace && errno == EEXIST)) {
            return writeError(mTarget, "putting " + text(to.filename()) +
                                           " in place failed: " + errnoText(errno));
        }
        return {};
    }

private:
    static bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const ::ssize_t written = ::write(fd, data, size);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return false;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }
    Status hook(RomImage::WriteStep step, std::size_t& counter) {
        const std::size_t index = counter++;
        return mHook ? mHook(step, index) : Status{};
    }

    const std::filesystem::path& mTarget;
    const RomImage::WriteHook& mHook;
    std::size_t mWrites = 0;
    std::size_t mFlushes = 0;
    std::size_t mRenames = 0;
};

// The file opened for writing and locked against other writers. A writer before us may have
// replaced the file while we waited: then the lock is on the old one, and the new one is
// locked instead.
Result<UniqueFd> lockForWriting(const std::filesystem::path& target) {
    const auto deadline = std::chrono::steady_clock::now() + RomImage::lockWait();
    while (true) {
        auto fd = openRegular(target, O_RDWR);
        if (!fd) {
            return fd.error();
        }
        if (::flock(fd->get(), LOCK_EX | LOCK_NB) == 0) {
            struct ::stat held {};
            struct ::stat named {};
            if (::fstat(fd->get(), &held) == 0 && ::stat(target.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                return fd;
            }
            continue;
        }
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            return fd;  // a file system without locks: written as before, unguarded
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return writeError(target, "it cannot be locked (" + errnoText(errno) + ")");
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return makeError(ErrorCode::FileWrite,
                             text(target.filename()) +
                                 " is being written by another program; nothing was saved. "
                                 "Try again once it has finished");
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}

// Temporary files of runs that were killed: NAME.orvex-temp-*, and the hidden names earlier
// versions used (.NAME.orvex-*). Only called while the lock is held.
void removeStaleTemporaries(const std::filesystem::path& target) {
    const std::string name = text(target.filename());
    const std::string current = name + std::string(kTemporaryMark);
    const std::string earlier = "." + name + ".orvex-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
        const std::string entryName = text(entry.path().filename());
        if (entryName.rfind(current, 0) == 0 || entryName.rfind(earlier, 0) == 0) {
            std::error_code ignored;
            std::filesystem::remove(entry.path(), ignored);
        }
    }
}

bool pathExists(const std::filesystem::path& path) {
    struct ::stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A regular file itself, not a link to one.
bool isRegularFile(const std::filesystem::path& path) {
    struct ::stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Puts the three files in place: NAME.orig (if new), NAME.bak, then NAME itself. Should the
// last step fail, the backups are put back as they were. Without `previous` only NAME is put in
// place.
Status install(Writer& writer, const std::filesystem::path& target, const WriteReport& report,
               TemporaryFile& newContents, TemporaryFile* previous, TemporaryFile* original) {
    if (previous == nullptr) {
        if (Status moved = writer.move(newContents.path(), target, true); !moved) {
            return moved;
        }
        newContents.release();
        return {};
    }
    if (original != nullptr) {
        if (Status linked = writer.move(original->path(), report.original, false); !linked) {
            return linked;
        }
    }
    const auto undoOriginal = [&] {
        if (original != nullptr) {
            ::unlink(report.original.c_str());
        }
    };
    // The old NAME.bak stays reachable until NAME itself is in place.
    TemporaryFile oldPrevious(target);
    const bool hadPrevious = oldPrevious.valid() && ::unlink(oldPrevious.path().c_str()) == 0 &&
                             ::link(report.previous.c_str(), oldPrevious.path().c_str()) == 0;
    if (Status moved = writer.move(previous->path(), report.previous, true); !moved) {
        undoOriginal();
        return moved;
    }
    previous->release();
    if (Status moved = writer.move(newContents.path(), target, true); !moved) {
        if (hadPrevious) {
            ::rename(oldPrevious.path().c_str(), report.previous.c_str());
        } else {
            ::unlink(report.previous.c_str());
        }
        undoOriginal();
        return moved;
    }
    newContents.release();
    return {};
}

}  // namespace

Result<std::vector<std::uint8_t>> RomImage::readAll() const {
    return readFile(mPath);
}

Result<std::uint16_t> RomImage::readWord(std::int64_t offset) const {
    auto bytes = readAll();
    if (!bytes) {
        return bytes.error();
    }
    return orvex::readWord(*bytes, offset);
}

Result<std::int32_t> RomImage::readLong(std::int64_t offset) const {
    auto bytes = readAll();
    if (!bytes) {
        return bytes.error();
    }
    return orvex::readLong(*bytes, offset);
}

Status RomImage::checkWritable() const {
    // A file marked read-only stays unwritten even for a user (root) whom the system would let
    // write it anyway.
    std::error_code error;
    const auto permissions = std::filesystem::status(mPath, error).permissions();
    if (!error &&
        (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none) {
        return makeError(ErrorCode::FileWrite, text(mPath) + " is read-only");
    }
    auto fd = openRegular(mPath, O_RDWR);
    if (!fd) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot open " + text(mPath) +
                             " for writing (is it read-only?): " + fd.error().message);
    }
    return {};
}

Result<WriteReport> RomImage::rewrite(const Change& change) const {
    if (Status writable = checkWritable(); !writable) {
        return writable.error();
    }
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(mPath, error);
    if (error) {
        return writeError(mPath, "its path cannot be resolved");
    }
    auto locked = lockForWriting(target);
    if (!locked) {
        return locked.error();
    }
    auto current = readWhole(locked->get(), target);
    if (!current) {
        return current.error();
    }
    auto next = change(*current);
    if (!next) {
        return next.error();
    }
    removeStaleTemporaries(target);
    struct ::stat info {};
    ::fstat(locked->get(), &info);

    Writer writer(target, mWriteHook);
    auto newContents = writer.write(*next, info);
    if (!newContents) {
        return newContents.error();
    }
    if (!mKeepsBackups) {
        if (Status installed = install(writer, target, {}, **newContents, nullptr, nullptr);
            !installed) {
            return installed.error();
        }
        syncFolder(target.parent_path());
        return WriteReport{};
    }
    WriteReport report{previousVersionPath(target), originalVersionPath(target), false};
    auto previous = writer.write(*current, info);
    if (!previous) {
        return previous.error();
    }
    std::unique_ptr<TemporaryFile> original;
    if (!pathExists(report.original)) {
        auto written = writer.write(*current, info);
        if (!written) {
            return written.error();
        }
        original = std::move(*written);
        report.originalMadeNow = true;
    } else {
        report.originalIsCopy = isRegularFile(report.original);
    }
    if (Status installed =
            install(writer, target, report, **newContents, previous->get(), original.get());
        !installed) {
        return installed.error();
    }
    syncFolder(target.parent_path());
    return report;
}

Result<WriteReport> RomImage::writeWord(std::int64_t offset, std::uint16_t value) const {
    return rewrite([&](ByteSpan current) -> Result<std::vector<std::uint8_t>> {
        if (!fitsIn(current.size(), offset, 2)) {
            return readPastEnd(offset, 2);
        }
        std::vector<std::uint8_t> image(current.begin(), current.end());
        putWord(image, static_cast<std::size_t>(offset), value);
        return image;
    });
}

Result<WriteReport> RomImage::writeLong(std::int64_t offset, std::int32_t value) const {
    if (value < 0) {
        return makeError(ErrorCode::ValueTooLarge, "A negative long cannot be written", offset);
    }
    return rewrite([&](ByteSpan current) -> Result<std::vector<std::uint8_t>> {
        if (!fitsIn(current.size(), offset, 4)) {
            return readPastEnd(offset, 4);
        }
        std::vector<std::uint8_t> image(current.begin(), current.end());
        putLong(image, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value));
        return image;
    });
}

std::filesystem::path previousVersionPath(const std::filesystem::path& target) {
    return withSuffix(target, ".bak");
}

std::filesystem::path originalVersionPath(const std::filesystem::path& target) {
    return withSuffix(target, ".orig");
}

Result<std::vector<std::uint8_t>> readRegularFile(const std::filesystem::path& path) {
    return readFile(path);
}

namespace {

struct ::stat newFileMode() {
    struct ::stat like {};
    like.st_mode = 0644;
    like.st_uid = ::geteuid();
    like.st_gid = ::getegid();
    return like;
}

}  // namespace

Status writeNewFile(const std::filesystem::path& path, ByteSpan bytes) {
    const auto failed = [&path](const std::string& what) {
        return makeError(ErrorCode::FileWrite, "Cannot write " + text(path) + ": " + what);
    };
    const RomImage::WriteHook none;
    Writer writer(path, none);
    auto temporary = writer.write(bytes, newFileMode());
    if (!temporary) {
        return temporary.error();
    }
    // link() never replaces: a file that appeared at `path` meanwhile is left alone.
    if (::link((*temporary)->path().c_str(), path.c_str()) != 0) {
        return failed(errno == EEXIST ? "a file of that name already exists"
                                      : "the new file could not be put in place");
    }
    syncFolder(path.parent_path());
    return {};
}

Status writeOutputFile(const std::filesystem::path& path, ByteSpan bytes) {
    struct ::stat info {};
    const bool existed = ::stat(path.c_str(), &info) == 0;  // through a symbolic link
    if (existed && !S_ISREG(info.st_mode)) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot write " + text(path) +
                             ": it is not a regular file (a folder, device, pipe or socket)");
    }
    if (!existed && pathExists(path)) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot write " + text(path) + ": it is a symbolic link to nothing");
    }
    std::error_code error;
    const std::filesystem::path target = existed ? std::filesystem::canonical(path, error) : path;
    if (error) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot write " + text(path) + ": " + error.message());
    }
    const RomImage::WriteHook none;
    Writer writer(target, none);
    auto temporary = writer.write(bytes, existed ? info : newFileMode());
    if (!temporary) {
        return temporary.error();
    }
    if (::rename((*temporary)->path().c_str(), target.c_str()) != 0) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot write " + text(path) + ": " + errnoText(errno));
    }
    (*temporary)->release();
    syncFolder(target.parent_path());
    return {};
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    struct ::stat first {};
    struct ::stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::uint8_t> wordBytes(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
}

std::vector<std::uint8_t> longBytes(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>((bits >> 16) & 0xFF),
            static_cast<std::uint8_t>((bits >> 8) & 0xFF), static_cast<std::uint8_t>(bits & 0xFF)};
}

}  // namespace orvex
