// The Objects and Rings tools, their docks, the start and the boundaries on the real window; the
// Object Types presets, objects the game never draws shown as outlines, and subtypes in words.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPaintEvent>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

#include "document/documentloader.h"
#include "editor/shell/windowmemory.h"
#include "editortestsupport.h"
#include "rom/objectmeaning.h"
#include "rom/romidentity.h"

namespace orvex::test {

namespace {

// At 100% with the view at the level's top left, canvas pixels are level pixels.
QPoint at(std::uint16_t x, std::uint16_t y) {
    return {x, y};
}

// Types `text` over what `field` holds and applies it with Return.
void enter(QSpinBox* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// The pixels a widget repaints, each counted once, from its paint events since the last clear.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    [[nodiscard]] std::int64_t pixels() const {
        std::int64_t sum = 0;
        for (const QRect& rect : painted) {
            sum += std::int64_t{rect.width()} * rect.height();
        }
        return sum;
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return QObject::eventFilter(watched, event);
    }
    QRegion painted;
};

// What the screen holds of the map: the window's backing store, where repaints of a part land.
QImage mapOnScreen(const EditorFixture& f) {
    MapCanvas* canvas = f.canvas();
    const QPoint corner = canvas->mapTo(f.window.get(), QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(f.window->winId(), corner.x(), corner.y(), canvas->width(), canvas->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// Whether what the repaints of parts left on the screen is what a whole repaint of the map shows.
bool showsFullRedraw(const EditorFixture& f) {
    QCoreApplication::processEvents();
    const QImage inParts = mapOnScreen(f);
    f.canvas()->repaint();
    const QImage whole = mapOnScreen(f);
    return !whole.isNull() && inParts == whole;
}

// A move of the pointer with the left button held.
void moveHeld(QWidget* canvas, QPoint to) {
    QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(canvas, &move);
}

// The first key of a registered action, as the user has it.
QKeyCombination firstKey(const EditorFixture& f, const char* action) {
    return f.action(action)->shortcuts().first()[0];
}

QListWidgetItem* rowStartingWith(QListWidget& list, const QString& text) {
    for (int row = 0; row < list.count(); ++row) {
        if (list.item(row)->text().startsWith(text)) {
            return list.item(row);
        }
    }
    return nullptr;
}

}  // namespace

class PlacementToolsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        mF->open();
    }
    void cleanup() { mF.reset(); }

    // A drag moves in 8-pixel steps, halfway toward zero (Shift: pixels), one undo step a drag.
    void aDragMovesTheSelectionInSteps_ShiftByPixels_OneUndoStepEach() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        QVERIFY(f.child<QDockWidget>("ObjectListDock")->isVisible());
        const std::vector<ObjectPlacement> loaded = objects();
        const auto found = std::find_if(loaded.begin(), loaded.end(),
                                        [](const auto& o) { return o.x >= 32 && o.y >= 32; });
        QVERIFY(found != loaded.end());
        const auto index = static_cast<std::size_t>(found - loaded.begin());
        const ObjectPlacement object = *found;
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(object.x, object.y));
        QCOMPARE(selection(), std::vector<std::int32_t>{std::int32_t(index)});
        QCOMPARE(f.child<QSpinBox>("PropX")->value(), object.x);
        drag(f.canvas(), at(object.x, object.y), at(object.x + 37, object.y + 4));
        const auto movedBy = [&](int x, int y) {
            return objects()[index].x == object.x + x && objects()[index].y == object.y + y;
        };
        QVERIFY(movedBy(40, 0));  // 4 is halfway: none
        drag(f.canvas(), at(object.x + 40, object.y), at(object.x + 28, object.y - 13));
        QVERIFY(movedBy(32, -16));  // -12 is halfway: -8
        drag(f.canvas(), at(object.x + 32, object.y - 16), at(object.x + 37, object.y - 13),
             Qt::ShiftModifier);
        QVERIFY(movedBy(37, -13));
        QCOMPARE(f.window->undoStack().count(), 3);
        f.key(Qt::CTRL | Qt::Key_Z);
        f.key(Qt::CTRL | Qt::Key_Z);
        f.key(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(objects(), loaded);
        QVERIFY(!f.unsaved());
    }

    // Every placement change is drawn at once where it was and where it is now, never more.
    void placementChangesAreDrawnAtOnceWhereTheyChanged() {
        EditorFixture& f = *mF;
        f.action("MenuStart")->setChecked(true);
        f.action("MenuBounds")->setChecked(true);
        f.key(Qt::Key_O);
        PaintRecorder painted(f.canvas());
        const std::int64_t canvasPixels = std::int64_t{f.canvas()->width()} * f.canvas()->height();
        QVERIFY(showsFullRedraw(f));
        const ObjectPlacement first = objects().front();
        const QPoint from = at(first.x, first.y);
        QTest::mousePress(f.canvas(), Qt::LeftButton, {}, from);
        QVERIFY(showsFullRedraw(f));
        painted.painted = {};
        moveHeld(f.canvas(), from + QPoint(48, 16));
        QCOMPARE(objects().front().x, first.x + 48);
        QCoreApplication::processEvents();
        QVERIFY2(painted.pixels() < canvasPixels / 8, "more than the old and new place redrawn");
        QVERIFY(showsFullRedraw(f));  // the drag under way
        QTest::mouseRelease(f.canvas(), Qt::LeftButton, {}, from + QPoint(48, 16));
        QVERIFY(showsFullRedraw(f));
        for (const auto& step : {"MenuUndo", "MenuRedo", "MenuUndo"}) {
            painted.painted = {};
            f.key(firstKey(f, step));
            QCoreApplication::processEvents();
            QVERIFY2(painted.pixels() < canvasPixels / 8, step);
            QVERIFY2(showsFullRedraw(f), step);
        }
        QCOMPARE(objects().front(), first);

        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, from);
        f.key(Qt::Key_Delete);
        QVERIFY(showsFullRedraw(f));
        f.key(firstKey(f, "MenuUndo"));
        QVERIFY(showsFullRedraw(f));
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, from);
        f.child<QSpinBox>("PropSubtype")->setValue((first.subtype + 2) % 256);
        f.child<QSpinBox>("PropY")->setValue(first.y + 40);
        QVERIFY(showsFullRedraw(f));

        f.key(Qt::Key_R);
        QVERIFY(f.child<QDockWidget>("PropertiesDock")->isVisible());
        QVERIFY(!f.child<QDockWidget>("ObjectListDock")->isVisible());
        const std::size_t groups = rings().size();
        QTest::mouseMove(f.canvas(), at(96, 96));
        f.canvas()->setFocus();
        f.key(Qt::Key_Insert);
        f.child<QSpinBox>("PropCount")->setValue(4);
        f.child<QComboBox>("PropDirection")->setCurrentIndex(1);
        QCOMPARE(rings().size(), groups + 1);
        QCOMPARE(rings().back(), (RingGroup{96, 96, 4, true}));
        QVERIFY(showsFullRedraw(f));
        drag(f.canvas(), at(96, 96), at(96 + 40, 96 + 24));
        QCOMPARE(rings().back().x, 136);
        QVERIFY(showsFullRedraw(f));
        f.key(firstKey(f, "MenuUndo"));
        QVERIFY(showsFullRedraw(f));

        const StartPosition start = *document().parts().start;
        drag(f.canvas(), at(start.x, start.y), at(start.x + 32, start.y - 16));
        QCOMPARE(*document().parts().start,
                 (StartPosition{std::uint16_t(start.x + 32), std::uint16_t(start.y - 16)}));
        QVERIFY(showsFullRedraw(f));
        const LevelBounds bounds = *document().parts().bounds;
        const int left = static_cast<std::int16_t>(bounds.xMin);
        drag(f.canvas(), at(std::uint16_t(left), 200), at(std::uint16_t(left + 64), 200));
        QCOMPARE(static_cast<std::int16_t>(document().parts().bounds->xMin), left + 64);
        QCOMPARE(document().parts().bounds->xMax, bounds.xMax);
        QVERIFY(showsFullRedraw(f));
        f.key(firstKey(f, "MenuUndo"));
        QVERIFY(showsFullRedraw(f));
    }

    // Undo and Redo keys undo the document from a field once applied, its typing until then.
    void theUndoKeysUndoTheDocumentFromAnAppliedField_TypingKeepsItsOwnUndo() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        const ObjectPlacement first = objects().front();
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(first.x, first.y));
        auto* x = f.child<QSpinBox>("PropX");
        enter(x, "500");
        QCOMPARE(objects().front().x, 500);
        QCOMPARE(QApplication::focusWidget(), x);
        f.key(firstKey(f, "MenuUndo"));
        QCOMPARE(objects().front().x, first.x);
        QCOMPARE(x->value(), first.x);
        f.key(firstKey(f, "MenuRedo"));
        QCOMPARE(objects().front().x, 500);

        QTest::keyClicks(x, "7");
        QCOMPARE(x->text(), "5007");
        f.key(firstKey(f, "MenuUndo"));
        QCOMPARE(x->text(), "500");
        QCOMPARE(objects().front().x, 500);
        QCOMPARE(f.window->undoStack().index(), 1);
        f.key(firstKey(f, "MenuUndo"));  // nothing typed is left: the document's step
        QCOMPARE(objects().front().x, first.x);
    }

    // Start and boundaries take decimal or $hex; a minimum above its maximum is refused.
    void theStartAndTheBoundariesAreEditedByNumber() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_R);
        f.action("MenuStart")->setChecked(true);
        f.action("MenuBounds")->setChecked(true);
        const StartPosition start = *document().parts().start;
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(start.x, start.y));
        QCOMPARE(f.child<QLabel>("PropSummary")->text(), "Start position");
        QCOMPARE(f.child<QSpinBox>("PropStartX")->value(), start.x);
        enter(f.child<QSpinBox>("PropStartX"), "$1A0");
        enter(f.child<QSpinBox>("PropStartY"), "300");
        QCOMPARE(*document().parts().start, (StartPosition{0x1A0, 300}));
        QCOMPARE(f.window->undoStack().count(), 2);
        QVERIFY(f.child<QLabel>("PropCameraNote")->text().isEmpty());
        enter(f.child<QSpinBox>("PropStartY"), "-300");  // above what the camera shows: kept
        QCOMPARE(document().parts().start->y, 0x10000 - 300);
        QVERIFY(f.child<QLabel>("PropCameraNote")->text().contains("cannot show the start"));
        f.key(firstKey(f, "MenuUndo"));
        QVERIFY(f.child<QLabel>("PropCameraNote")->text().isEmpty());

        const LevelBounds bounds = *document().parts().bounds;
        const int left = static_cast<std::int16_t>(bounds.xMin);
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(std::uint16_t(left), 200));
        QCOMPARE(f.child<QLabel>("PropSummary")->text(), "Boundaries");
        auto* yMin = f.child<QSpinBox>("PropYMin");
        enter(yMin, "$FFF0");
        QCOMPARE(document().parts().bounds->yMin, 0xFFF0);
        QCOMPARE(yMin->text(), "-16");  // as the game compares it
        enter(f.child<QSpinBox>("PropXMax"), "4096");
        QCOMPARE(document().parts().bounds->xMax, 4096);
        QCOMPARE(f.window->undoStack().count(), 4);

        auto* xMin = f.child<QSpinBox>("PropXMin");
        enter(xMin, "5000");
        QCOMPARE(document().parts().bounds->xMin, bounds.xMin);
        QCOMPARE(xMin->value(), left);
        QVERIFY(f.child<QLabel>("PropBoundsProblem")->text().contains("X minimum 5000"));
        QCOMPARE(f.window->undoStack().count(), 4);
        f.action("MenuBounds")->setChecked(false);  // what is not shown is not chosen
        QCOMPARE(f.child<QLabel>("PropSummary")->text(), "Nothing selected");
    }

    void thePlacementToolsOnTheBackgroundSayWhereTheyWork() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        f.menu("MenuBackground");
        const auto* line = f.child<QLabel>("PointerPixels");
        QVERIFY(line->text().contains("foreground"));
        QVERIFY(line->text().contains(keysText(f.action("MenuForeground")->shortcuts())));
        const ObjectPlacement first = objects().front();
        drag(f.canvas(), at(first.x, first.y), at(first.x + 64, first.y));
        QCOMPARE(objects().front(), first);
        QVERIFY(line->text().contains("foreground"));
        f.menu("MenuForeground");
        QVERIFY(!line->text().contains("foreground"));
    }

    void insertAddsTheFilteredTypeAtThePointer_DeleteRemovesTheSelection() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        const std::size_t count = objects().size();
        QTest::keyClicks(f.child<QLineEdit>("ObjectFilter"), "signp");
        QTest::mouseMove(f.canvas(), at(203, 301));
        f.canvas()->setFocus();
        f.key(Qt::Key_Insert);
        QCOMPARE(objects().size(), count + 1);
        const ObjectPlacement added = objects().back();
        QCOMPARE(added.id, 0x0D);
        QCOMPARE(added.x, 200);  // on the 8-pixel grid
        QCOMPARE(added.y, 304);
        QCOMPARE(f.child<QSpinBox>("PropId")->value(), 0x0D);
        f.key(Qt::Key_Delete);
        QCOMPARE(objects().size(), count);
        QCOMPARE(f.window->undoStack().count(), 2);
    }

    // A field changes every selected object, one step a field; Tab reaches objects on one spot.
    void aRectangleSelectsSeveral_TheirFieldsChangeTogether_TabCyclesOverlaps() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        const std::vector<ObjectPlacement> loaded = objects();
        drag(f.canvas(), at(1, 1), at(700, 700));  // QTest takes (0, 0) for the middle
        std::vector<std::int32_t> inside;
        for (std::size_t i = 0; i < loaded.size(); ++i) {
            if (loaded[i].x <= 700 && loaded[i].y <= 700) {
                inside.push_back(static_cast<std::int32_t>(i));
            }
        }
        QVERIFY(inside.size() >= 2);
        QCOMPARE(selection(), inside);

        f.child<QSpinBox>("PropX")->setValue(500);
        f.child<QSpinBox>("PropY")->setValue(400);
        f.child<QCheckBox>("PropYFlip")->setChecked(!loaded[inside.front()].yFlip);
        QCOMPARE(f.window->undoStack().count(), 3);
        std::vector<ObjectPlacement> expected = loaded;  // the others unchanged
        for (const std::int32_t index : inside) {
            ObjectPlacement& object = expected[static_cast<std::size_t>(index)];
            object.x = 500;
            object.y = 400;
            object.yFlip = !loaded[inside.front()].yFlip;
        }
        QCOMPARE(objects(), expected);

        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(500, 400));
        QCOMPARE(selection(), std::vector<std::int32_t>{inside.back()});  // the one drawn on top
        QTest::keyClick(f.canvas(), Qt::Key_Tab);
        QCOMPARE(selection(), std::vector<std::int32_t>{inside[inside.size() - 2]});
    }

    // A list that outgrew its place is saved only by moving every list; each level reads its own.
    void aListThatOutgrowsItsPlaceIsSavedOnlyByMovingAllLists() {
        EditorFixture& f = *mF;
        f.key(Qt::Key_O);
        for (int i = 0; i < 40; ++i) {
            f.window->placements().tools().insertObject(0x41, 0, QPoint(64 + 8 * i, 512));
        }
        std::vector<ObjectPlacement> grown = objects();
        std::stable_sort(grown.begin(), grown.end(),
                         [](const auto& a, const auto& b) { return a.x < b.x; });
        const QByteArray before = fileBytes(f.romPath);
        f.dialogs->yesNo = {false};
        f.menu("MenuSave");
        QVERIFY(f.dialogs->questions.last().text.contains("Move all object and ring lists"));
        QCOMPARE(f.dialogs->messages.size(), 1);
        QVERIFY(f.dialogs->messages.takeFirst().contains("Nothing was saved"));
        QCOMPARE(fileBytes(f.romPath), before);

        f.dialogs->yesNo = {true};
        f.menu("MenuSave");
        QVERIFY(f.dialogs->messages.isEmpty());
        QVERIFY(!f.unsaved());
        const RomImage rom(f.romPath.toStdString());
        auto image = readIdentifiedRom(rom);
        QVERIFY(image.ok());
        for (const std::int16_t level : {0, 1, 6}) {
            auto reread = loadDocument(image->bytes, image->identity.profile, level);
            QVERIFY(reread.ok());
            QCOMPARE(*reread->document->parts().objects,
                     level == 0 ? grown : demoRom().objects[std::size_t(level)]);
        }
        f.chooseLevel(1);  // the window reads the other levels from the moved lists too
        QCOMPARE(objects(), demoRom().objects[1]);
    }

    // A repaint while a load's message box is shown must not draw the old level's sprites.
    void aRepaintDuringALoadNeverDrawsTheOldLevelsSprites() {
        EditorFixture f(6);
        f.open();
        f.action("MenuObjects")->setChecked(true);
        f.action("MenuRings")->setChecked(true);
        f.dialogs->whileShown = [&f] { f.canvas()->repaint(); };
        f.chooseLevel(6);
        QVERIFY(f.dialogs->messages.first().startsWith("Orvex: Argh, weird offset!\n"));
    }

    // The Objects tool shows invisible objects; other tools give back (and store) the user's.
    void theObjectsToolShowsInvisibleObjects_OtherToolsGiveBackTheChoice() {
        EditorFixture& f = showObjectTypes();
        QAction* invisible = f.action("MenuInvisibleObjects");
        QVERIFY(invisible->isCheckable() && !f.canvas()->invisibleShown());
        f.key(Qt::Key_O);
        QVERIFY(invisible->isChecked() && f.canvas()->invisibleShown());
        forgetWindowMemory();
        storeWindowMemory(*f.window);
        QVERIFY(QSettings().contains("window/checked/MenuInvisibleObjects"));
        QVERIFY(!QSettings().value("window/checked/MenuInvisibleObjects").toBool());
        forgetWindowMemory();
        f.key(Qt::Key_R);
        QVERIFY(!invisible->isChecked() && !f.canvas()->invisibleShown());
        invisible->setChecked(true);
        f.key(Qt::Key_O);
        f.key(Qt::Key_R);
        QVERIFY(invisible->isChecked());
    }

    // A box is hit anywhere inside, a line only near it; hidden, neither is hit, caught or drawn.
    void outlinesAreWhatIsHit_HiddenObjectsAreNeither() {
        EditorFixture& f = showObjectTypes();
        f.key(Qt::Key_O);
        QVERIFY(f.canvas()->width() > 620 && f.canvas()->height() > 620);
        const std::int32_t block = add(0x74, 0x31, 560, 560);  // 64 x 32 about the point
        const std::int32_t line = add(0x03, 0x00, 400, 560);   // x 400, y 528 .. 592
        const ObjectPlacement blockObject = objects()[std::size_t(block)];
        QCOMPARE(f.canvas()->objectArea(blockObject), QRect(528, 544, 65, 33));
        f.window->placements().tools().select({});
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(590, 574));
        QCOMPARE(selection(), std::vector<std::int32_t>{block});
        // Selected, the frame takes the colour of every selected object's frame.
        QCOMPARE(QColor(f.canvas()->grab().toImage().pixel(528, 560)), QColor(0, 255, 255));
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(402, 590));
        QCOMPARE(selection(), std::vector<std::int32_t>{line});
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(408, 590));
        QVERIFY(selection().empty());

        // Hidden, they leave the selection; what the game draws stays in it.
        f.window->placements().tools().select({0, block, line});
        f.action("MenuInvisibleObjects")->setChecked(false);
        QCOMPARE(selection(), std::vector<std::int32_t>{0});
        f.action("MenuInvisibleObjects")->setChecked(true);
        f.window->placements().tools().select({});

        const QImage shown = f.canvas()->grab().toImage();
        f.action("MenuInvisibleObjects")->setChecked(false);
        const QImage hidden = f.canvas()->grab().toImage();
        QVERIFY(shown.pixel(528, 560) != hidden.pixel(528, 560));  // the box's left edge
        QVERIFY(f.canvas()->objectArea(blockObject).isEmpty());
        QTest::mouseClick(f.canvas(), Qt::LeftButton, {}, at(560, 560));
        QVERIFY(selection().empty());
        drag(f.canvas(), at(380, 520), at(600, 600));
        QVERIFY(selection().empty());
    }

    // Presets come first with their pictures; choosing one adds its id and subtype.
    void aPresetAddsItsIdAndSubtype() {
        EditorFixture& f = showObjectTypes();
        f.key(Qt::Key_O);
        QListWidget& list = *f.child<QListWidget>("ObjectTypes");
        QCOMPARE(list.item(0)->text(), "Presets");
        QVERIFY(!(list.item(0)->flags() & Qt::ItemIsSelectable));
        QListWidgetItem* yellow = rowStartingWith(list, "41:02");
        QVERIFY(yellow != nullptr);
        QVERIFY(yellow->text().contains("Yellow spring, up"));
        QVERIFY(!yellow->icon().isNull());
        QVERIFY(list.row(yellow) < list.row(rowStartingWith(list, "All types")));
        QVERIFY(list.row(yellow) < list.row(rowStartingWith(list, "01  ")));

        // A new object takes the flags most of the zone's objects of its type have.
        std::vector<ObjectPlacement> placed = objects();
        for (int i = 0; i < 3; ++i) {
            placed.push_back(
                {std::uint16_t(64 + 16 * i), 200, 0x41, 0x02, i < 2, false, true, false});
        }
        f.window->session().document()->setObjects(placed);
        list.setCurrentItem(yellow);
        QTest::mouseMove(f.canvas(), at(203, 301));
        f.canvas()->setFocus();
        const std::size_t count = objects().size();
        const bool xFlip = zoneMostly(0x41, 0x02, &ObjectPlacement::xFlip);
        const bool remembers36 = zoneMostly(0x36, std::nullopt, &ObjectPlacement::rememberState);
        f.key(Qt::Key_Insert);
        QCOMPARE(objects().size(), count + 1);
        QCOMPARE(objects().back().id, 0x41);
        QCOMPARE(objects().back().subtype, 0x02);
        QVERIFY(objects().back().rememberState);
        QCOMPARE(objects().back().xFlip, xFlip);
        QCOMPARE(f.window->undoStack().undoText(), "Add object 41:02 (Spring)");

        emit list.itemActivated(rowStartingWith(list, "36:00"));
        QCOMPARE(objects().size(), count + 2);
        QCOMPARE(objects().back().id, 0x36);
        QCOMPARE(objects().back().rememberState, remembers36);

        QTest::keyClicks(f.child<QLineEdit>("ObjectFilter"), "yellow");
        QVERIFY(list.item(0)->isHidden());  // headings go while a filter is typed
        QCOMPARE(list.currentItem(), yellow);
        QVERIFY(rowStartingWith(list, "41  ")->isHidden());
    }

    // The label follows the subtype and the flips; objects with different subtypes show none.
    void theSubtypeIsSaidInWords() {
        EditorFixture& f = showObjectTypes();
        f.key(Qt::Key_O);
        const std::int32_t spring = add(0x41, 0x02, 200, 200);
        auto* words = f.child<QLabel>("PropSubtypeMeaning");
        QCOMPARE(words->text(), "Yellow spring, up");
        f.child<QSpinBox>("PropSubtype")->setValue(0x10);
        QCOMPARE(words->text(), "Red spring, pointing right");
        f.child<QCheckBox>("PropXFlip")->setChecked(true);
        QCOMPARE(words->text(), "Red spring, pointing left");

        const std::int32_t other = add(0x41, 0x02, 200, 264);
        f.window->placements().tools().select({spring, other});
        QVERIFY(words->text().isEmpty());
        f.child<QSpinBox>("PropSubtype")->setValue(0x26);  // both now
        QCOMPARE(words->text().toStdString(),
                 subtypeMeaning(f.window->session().document()->zoneAct(),
                                objects()[std::size_t(spring)]));
        QVERIFY(!words->text().isEmpty());
        add(0x26, 0x05, 264, 264);
        QCOMPARE(words->text(), "Shoes");
    }

private:
    // The window at 1400 x 1000 with objects shown, those the game never draws hidden.
    EditorFixture& showObjectTypes() {
        setOuterSize(mF->window.get(), QSize(1400, 1000));
        mF->action("MenuInvisibleObjects")->setChecked(false);
        mF->action("MenuObjects")->setChecked(true);
        return *mF;
    }
    // Adds an object with the Objects tool and moves it to (x, y); its index.
    std::int32_t add(std::uint8_t id, std::uint8_t subtype, int x, int y) {
        mF->window->placements().tools().insertObject(id, subtype, QPoint(x, y));
        mF->child<QSpinBox>("PropX")->setValue(x);
        mF->child<QSpinBox>("PropY")->setValue(y);
        return selection().front();
    }
    std::vector<std::int32_t> selection() const {
        return mF->window->placements().tools().selection();
    }
    // Whether most of the zone's objects of `id` (and `subtype`) have `flag`; false for none.
    bool zoneMostly(std::uint8_t id, std::optional<std::uint8_t> subtype,
                    bool ObjectPlacement::*flag) const {
        std::vector<ObjectPlacement> zone = objects();
        const auto& others = mF->window->session().zoneObjects();
        zone.insert(zone.end(), others.begin(), others.end());
        int of = 0;
        int with = 0;
        for (const ObjectPlacement& object : zone) {
            if (object.id == id && (!subtype || object.subtype == *subtype)) {
                ++of;
                with += object.*flag ? 1 : 0;
            }
        }
        return 2 * with > of;
    }
    const LevelDocument& document() const { return *mF->window->session().document(); }
    std::vector<ObjectPlacement> objects() const { return *document().parts().objects; }
    std::vector<RingGroup> rings() const { return *document().parts().rings; }

    std::unique_ptr<EditorFixture> mF;
};

int runPlacementToolsTest(int argc, char** argv) {
    PlacementToolsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "placementtools_test.moc"
