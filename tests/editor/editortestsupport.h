#pragma once

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>
#include <string_view>

#include "demo/demorom.h"
#include "editor/shell/editorwindow.h"
#include "graphics/overview.h"
#include "windows/overviewwindow.h"

namespace orvex::test {

using Answer = EditorDialogs::Answer;

// The bytes of the file at `path`; none when it cannot be read.
inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` as the file at `path`; whether all of them were written.
inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
inline bool writeBytes(const QString& path, const std::vector<std::uint8_t>& bytes) {
    return writeBytes(
        path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
}

// A left-button drag over `canvas` with `keys` held (moves carry keys only as real events).
inline void drag(QWidget* canvas, QPoint from, QPoint to, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(canvas, Qt::LeftButton, keys, from);
    QTest::mouseMove(canvas, (from + to) / 2);
    QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     keys);
    QApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::LeftButton, keys, to);
}

// Dialogs that answer from a script and record what they were asked.
class ScriptedDialogs : public EditorDialogs {
public:
    struct Question {
        QString title, text;
        bool defaultYes, withCancel;
    };

    QString chooseRomFile() override { return next(romFiles); }
    QString chooseProjectFolder() override { return next(projectFolders); }
    QString chooseImageFile() override { return next(imageFiles); }
    QString chooseRomFileToSave() override { return next(saveFiles); }
    bool askYesNo(const QString& title, const QString& text, bool defaultYes) override {
        questions.append({title, text, defaultYes, false});
        return !yesNo.isEmpty() && yesNo.takeFirst();
    }
    Answer askYesNoCancel(const QString& title, const QString& text) override {
        questions.append({title, text, true, true});
        return yesNoCancel.isEmpty() ? Answer::Cancel : yesNoCancel.takeFirst();
    }
    void showMessage(const QString& title, const QString& text) override {
        messages.append(title + ": " + text);
        if (whileShown) {
            whileShown();  // what a modal box's event loop would run meanwhile
        }
    }
    std::optional<QString> askEmulatorCommand(const QString& current,
                                              const QString& note) override {
        emulatorDialogs.append({current, note});
        return emulatorCommands.isEmpty() ? std::nullopt
                                          : std::optional(emulatorCommands.takeFirst());
    }
    std::optional<QString> askBuildCommand(const QString& current, const QString& note) override {
        buildDialogs.append({current, note});
        return buildCommands.isEmpty() ? std::nullopt : std::optional(buildCommands.takeFirst());
    }

    QStringList romFiles, projectFolders, imageFiles, saveFiles;  // none left: Cancel
    QList<bool> yesNo;
    QList<Answer> yesNoCancel;  // none left: Cancel
    int fileDialogs = 0;
    QList<Question> questions;
    QStringList messages;  // "title: text"
    std::function<void()> whileShown;

    QStringList emulatorCommands;                    // none left: Cancel
    QList<QPair<QString, QString>> emulatorDialogs;  // what the settings showed: line, note
    QStringList buildCommands;                       // none left: Cancel
    QList<QPair<QString, QString>> buildDialogs;     // what the build settings showed

private:
    QString next(QStringList& files) {
        ++fileDialogs;
        return files.isEmpty() ? QString() : files.takeFirst();
    }
};

inline QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// The demo ROM, built once for each level given a broken layout (-1: none).
inline const DemoRom& demoRom(int weirdLayoutLevel = -1) {
    static std::map<int, DemoRom> cache;
    if (!cache.contains(weirdLayoutLevel)) {
        DemoRomOptions options;
        if (weirdLayoutLevel >= 0) {
            options.weirdLayoutLevel = std::int16_t(weirdLayoutLevel);
        }
        auto built = buildDemoRom(revisionProfile(RomKind::Revision01), options);
        if (!built) {
            qFatal("no demo ROM: %s", built.error().describe().c_str());
        }
        cache.emplace(weirdLayoutLevel, std::move(*built));
    }
    return cache.at(weirdLayoutLevel);
}

inline void setOuterSize(QWidget* window, QSize outer) {
    window->resize(outer - (window->frameGeometry().size() - window->size()));
    QCoreApplication::processEvents();
}

// A shown main window with scripted dialogs, and a demo ROM file of its own.
struct EditorFixture {
    explicit EditorFixture(int weirdLayoutLevel = -1) {
        if (!writeBytes(romPath, demoRom(weirdLayoutLevel).image)) {
            qFatal("cannot write %s", qPrintable(romPath));
        }
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<EditorWindow>(std::move(scripted));
        window->setExitHandler([this](bool immediately) { exits.append(immediately); });
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            qFatal("the editor window was never shown");
        }
    }

    // Opens this fixture's ROM, answering the migration prompt; level 1 from its top left.
    void open(bool migrate = false) {
        dialogs->romFiles.append(romPath);
        dialogs->yesNo.append(migrate);
        menu("MenuOpen");
        setOrigin(0, 0);
    }
    // Picks an entry of Combo1 as its list does (0 = "1").
    void chooseLevel(int index) {
        window->levelSelector().setCurrentIndex(index);
        emit window->levelSelector().activated(index);
    }
    QAction* action(const char* name) const { return child<QAction>(name); }
    // A key pressed in the active main window, where its focus is.
    void key(QKeyCombination combination) {
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get())) {
            qWarning("the editor window did not become active");
        }
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus != nullptr ? focus : window.get(), combination.key(),
                        combination.keyboardModifiers());
    }
    void menu(const char* name) { action(name)->trigger(); }
    // Scrolls the view to cell (column, row) at its top left; the bars count pixels.
    void setOrigin(int column, int row) {
        const int size = canvas()->cellSize();
        window->map().mapFrame().horizontalBar()->setValue(column * size);
        window->map().mapFrame().verticalBar()->setValue(row * size);
    }
    QPoint origin() const {
        return {window->map().mapFrame().originColumn(), window->map().mapFrame().originRow()};
    }
    // Clicks thumbnail `block`, then map cell `k`.
    void place(int block, int k) {
        QTest::mouseClick(thumbnail(block), Qt::LeftButton);
        QTest::mouseClick(canvas(), Qt::LeftButton, {}, cellPoint(k));
    }
    // Places another block in the top left cell of the plane shown; the layout after.
    std::vector<std::uint8_t> editCorner() {
        setOrigin(0, 0);
        place((layout().at(window->map().plane() == Plane::Background ? 128 : 0) + 1) % 256, 0);
        return layout();
    }
    MapCanvas* canvas() const { return window->map().mapFrame().canvas(); }
    // The middle of view cell k of the design's 6 x 6 at the zoom shown (k = 6 row + column).
    QPoint cellPoint(int k) const {
        const int size = canvas()->cellSize();
        return {size * (k % 6) + size / 2, size * (k / 6) + size / 2};
    }
    PictureCell* thumbnail(int b) const { return window->map().blockSelector().thumbnail(b); }
    // Whether map cell `k` shows the picture of `block`.
    bool shows(int k, int block) const {
        return canvas()->shownBlock(canvas()->cellAt(cellPoint(k))) == block;
    }
    // The window's child of that name; a missing one stops the test at once.
    template <typename T = QWidget>
    T* child(const char* name) const {
        T* found = window->findChild<T*>(name);
        if (found == nullptr) {
            qFatal("no %s named %s in the editor window", T::staticMetaObject.className(), name);
        }
        return found;
    }
    std::vector<std::uint8_t> layout() const {
        const LevelDocument* document = window->session().document();
        return document != nullptr ? document->layout().bytes() : std::vector<std::uint8_t>{};
    }
    std::uint8_t selected() const { return window->map().blockSelector().selectedBlock(); }
    bool unsaved() const { return window->session().hasUnsavedEdits(); }

    QTemporaryDir folder;
    QString romPath = folder.filePath("demo.bin");
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<EditorWindow> window;
    QList<bool> exits;  // what the exit handler was asked: true = at once
};

// Whether the overview window shows `plane` as it would be drawn anew from the level's art now.
inline bool overviewShows(const EditorFixture& f, Plane plane) {
    const LevelArt& art = f.window->session().art();
    const Image small = renderOverview(makeMiniatures(art.blocks, art.colours, kOverviewCellPixels),
                                       f.window->session().document()->layout(), plane);
    return f.window->map().overview()->picture().toImage().convertToFormat(QImage::Format_RGB32) ==
           QImage(reinterpret_cast<const uchar*>(small.pixels().data()), small.width(),
                  small.height(), QImage::Format_RGB32);
}

int runCommandsTest(int argc, char** argv);
int runMapViewTest(int argc, char** argv);
int runPlacementToolsTest(int argc, char** argv);
int runShellTest(int argc, char** argv);
int runPieceEditorsTest(int argc, char** argv);
int runCollisionTest(int argc, char** argv);
int runProjectTest(int argc, char** argv);

}  // namespace orvex::test
