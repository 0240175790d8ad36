#include "editor/shell/startup.h"

#include <QFile>

#include "demo/demorom.h"
#include "editor/shell/editorwindow.h"
#include "editor/shell/uitext.h"

namespace orvex {

QString usageText() {
    return "Usage: orvex [ROM file | project folder | --demo | --help]\n"
           "  ROM file        open this Sonic 2 cartridge image (.bin, .md, .gen, or a .smd dump)\n"
           "  project folder  open this disassembly project (its s2.lst, or build.lua beside its\n"
           "                  .asm source), building it first when its build is not current\n"
           "  --demo          write a synthetic demo ROM to a temporary folder and open it\n"
           "  --help          print this text and exit\n"
           "orvex-tool, the command-line tool, reads and writes the same images without a "
           "window.\n";
}

std::optional<int> answerWithoutWindow(const QStringList& arguments, QTextStream& out,
                                       QTextStream& err) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    const QString& first = arguments.constFirst();
    if (first == "--help" || first == "-h") {
        out << usageText();
        out.flush();
        return 0;
    }
    if (first.startsWith("-") && first != "--demo") {
        err << "orvex: unknown option " << first << "\n" << usageText();
        err.flush();
        return 2;
    }
    return std::nullopt;
}

StartupRom::StartupRom(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return;
    }
    const QString& first = arguments.constFirst();
    if (first == "--demo") {
        writeDemo();
    } else if (first.startsWith("--")) {
        mError = "Unknown option " + first + ". Usage: orvex [ROM file | project folder | --demo]";
    } else {
        mPath = first;
    }
}

void StartupRom::writeDemo() {
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        mError = "No temporary folder for the demo ROM: " + folder->errorString();
        return;
    }
    const QString path = folder->filePath("orvex-demo.bin");
    const Status written =
        writeDemoRom(QFile::encodeName(path).toStdString(), revisionProfile(RomKind::Revision01));
    if (!written) {
        mError = "The demo ROM could not be written.\n\n" + toQString(written.error().describe());
        return;
    }
    mDemoFolder = std::move(folder);
    mPath = path;
}

void StartupRom::openIn(EditorWindow& window) const {
    if (!mError.isEmpty()) {
        window.dialogs().showMessage(kMessageTitle, mError);
    } else if (!mPath.isEmpty()) {
        window.controller().openPath(mPath);
    }
}

}  // namespace orvex
