#include <QApplication>
#include <QTimer>

#include "editor/shell/editorwindow.h"
#include "editor/shell/startup.h"
#include "editor/shell/windowmemory.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Settings live in Orvex/Orvex.conf (on Linux under ~/.config).
    QApplication::setOrganizationName("Orvex");
    QApplication::setApplicationName("Orvex");
    orvex::EditorWindow window;
    orvex::restoreWindowMemory(window);
    window.show();
    const orvex::StartupRom startup(QCoreApplication::arguments().mid(1));
    QTimer::singleShot(0, &window, [&] { startup.openIn(window); });
    return app.exec();
}
