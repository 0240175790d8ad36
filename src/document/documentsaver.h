#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/progress.h"
#include "document/leveldocument.h"
#include "rom/placementmove.h"
#include "rom/romimage.h"

namespace orvex {

struct SaveOptions {
    // Write even where another program changed the file at a part's place since it was read.
    bool overwriteChangesOnDisk = false;
    // Write the layout even when it is not modified, as saving a level always has.
    bool alwaysWriteLayout = true;
    // When an object or ring list to write outgrew its place or shares it with another act,
    // move every object and ring list to the end of the file in the same write (see
    // movePlacementLists) instead of refusing with ListsMustMove.
    bool movePlacementLists = false;
    // When an edited art or mapping stream (tile art, chunk or block mappings) or collision
    // index no longer fits its place, move it to the end of the data kept at the end of the file
    // in the same write and repoint the art table's long, keeping its top byte (for an index,
    // every long of both collision pointer tables that named it, whole), instead of refusing.
    bool moveGrownArt = false;
};

// One part a save wrote.
struct PartWrite {
    Part part = Part::Layout;
    std::int32_t offset = 0;  // where it was written (for the palette, the level's own lines)
    std::int32_t bytes = 0;   // bytes written there (a stream and one 0x00 after it)
    std::int64_t room = 0;    // bytes the place could hold
};

// An art, mapping or collision index stream a save moved to the end of the file: every art
// table entry (for an index, every collision pointer) that pointed at `from` now points at `to`,
// for `levels` (every level reading it).
struct MovedStream {
    Part part = Part::TileArt;
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::vector<std::int16_t> levels;
};

// A file a save into a disassembly project replaced.
struct FileWrite {
    std::string path;                  // relative to the project, '/' between parts
    std::vector<Part> parts;           // the parts of the level it holds
    std::int64_t bytes = 0;            // its size now
    std::int64_t previousBytes = 0;    // its size before
    std::vector<std::int16_t> levels;  // every level that reads it, ascending
};

struct SaveReport {
    std::vector<PartWrite> parts;
    WriteReport written;  // what was kept of the file as it was
    // The new directories, when the save moved the object and ring lists.
    std::optional<PlacementDirectories> moved;
    // The art, mapping and collision index streams the save moved (see
    // SaveOptions::moveGrownArt).
    std::vector<MovedStream> movedArt;

    // A save into a project: the files it replaced, in the order written (parts stays empty).
    std::vector<FileWrite> files;
    // The build run after the files were written, and what it wrote. When it failed the files
    // stay written, the level was not read back, and `buildFailed` says why.
    bool built = false;
    std::string buildOutput;
    std::optional<Error> buildFailed;
    // What the new build lets through that the game needs (lists out of reach, streams at odd
    // addresses: see buildProblems), and any part the new image reads back otherwise than it
    // was saved. Each names the file to mend.
    std::vector<std::string> problems;

    // Whether the save wrote the file (or the project's files) at all: a document with nothing
    // to write (no part modified, and the layout not asked for) leaves everything untouched.
    [[nodiscard]] bool wroteFile() const { return !parts.empty() || !files.empty(); }
    // The write of `part`, or null when the save did not write it.
    [[nodiscard]] const PartWrite* find(Part part) const;
};

// Saves the level: the layout (unless `options` say only modified parts), every other part
// when it is modified. Each stream part is
// compressed with the optimal encoder (progress through `progress`) and written where the
// profile's tables say, in its room (see room.h); the palette goes back to its two sources. The
// file is read again under the write lock, every part patched into that one image, the image
// checked (tables in place, each written stream decoding to its part), the ROM end field and the
// checksum set, and the file replaced once, as RomImage::rewrite does. An object or ring list
// that outgrew its place or shares it with another act is refused with ListsMustMove, unless
// `options` says to move the lists: then every object and ring list moves to the end of the
// file in that same write (the level's own from the document), and the document's profile,
// places and lists follow them. Tile art and mappings are first checked against the game's
// limits (see artlimits.h: OutOfRange naming the limit). A tile art, mapping or collision index
// stream that outgrew its place is refused with ArtMustMove unless `options` says to move grown
// art: then
// it is appended at the end of the data (see moveOffset), every art table long that pointed at
// its place is repointed there with its top byte kept, and the document's stored place follows
// it; the old place is left as it was. An index both paths read is written once; the shape
// tables are written in place. Refuses, writing nothing: a document whose layout broke off
// (NotLoaded), more objects that remember their state or more rings than the game keeps
// (OutOfRange), a file that no longer has those tables (Cancelled), a part longer than its room
// or a save past 4 MiB (NoRoom, with both sizes), a file changed by another program at a part's
// place since it was read (ChangedOnDisk, unless `options` says to overwrite), a read-only file
// or one another program is writing (FileWrite). On success the written parts count as saved.
// With nothing to write, nothing is read or written and the report is empty (see wroteFile).
[[nodiscard]] Result<SaveReport> saveDocument(const RomImage& rom, LevelDocument& document,
                                              ProgressSink* progress = nullptr,
                                              const SaveOptions& options = {});

// What a save checks of the document before it encodes `parts`: a layout read completely
// (NotLoaded), the game's limits on objects that remember their state and on rings
// (OutOfRange), and the decoded limits of art, mappings and collision indexes (see
// checkDecodedLimits).
[[nodiscard]] Status checkSaveLimits(const LevelDocument& document, std::span<const Part> parts);

// The parts a save with `options` writes: the modified ones, and the layout when the options
// say so.
[[nodiscard]] std::vector<Part> partsToSave(const LevelDocument& document,
                                            const SaveOptions& options);

// The image a save of the document would write, made in memory from `image` (a copy of the
// ROM file) with the same encoding, places, checks and refusals, the ROM end field and the
// checksum set. What differs: the parts are patched in whatever `image` holds at their places
// (a copy owes the file nothing, so ChangedOnDisk never comes), no file is read or written, and
// the document's parts stay as unsaved as they were. A copy that needs the lists moved still
// needs `options` to allow it.
[[nodiscard]] Result<std::vector<std::uint8_t>> documentImage(ByteSpan image,
                                                              const LevelDocument& document,
                                                              ProgressSink* progress = nullptr,
                                                              const SaveOptions& options = {});

}  // namespace orvex
