#include "editor/pieces/pieceedits.h"

#include <QStringList>
#include <algorithm>

#include "document/sharing.h"
#include "editor/shell/blockuses.h"
#include "editor/shell/documentundo.h"
#include "widgets/qtext.h"

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

void PieceEdits::attach(LevelDocument* document) {
    mDocument = document;
    if (document != nullptr && mContext.session.rom().romPath() != mAskedFor) {
        mAsked.clear();
        mAskedFor = mContext.session.rom().romPath();
    }
}

bool PieceEdits::push(Part part, bool everyLevel, std::unique_ptr<DocumentCommand> command,
                      std::optional<std::uint8_t> block) {
    if (mDocument == nullptr || !command || !approved(part, everyLevel, block)) {
        return false;
    }
    mContext.undo.push(new DocumentUndo(*mDocument, std::move(command)));
    return true;
}

bool PieceEdits::approved(Part part, bool everyLevel, std::optional<std::uint8_t> block) {
    const std::pair<std::int16_t, int> key{
        mDocument->level(), everyLevel ? -1 - static_cast<int>(part) : static_cast<int>(part)};
    if (mAsked.contains(key)) {
        return true;
    }
    const QString reached = sharingLevels(part, everyLevel, block);
    if (reached.isEmpty()) {
        mAsked.insert(key);
        return true;
    }
    const QString what = everyLevel && part == Part::Palette
                             ? QString("palette line 0")
                             : QString::fromStdString(std::string(partName(part)));
    const QString question =
        part == Part::CollisionShapes
            ? QString(
                  "The collision shapes are shared by every zone. Editing one changes the "
                  "ground of every level:\n\n%1\n\nEdit it anyway?")
                  .arg(reached)
            : QString(
                  "Other levels use the %1 of this level too. Editing it changes them "
                  "all:\n\n%2\n\nEdit it anyway?")
                  .arg(what, reached);
    if (!mContext.dialogs.askYesNo("Shared " + what, question, false)) {
        return false;
    }
    mAsked.insert(key);
    return true;
}

// The other levels the edit reaches, one a line (for a collision index, with the paths that
// read it); empty when it reaches none.
QString PieceEdits::sharingLevels(Part part, bool everyLevel,
                                  std::optional<std::uint8_t> block) const {
    const std::vector<ZoneAct>& levels = mContext.session.levels();
    QStringList names;
    if (everyLevel) {
        for (std::size_t level = 0; level < levels.size(); ++level) {
            if (static_cast<std::int16_t>(level) != mDocument->level()) {
                names << levelText(static_cast<std::int16_t>(level), levels);
            }
        }
        return names.join("\n");
    }
    const auto image = mContext.session.rom().readAll();
    if (!image) {
        return {};
    }
    const ByteSpan bytes(*image);
    if (part == Part::CollisionPrimary || part == Part::CollisionSecondary) {
        const std::int32_t path = part == Part::CollisionPrimary ? 0 : 1;
        for (const LevelPath& reader :
             pathsSharing(bytes, mDocument->profile(), mDocument->level(), path)) {
            if (reader.level != mDocument->level() || reader.path != path) {
                names << levelText(reader.level, levels) +
                             QString(", path %1").arg(reader.path + 1);
            }
        }
        return names.join("\n");
    }
    const std::vector<std::int16_t> sharing =
        part == Part::Palette
            ? levelsSharingLines(bytes, mDocument->profile(), mDocument->level())
            : levelsSharing(bytes, mDocument->profile(), mDocument->level(), part);
    const std::vector<LevelUses> uses = block && part == Part::BlockMappings
                                            ? blockUses(mContext.session, *block)
                                            : std::vector<LevelUses>{};
    for (const std::int16_t level : otherLevels(sharing, mDocument->level())) {
        QString line = levelText(level, levels);
        const auto found = std::find_if(uses.begin(), uses.end(),
                                        [level](const LevelUses& u) { return u.level == level; });
        if (found != uses.end()) {
            line += QString(": %1 cell%2 hold block %3")
                        .arg(found->cells)
                        .arg(found->cells == 1 ? "" : "s")
                        .arg(dollarHex(*block, 2));
        }
        names << line;
    }
    return names.join("\n");
}

}  // namespace orvex
