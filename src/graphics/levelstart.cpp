#include "graphics/levelstart.h"

#include <algorithm>

namespace orvex {

namespace {

// ---- composing ----

// Writes `bytes` into video memory from byte `address` on, as far as video memory reaches.
void apply(std::int64_t address, ByteSpan bytes, VideoMemory& video) {
    if (address < 0 || address >= kVideoMemoryBytes) {
        return;
    }
    const std::size_t room = static_cast<std::size_t>(kVideoMemoryBytes - address);
    std::copy_n(bytes.begin(), std::min(room, bytes.size()), video.bytes.begin() + address);
}

void apply(const VideoWrite& write, VideoMemory& video) {
    apply(write.address, write.bytes, video);
}

void writeFrame(const AnimationScript& script, std::int32_t frame, VideoMemory& video) {
    apply(std::int64_t{script.destination} * kTileBytes, script.frameBytes(frame), video);
}

// The level's art as the loader copies it: decoded into RAM, the extra art decoded over it,
// then the copied tiles (all of them unless the zone copies a fixed count).
void copyLevelArt(const TileArt& art, const LevelStart& start, VideoMemory& video) {
    std::vector<std::uint8_t> ram(
        art.bytes.begin(), art.bytes.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(art.bytes.size(), video.bytes.size())));
    if (start.extraArt) {
        const auto end =
            static_cast<std::size_t>(start.extraArt->address) + start.extraArt->bytes.size();
        ram.resize(std::min(std::max(ram.size(), end), video.bytes.size()));
        const std::size_t room = ram.size() - static_cast<std::size_t>(start.extraArt->address);
        std::copy_n(start.extraArt->bytes.begin(), std::min(room, start.extraArt->bytes.size()),
                    ram.begin() + start.extraArt->address);
    }
    std::size_t copied = ram.size();
    if (start.copiedTiles) {
        copied = std::min(video.bytes.size(),
                          static_cast<std::size_t>(std::max(*start.copiedTiles, 0)) * kTileBytes);
        ram.resize(copied);  // a copy past the decoded art copies what RAM holds: zeros here
    }
    std::copy(ram.begin(), ram.end(), video.bytes.begin());
}

}  // namespace

void composeVideo(const TileArt& art, const LevelStart& start, VideoMemory& video,
                  std::int64_t videoFrame) {
    std::fill(video.bytes.begin(), video.bytes.end(), std::uint8_t{0});
    for (const VideoWrite& write : start.titleScreen) {
        apply(write, video);
    }
    copyLevelArt(art, start, video);
    for (const VideoWrite& write : start.afterArt) {
        apply(write, video);
    }
    for (const AnimationScript& script : start.scripts) {
        writeFrame(script, script.frameAt(videoFrame), video);
    }
}

std::vector<std::uint8_t> composeChunks(const MappingWords& chunks, const LevelStart& start) {
    std::vector<std::uint8_t> table(
        chunks.bytes.begin(),
        chunks.bytes.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(
                                   chunks.bytes.size(), std::size_t{kChunkTableBytes})));
    for (const auto* write : {&start.extraChunks, &start.chunkRecord}) {
        if (!*write) {
            continue;
        }
        const std::size_t at = static_cast<std::size_t>((*write)->first) * kChunkBytes;
        const std::size_t end =
            std::min(at + (*write)->bytes.size(), std::size_t{kChunkTableBytes});
        if (at >= end) {
            continue;
        }
        table.resize(std::max(table.size(), end));
        std::copy_n((*write)->bytes.begin(), end - at,
                    table.begin() + static_cast<std::ptrdiff_t>(at));
    }
    return table;
}

PaletteWords shownPalette(const PaletteWords& stored, const LevelStart& start,
                          std::int64_t videoFrame) {
    PaletteWords shown = stored;
    for (const PaletteCycle& cycle : start.cycles) {
        if (cycle.frames.empty()) {
            continue;
        }
        const auto& words = cycle.frames[static_cast<std::size_t>(cycle.frameAt(videoFrame))];
        for (std::size_t i = 0; i < cycle.targets.size() && i < words.size(); ++i) {
            shown.words[cycle.targets[i]] = words[i];
        }
    }
    return shown;
}

std::vector<std::int32_t> stepAnimation(const LevelStart& start, VideoMemory& video,
                                        std::int64_t videoFrame) {
    std::vector<std::int32_t> changed;
    for (const AnimationScript& script : start.scripts) {
        const std::int32_t now = script.frameAt(videoFrame);
        if (videoFrame > 0 && now == script.frameAt(videoFrame - 1)) {
            continue;
        }
        writeFrame(script, now, video);
        for (std::int32_t t = 0; t < script.tilesPerFrame; ++t) {
            if (script.destination + t < kBaseTiles) {
                changed.push_back(script.destination + t);
            }
        }
    }
    return changed;
}

}  // namespace orvex
