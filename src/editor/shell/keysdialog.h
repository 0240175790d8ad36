#pragma once

#include <QDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QTableWidget>

#include "editor/shell/actionregistry.h"

namespace orvex {

// Help > Keyboard Shortcuts lists every action of the registry with its area and keys, then
// what the mouse does ("Mouse: Map" ...);
// Edit > Preferences > Keys does the same and changes them: a key typed for the chosen action
// is assigned at once (a key another action has is refused, naming both), Reset gives every
// action its default keys back.
class KeysDialog : public QDialog {
    Q_OBJECT

public:
    enum class Mode { List, Edit };

    KeysDialog(ActionRegistry& actions, Mode mode, QWidget* parent);

    // Gives the action of `row` the keys typed, as the Assign button does. The refusal, if any.
    [[nodiscard]] QString assign(int row, const QKeySequence& key);
    [[nodiscard]] QTableWidget& table() const { return *mTable; }

private:
    void fill();
    void addGestures();
    void addEditor();

    ActionRegistry& mActions;
    QTableWidget* mTable = nullptr;
    QKeySequenceEdit* mKeyEdit = nullptr;
    QLabel* mMessage = nullptr;
};

}  // namespace orvex
