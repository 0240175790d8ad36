#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/levelparts.h"
#include "project/listing.h"
#include "project/projectfolder.h"
#include "rom/romprofile.h"

// Which project file holds each part of a level: the built image's tables give the address of
// every stream a level reads, and the listing names the file placed at that address, whatever
// the labels are called.

namespace orvex {

// A part's stream and the file behind it. The palette has two: the level's own lines 1 to 3,
// then the fixed line 0 every level shares. The collision shapes have three (the angles, the
// vertical and the horizontal heights), in that order.
struct PartFile {
    Part part = Part::Layout;
    std::int64_t address = 0;
    std::int64_t length = 0;  // bytes the file takes in the image
    std::string path;         // relative to the project, as the source names it
};

struct LevelFiles {
    std::vector<PartFile> files;
    // The source line of the act's boundaries, when the listing shows one at its address.
    std::optional<InlineEntry> bounds;
    // Each part whose address no file of the listing starts at, or whose table was not found:
    // "objects: no file of the listing starts at 0xE6A50".
    std::vector<std::string> notes;

    // The file of `part` (the first one for the palette and the shapes); none when not found.
    [[nodiscard]] const PartFile* find(Part part) const;
};

// The files of level `level` (0..19) of a built image, its tables where `profile` says.
// Errors only when the level's own entries cannot be read (OutOfRange, FileRead); a part
// without a file is a note.
[[nodiscard]] Result<LevelFiles> levelFiles(const Listing& listing, ByteSpan image,
                                            const RomProfile& profile, std::int16_t level);

// The bytes of a part's file as the project holds it now. FileOpen naming the file (relative to
// the project) and saying the listing names it when it is missing or cannot be read;
// ChangedOnDisk when its size is no longer what the last build placed (the build is stale).
[[nodiscard]] Result<std::vector<std::uint8_t>> readPartFile(const ProjectFolder& project,
                                                             const PartFile& file);

}  // namespace orvex
