#include <QApplication>
#include <QTimer>

#include "editor/shell/editorwindow.h"
#include "editor/shell/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orvex::EditorWindow window;
    window.show();
    const orvex::StartupRom startup(QCoreApplication::arguments().mid(1));
    QTimer::singleShot(0, &window, [&] { startup.openIn(window); });
    return app.exec();
}
