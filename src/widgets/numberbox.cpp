#include "widgets/numberbox.h"

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

std::optional<int> parseWordText(const QString& text) {
    QString digits = text.trimmed();
    const bool negative = digits.startsWith('-');
    if (negative) {
        digits.remove(0, 1);
    }
    int base = 10;
    if (digits.startsWith('$')) {
        digits.remove(0, 1);
        base = 16;
    } else if (digits.startsWith("0x", Qt::CaseInsensitive)) {
        digits.remove(0, 2);
        base = 16;
    }
    bool ok = false;
    const uint magnitude = digits.toUInt(&ok, base);
    // toUInt would take a sign or spaces of its own.
    if (!ok || digits.isEmpty() || !digits[0].isLetterOrNumber() ||
        magnitude > (negative ? 0x8000U : 0xFFFFU)) {
        return std::nullopt;
    }
    return negative ? -static_cast<int>(magnitude) : static_cast<int>(magnitude);
}

WordBox::WordBox(bool asSigned, const QWidget& window, QWidget* parent)
    : NumberBox(window, parent), mSigned(asSigned) {
    setRange(-0x8000, 0xFFFF);
}

void WordBox::showWord(std::uint16_t word) {
    setValue(mSigned ? int{static_cast<std::int16_t>(word)} : int{word});
}

QValidator::State WordBox::validate(QString& text, int& position) const {
    (void)position;
    if (parseWordText(text)) {
        return QValidator::Acceptable;
    }
    // The beginnings of a number, still to be finished.
    const QString start = text.trimmed();
    for (const char* prefix : {"", "-", "$", "-$", "0x", "-0x", "0X", "-0X"}) {
        if (start == prefix) {
            return QValidator::Intermediate;
        }
    }
    return QValidator::Invalid;
}

int WordBox::valueFromText(const QString& text) const {
    return parseWordText(text).value_or(value());
}

QString WordBox::textFromValue(int value) const {
    const auto word = static_cast<std::uint16_t>(value);
    return QString::number(mSigned ? int{static_cast<std::int16_t>(word)} : int{word});
}

}  // namespace orvex
