#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace orvex {

class EditorWindow;

// The ROM named on the command line: `orvex PATH` opens PATH, `orvex --demo` writes the demo
// ROM to a temporary folder (removed when this object goes) and opens that.
class StartupRom {
public:
    explicit StartupRom(const QStringList& arguments);

    [[nodiscard]] const QString& path() const { return mPath; }
    [[nodiscard]] const QString& error() const { return mError; }
    // Opens the ROM as the Open command would, or shows why there is none to open.
    void openIn(EditorWindow& window) const;

private:
    void writeDemo();

    std::unique_ptr<QTemporaryDir> mDemoFolder;
    QString mPath;
    QString mError;
};

}  // namespace orvex
