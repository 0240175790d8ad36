#include "editor/shell/buildsettings.h"

#include <QSettings>

namespace orvex {

QString storedBuildCommand() {
    return QSettings().value(kBuildCommandKey).toString().trimmed();
}

std::optional<std::string> buildCommandSetting() {
    const QString line = storedBuildCommand();
    if (line.isEmpty()) {
        return std::nullopt;
    }
    return line.toStdString();
}

std::optional<QString> editBuildCommand(EditorDialogs& dialogs, const QString& note) {
    const auto line = dialogs.askBuildCommand(storedBuildCommand(), note);
    if (!line) {
        return std::nullopt;
    }
    const QString accepted = line->trimmed();
    QSettings settings;
    if (accepted.isEmpty()) {
        settings.remove(kBuildCommandKey);
    } else {
        settings.setValue(kBuildCommandKey, accepted);
    }
    return accepted;
}

bool projectBackupsSetting() {
    return QSettings().value(kProjectBackupsKey, false).toBool();
}

void bindProjectBackups(QAction& action) {
    action.setCheckable(true);
    action.setChecked(projectBackupsSetting());
    QObject::connect(&action, &QAction::toggled,
                     [](bool on) { QSettings().setValue(kProjectBackupsKey, on); });
}

void describeProjectActions(ActionRegistry& actions) {
    actions.action("MenuOpenProject")
        ->setToolTip(
            "Opens a disassembly project's folder; its build runs first when it is not current");
    actions.action("MenuBuildCommand")
        ->setToolTip(
            "The command that builds a project: run when it is opened out of date and after "
            "every save");
    actions.action("MenuProjectBackups")
        ->setToolTip(
            "Keeps NAME.bak beside each file of a project that a save replaces; off, the "
            "project's version control is its history");
}

}  // namespace orvex
