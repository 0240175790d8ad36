#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/levelparts.h"
#include "rom/collision.h"
#include "rom/placements.h"

// Writing the files of a disassembly project: one file replaced at a time, all or nothing, and
// the bytes each kind of level file holds.

namespace orvex {

// The sizes the source's tables rely on: a level palette of three lines and a start position of
// two words. A file of another size shifts what follows it in the image.
inline constexpr std::int32_t kPaletteFileBytes = 96;
inline constexpr std::int32_t kStartFileBytes = 4;
// Compressed files are padded with zeros to a multiple of this, as the originals are, so that
// the files the source places back to back stay at even addresses.
inline constexpr std::int32_t kCompressedFileAlignment = 16;

// Replaces the file at `path` with `replacement` if it still holds exactly `expected` (what was
// read from it); otherwise ChangedOnDisk, naming the file, and nothing is written. The new
// bytes go to a temporary file in the same folder, are flushed to the disk, and are renamed
// over the file, so that the file holds either its old or its new bytes whatever happens; a
// lock keeps a second writer out meanwhile. FileWrite, writing nothing, for a file or folder
// marked read-only (also for a user whom the system would let write it), a missing file, or any
// failed step (the temporary file is removed). With `keepBackup` the file as it was is kept
// beside it as NAME.bak (and NAME.orig the first time); without, no other file remains.
[[nodiscard]] Status replaceProjectFile(const std::filesystem::path& path, ByteSpan expected,
                                        ByteSpan replacement, bool keepBackup = false);

// A compressed level file (layout, tile art, chunks, blocks, collision index): the shortest
// Kosinski stream for `decoded`, then zeros up to a multiple of kCompressedFileAlignment.
// The encoder's errors (InputTooLarge) when `decoded` is too long for the format.
[[nodiscard]] Result<std::vector<std::uint8_t>> kosinskiFileBytes(ByteSpan decoded);

// An object file: the objects sorted by x (objects of equal x keep their order), 6 bytes each,
// without the markers the source writes around the list.
[[nodiscard]] std::vector<std::uint8_t> objectFileBytes(std::vector<ObjectPlacement> objects);

// The objects of an object file (no markers). CorruptStream when its size is not a multiple of
// 6 bytes or it holds a marker.
[[nodiscard]] Result<std::vector<ObjectPlacement>> readObjectFile(ByteSpan file);

// A ring file: the groups, then $FFFF (an empty list is the two bytes FF FF).
[[nodiscard]] std::vector<std::uint8_t> ringFileBytes(const std::vector<RingGroup>& groups);

// A level palette file: lines 1 to 3 of the palette, kPaletteFileBytes bytes.
[[nodiscard]] std::vector<std::uint8_t> paletteFileBytes(const PaletteWords& palette);

// A start position file: x, then y, kStartFileBytes bytes.
[[nodiscard]] std::vector<std::uint8_t> startFileBytes(const StartPosition& start);

// Checks that a file of fixed size (palette, start position) still has it before it is written
// over: NoRoom naming the file and both sizes when `currentSize` is not `size`; writing there
// would shift every table entry after it.
[[nodiscard]] Status checkExactSize(const std::filesystem::path& path, std::int64_t currentSize,
                                    std::int32_t size);

// The three shape files: the angles (256 bytes), the vertical heights and the horizontal ones
// (4,096 bytes each), as the shape tables hold them.
[[nodiscard]] std::array<std::vector<std::uint8_t>, 3> shapeFileBytes(
    const CollisionShapes& shapes);

}  // namespace orvex
