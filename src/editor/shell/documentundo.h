#pragma once

#include <QUndoCommand>
#include <memory>

#include "document/documentcommands.h"

namespace orvex {

// A document command on the window's undo stack. The stack is cleared before the document it
// refers to goes.
class DocumentUndo : public QUndoCommand {
public:
    DocumentUndo(LevelDocument& document, std::unique_ptr<DocumentCommand> command);

    void redo() override;
    void undo() override;

    [[nodiscard]] const DocumentCommand& command() const { return *mCommand; }

private:
    LevelDocument& mDocument;
    std::unique_ptr<DocumentCommand> mCommand;
};

}  // namespace orvex
