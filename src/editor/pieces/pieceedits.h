#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <utility>

#include "document/documentcommands.h"
#include "editor/shell/editingarea.h"

namespace orvex {

// Where the piece editors' edits go: each one a step of the window's undo stack. The first edit
// of a piece that other levels share (the tile art, chunks or blocks of a zone whose streams
// other zones use, a palette both acts load, line 0 which every level loads) names the levels
// it changes and asks whether to go on, once per level shown and part.
class PieceEdits {
public:
    explicit PieceEdits(AreaContext& context) : mContext(context) {}

    // The answers given are for one file: another file asks afresh.
    void attach(LevelDocument* document);
    [[nodiscard]] LevelDocument* document() const { return mDocument; }

    // Pushes `command`, an edit of `part` (of palette line 0 when `everyLevel`), unless the
    // question about its sharing was answered No. True when pushed. For an edit of block
    // `block`, the question says how many cells of each level hold it.
    bool push(Part part, bool everyLevel, std::unique_ptr<DocumentCommand> command,
              std::optional<std::uint8_t> block = std::nullopt);

private:
    [[nodiscard]] bool approved(Part part, bool everyLevel, std::optional<std::uint8_t> block);
    [[nodiscard]] QString sharingLevels(Part part, bool everyLevel,
                                        std::optional<std::uint8_t> block) const;

    AreaContext& mContext;
    LevelDocument* mDocument = nullptr;
    std::set<std::pair<std::int16_t, int>> mAsked;  // level, part (negative: every level's)
    std::filesystem::path mAskedFor;                // the file the answers are for
};

}  // namespace orvex
