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

void describeProjectActions(ActionRegistry& actions) {
    actions.action("MenuOpenProject")
        ->setToolTip(
            "Opens a disassembly project's folder; its build runs first when it is not current");
    actions.action("MenuBuildCommand")
        ->setToolTip(
            "The command that builds a project: run when it is opened out of date and after "
            "every save");
}

}  // namespace orvex
