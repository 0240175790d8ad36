#pragma once

#include <QDockWidget>
#include <QLabel>

#include "editor/pieces/paletteview.h"
#include "editor/pieces/pieceedits.h"

namespace orvex {

// The Palette editor: the level's four lines with the selected colour's word, and the console's
// 512 colours to choose it from. Line 0 is every level's; lines 1 to 3 the level's own. Where a
// palette cycle shows another colour on the level's first frame, both are shown. Copy and Paste
// (Shift for the whole line) go through the clipboard as "$0EEE" words.
class PaletteDock : public QDockWidget {
    Q_OBJECT

public:
    PaletteDock(PieceEdits& edits, const EditorSession& session, QWidget* parent);

    // The document's palette (or none) is shown anew.
    void refresh();
    [[nodiscard]] PaletteSwatches& swatches() const { return *mSwatches; }
    [[nodiscard]] ConsoleColours& consoleColours() const { return *mConsole; }

private:
    void showSelected();
    void setSelectedColour(std::uint16_t word);
    void copy(bool wholeLine) const;
    void paste();

    PieceEdits& mEdits;
    const EditorSession& mSession;
    PaletteSwatches* mSwatches = nullptr;
    ConsoleColours* mConsole = nullptr;
    QLabel* mInfo = nullptr;
};

}  // namespace orvex
