#include "rom/romimage.h"

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

Result<std::vector<std::uint8_t>> RomImage::readAll() const {
    auto file = openFile(mPath, "rb");
    if (!file) {
        return file.error();
    }
    auto length = fileLength(file->get(), mPath);
    if (!length) {
        return length.error();
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*length));
    std::rewind(file->get());
    if (std::fread(bytes.data(), 1, bytes.size(), file->get()) != bytes.size()) {
        return makeError(ErrorCode::FileRead, "Cannot read " + pathText(mPath));
    }
    return bytes;
}

Result<std::int64_t> RomImage::size() const {
    auto file = openFile(mPath, "rb");
    if (!file) {
        return file.error();
    }
    return fileLength(file->get(), mPath);
}

Result<std::vector<std::uint8_t>> RomImage::readRange(std::int64_t offset,
                                                      std::int64_t count) const {
    auto file = openFile(mPath, "rb");
    if (!file) {
        return file.error();
    }
    auto length = fileLength(file->get(), mPath);
    if (!length) {
        return length.error();
    }
    if (!fitsIn(static_cast<std::size_t>(*length), offset, count)) {
        return makeError(
            ErrorCode::FileRead,
            "Read of " + std::to_string(count) + " byte(s) runs past the end of " + pathText(mPath),
            offset);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    if (std::fseek(file->get(), static_cast<long>(offset), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, bytes.size(), file->get()) != bytes.size()) {
        return makeError(ErrorCode::FileRead, "Cannot read " + pathText(mPath), offset);
    }
    return bytes;
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

Status RomImage::applyWrites(std::span<const RomWrite> writes) const {
    if (Status writable = checkWritable(); !writable) {
        return writable;
    }
    auto file = openFile(mPath, "r+b");
    if (!file) {
        return file.error();
    }
    for (std::size_t k = 0; k < writes.size(); ++k) {
        if (mWriteHook) {
            if (Status hooked = mWriteHook(k); !hooked) {
                return hooked;
            }
        }
        const RomWrite& write = writes[k];
        // Seeking past the end and writing there fills the gap with zero bytes.
        if (write.offset < 0 ||
            std::fseek(file->get(), static_cast<long>(write.offset), SEEK_SET) != 0 ||
            std::fwrite(write.bytes.data(), 1, write.bytes.size(), file->get()) !=
                write.bytes.size()) {
            return makeError(ErrorCode::FileWrite, "Cannot write to " + pathText(mPath),
                             write.offset);
        }
    }
    if (std::fflush(file->get()) != 0) {
        return makeError(ErrorCode::FileWrite, "Cannot write to " + pathText(mPath));
    }
    return {};
}

Status RomImage::writeWord(std::int64_t offset, std::uint16_t value) const {
    const RomWrite write{offset, wordBytes(value)};
    return applyWrites({&write, 1});
}

Status RomImage::writeLong(std::int64_t offset, std::int32_t value) const {
    const RomWrite write{offset, longBytes(value)};
    return applyWrites({&write, 1});
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
