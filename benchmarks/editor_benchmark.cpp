// Choosing a level in the editor window: load, pictures into the thumbnails, map redraw; and
// opening a disassembly project whose build is current, up to its first level drawn.
// Runs on Qt's offscreen platform (QT_QPA_PLATFORM=offscreen).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <array>

#include "demo/demorom.h"
#include "editor/map/mapanimation.h"
#include "editor/shell/buildsettings.h"
#include "editor/shell/editordialogs.h"
#include "editor/shell/editorwindow.h"
#ifdef ORVEX_BENCHMARK_PROJECTS
#include "project/syntheticproject.h"
#endif

namespace {

using namespace orvex;

// Answers No to every question: the demo ROM stays unmigrated and nothing is saved.
class QuietDialogs : public EditorDialogs {
public:
    QString chooseRomFile() override { return {}; }
    QString chooseProjectFolder() override { return {}; }
    QString chooseImageFile() override { return {}; }
    QString chooseRomFileToSave() override { return {}; }
    bool askYesNo(const QString&, const QString&, bool) override { return false; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::No; }
    void showMessage(const QString&, const QString&) override {}
    std::optional<QString> askEmulatorCommand(const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> askBuildCommand(const QString&, const QString&) override {
        return std::nullopt;
    }
};

QApplication& application() {
    static int argc = 1;
    static char name[] = "orvex_benchmarks";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // Recent files and the build command go to a test location, never the user's settings.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName("orvex-benchmarks");
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
    window.controller().openRomFile(path);
    int level = 0;
    for (auto _ : state) {
        level = (level + 7) % 20;  // another zone each time: new art, new thumbnails
        window.levelSelector().setCurrentIndex(level);
        emit window.levelSelector().activated(level);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ChooseLevelInWindow)->Unit(benchmark::kMillisecond);

#ifdef ORVEX_BENCHMARK_PROJECTS
// Open Project on the synthetic project, its build current: the folder checked, the listing read
// and compared with the files it names, the last build read and identified, level 1 loaded and
// drawn in the window (thumbnails, map), and the window painted. The goal is under 300 ms.
void BM_OpenCurrentProjectInWindow(benchmark::State& state) {
    application();
    QTemporaryDir folder;
    const QString project = folder.filePath("hack");
    if (!orvex::testing::writeSyntheticProject(project.toStdString()).ok()) {
        state.SkipWithError("the synthetic project could not be written");
        return;
    }
    // A build would fail: a project that is current never runs one.
    QSettings().setValue(kBuildCommandKey, "false");
    EditorWindow window(std::make_unique<QuietDialogs>());
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.controller().openProject(project);
        QApplication::processEvents();
    }
    if (window.session().document() == nullptr ||
        window.session().source().kind() != SourceKind::Project ||
        window.session().source().builds() != 0) {
        state.SkipWithError("the project did not open without a build");
    }
    QSettings().remove(kBuildCommandKey);
}
BENCHMARK(BM_OpenCurrentProjectInWindow)->Unit(benchmark::kMillisecond);
#endif

// A window on the demo ROM, wide enough to show a whole plane at 12.5% (2,048 x 256 pixels).
class MapWindow {
public:
    MapWindow() {
        mPath = mFolder.filePath("demo.bin");
        mOk = writeDemoRom(mPath.toStdString(), revisionProfile(RomKind::Revision01)).ok();
        mWindow.resize(2300, 700);
        mWindow.show();
        mWindow.controller().openRomFile(mPath);
        QApplication::processEvents();
    }
    [[nodiscard]] bool ok() const { return mOk && mWindow.session().document() != nullptr; }
    EditorWindow& window() { return mWindow; }
    MapCanvas& canvas() { return *mWindow.map().mapFrame().canvas(); }

    void mouse(QEvent::Type type, PlaneCell cell) {
        const QPointF at = canvas().cellRect(cell).center();
        QMouseEvent event(type, at, canvas().mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&canvas(), &event);
    }

private:
    QApplication& mApplication = application();  // before any widget
    QTemporaryDir mFolder;
    QString mPath;
    bool mOk = false;
    EditorWindow mWindow{std::make_unique<QuietDialogs>()};
};

// Repainting the whole visible map at 12.5%: every cell of a plane.
void BM_RepaintWholePlaneAt12Percent(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    map.window().map().setZoom(0);
    QApplication::processEvents();
    for (auto _ : state) {
        map.canvas().repaint();
    }
    state.counters["cells"] = map.canvas().cellsIn({}).width() * map.canvas().cellsIn({}).height();
}
BENCHMARK(BM_RepaintWholePlaneAt12Percent)->Unit(benchmark::kMillisecond);

// Repainting the map at 25% with objects and rings drawn with their sprites: 300 objects (the
// largest lists of the game hold about that many) and 150 ring groups of 4, all in view.
void BM_RepaintPlacementsAt25Percent(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    LevelDocument& document = *map.window().session().document();
    std::vector<ObjectPlacement> objects;
    constexpr std::array<std::uint8_t, 4> kIds{0x26, 0x41, 0x36, 0x4B};
    for (int i = 0; i < 300; ++i) {
        objects.push_back({static_cast<std::uint16_t>(64 + 24 * (i % 300)),
                           static_cast<std::uint16_t>(64 + 7 * (i % 250)),
                           kIds[static_cast<std::size_t>(i % 4)], 0});
    }
    std::vector<RingGroup> rings;
    for (int i = 0; i < 150; ++i) {
        rings.push_back({static_cast<std::uint16_t>(40 + 48 * i),
                         static_cast<std::uint16_t>(300 + 5 * (i % 100)), 4, i % 2 == 0});
    }
    document.setObjects(std::move(objects));
    document.setRings(std::move(rings));
    map.window().findChild<QAction*>("MenuObjects")->setChecked(true);
    map.window().findChild<QAction*>("MenuRings")->setChecked(true);
    map.window().map().setZoom(1);
    QApplication::processEvents();
    for (auto _ : state) {
        map.canvas().repaint();
    }
    state.counters["objects"] = 300;
}
BENCHMARK(BM_RepaintPlacementsAt25Percent)->Unit(benchmark::kMillisecond);

// One frame of View > Animate at 25% with objects and rings shown, on the level whose
// animation scripts and palette cycle change the most: the session steps the animation, the map
// redraws the blocks that changed and repaints their cells.
void BM_AnimationStepAt25Percent(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    map.window().findChild<QAction*>("MenuObjects")->setChecked(true);
    map.window().findChild<QAction*>("MenuRings")->setChecked(true);
    map.window().map().setZoom(1);
    QApplication::processEvents();
    auto* animation = map.window().findChild<MapAnimation*>();
    if (animation == nullptr || !map.window().session().animates()) {
        state.SkipWithError("the level does not animate");
        return;
    }
    std::int64_t blocks = 0;
    QObject::connect(animation, &MapAnimation::stepped,
                     [&blocks](const EditorSession::AnimationStep& step) {
                         blocks += static_cast<std::int64_t>(step.blocks.size());
                     });
    for (auto _ : state) {
        animation->advance();
        QApplication::processEvents();
    }
    state.counters["blocks"] =
        benchmark::Counter(static_cast<double>(blocks), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_AnimationStepAt25Percent)->Unit(benchmark::kMillisecond);

// The heaviest frame of the animation: a palette cycle changes colours that every block may
// show, so the map makes all 256 block pictures again and repaints the view.
void BM_PaletteCycleFrameAt25Percent(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    map.window().findChild<QAction*>("MenuObjects")->setChecked(true);
    map.window().map().setZoom(1);
    QApplication::processEvents();
    auto* animation = map.window().findChild<MapAnimation*>();
    if (animation == nullptr) {
        state.SkipWithError("no animation");
        return;
    }
    for (auto _ : state) {
        emit animation->stepped({{}, true});
        QApplication::processEvents();
    }
}
BENCHMARK(BM_PaletteCycleFrameAt25Percent)->Unit(benchmark::kMillisecond);

// One brush step at 100%: a cell changed, its command pushed, the change repainted.
void BM_BrushStep(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    map.window().tools().choose("ToolBrush");
    int step = 0;
    for (auto _ : state) {
        map.window().map().blockSelector().pickBlock(static_cast<std::uint8_t>(0x40 + step++ % 2));
        map.mouse(QEvent::MouseButtonPress, {2, 3});
        map.mouse(QEvent::MouseButtonRelease, {2, 3});
        QApplication::processEvents();
    }
}
BENCHMARK(BM_BrushStep)->Unit(benchmark::kMillisecond);

// Pasting a 16 x 16 selection at 100%: one command of 256 cells, repainted.
void BM_Paste16x16(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    int step = 0;
    for (auto _ : state) {
        const auto block = static_cast<std::uint8_t>(0x30 + step++ % 2);
        map.window().map().tools().startPaste(
            CellPattern{16, 16, std::vector<std::uint8_t>(256, block)});
        map.mouse(QEvent::MouseButtonPress, {0, 0});
        map.mouse(QEvent::MouseButtonRelease, {0, 0});
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Paste16x16)->Unit(benchmark::kMillisecond);

// The index (below `count`) that most of `words` name through `mask`: the busiest piece.
std::int32_t busiest(const MappingWords& words, std::uint16_t mask, std::int32_t count) {
    std::vector<std::int32_t> uses(static_cast<std::size_t>(count), 0);
    for (std::int32_t w = 0; w < words.wordCount(); ++w) {
        const std::int32_t piece = words.word(w) & mask;
        if (piece > 0 && piece < count) {
            ++uses[static_cast<std::size_t>(piece)];
        }
    }
    return static_cast<std::int32_t>(std::max_element(uses.begin(), uses.end()) - uses.begin());
}

// A window with the overview shown, at 100%: the level the benchmarks below edit.
bool showOverview(MapWindow& map) {
    map.window().findChild<QAction*>("MenuOverview")->trigger();
    QApplication::processEvents();
    return map.ok();
}

// One pixel of the tile the most chunk entries show changed: video memory, the tile, its
// chunks and their blocks drawn again, the block pictures, thumbnails, overview cells and map
// repainted.
void BM_PixelEditRedraw(benchmark::State& state) {
    MapWindow map;
    if (!showOverview(map)) {
        state.SkipWithError("no level");
        return;
    }
    LevelDocument& document = *map.window().session().document();
    const std::int32_t tile =
        busiest(document.parts().chunks, 0x07FF, document.parts().tiles.completeTiles());
    const auto at = static_cast<std::ptrdiff_t>(tile) * kTileBytes;
    std::vector<std::uint8_t> bytes(document.parts().tiles.bytes.begin() + at,
                                    document.parts().tiles.bytes.begin() + at + kTileBytes);
    for (auto _ : state) {
        bytes[0] ^= 0x11;
        document.setTiles(tile, bytes);
        QApplication::processEvents();
    }
    state.counters["tile"] = tile;
}
BENCHMARK(BM_PixelEditRedraw)->Unit(benchmark::kMillisecond);

// One entry of the chunk the most block entries show changed: the chunk and its blocks drawn
// again and shown in the map, the block column and the overview.
void BM_ChunkEntryEditRedraw(benchmark::State& state) {
    MapWindow map;
    if (!showOverview(map)) {
        state.SkipWithError("no level");
        return;
    }
    LevelDocument& document = *map.window().session().document();
    const std::int32_t chunk = busiest(document.parts().blocks, 0x03FF,
                                       document.parts().chunks.wordCount() / kChunkMappingWords);
    const std::int32_t index = chunk * kChunkMappingWords;
    const std::uint16_t word = document.parts().chunks.word(index);
    int step = 0;
    for (auto _ : state) {
        document.setMappingWord(Part::ChunkMappings, index,
                                static_cast<std::uint16_t>(word ^ (step++ % 2 == 0 ? 0x0800 : 0)));
        QApplication::processEvents();
    }
    state.counters["chunk"] = chunk;
}
BENCHMARK(BM_ChunkEntryEditRedraw)->Unit(benchmark::kMillisecond);

// The overview and the ground of path 1 shown at 100%: the window the collision edits below
// change.
bool showPathOne(MapWindow& map) {
    if (!showOverview(map)) {
        return false;
    }
    map.window().findChild<QAction*>("MenuCollisionPath1")->trigger();
    QApplication::processEvents();
    return true;
}

// The collision overlay of path 1 over a whole plane at 12.5%: the blocks' pictures and their
// ground, every cell, once the ground pictures are made.
void BM_RepaintCollisionAt12Percent(benchmark::State& state) {
    MapWindow map;
    if (!map.ok()) {
        state.SkipWithError("no level");
        return;
    }
    map.window().map().setZoom(0);
    map.window().findChild<QAction*>("MenuCollisionPath1")->trigger();
    map.canvas().repaint();
    for (auto _ : state) {
        map.canvas().repaint();
    }
    state.counters["cells"] = map.canvas().cellsIn({}).width() * map.canvas().cellsIn({}).height();
}
BENCHMARK(BM_RepaintCollisionAt12Percent)->Unit(benchmark::kMillisecond);

// The shape of the chunk the most block entries show changed on path 1, with path 1 shown at
// 100%: the ground of its blocks made again and their cells repainted.
void BM_ChunkShapeEditRedraw(benchmark::State& state) {
    MapWindow map;
    if (!showPathOne(map)) {
        state.SkipWithError("no level");
        return;
    }
    LevelDocument& document = *map.window().session().document();
    const std::int32_t chunk = busiest(document.parts().blocks, 0x03FF, kCollisionIndexSize);
    const std::uint8_t shape = document.parts().collision[0].at(static_cast<std::size_t>(chunk));
    int step = 0;
    for (auto _ : state) {
        document.setChunkShape(0, chunk,
                               step++ % 2 == 0 ? static_cast<std::uint8_t>(shape ^ 1) : shape);
        QApplication::processEvents();
    }
    state.counters["chunk"] = chunk;
}
BENCHMARK(BM_ChunkShapeEditRedraw)->Unit(benchmark::kMillisecond);

// The shape the most chunks of path 1 take changed, with path 1 shown at 100%.
void BM_ShapeEditRedraw(benchmark::State& state) {
    MapWindow map;
    if (!showPathOne(map)) {
        state.SkipWithError("no level");
        return;
    }
    LevelDocument& document = *map.window().session().document();
    if (!document.parts().shapes) {
        state.SkipWithError("no shapes");
        return;
    }
    std::array<int, kShapeCount> uses{};
    for (const std::uint8_t shape : document.parts().collision[0]) {
        uses[shape] += shape != 0 ? 1 : 0;
    }
    const auto shape =
        static_cast<std::int32_t>(std::max_element(uses.begin(), uses.end()) - uses.begin());
    const Shape original = document.parts().shapes->shapes[static_cast<std::size_t>(shape)];
    Shape changed = original;
    changed.vertical[0] = static_cast<std::int8_t>(original.vertical[0] == 16 ? 8 : 16);
    int step = 0;
    for (auto _ : state) {
        document.setShape(shape, step++ % 2 == 0 ? changed : original);
        QApplication::processEvents();
    }
    state.counters["shape"] = shape;
}
BENCHMARK(BM_ShapeEditRedraw)->Unit(benchmark::kMillisecond);

}  // namespace
