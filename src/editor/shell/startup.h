#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>
#include <optional>

namespace orvex {

class EditorWindow;

// The command line's usage text.
[[nodiscard]] QString usageText();

// What the command line asks that needs no window: --help (or -h) prints the usage to `out`
// and gives exit status 0; an unknown option prints why and the usage to `err` and gives 2.
// None for a ROM file, a project folder, --demo or no argument: the window opens.
[[nodiscard]] std::optional<int> answerWithoutWindow(const QStringList& arguments, QTextStream& out,
                                                     QTextStream& err);

// The ROM or project named on the command line: `orvex PATH` opens PATH (a folder as a project),
// `orvex --demo` writes the demo ROM to a temporary folder (removed when this object goes) and
// opens that.
class StartupRom {
public:
    explicit StartupRom(const QStringList& arguments);

    [[nodiscard]] const QString& path() const { return mPath; }
    [[nodiscard]] const QString& error() const { return mError; }
    // Opens the ROM or project as the Open commands would, or shows why there is none to open.
    void openIn(EditorWindow& window) const;

private:
    void writeDemo();

    std::unique_ptr<QTemporaryDir> mDemoFolder;
    QString mPath;
    QString mError;
};

}  // namespace orvex
