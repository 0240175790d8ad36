#pragma once

#include <QKeyEvent>
#include <QSpinBox>

namespace orvex {

// A number field of a dock that gives the window's Undo and Redo keys back to the window once
// its value is applied: a spin box would otherwise take them for the undo of its own text, even
// with nothing of its own to undo. While it holds typing not applied yet, they stay its own.
class NumberBox : public QSpinBox {
    Q_OBJECT

public:
    // The keys are those of the actions "MenuUndo" and "MenuRedo" of `window`, read at each
    // press (the user may change them).
    NumberBox(const QWidget& window, QWidget* parent);

    // Whether the text differs from what the box shows for its value: typing not applied.
    [[nodiscard]] bool hasUnappliedText() const;

protected:
    bool event(QEvent* event) override;

private:
    const QWidget& mWindow;
};

// A byte in hexadecimal, always two digits after the "$".
class HexByteBox : public NumberBox {
    Q_OBJECT

public:
    HexByteBox(const QWidget& window, QWidget* parent);

protected:
    [[nodiscard]] QString textFromValue(int value) const override;
};

// Whether `key` is one of the keys of the actions "MenuUndo" and "MenuRedo" of `window`.
[[nodiscard]] bool isUndoKey(const QWidget& window, const QKeyEvent& key);

}  // namespace orvex
