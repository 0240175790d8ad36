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
        case Part::Objects:
            return "object list";
        case Part::Rings:
            return "ring list";
        case Part::StartPosition:
            return "start position";
        case Part::Bounds:
            return "boundaries";
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
        case Part::Objects:
            return a.objects != b.objects;
        case Part::Rings:
            return a.rings != b.rings;
        case Part::StartPosition:
            return a.start != b.start;
        case Part::Bounds:
            return a.bounds != b.bounds;
    }
    return false;
}

void copyPart(const LevelParts& from, LevelParts& to, Part part) {
    switch (part) {
        case Part::Layout:
            to.layout = from.layout;
            break;
        case Part::TileArt:
            to.tiles = from.tiles;
            break;
        case Part::ChunkMappings:
            to.chunks = from.chunks;
            break;
        case Part::BlockMappings:
            to.blocks = from.blocks;
            break;
        case Part::Palette:
            to.palette = from.palette;
            break;
        case Part::Objects:
            to.objects = from.objects;
            break;
        case Part::Rings:
            to.rings = from.rings;
            break;
        case Part::StartPosition:
            to.start = from.start;
            break;
        case Part::Bounds:
            to.bounds = from.bounds;
            break;
    }
}

}  // namespace orvex
