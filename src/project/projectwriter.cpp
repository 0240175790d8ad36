#include "project/projectwriter.h"

#include <algorithm>

#include "compression/kosinski.h"
#include "rom/romimage.h"

namespace orvex {

namespace {

bool markedReadOnly(const std::filesystem::path& path) {
    std::error_code error;
    const auto permissions = std::filesystem::status(path, error).permissions();
    return !error &&
           (permissions & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

void putWordTo(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

Status replaceProjectFile(const std::filesystem::path& path, ByteSpan expected,
                          ByteSpan replacement, bool keepBackup) {
    const std::filesystem::path folder =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (markedReadOnly(folder)) {
        return makeError(ErrorCode::FileWrite,
                         "Cannot write " + path.string() + ": its folder is read-only");
    }
    RomImage file(path);
    file.setKeepsBackups(keepBackup);
    const auto change = [&](ByteSpan current) -> Result<std::vector<std::uint8_t>> {
        if (!std::equal(current.begin(), current.end(), expected.begin(), expected.end())) {
            return makeError(
                ErrorCode::ChangedOnDisk,
                path.string() + " changed on disk since it was read; nothing was written");
        }
        return std::vector<std::uint8_t>(replacement.begin(), replacement.end());
    };
    auto written = file.rewrite(change);
    if (!written) {
        return written.error();
    }
    return {};
}

Result<std::vector<std::uint8_t>> kosinskiFileBytes(ByteSpan decoded) {
    auto packed = compressKosinskiOptimal(decoded);
    if (!packed) {
        return packed.error();
    }
    // The encoder ends with one 0x00 after the stream; the padding below takes its place.
    packed->pop_back();
    const std::size_t alignment = kCompressedFileAlignment;
    packed->resize((packed->size() + alignment - 1) / alignment * alignment, 0);
    return packed;
}

std::vector<std::uint8_t> objectFileBytes(std::vector<ObjectPlacement> objects) {
    std::vector<std::uint8_t> list = objectListBytes(std::move(objects));
    // objectListBytes writes a marker before and after the objects; the source adds its own.
    return {list.begin() + kObjectMarkerBytes, list.end() - kObjectMarkerBytes};
}

Result<std::vector<ObjectPlacement>> readObjectFile(ByteSpan file) {
    if (file.size() % kObjectBytes != 0) {
        return makeError(ErrorCode::CorruptStream,
                         "An object file holds 6 bytes an object; this one holds " +
                             std::to_string(file.size()) + " bytes");
    }
    // readObjectList stops at a marker: give it one after the file's objects.
    std::vector<std::uint8_t> list(file.begin(), file.end());
    list.insert(list.end(), {0xFF, 0xFF, 0, 0, 0, 0});
    auto objects = readObjectList(list, 0);
    if (!objects) {
        return objects.error();
    }
    if (objects->size() * kObjectBytes != file.size()) {
        return makeError(ErrorCode::CorruptStream,
                         "The object file holds a list end marker (x = $FFFF) among its objects",
                         static_cast<std::int64_t>(objects->size() * kObjectBytes));
    }
    return objects;
}

std::vector<std::uint8_t> ringFileBytes(const std::vector<RingGroup>& groups) {
    return ringListBytes(groups);
}

std::vector<std::uint8_t> paletteFileBytes(const PaletteWords& palette) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = kLineColours; i < palette.words.size(); ++i) {
        putWordTo(bytes, palette.words[i]);
    }
    return bytes;
}

std::vector<std::uint8_t> startFileBytes(const StartPosition& start) {
    std::vector<std::uint8_t> bytes;
    putWordTo(bytes, start.x);
    putWordTo(bytes, start.y);
    return bytes;
}

Status checkExactSize(const std::filesystem::path& path, std::int64_t currentSize,
                      std::int32_t size) {
    if (currentSize != size) {
        return makeError(ErrorCode::NoRoom, path.string() + " holds " +
                                                std::to_string(currentSize) +
                                                " bytes where the source needs exactly " +
                                                std::to_string(size) + "; it is left as it is");
    }
    return {};
}

std::array<std::vector<std::uint8_t>, 3> shapeFileBytes(const CollisionShapes& shapes) {
    const auto tables = shapeBytes(shapes);
    const auto at = [&tables](std::int32_t from, std::int32_t count) {
        return std::vector<std::uint8_t>(tables.begin() + from, tables.begin() + from + count);
    };
    return {at(0, kShapeAnglesSize), at(kShapeAnglesSize, kShapeHeightsSize),
            at(kShapeAnglesSize + kShapeHeightsSize, kShapeHeightsSize)};
}

}  // namespace orvex
