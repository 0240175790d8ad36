#include "document/documentcommands.h"

#include <cstdio>

namespace orvex {

namespace {

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", unsigned{value});
    return text;
}

}  // namespace

SetBlocksCommand::SetBlocksCommand(std::vector<CellChange> changes, std::string text)
    : mChanges(std::move(changes)), mText(std::move(text)) {}

void SetBlocksCommand::redo(LevelDocument& document) {
    apply(document, true);
}

void SetBlocksCommand::undo(LevelDocument& document) {
    apply(document, false);
}

void SetBlocksCommand::apply(LevelDocument& document, bool forward) const {
    std::vector<CellBlock> cells;
    cells.reserve(mChanges.size());
    for (const CellChange& change : mChanges) {
        cells.push_back({change.cell, forward ? change.after : change.before});
    }
    document.setBlocks(cells);
}

std::unique_ptr<SetBlocksCommand> makeSetBlocks(const LevelDocument& document,
                                                std::span<const CellBlock> cells,
                                                std::string_view what) {
    std::vector<SetBlocksCommand::CellChange> changes;
    for (const CellBlock& cell : cells) {
        const auto before = document.layout().blockAt(cell.cell);
        if (before && *before != cell.block) {
            changes.push_back({cell.cell, *before, cell.block});
        }
    }
    if (changes.empty()) {
        return nullptr;
    }
    const std::size_t count = changes.size();
    std::string text = !what.empty() ? std::string(what) + " " + std::to_string(count) + " cells"
                       : count == 1 ? "Place block " + hexByte(changes.front().after) + " at row " +
                                          std::to_string(changes.front().cell.row) + ", column " +
                                          std::to_string(changes.front().cell.column)
                                    : "Place " + std::to_string(count) + " blocks";
    return std::make_unique<SetBlocksCommand>(std::move(changes), std::move(text));
}

std::unique_ptr<SetBlocksCommand> makePlaceBlock(const LevelDocument& document, LayoutCell cell,
                                                 std::uint8_t block) {
    const CellBlock one{cell, block};
    return makeSetBlocks(document, std::span<const CellBlock>(&one, 1));
}

SetColourCommand::SetColourCommand(std::int32_t colour, std::uint16_t before, std::uint16_t after)
    : mColour(colour), mBefore(before), mAfter(after) {}

void SetColourCommand::redo(LevelDocument& document) {
    document.setColour(mColour, mAfter);
}

void SetColourCommand::undo(LevelDocument& document) {
    document.setColour(mColour, mBefore);
}

std::string SetColourCommand::text() const {
    return "Change colour " + std::to_string(mColour % kLineColours) + " of palette line " +
           std::to_string(mColour / kLineColours);
}

SetPaletteCommand::SetPaletteCommand(const PaletteWords& before, const PaletteWords& after,
                                     std::string text)
    : mBefore(before), mAfter(after), mText(std::move(text)) {}

SetTilesCommand::SetTilesCommand(std::int32_t firstTile, std::vector<std::uint8_t> before,
                                 std::vector<std::uint8_t> after, std::string text)
    : mFirstTile(firstTile),
      mBefore(std::move(before)),
      mAfter(std::move(after)),
      mText(std::move(text)) {}

SetMappingWordsCommand::SetMappingWordsCommand(Part part, std::vector<WordChange> changes,
                                               std::string text)
    : mPart(part), mChanges(std::move(changes)), mText(std::move(text)) {}

void SetMappingWordsCommand::redo(LevelDocument& document) {
    for (const WordChange& change : mChanges) {
        document.setMappingWord(mPart, change.index, change.after);
    }
}

void SetMappingWordsCommand::undo(LevelDocument& document) {
    for (const WordChange& change : mChanges) {
        document.setMappingWord(mPart, change.index, change.before);
    }
}

SetChunkShapeCommand::SetChunkShapeCommand(std::int32_t path, std::int32_t chunk,
                                           std::uint8_t before, std::uint8_t after)
    : mPath(path), mChunk(chunk), mBefore(before), mAfter(after) {}

void SetChunkShapeCommand::redo(LevelDocument& document) {
    document.setChunkShape(mPath, mChunk, mAfter);
}

void SetChunkShapeCommand::undo(LevelDocument& document) {
    document.setChunkShape(mPath, mChunk, mBefore);
}

std::string SetChunkShapeCommand::text() const {
    return "Change the " + std::string(partName(collisionPart(mPath))) + " of chunk " +
           hexOffset(mChunk);
}

SetShapeCommand::SetShapeCommand(std::int32_t shape, Shape before, Shape after)
    : mShape(shape), mBefore(before), mAfter(after) {}

std::string SetShapeCommand::text() const {
    return "Change collision shape " + hexOffset(mShape);
}

}  // namespace orvex
