#pragma once

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QSpinBox>
#include <array>

#include "editor/pieces/pieceedits.h"
#include "editor/pieces/tileviews.h"

namespace orvex {

// The Blocks editor: the block chosen in the block column, its 8 x 8 chunk entries large, and
// the chosen entry's chunk, X and Y flip and the solidity bits of both paths. With "Paint with
// chosen chunk" on, a click on an entry puts the chunk chosen in the chunk sheet there. A block
// can be copied into another whole. Each change is one undo step; the use count is the number
// of cells holding the block in each level that reads these blocks.
class BlockDock : public QDockWidget {
    Q_OBJECT

public:
    // `chosenChunk` gives the chunk chosen in the chunk sheet.
    BlockDock(PieceEdits& edits, const EditorSession& session,
              std::function<std::int32_t()> chosenChunk, QWidget* parent);

    // Opens block `block`.
    void open(std::int32_t block);
    [[nodiscard]] std::int32_t block() const { return mBlock; }
    void refresh();
    [[nodiscard]] PieceSheet& entries() const { return *mEntries; }
    [[nodiscard]] std::optional<std::uint16_t> entryWord(std::int32_t entry) const;
    // Copies the open block's 64 words into block `target`, one undo step.
    void copyInto(std::int32_t target);

signals:
    // Find Free Block found this block: the block column should choose it.
    void blockWanted(int block);

private:
    QWidget* createControls(QWidget* body);
    void setEntryWord(std::int32_t entry, std::uint16_t word);
    void strokeStarted(std::int32_t entry);
    void strokeReached(std::int32_t entry);
    void strokeFinished();
    void showEntry();
    void changeField(std::uint16_t mask, std::uint16_t value);
    void findFreeBlock();

    PieceEdits& mEdits;
    const EditorSession& mSession;
    std::function<std::int32_t()> mChosenChunk;
    std::int32_t mBlock = 0;
    PieceSheet* mEntries = nullptr;
    QSpinBox* mChunk = nullptr;
    QCheckBox* mFlipX = nullptr;
    QCheckBox* mFlipY = nullptr;
    std::array<QCheckBox*, 4> mSolid{};  // path 1 top, path 1 sides, path 2 top, path 2 sides
    QCheckBox* mPaint = nullptr;
    std::vector<std::int32_t> mStroke;  // the entries a paint drag crossed, in order
    QSpinBox* mTarget = nullptr;
    QLabel* mInfo = nullptr;
    bool mShowing = false;
};

}  // namespace orvex
