#pragma once

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QString>

namespace orvex {

// Emulator Settings: the command line Test Level starts, with a Browse button for the program.
// The same dialog, as Build Command, edits the command line that builds a project.
class EmulatorDialog : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Emulator, Build };

    explicit EmulatorDialog(QWidget* parent = nullptr, Kind kind = Kind::Emulator);

    void setCommand(const QString& line) { mCommand->setText(line); }
    [[nodiscard]] QString command() const { return mCommand->text().trimmed(); }
    // What to change, shown above the line; hidden when empty.
    void setNote(const QString& note);

private:
    void browse();

    Kind mKind;
    QLabel* mNote = nullptr;
    QLineEdit* mCommand = nullptr;
};

}  // namespace orvex
