#include "document/levelparts.h"

namespace orvex {

std::string_view partName(Part part) {
    switch (part) {
        case Part::Layout:
            return "layout";
        case Part::TileArt:
            return "tile art";
        case Part::ChunkMappings:
            return "chunk mappings";
        case Part::BlockMappings:
            return "block mappings";
        case Part::Palette:
            return "palette";
    }
    return "part";
}

bool partDiffers(const LevelParts& a, const LevelParts& b, Part part) {
    switch (part) {
        case Part::Layout:
            return a.layout != b.layout;
        case Part::TileArt:
            return a.tiles != b.tiles;
        case Part::ChunkMappings:
            return a.chunks != b.chunks;
        case Part::BlockMappings:
            return a.blocks != b.blocks;
        case Part::Palette:
            return a.palette != b.palette;
    }
    return false;
}

}  // namespace orvex
