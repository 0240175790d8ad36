#include "editor/placements/numberbox.h"

#include <QAction>
#include <QLineEdit>

namespace orvex {

bool isUndoKey(const QWidget& window, const QKeyEvent& key) {
    const QKeyCombination pressed(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key()));
    for (const char* id : {"MenuUndo", "MenuRedo"}) {
        const QAction* action = window.findChild<QAction*>(id);
        if (action == nullptr) {
            continue;
        }
        for (const QKeySequence& sequence : action->shortcuts()) {
            if (sequence.count() == 1 && sequence[0] == pressed) {
                return true;
            }
        }
    }
    return false;
}

NumberBox::NumberBox(const QWidget& window, QWidget* parent) : QSpinBox(parent), mWindow(window) {
    setKeyboardTracking(false);  // one edit when the number is complete, not per digit
}

bool NumberBox::hasUnappliedText() const {
    return lineEdit()->text() != prefix() + textFromValue(value()) + suffix();
}

bool NumberBox::event(QEvent* event) {
    // An ignored override lets the window's shortcut have the key.
    if (event->type() == QEvent::ShortcutOverride && !hasUnappliedText() &&
        isUndoKey(mWindow, *static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QSpinBox::event(event);
}

HexByteBox::HexByteBox(const QWidget& window, QWidget* parent) : NumberBox(window, parent) {
    setRange(0, 0xFF);
    setDisplayIntegerBase(16);
    setPrefix("$");
}

QString HexByteBox::textFromValue(int value) const {
    return QString::number(value, 16).toUpper().rightJustified(2, '0');
}

}  // namespace orvex
