#include "editor/pieces/pieceedits.h"

#include <QStringList>

#include "editor/pieces/sharedlevels.h"
#include "editor/shell/documentundo.h"

namespace orvex {

namespace {

QString levelText(std::int16_t level, const std::vector<ZoneAct>& levels) {
    QString text = QString::fromStdString(levelName(level));
    if (static_cast<std::size_t>(level) < levels.size()) {
        const ZoneAct& act = levels[static_cast<std::size_t>(level)];
        text += QString(" (zone %1, act %2)").arg(act.zone).arg(act.act + 1);
    }
    return text;
}

}  // namespace

bool PieceEdits::push(Part part, bool everyLevel, std::unique_ptr<DocumentCommand> command) {
    if (mDocument == nullptr || !command || !approved(part, everyLevel)) {
        return false;
    }
    mContext.undo.push(new DocumentUndo(*mDocument, std::move(command)));
    return true;
}

bool PieceEdits::approved(Part part, bool everyLevel) {
    const std::pair<std::int16_t, int> key{mDocument->level(),
                                           everyLevel ? -1 : static_cast<int>(part)};
    if (mAsked.contains(key)) {
        return true;
    }
    const QString levels = sharingLevels(part, everyLevel);
    if (levels.isEmpty()) {
        mAsked.insert(key);
        return true;
    }
    const QString what = everyLevel ? QString("palette line 0")
                                    : QString::fromStdString(std::string(partName(part)));
    const QString question =
        QString(
            "The %1 of this level is shared. Editing it changes every level that uses it:\n\n"
            "%2\n\nEdit it anyway?")
            .arg(what, levels);
    if (!mContext.dialogs.askYesNo("Shared " + what, question, false)) {
        return false;
    }
    mAsked.insert(key);
    return true;
}

// The other levels the edit reaches, one a line; empty when it reaches none.
QString PieceEdits::sharingLevels(Part part, bool everyLevel) const {
    const std::vector<ZoneAct>& levels = mContext.session.levels();
    const auto count = static_cast<std::int16_t>(levels.size());
    std::vector<std::int16_t> sharing;
    if (everyLevel) {
        for (std::int16_t level = 0; level < count; ++level) {
            sharing.push_back(level);
        }
    } else if (auto image = mContext.session.rom().readAll()) {
        sharing = levelsSharing(*image, mDocument->profile(), mDocument->level(), part, count);
    }
    QStringList names;
    for (const std::int16_t level : sharing) {
        if (level != mDocument->level()) {
            names << levelText(level, levels);
        }
    }
    return names.join("\n");
}

}  // namespace orvex
