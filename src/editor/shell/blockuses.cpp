#include "editor/shell/blockuses.h"

#include <QStringList>
#include <algorithm>

namespace orvex {

namespace {

std::int32_t cellsHolding(const Layout& layout, std::uint8_t block) {
    return static_cast<std::int32_t>(
        std::count(layout.bytes().begin(), layout.bytes().end(), block));
}

QString levelNumber(std::int16_t level) {
    return QString::number(level + 1);
}

}  // namespace

std::vector<LevelUses> blockUses(const EditorSession& session, std::uint8_t block) {
    const LevelDocument* document = session.document();
    if (document == nullptr) {
        return {};
    }
    std::vector<LevelUses> uses{{document->level(), cellsHolding(document->layout(), block)}};
    for (const EditorSession::SharingLayout& other : session.sharingLayouts()) {
        uses.push_back({other.level, cellsHolding(other.layout, block)});
    }
    return uses;
}

QString usesText(const std::vector<LevelUses>& uses) {
    if (uses.empty()) {
        return "0 cells";
    }
    QString text = QString("%1 cells in level %2")
                       .arg(uses.front().cells)
                       .arg(levelNumber(uses.front().level));
    if (uses.size() == 1) {
        return text;
    }
    text += " (shown)";
    for (std::size_t i = 1; i < uses.size(); ++i) {
        text += QString(", %1 in level %2").arg(uses[i].cells).arg(levelNumber(uses[i].level));
    }
    return text;
}

QString blockReaders(const EditorSession& session) {
    const LevelDocument* document = session.document();
    if (document == nullptr) {
        return {};
    }
    std::vector<std::int16_t> levels{document->level()};
    for (const EditorSession::SharingLayout& other : session.sharingLayouts()) {
        levels.push_back(other.level);
    }
    std::sort(levels.begin(), levels.end());
    QStringList numbers;
    for (const std::int16_t level : levels) {
        numbers << levelNumber(level);
    }
    if (numbers.size() == 1) {
        return "level " + numbers.front();
    }
    const QString last = numbers.takeLast();
    return "levels " + numbers.join(", ") + " and " + last;
}

}  // namespace orvex
