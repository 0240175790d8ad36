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
        case Part::CollisionPrimary:
            return "primary collision";
        case Part::CollisionSecondary:
            return "secondary collision";
        case Part::CollisionShapes:
            return "collision shapes";
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
        case Part::CollisionPrimary:
            return a.collision[0] != b.collision[0];
        case Part::CollisionSecondary:
            return a.collision[1] != b.collision[1];
        case Part::CollisionShapes:
            return a.shapes != b.shapes;
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
        case Part::CollisionPrimary:
            to.collision[0] = from.collision[0];
            break;
        case Part::CollisionSecondary:
            to.collision[1] = from.collision[1];
            break;
        case Part::CollisionShapes:
            to.shapes = from.shapes;
            break;
    }
}

}  // namespace orvex
