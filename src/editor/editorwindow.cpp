#include "editor/editorwindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QStringList>
#include <cstdlib>

#include "editor/linewidget.h"
#include "editor/qtdialogs.h"
#include "editor/resizerule.h"
#include "editor/uitext.h"
#include "windows/aboutwindow.h"
#include "windows/centerme.h"

namespace orvex {

namespace {

constexpr int kLevelEntries = 20;

QFont boldSansSerif() {
    QFont font("MS Sans Serif");
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

QPixmap toPixmap(const Image& image) {
    if (image.isNull()) {
        return {};
    }
    const QImage view(reinterpret_cast<const uchar*>(image.pixels().data()), image.width(),
                      image.height(), image.width() * 4, QImage::Format_RGB32);
    return QPixmap::fromImage(view);
}

void endProgram(bool immediately) {
    if (immediately) {
        std::exit(0);
    }
    QCoreApplication::quit();
}

}  // namespace

// Marks a load or a save: Open, the level choice and Save are refused until it ends.
class EditorWindow::BusyScope {
public:
    explicit BusyScope(EditorWindow& window) : mWindow(window) {
        if (mWindow.mBusyDepth++ == 0) {
            mWindow.setCommandsEnabled(false);
        }
    }
    ~BusyScope() {
        if (--mWindow.mBusyDepth == 0) {
            mWindow.setCommandsEnabled(true);
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    EditorWindow& mWindow;
};

EditorWindow::EditorWindow(std::unique_ptr<EditorDialogs> dialogs)
    : mDialogs(std::move(dialogs)), mSession(std::make_unique<EditorSession>()), mExit(endProgram) {
    if (!mDialogs) {
        mDialogs = std::make_unique<QtDialogs>(this);
    }
    setObjectName("Orvex");
    setWindowTitle(kWindowCaption);
    createMenu();
    createForm();
    mHost = new WindowHost(this, mMap, *mDialogs);
    resize(651, 458 + menuBar()->sizeHint().height());
    CenterMe(this);
}

EditorWindow::~EditorWindow() {
    // The controls go first, while the session they report to still exists: hiding them can
    // still send events (a synthetic mouse move to the cell under the pointer).
    delete takeCentralWidget();
}

void EditorWindow::createMenu() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("MenuFile");
    mMenuOpen = file->addAction("Load Levels", this, &EditorWindow::onOpen);
    mMenuOpen->setObjectName("MenuOpen");
    mMenuOpen->setShortcut(QKeySequence::Open);
    mMenuSave = file->addAction("Save Level", this, &EditorWindow::onSave);
    mMenuSave->setObjectName("MenuSave");
    mMenuSave->setShortcut(QKeySequence::Save);
    QAction* quit = file->addAction("Quit", this, &QWidget::close);
    quit->setObjectName("MenuQuit");
    quit->setShortcut(QKeySequence::Quit);
    file->addSeparator()->setObjectName("esp");
    file->addAction("About Orvex (N.O.V.)", this, &EditorWindow::onAbout)
        ->setObjectName("MenuAbout");
}

void EditorWindow::createForm() {
    auto* form = new QWidget(this);
    form->setObjectName("form");
    setCentralWidget(form);
    mBlocks = new BlockSelector(form);
    createLevelSelector(form);
    mMap = new MapFrame(form);
    connect(mMap, &MapFrame::originChanged, this, &EditorWindow::onOriginChanged);
    connect(mMap, &MapFrame::cellClicked, this, &EditorWindow::onMapClicked);
    connect(mMap, &MapFrame::cellMouseMoved, this, &EditorWindow::onMapMouseMoved);
    createCaptionLine(form);
}

void EditorWindow::createLevelSelector(QWidget* form) {
    mCombo1 = new QComboBox(form);
    mCombo1->setObjectName("Combo1");
    mCombo1->setEditable(true);
    mCombo1->setInsertPolicy(QComboBox::NoInsert);
    for (int entry = 1; entry <= kLevelEntries; ++entry) {
        mCombo1->addItem(QString::number(entry));
    }
    mCombo1->setCurrentIndex(-1);
    mCombo1->setEditText("1");
    mCombo1->setGeometry(40, 0, 46, 21);
    mCombo1->setFont(boldSansSerif());
    QPalette face = mCombo1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    mCombo1->setPalette(face);
    connect(mCombo1, &QComboBox::activated, this, &EditorWindow::onLevelChosen);
}

void EditorWindow::createCaptionLine(QWidget* form) {
    auto* line = new LineWidget(form, {0, 0}, {80, 0}, QColor(128, 128, 128));
    line->setObjectName("Line1");
    auto* label = new QLabel("Level:", form);
    label->setObjectName("Label1");
    label->setGeometry(0, 4, 41, 17);
    label->setFont(boldSansSerif());
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(navy);
    // Lines and labels are drawn on the form itself, below every other control.
    label->lower();
    line->lower();
}

void EditorWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule({this, mMap, mMap->horizontalBar(), mMap->verticalBar(), mBlocks->scrollBar(),
                     mBlocks->viewport(), mMap->corner()},
                    frameGeometry().size());
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (isBusy()) {
        // A load or a save cannot be stopped half-way; the ROM is written only after the last
        // progress report, so ending here leaves the file as it was.
        event->ignore();
        mExit(true);
        return;
    }
    if (!resolveUnsavedEdits()) {
        event->ignore();
        return;
    }
    event->accept();
    mExit(false);
}

void EditorWindow::onOpen() {
    if (isBusy()) {
        return;
    }
    const QString path = mDialogs->chooseRomFile();
    if (!path.isEmpty()) {
        openRomFile(path);
    }
}

void EditorWindow::openRomFile(const QString& path) {
    if (isBusy() || !resolveUnsavedEdits()) {
        return;
    }
    BusyScope busy(*this);
    const auto checked = mSession->openRom(QFile::encodeName(path).toStdString(), *mHost);
    if (!checked) {
        showError("The ROM " + path + " could not be opened.", checked.error());
        return;
    }
    mCombo1->setCurrentIndex(0);
    loadLevelAt(0);
}

void EditorWindow::onLevelChosen(int index) {
    if (isBusy() || !mSession->hasRom()) {
        return;
    }
    if (!resolveUnsavedEdits()) {
        showLevelInSelector();
        return;
    }
    loadLevelAt(index);
}

void EditorWindow::onSave() {
    if (isBusy() || !mSession->hasRom() || mCombo1->currentIndex() < 0) {
        return;
    }
    saveLevelAt(mCombo1->currentIndex());
}

void EditorWindow::onAbout() {
    AboutWindow about(this);
    about.exec();
}

void EditorWindow::onMapClicked(int cell) {
    placeBlock(cell, mBlocks->selectedBlock());
    redrawMap(mMap->originColumn(), mMap->originRow());
}

void EditorWindow::onMapMouseMoved(int cell) {
    redrawMap(mMap->originColumn(), mMap->originRow());
    mMap->cell(cell)->setPicture(mBlocks->thumbnail(mBlocks->selectedBlock())->picture());
}

void EditorWindow::onOriginChanged() {
    redrawMap(mMap->originColumn(), mMap->originRow());
}

void EditorWindow::redrawMap(std::int32_t x, std::int32_t y) {
    std::int32_t k = -1;
    for (std::int32_t row = y; row <= y + 5; ++row) {
        for (std::int32_t column = x; column <= x + 5; ++column) {
            ++k;
            if (const auto block = mSession->blockAt(row, column)) {
                mMap->cell(k)->setPicture(mBlocks->thumbnail(*block)->picture());
            }
        }
    }
}

void EditorWindow::placeBlock(std::int32_t cell, std::uint8_t block) {
    mMap->cell(cell)->setPicture(mBlocks->thumbnail(block)->picture());
    const std::int32_t row = mMap->originRow() + cell / kGridSize;
    const std::int32_t column = mMap->originColumn() + cell % kGridSize;
    mSession->placeBlock(row, column, block);
}

bool EditorWindow::resolveUnsavedEdits() {
    if (!mSession->hasUnsavedEdits()) {
        return true;
    }
    const int level = *mSession->loadedLevel();
    const QString question = QString("Save changes to level %1?").arg(level + 1);
    switch (mDialogs->askYesNoCancel(kMessageTitle, question)) {
        case EditorDialogs::Answer::Yes:
            return saveLevelAt(level);
        case EditorDialogs::Answer::No:
            return true;
        case EditorDialogs::Answer::Cancel:
            break;
    }
    return false;
}

bool EditorWindow::loadLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    Result<LoadReport> report = [&] {
        BusyScope busy(*this);
        return mSession->loadLevel(level, *mHost);
    }();
    if (!report) {
        showLevelInSelector();
        showError(QString("Level %1 could not be loaded.").arg(index + 1), report.error());
        return false;
    }
    showLevelPictures();
    mMap->horizontalBar()->setValue(0);
    mMap->verticalBar()->setValue(0);
    redrawMap(0, 0);
    if (!report->warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : report->warnings) {
            lines << toQString(warning);
        }
        mDialogs->showMessage(kMessageTitle, lines.join("\n"));
    }
    return true;
}

bool EditorWindow::saveLevelAt(int index) {
    const auto level = static_cast<std::int16_t>(index);
    Result<SaveReport> saved = [&] {
        BusyScope busy(*this);
        return mSession->saveLevel(level, *mHost);
    }();
    if (!saved) {
        showError(QString("Level %1 was not saved.").arg(index + 1), saved.error());
        return false;
    }
    return true;
}

void EditorWindow::showLevelPictures() {
    const BlockPictures& pictures = mSession->level().blockPictures;
    for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
        mBlocks->thumbnail(b)->setPicture(toPixmap(pictures[static_cast<std::size_t>(b)]));
    }
}

void EditorWindow::clearPictures() {
    for (std::int32_t b = 0; b < kThumbnailCount; ++b) {
        mBlocks->thumbnail(b)->setPicture({});
    }
    for (std::int32_t k = 0; k < kCellCount; ++k) {
        mMap->cell(k)->setPicture({});
    }
}

// After a refused or failed level choice the selector shows the level in memory again.
void EditorWindow::showLevelInSelector() {
    const auto shown = mSession->shownLevel();
    if (shown) {
        mCombo1->setCurrentIndex(*shown);
        return;
    }
    clearPictures();
    mCombo1->setCurrentIndex(-1);
    mCombo1->setEditText("1");
}

void EditorWindow::showError(const QString& lead, const Error& error) {
    mDialogs->showMessage(kMessageTitle, lead + "\n\n" + toQString(error.describe()));
}

void EditorWindow::setCommandsEnabled(bool enabled) {
    mMenuOpen->setEnabled(enabled);
    mMenuSave->setEnabled(enabled);
    mCombo1->setEnabled(enabled);
}

}  // namespace orvex
