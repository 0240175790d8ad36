#include <QApplication>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "editor/shell/editorwindow.h"
#include "editor/shell/startup.h"
#include "editor/shell/windowmemory.h"

int main(int argc, char** argv) {
    {
        QStringList arguments;
        for (int i = 1; i < argc; ++i) {
            arguments << QString::fromLocal8Bit(argv[i]);
        }
        QTextStream out(stdout);
        QTextStream err(stderr);
        // Usage and bad options are answered on the terminal: no window, no display needed.
        if (const auto status = orvex::answerWithoutWindow(arguments, out, err)) {
            return *status;
        }
    }
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
