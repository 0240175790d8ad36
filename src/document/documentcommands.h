#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/leveldocument.h"

namespace orvex {

// An undoable edit of a level document. The editor's undo stack holds these through an adapter;
// redo() is called once when the command is pushed, as the stack does.
class DocumentCommand {
public:
    virtual ~DocumentCommand() = default;
    virtual void redo(LevelDocument& document) = 0;
    virtual void undo(LevelDocument& document) = 0;
    // What the command does, e.g. "Place block 0x1A at row 2, column 3".
    [[nodiscard]] virtual std::string text() const = 0;
};

// Blocks placed into layout cells: each cell with the block it held and the block placed.
class SetBlocksCommand : public DocumentCommand {
public:
    struct CellChange {
        LayoutCell cell;
        std::uint8_t before = 0;
        std::uint8_t after = 0;
    };

    SetBlocksCommand(std::vector<CellChange> changes, std::string text);

    void redo(LevelDocument& document) override;
    void undo(LevelDocument& document) override;
    [[nodiscard]] std::string text() const override { return mText; }
    [[nodiscard]] const std::vector<CellChange>& changes() const { return mChanges; }

private:
    void apply(LevelDocument& document, bool forward) const;

    std::vector<CellChange> mChanges;
    std::string mText;
};

// A command storing `cells` into the document's layout, or null when none of them is inside the
// layout with another block than the one to store. Named "`what` N cells" when `what` is given,
// else after the placement.
[[nodiscard]] std::unique_ptr<SetBlocksCommand> makeSetBlocks(const LevelDocument& document,
                                                              std::span<const CellBlock> cells,
                                                              std::string_view what = {});
[[nodiscard]] std::unique_ptr<SetBlocksCommand> makePlaceBlock(const LevelDocument& document,
                                                               LayoutCell cell, std::uint8_t block);

// One colour word changed.
class SetColourCommand : public DocumentCommand {
public:
    SetColourCommand(std::int32_t colour, std::uint16_t before, std::uint16_t after);

    void redo(LevelDocument& document) override;
    void undo(LevelDocument& document) override;
    [[nodiscard]] std::string text() const override;

private:
    std::int32_t mColour;
    std::uint16_t mBefore;
    std::uint16_t mAfter;
};

// All 64 colour words replaced (a pasted line, a colour picked): one step whatever it changed.
class SetPaletteCommand : public DocumentCommand {
public:
    SetPaletteCommand(const PaletteWords& before, const PaletteWords& after, std::string text);

    void redo(LevelDocument& document) override { document.replacePalette(mAfter); }
    void undo(LevelDocument& document) override { document.replacePalette(mBefore); }
    [[nodiscard]] std::string text() const override { return mText; }

private:
    PaletteWords mBefore;
    PaletteWords mAfter;
    std::string mText;
};

// Whole tiles of the tile art rewritten from tile `firstTile` on: `before` and `after` hold the
// same number of whole tiles (32 bytes each).
class SetTilesCommand : public DocumentCommand {
public:
    SetTilesCommand(std::int32_t firstTile, std::vector<std::uint8_t> before,
                    std::vector<std::uint8_t> after, std::string text);

    void redo(LevelDocument& document) override { document.setTiles(mFirstTile, mAfter); }
    void undo(LevelDocument& document) override { document.setTiles(mFirstTile, mBefore); }
    [[nodiscard]] std::string text() const override { return mText; }

private:
    std::int32_t mFirstTile;
    std::vector<std::uint8_t> mBefore;
    std::vector<std::uint8_t> mAfter;
    std::string mText;
};

// Words of the chunk or block mappings changed, each with the word it held.
// The tile art made longer or shorter by whole empty tiles.
class SetTileCountCommand : public DocumentCommand {
public:
    SetTileCountCommand(std::int32_t before, std::int32_t after, std::string text)
        : mBefore(before), mAfter(after), mText(std::move(text)) {}

    void redo(LevelDocument& document) override { document.setTileCount(mAfter); }
    void undo(LevelDocument& document) override { document.setTileCount(mBefore); }
    [[nodiscard]] std::string text() const override { return mText; }

private:
    std::int32_t mBefore;
    std::int32_t mAfter;
    std::string mText;
};

// The chunk or block mappings replaced whole: grown by new pieces, or shrunk back.
class ReplaceMappingsCommand : public DocumentCommand {
public:
    ReplaceMappingsCommand(Part part, std::vector<std::uint8_t> before,
                           std::vector<std::uint8_t> after, std::string text)
        : mPart(part),
          mBefore(std::move(before)),
          mAfter(std::move(after)),
          mText(std::move(text)) {}

    void redo(LevelDocument& document) override { document.replaceMappings(mPart, mAfter); }
    void undo(LevelDocument& document) override { document.replaceMappings(mPart, mBefore); }
    [[nodiscard]] std::string text() const override { return mText; }

private:
    Part mPart;
    std::vector<std::uint8_t> mBefore;
    std::vector<std::uint8_t> mAfter;
    std::string mText;
};

class SetMappingWordsCommand : public DocumentCommand {
public:
    struct WordChange {
        std::int32_t index = 0;
        std::uint16_t before = 0;
        std::uint16_t after = 0;
    };

    SetMappingWordsCommand(Part part, std::vector<WordChange> changes, std::string text);

    void redo(LevelDocument& document) override;
    void undo(LevelDocument& document) override;
    [[nodiscard]] std::string text() const override { return mText; }

private:
    Part mPart;
    std::vector<WordChange> mChanges;
    std::string mText;
};

// One chunk's collision shape on one path (on both when they read one index).
class SetChunkShapeCommand : public DocumentCommand {
public:
    SetChunkShapeCommand(std::int32_t path, std::int32_t chunk, std::uint8_t before,
                         std::uint8_t after);

    void redo(LevelDocument& document) override;
    void undo(LevelDocument& document) override;
    // "Change the primary collision of chunk 0x1A"
    [[nodiscard]] std::string text() const override;

private:
    std::int32_t mPath;
    std::int32_t mChunk;
    std::uint8_t mBefore;
    std::uint8_t mAfter;
};

// One of the 256 collision shapes every zone shares, replaced whole.
class SetShapeCommand : public DocumentCommand {
public:
    SetShapeCommand(std::int32_t shape, Shape before, Shape after);

    void redo(LevelDocument& document) override { document.setShape(mShape, mAfter); }
    void undo(LevelDocument& document) override { document.setShape(mShape, mBefore); }
    // "Change collision shape 0x1A"
    [[nodiscard]] std::string text() const override;

private:
    std::int32_t mShape;
    Shape mBefore;
    Shape mAfter;
};

// A placement part replaced whole: the level's objects, its ring groups, its start position or
// its boundaries, with what it held before. Lists are small (a few hundred entries), so a copy
// of each side is the simplest exact undo.
template <typename Value, void (LevelDocument::*Set)(Value)>
class ReplacePlacementCommand : public DocumentCommand {
public:
    ReplacePlacementCommand(Value before, Value after, std::string text)
        : mBefore(std::move(before)), mAfter(std::move(after)), mText(std::move(text)) {}

    void redo(LevelDocument& document) override { (document.*Set)(mAfter); }
    void undo(LevelDocument& document) override { (document.*Set)(mBefore); }
    [[nodiscard]] std::string text() const override { return mText; }

private:
    Value mBefore;
    Value mAfter;
    std::string mText;
};

using SetObjectsCommand =
    ReplacePlacementCommand<std::vector<ObjectPlacement>, &LevelDocument::setObjects>;
using SetRingsCommand = ReplacePlacementCommand<std::vector<RingGroup>, &LevelDocument::setRings>;
using SetStartCommand = ReplacePlacementCommand<StartPosition, &LevelDocument::setStart>;
using SetBoundsCommand = ReplacePlacementCommand<LevelBounds, &LevelDocument::setBounds>;

}  // namespace orvex
