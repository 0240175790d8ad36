#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "common/error.h"
#include "document/leveldocument.h"
#include "rom/romprofile.h"

namespace orvex {

// A stream that broke off with a copy from before its start.
struct BrokenStream {
    Part part = Part::Layout;
    std::int32_t start = 0;    // ROM offset of the stream's first byte
    std::int32_t brokeAt = 0;  // ROM offset of the last byte of the copy that broke it

    friend bool operator==(const BrokenStream&, const BrokenStream&) = default;
};

struct LoadedLevel {
    std::unique_ptr<LevelDocument> document;
    // Streams that broke off, in the order they were read: their parts hold what was decoded up
    // to there. A broken layout also makes the document unsavable.
    std::vector<BrokenStream> brokenStreams;
    // Things the user should know that did not stop the load (short block mappings, ...).
    std::vector<std::string> warnings;
};

// Reads level `level` (0..19) of a ROM image in memory, its tables where `profile` says: the
// palette, the tile art, the chunk and block mappings and the layout, each decompressed, plus the
// stored bytes of each. Fails, making no document, when the image is not a cartridge image, a
// table or stream is cut off by the end of the file or holds a value too wide, a stream is
// corrupt, or the layout is empty. The zone's two collision indexes and the shape tables are
// read where the profile knows them; one that cannot be read, or an index that does not decode
// to exactly kCollisionIndexSize bytes, is a warning, and the document marks that index as not
// loaded (see LevelDocument::collisionLoaded).
[[nodiscard]] Result<LoadedLevel> loadDocument(ByteSpan image, const RomProfile& profile,
                                               std::int16_t level);

// The layout of level `level` alone, decompressed, as loadDocument reads it: for what another
// level sharing the blocks places. Fails as loadDocument fails on the layout, and on a layout
// that breaks off.
[[nodiscard]] Result<Layout> loadLayout(ByteSpan image, const RomProfile& profile,
                                        std::int16_t level);

}  // namespace orvex
