#include "editor/shell/qtdialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace orvex {

namespace {

// The core ends its lines with CR LF; a message box wants plain line feeds.
QString plainLines(QString text) {
    return text.replace("\r\n", "\n");
}

}  // namespace

void configureRomDialog(QFileDialog& dialog) {
    dialog.setWindowTitle(kRomDialogTitle);
    dialog.setNameFilters({kRomFilter, kAllFilesFilter});
    dialog.selectNameFilter(kRomFilter);
    // The folder of the ROM opened last, or at first the program's own.
    dialog.setDirectory(
        QSettings().value("lastFolder", QCoreApplication::applicationDirPath()).toString());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
}

QString QtDialogs::chooseRomFile() {
    QFileDialog dialog(mOwner);
    configureRomDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::chooseProjectFolder() {
    const QString folder =
        QSettings().value("lastFolder", QCoreApplication::applicationDirPath()).toString();
    return QFileDialog::getExistingDirectory(mOwner, kProjectDialogTitle, folder);
}

QString QtDialogs::chooseImageFile() {
    QString path = QFileDialog::getSaveFileName(mOwner, kImageDialogTitle, QString(), kImageFilter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty()) {
        path += ".png";
    }
    return path;
}

QString QtDialogs::chooseRomFileToSave() {
    const QString folder = QSettings().value("lastFolder").toString();
    return QFileDialog::getSaveFileName(mOwner, "Save ROM As", folder,
                                        QString(kRomFilter) + ";;" + kAllFilesFilter);
}

bool QtDialogs::askYesNo(const QString& title, const QString& text, bool defaultYes) {
    QMessageBox box(QMessageBox::NoIcon, title, plainLines(text),
                    QMessageBox::Yes | QMessageBox::No, mOwner);
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

EditorDialogs::Answer QtDialogs::askYesNoCancel(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, plainLines(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, mOwner);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

void QtDialogs::showMessage(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, plainLines(text), QMessageBox::Ok, mOwner);
    box.exec();
}

std::optional<QString> QtDialogs::askEmulatorCommand(const QString& current, const QString& note) {
    return askCommand(EmulatorDialog::Kind::Emulator, current, note);
}

std::optional<QString> QtDialogs::askBuildCommand(const QString& current, const QString& note) {
    return askCommand(EmulatorDialog::Kind::Build, current, note);
}

std::optional<QString> QtDialogs::askCommand(EmulatorDialog::Kind kind, const QString& current,
                                             const QString& note) {
    EmulatorDialog dialog(mOwner, kind);
    dialog.setCommand(current);
    dialog.setNote(plainLines(note));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.command();
}

}  // namespace orvex
