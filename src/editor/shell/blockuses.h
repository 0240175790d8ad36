#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "editor/shell/editorsession.h"

namespace orvex {

// How many cells of one level's layout hold a block.
struct LevelUses {
    std::int16_t level = 0;
    std::int32_t cells = 0;
};

// The cells holding `block` in every level that reads the block mappings shown: the level shown
// first (its layout as edited), then the others as the file holds them; empty without a level.
[[nodiscard]] std::vector<LevelUses> blockUses(const EditorSession& session, std::uint8_t block);

// "12 cells in level 1 (shown), 10 in level 10"; "12 cells in level 1" when no other level
// reads the blocks.
[[nodiscard]] QString usesText(const std::vector<LevelUses>& uses);

// The levels that read the block mappings shown, as "levels 1 and 10"; "level 1" alone.
[[nodiscard]] QString blockReaders(const EditorSession& session);

}  // namespace orvex
