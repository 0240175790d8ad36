#pragma once

#include <QFileDialog>
#include <QWidget>

#include "editor/shell/editordialogs.h"
#include "editor/shell/emulatordialog.h"

namespace orvex {

inline constexpr const char* kRomDialogTitle = "Select a Sonic 2 ROM...";
inline constexpr const char* kRomFilter = "Mega Drive ROM (*.bin *.smd *.md *.gen)";
inline constexpr const char* kAllFilesFilter = "All files (*)";
inline constexpr const char* kProjectDialogTitle = "Open a Disassembly Project";
inline constexpr const char* kImageDialogTitle = "Export Level Image";
inline constexpr const char* kImageFilter = "PNG image (*.png)";

// The settings of the ROM file dialog: title, the two filters with the first selected, the
// program's own folder, existing files only.
void configureRomDialog(QFileDialog& dialog);

// The dialogs as Qt shows them, owned by the main window.
class QtDialogs : public EditorDialogs {
public:
    explicit QtDialogs(QWidget* owner) : mOwner(owner) {}

    QString chooseRomFile() override;
    QString chooseProjectFolder() override;
    QString chooseImageFile() override;
    QString chooseRomFileToSave() override;
    bool askYesNo(const QString& title, const QString& text, bool defaultYes) override;
    Answer askYesNoCancel(const QString& title, const QString& text) override;
    void showMessage(const QString& title, const QString& text) override;
    std::optional<QString> askEmulatorCommand(const QString& current, const QString& note) override;
    std::optional<QString> askBuildCommand(const QString& current, const QString& note) override;

private:
    std::optional<QString> askCommand(EmulatorDialog::Kind kind, const QString& current,
                                      const QString& note);

    QWidget* mOwner;
};

}  // namespace orvex
