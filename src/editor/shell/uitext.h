#pragma once

#include <QFile>
#include <QString>
#include <filesystem>

#include "document/leveldocument.h"
#include "widgets/qtext.h"

namespace orvex {

inline constexpr const char* kMessageTitle = "Orvex";
inline constexpr const char* kWeirdOffsetMessage = "Argh, weird offset!";

inline constexpr const char* kMigrationTitle = "Rom Oringinal ";
inline constexpr const char* kMigrationPrompt =
    "This ROM hasn't had it's levels migrated.\r\n"
    "In order to save levels in the ROM safely,\r\n"
    "it is necessary to expand the ROM and save\r\n"
    "the levels at the end of the ROM.  If this\r\n"
    "isn't done, data in the ROM may be overwritten,\r\n"
    "as the levels may not fit.  Do you wish to\r\n"
    "migrate the levels?\r\n"
    "\r\n"
    "Migrate Levels?\r\n";

// The question before a save overwrites what another program wrote at the level's place.
inline QString changedOnDiskQuestion(int level) {
    return QString(
               "The ROM file has changed on disk since level %1 was loaded.\r\nSaving now may "
               "overwrite what another program wrote.\r\n\r\nSave anyway?\r\n")
        .arg(level + 1);
}

// The same question for a file of a project; the core's message names it.
inline QString changedFileQuestion(const QString& reason) {
    return reason +
           "\r\nSaving now may overwrite what another program wrote.\r\n\r\nSave "
           "anyway?\r\n";
}

// The offer to move every placement list when the level's own does not fit where it is; the
// core's message says why and how much room the move gives.
inline QString moveListsQuestion(const QString& reason) {
    return reason +
           ".\r\n\r\nMove all object and ring lists of the ROM to the end of the file and "
           "save?\r\n";
}

// The offer to move an art or mapping stream that grew past its place; the core's message says
// which and by how much. The old place is left as it is.
inline QString moveArtQuestion(const QString& reason) {
    return reason +
           ".\r\n\r\nMove it to the end of the file, point the art table at it there, and "
           "save?\r\n";
}

// The name of a file without its folder, as the status line and the questions show it.
inline QString fileNameText(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

// "level 3 (zone 4, act 1)"
inline QString levelText(const LevelDocument& document) {
    return QString("level %1 (zone %2, act %3)")
        .arg(document.level() + 1)
        .arg(document.zoneAct().zone)
        .arg(document.zoneAct().act + 1);
}

}  // namespace orvex
