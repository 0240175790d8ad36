#pragma once

#include <QKeyEvent>
#include <QSpinBox>
#include <QValidator>
#include <cstdint>
#include <optional>

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

// A word as the game stores it, typed in decimal or in hexadecimal after "$" (or "0x"); a
// negative number is the word the game reads as it (-256 is $FF00).
class WordBox : public NumberBox {
    Q_OBJECT

public:
    // `asSigned`: shown as the game compares it, as a signed word; else 0 to 65535.
    WordBox(bool asSigned, const QWidget& window, QWidget* parent);

    [[nodiscard]] std::uint16_t word() const { return static_cast<std::uint16_t>(value()); }
    void showWord(std::uint16_t word);

protected:
    QValidator::State validate(QString& text, int& position) const override;
    [[nodiscard]] int valueFromText(const QString& text) const override;
    [[nodiscard]] QString textFromValue(int value) const override;

private:
    bool mSigned;
};

// `text` as a word's number: decimal or "$"/"0x" hexadecimal, with an optional "-"; 0 to
// 0xFFFF, or -0x8000 to -1. None for anything else.
[[nodiscard]] std::optional<int> parseWordText(const QString& text);

// Whether `key` is one of the keys of the actions "MenuUndo" and "MenuRedo" of `window`.
[[nodiscard]] bool isUndoKey(const QWidget& window, const QKeyEvent& key);

}  // namespace orvex
