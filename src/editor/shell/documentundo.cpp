#include "editor/shell/documentundo.h"

#include "editor/shell/uitext.h"

namespace orvex {

DocumentUndo::DocumentUndo(LevelDocument& document, std::unique_ptr<DocumentCommand> command)
    : mDocument(document), mCommand(std::move(command)) {
    setText(toQString(mCommand->text()));
}

void DocumentUndo::redo() {
    mCommand->redo(mDocument);
}

void DocumentUndo::undo() {
    mCommand->undo(mDocument);
}

}  // namespace orvex
