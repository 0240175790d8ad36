#include "editor/pieces/palettedock.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <variant>
#include <vector>

#include "widgets/qtext.h"

namespace orvex {

namespace {

constexpr std::uint16_t kColourBits = 0x0EEE;  // three bits each of blue, green and red

QString wordText(std::uint16_t word) {
    return dollarHex(word, 4);
}

// The colour words of pasted text ("$0E2A $0000 ..."), or why there are none: every word must
// be a colour the console shows (bits of $0EEE only), and nothing else may be in the text.
std::variant<std::vector<std::uint16_t>, QString> pastedWords(const QString& text) {
    static const QRegularExpression word("^\\$([0-9A-Fa-f]{1,4})$");
    std::vector<std::uint16_t> words;
    for (const QString& token : text.split(QRegularExpression("[\\s,;]+"), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = word.match(token);
        if (!match.hasMatch()) {
            return "\"" + token.left(24) + "\" is not a colour word such as $0E2A";
        }
        const auto value = static_cast<std::uint16_t>(match.captured(1).toUInt(nullptr, 16));
        if ((value & ~kColourBits) != 0) {
            return "\"" + token + "\" is not a colour the console shows (the nearest is " +
                   wordText(static_cast<std::uint16_t>(value & kColourBits)) + ")";
        }
        words.push_back(value);
    }
    if (words.empty()) {
        return QString("the clipboard holds no colour words");
    }
    return words;
}

}  // namespace

PaletteDock::PaletteDock(PieceEdits& edits, const EditorSession& session, QWidget* parent)
    : QDockWidget("Palette", parent), mEdits(edits), mSession(session) {
    setObjectName("PaletteArea");
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    mSwatches = new PaletteSwatches(body);
    mInfo = new QLabel(body);
    mInfo->setObjectName("PaletteInfo");
    mInfo->setWordWrap(true);
    mConsole = new ConsoleColours(body);
    column->addWidget(mSwatches);
    column->addWidget(mInfo);
    column->addWidget(new QLabel("The console's 512 colours:", body));
    column->addWidget(mConsole);
    column->addStretch();
    setWidget(body);
    connect(mSwatches, &PaletteSwatches::colourSelected, this, [this] { showSelected(); });
    connect(mConsole, &ConsoleColours::chosen, this, &PaletteDock::setSelectedColour);
    connect(mSwatches, &PaletteSwatches::copyRequested, this, &PaletteDock::copy);
    connect(mSwatches, &PaletteSwatches::pasteRequested, this, &PaletteDock::paste);
    refresh();
}

void PaletteDock::refresh() {
    const LevelDocument* document = mEdits.document();
    const PaletteWords stored = document != nullptr ? document->parts().palette : PaletteWords{};
    mSwatches->setColours(
        stored, document != nullptr ? shownPalette(stored, mSession.levelStart()) : stored);
    showSelected();
}

// "Line 1, colour 5: $0E8A", and the first frame's word when a cycle writes another.
void PaletteDock::showSelected() {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        mInfo->setText("No level loaded");
        return;
    }
    const int colour = mSwatches->selected();
    const auto at = static_cast<std::size_t>(colour);
    const std::uint16_t stored = document->parts().palette.words[at];
    const std::uint16_t shown =
        shownPalette(document->parts().palette, mSession.levelStart()).words[at];
    QString text = QString("Line %1, colour %2: %3")
                       .arg(colour / kLineColours)
                       .arg(colour % kLineColours)
                       .arg(wordText(stored));
    if (shown != stored) {
        text += QString("; a palette cycle shows %1 on the first frame (lower half)")
                    .arg(wordText(shown));
    }
    if (colour < kLineColours) {
        text += " \u2014 line 0 is shared by every level";
    }
    mInfo->setText(text);
    mConsole->setCurrent(stored);
}

void PaletteDock::setSelectedColour(std::uint16_t word) {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    const int colour = mSwatches->selected();
    const std::uint16_t before = document->parts().palette.words[static_cast<std::size_t>(colour)];
    if (before != word) {
        mEdits.push(Part::Palette, colour < kLineColours,
                    std::make_unique<SetColourCommand>(colour, before, word));
    }
    showSelected();
}

void PaletteDock::copy(bool wholeLine) const {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    const int colour = mSwatches->selected();
    const int first = wholeLine ? colour - colour % kLineColours : colour;
    QStringList words;
    for (int c = first; c < first + (wholeLine ? kLineColours : 1); ++c) {
        words << wordText(document->parts().palette.words[static_cast<std::size_t>(c)]);
    }
    QGuiApplication::clipboard()->setText(words.join(' '));
}

// One word replaces the selected colour; more replace the colours from it on, within its line.
// Text that is not all colour words pastes nothing and says why.
void PaletteDock::paste() {
    const LevelDocument* document = mEdits.document();
    if (document == nullptr) {
        return;
    }
    const auto pasted = pastedWords(QGuiApplication::clipboard()->text());
    if (const auto* why = std::get_if<QString>(&pasted)) {
        showSelected();
        mInfo->setText("Nothing pasted: " + *why);
        return;
    }
    const auto& words = std::get<std::vector<std::uint16_t>>(pasted);
    PaletteWords after = document->parts().palette;
    const int colour = mSwatches->selected();
    int at = colour;
    if (words.size() == static_cast<std::size_t>(kLineColours)) {
        at = colour - colour % kLineColours;  // a whole line goes to the selected line
    }
    const int lineEnd = colour - colour % kLineColours + kLineColours;
    for (std::size_t i = 0; i < words.size() && at < lineEnd; ++i) {
        after.words[static_cast<std::size_t>(at++)] = words[i];
    }
    if (after != document->parts().palette) {
        mEdits.push(
            Part::Palette, colour < kLineColours,
            std::make_unique<SetPaletteCommand>(document->parts().palette, after, "Paste colours"));
    }
    showSelected();
}

}  // namespace orvex
