#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/byteorder.h"
#include "rom/leveldirectory.h"
#include "rom/levelformat.h"
#include "rom/objectart.h"
#include "rom/romprofile.h"
#include "rom/starttables.h"

// What the game's code does to a level's stored streams before the first frame of play: the
// tiles it puts into video memory besides the level's art (pattern load cues, extra art, the
// first frame of every animation script, pictures made by code), the chunks it writes over the
// chunk table, the blocks it overwrites, the palette's first frame and the underwater palette.
// Read once from the image when a level is loaded (here); the level's own streams, which the
// document edits, are combined with it each time the level is drawn (graphics/levelstart.h).

namespace orvex {

// Bytes written into video memory from byte `address` on.
struct VideoWrite {
    std::int32_t address = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const VideoWrite&, const VideoWrite&) = default;
};

// Chunk mappings written into the chunk table from chunk `first` on, 4 words a chunk.
struct ChunkWrite {
    std::int32_t first = 0;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const ChunkWrite&, const ChunkWrite&) = default;
};

// An animation script: `frames` pictures of `tilesPerFrame` tiles, each taken from `art` at its
// first tile and shown for its duration, copied to video memory from tile `destination`.
struct AnimationScript {
    struct Frame {
        std::int32_t firstTile = 0;
        std::int32_t duration = 1;  // video frames, at least 1
        friend bool operator==(const Frame&, const Frame&) = default;
    };
    std::int32_t destination = 0;
    std::int32_t tilesPerFrame = 0;
    std::vector<Frame> frames;
    std::vector<std::uint8_t> art;  // the script's tiles, from its first art tile on

    // The frame shown on video frame `videoFrame` of play (0 at level start).
    [[nodiscard]] std::int32_t frameAt(std::int64_t videoFrame) const;
    // The tiles of frame `frame`, tilesPerFrame x 32 bytes.
    [[nodiscard]] ByteSpan frameBytes(std::int32_t frame) const;
    friend bool operator==(const AnimationScript&, const AnimationScript&) = default;
};

// A palette cycle: colour words written to `targets` (line x 16 + colour, in the order the game
// writes them) from one frame of `frames` at a time, a frame every `delay` video frames. A delay
// of 0 keeps frame 0: the timing of that cycle is not known.
struct PaletteCycle {
    std::vector<std::uint8_t> targets;
    std::vector<std::vector<std::uint16_t>> frames;
    std::int32_t delay = 0;

    [[nodiscard]] std::int32_t frameAt(std::int64_t videoFrame) const;
    friend bool operator==(const PaletteCycle&, const PaletteCycle&) = default;
};

struct LevelStart {
    // Standard list 0, loaded by the title screen before the level.
    std::vector<VideoWrite> titleScreen;
    // The zone's second art stream, decoded over its art in RAM from this tile on.
    std::optional<VideoWrite> extraArt;
    // The tiles the loader copies to video memory from RAM; all of the decoded art when empty.
    std::optional<std::int32_t> copiedTiles;
    // After the level's art, in the order the game writes them: the cue lists the level queues,
    // then the pictures made by code (Hill Top's mountains and clouds, the slot windows).
    std::vector<VideoWrite> afterArt;
    // Frame 0 of each is written last.
    std::vector<AnimationScript> scripts;
    std::optional<ChunkWrite> extraChunks;
    std::optional<ChunkWrite> chunkRecord;
    // Blocks whose mappings the game overwrites in RAM: not drawable, not offered.
    std::bitset<kBlockCount> hiddenBlocks;
    std::vector<PaletteCycle> cycles;
    std::optional<PaletteWords> underwater;
    // The layout ring: its one piece and the art word added to it.
    std::optional<SpritePiece> ringPiece;
    std::uint16_t ringArtWord = 0x26BC;
    // The tables not found in the image, so that what they add is missing from the picture.
    std::vector<std::string> missing;
    // Streams and lists that could not be read.
    std::vector<std::string> problems;
};

// Reads what the game does at the start of `act` from `image`. `cameraX` is the camera's left
// edge at level start (startCameraX), which decides Hill Top's mountains.
[[nodiscard]] LevelStart readLevelStart(ByteSpan image, const RomProfile& profile,
                                        const StartTables& tables, ZoneAct act,
                                        std::int32_t cameraX);

}  // namespace orvex
