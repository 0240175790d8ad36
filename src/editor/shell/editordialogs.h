#pragma once

#include <QString>
#include <optional>

namespace orvex {

// Every dialog the editor shows goes through this seam: the system file dialog and the message
// boxes. The window owns one; tests give it a scripted one.
class EditorDialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~EditorDialogs() = default;
    // The open-file dialog for a ROM; the full path of an existing file, or empty on Cancel.
    virtual QString chooseRomFile() = 0;
    // The folder dialog of Open Project; the full path of an existing folder, or empty on Cancel.
    virtual QString chooseProjectFolder() = 0;
    // The save-file dialog for an exported picture; the path chosen, or empty on Cancel.
    virtual QString chooseImageFile() = 0;
    // The save-file dialog of Save As for a ROM; the path chosen, or empty on Cancel.
    virtual QString chooseRomFileToSave() = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& title, const QString& text, bool defaultYes) = 0;
    // A Yes/No/Cancel question, Yes the default.
    virtual Answer askYesNoCancel(const QString& title, const QString& text) = 0;
    // A message with an OK button.
    virtual void showMessage(const QString& title, const QString& text) = 0;
    // The emulator settings: the command line Test Level runs, `current` filled in and `note`
    // (when not empty) saying what to change; the line accepted, or nothing on Cancel.
    virtual std::optional<QString> askEmulatorCommand(const QString& current,
                                                      const QString& note) = 0;
    // The build command of projects, as askEmulatorCommand asks for the emulator's.
    virtual std::optional<QString> askBuildCommand(const QString& current, const QString& note) = 0;
};

}  // namespace orvex
