// Choosing a level in the editor window: load, pictures into the thumbnails, map redraw.
// Runs on Qt's offscreen platform (QT_QPA_PLATFORM=offscreen).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>

#include "editor/editordialogs.h"
#include "editor/editorwindow.h"
#include "rom/demorom.h"

namespace {

using namespace orvex;

// Answers No to every question: the demo ROM stays unmigrated and nothing is saved.
class QuietDialogs : public EditorDialogs {
public:
    QString chooseRomFile() override { return {}; }
    QString chooseImageFile() override { return {}; }
    QString chooseRomFileToSave() override { return {}; }
    bool askYesNo(const QString&, const QString&, bool) override { return false; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::No; }
    void showMessage(const QString&, const QString&) override {}
};

QApplication& application() {
    static int argc = 1;
    static char name[] = "orvex_benchmarks";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // The offscreen platform notes every raise() of the progress window; keep the table clean.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return app;
}

void BM_ChooseLevelInWindow(benchmark::State& state) {
    application();
    QTemporaryDir folder;
    const QString path = folder.filePath("demo.bin");
    if (!writeDemoRom(path.toStdString(), revisionProfile(RomKind::Revision01)).ok()) {
        state.SkipWithError("cannot write the demo ROM");
        return;
    }
    EditorWindow window(std::make_unique<QuietDialogs>());
    window.show();
    window.openRomFile(path);
    int level = 0;
    for (auto _ : state) {
        level = (level + 7) % 20;  // another zone each time: new art, new thumbnails
        window.levelSelector().setCurrentIndex(level);
        emit window.levelSelector().activated(level);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ChooseLevelInWindow)->Unit(benchmark::kMillisecond);

}  // namespace
