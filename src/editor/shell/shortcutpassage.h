#pragma once

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

namespace orvex {

// Lets the window's shortcuts through the level selector's text field, which would take every
// key for itself: it keeps what edits the field (every key that types a character, which the
// field's validator may then refuse, Backspace, Delete, the cursor keys, Return), so that no
// letter typed there reaches a tool's key; keys that type nothing (Page Up, F5, Ctrl+S) act as
// anywhere else.
class ShortcutPassage : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride &&
            !editsTheField(*static_cast<QKeyEvent*>(event))) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool editsTheField(const QKeyEvent& key) {
        if (key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) {
            return false;
        }
        if (!key.text().isEmpty() && key.text().front().isPrint()) {
            return true;
        }
        const int code = key.key();
        return code == Qt::Key_Backspace || code == Qt::Key_Delete || code == Qt::Key_Left ||
               code == Qt::Key_Right || code == Qt::Key_Home || code == Qt::Key_End ||
               code == Qt::Key_Return || code == Qt::Key_Enter;
    }
};

}  // namespace orvex
