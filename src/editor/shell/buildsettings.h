#pragma once

#include <QAction>
#include <QString>
#include <optional>
#include <string>

#include "editor/shell/actionregistry.h"
#include "editor/shell/editordialogs.h"

namespace orvex {

// The settings key of the command line that builds a project.
inline constexpr const char* kBuildCommandKey = "buildCommand";

// The build command line the settings hold, trimmed; empty when none is set, and then each
// project builds with its own default (`lua build.lua` where it has build.lua).
[[nodiscard]] QString storedBuildCommand();

// The command line to build projects with, as the core takes it: the stored one, or none for
// each project's default.
[[nodiscard]] std::optional<std::string> buildCommandSetting();

// File > Build Command...: the dialog on the stored line with `note` (when not empty) saying what
// to change. An accepted line is stored (an empty one forgets it); the line accepted, or nothing
// on Cancel.
std::optional<QString> editBuildCommand(EditorDialogs& dialogs, const QString& note);

// The settings key of whether a save into a project keeps NAME.bak beside each file it replaces
// (off: the project's version control keeps the history).
inline constexpr const char* kProjectBackupsKey = "projectBackups";
[[nodiscard]] bool projectBackupsSetting();
// Makes `action` the checkable setting itself: checked as stored, stored when toggled.
void bindProjectBackups(QAction& action);

// The tooltips of File > Open Project... and File > Build Command..., once both are registered.
void describeProjectActions(ActionRegistry& actions);

}  // namespace orvex
