#include "editor/shell/emulatordialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QProcess>
#include <QPushButton>
#include <QStringList>

namespace orvex {

namespace {

QString quoted(const QString& word) {
    return word.contains(' ') || word.isEmpty() ? '"' + word + '"' : word;
}

struct DialogText {
    const char* name;
    const char* title;
    const char* placeholder;
    const char* help;
};

constexpr DialogText kEmulatorText{
    "EmulatorSettings", "Emulator Settings", "blastem %f",
    "Test Level (F5) runs this command on a copy of the ROM that starts at the level shown, "
    "with the edits not saved yet. %f stands for that file; without %f the file goes last. "
    "Put quotes around a word that holds spaces."};

constexpr DialogText kBuildText{
    "BuildSettings", "Build Command", "lua build.lua",
    "Orvex runs this command in the project's folder when the project is opened and its "
    "listing (s2.lst) is missing or older than a file it names, and after every save. "
    "Empty: lua build.lua, for a project that has build.lua. Put quotes around a word that "
    "holds spaces."};

}  // namespace

EmulatorDialog::EmulatorDialog(QWidget* parent, Kind kind) : QDialog(parent), mKind(kind) {
    const DialogText& text = kind == Kind::Emulator ? kEmulatorText : kBuildText;
    setObjectName(text.name);
    setWindowTitle(text.title);
    auto* grid = new QGridLayout(this);
    mNote = new QLabel(this);
    mNote->setObjectName("EmulatorNote");
    mNote->setWordWrap(true);
    mNote->hide();
    grid->addWidget(mNote, 0, 0, 1, 3);
    grid->addWidget(new QLabel("Command line:", this), 1, 0);
    mCommand = new QLineEdit(this);
    mCommand->setObjectName("EmulatorCommand");
    mCommand->setMinimumWidth(360);
    mCommand->setPlaceholderText(text.placeholder);
    grid->addWidget(mCommand, 1, 1);
    auto* browse = new QPushButton("Browse...", this);
    browse->setObjectName("EmulatorBrowse");
    connect(browse, &QPushButton::clicked, this, &EmulatorDialog::browse);
    grid->addWidget(browse, 1, 2);
    auto* help = new QLabel(text.help, this);
    help->setWordWrap(true);
    grid->addWidget(help, 2, 0, 1, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    grid->addWidget(buttons, 3, 0, 1, 3);
}

void EmulatorDialog::setNote(const QString& note) {
    mNote->setText(note);
    mNote->setVisible(!note.isEmpty());
}

// The program chosen replaces the first word of the line; the arguments stay.
void EmulatorDialog::browse() {
    const QString program = QFileDialog::getOpenFileName(
        this, mKind == Kind::Emulator ? "Choose the Emulator" : "Choose the Build Program");
    if (program.isEmpty()) {
        return;
    }
    QStringList words = QProcess::splitCommand(mCommand->text());
    if (words.isEmpty()) {
        words.append(program);
        if (mKind == Kind::Emulator) {
            words.append("%f");
        }
    } else {
        words[0] = program;
    }
    QStringList line;
    for (const QString& word : words) {
        line << quoted(word);
    }
    mCommand->setText(line.join(' '));
}

}  // namespace orvex
