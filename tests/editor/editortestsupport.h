#pragma once

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QList>
#include <QScrollBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "editor/editordialogs.h"
#include "editor/editorwindow.h"
#include "rom/demorom.h"

namespace orvex::test {

// Dialogs that answer from a script and record what they were asked.
class ScriptedDialogs : public EditorDialogs {
public:
    struct Question {
        QString title, text;
        bool defaultYes = false;
        bool withCancel = false;
    };

    QString chooseRomFile() override {
        ++fileDialogs;
        return romFiles.isEmpty() ? QString() : romFiles.takeFirst();  // none left: Cancel
    }
    QString chooseImageFile() override {
        ++fileDialogs;
        return imageFiles.isEmpty() ? QString() : imageFiles.takeFirst();
    }
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
    }

    QStringList romFiles;
    QStringList imageFiles;
    QList<bool> yesNo;
    QList<Answer> yesNoCancel;
    int fileDialogs = 0;
    QList<Question> questions;
    QStringList messages;  // "title: text"
};

// The demo ROM, built once for each set of options the tests use.
inline const DemoRom& demoRom(std::optional<std::int16_t> weirdLayoutLevel = std::nullopt) {
    static std::map<std::int16_t, DemoRom> cache;
    auto found = cache.find(weirdLayoutLevel.value_or(-1));
    if (found == cache.end()) {
        DemoRomOptions options;
        options.weirdLayoutLevel = weirdLayoutLevel;
        auto built = buildDemoRom(options);
        if (!built) {
            qFatal("no demo ROM: %s", built.error().describe().c_str());
        }
        found = cache.emplace(weirdLayoutLevel.value_or(-1), std::move(*built)).first;
    }
    return found->second;
}

// A shown main window with scripted dialogs, and a demo ROM file of its own.
struct EditorFixture {
    explicit EditorFixture(std::optional<std::int16_t> weirdLayoutLevel = std::nullopt) {
        QFile file(romPath);
        file.open(QIODevice::WriteOnly);
        const auto& image = demoRom(weirdLayoutLevel).image;
        file.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
        file.close();
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        window = std::make_unique<EditorWindow>(std::move(scripted));
        window->setExitHandler([this](bool immediately) { exits.append(immediately); });
        window->show();
        exposed = QTest::qWaitForWindowExposed(window.get());
    }

    // The Open command on this fixture's ROM, answering the migration prompt.
    void open(bool migrate) {
        dialogs->romFiles.append(romPath);
        dialogs->yesNo.append(migrate);
        menu("MenuOpen");
    }
    // Picks an entry of Combo1 as its list does (0 = "1").
    void chooseLevel(int index) {
        child<QComboBox>("Combo1")->setCurrentIndex(index);
        emit child<QComboBox>("Combo1")->activated(index);
    }
    void menu(const char* name) { child<QAction>(name)->trigger(); }
    void setOrigin(int column, int row) {
        child<QScrollBar>("HScroll1")->setValue(column);
        child<QScrollBar>("VScroll2")->setValue(row);
    }
    // Clicks thumbnail `block`, then map cell `k`.
    void place(int block, int k) {
        QTest::mouseClick(thumbnail(block), Qt::LeftButton);
        QTest::mouseClick(cell(k), Qt::LeftButton);
    }
    PictureCell* element(const char* array, int index) const {
        for (PictureCell* candidate : window->findChildren<PictureCell*>(array)) {
            if (candidate->property("index").toInt() == index) {
                return candidate;
            }
        }
        return nullptr;
    }
    PictureCell* cell(int k) const { return element("Mapa", k); }
    PictureCell* thumbnail(int b) const { return element("TileViewer", b); }
    template <typename T>
    T* child(const char* name) const {
        return window->findChild<T*>(name);
    }
    const std::vector<std::uint8_t>& layout() const {
        return window->session().level().unpackedData;
    }

    QTemporaryDir folder;
    QString romPath = folder.filePath("demo.bin");
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<EditorWindow> window;
    bool exposed = false;
    QList<bool> exits;  // what the exit handler was asked: true = at once
};

int runLayoutTest(int argc, char** argv);
int runMapEditingTest(int argc, char** argv);
int runCommandsTest(int argc, char** argv);
int runWindowsTest(int argc, char** argv);
int runUndoTest(int argc, char** argv);
int runViewingTest(int argc, char** argv);
int runFileCommandsTest(int argc, char** argv);

}  // namespace orvex::test
