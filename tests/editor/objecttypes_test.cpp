// Objects the game never draws shown as outlines, the presets of the Object Types dock and the
// subtype in words of the Properties dock, on the real window.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

#include "editor/shell/windowmemory.h"
#include "editortestsupport.h"
#include "rom/objectmeaning.h"

namespace orvex::test {

namespace {

// At 100% with the view at the level's top left, canvas pixels are level pixels.
QPoint at(int x, int y) {
    return {x, y};
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

class ObjectTypesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        setOuterSize(mF->window.get(), QSize(1400, 1000));
        mF->open();
        mF->action("MenuInvisibleObjects")->setChecked(false);
        mF->action("MenuObjects")->setChecked(true);
    }
    void cleanup() { mF.reset(); }

    // The Objects tool turns the view on; another tool gives back what the user had chosen.
    void theObjectsToolShowsInvisibleObjects_OtherToolsGiveBackTheChoice() {
        EditorFixture& f = *mF;
        QAction* invisible = f.action("MenuInvisibleObjects");
        QVERIFY(invisible->isCheckable());
        QVERIFY(!f.canvas()->invisibleShown());
        f.key(Qt::Key_O);
        QVERIFY(invisible->isChecked());
        QVERIFY(f.canvas()->invisibleShown());
        f.key(Qt::Key_R);
        QVERIFY(!invisible->isChecked());
        QVERIFY(!f.canvas()->invisibleShown());
        invisible->setChecked(true);
        f.key(Qt::Key_O);
        f.key(Qt::Key_R);
        QVERIFY(invisible->isChecked());
    }

    // Closed while the Objects tool shows them, the window remembers what the user had chosen.
    void theWindowRemembersTheChoiceNotWhatTheToolShows() {
        EditorFixture& f = *mF;
        forgetWindowMemory();
        f.key(Qt::Key_O);
        QVERIFY(f.action("MenuInvisibleObjects")->isChecked());
        storeWindowMemory(*f.window);
        QVERIFY(QSettings().contains("window/checked/MenuInvisibleObjects"));
        QVERIFY(!QSettings().value("window/checked/MenuInvisibleObjects").toBool());
        forgetWindowMemory();
    }

    // A box is hit anywhere inside it, a line only within a few pixels of it; hidden, neither is
    // hit, caught by a rectangle or drawn.
    void outlinesAreWhatIsHit_HiddenObjectsAreNeither() {
        EditorFixture& f = *mF;
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
        EditorFixture& f = *mF;
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

        // The zone's springs remember their state and are mostly X-flipped as 41:02: a new one
        // takes both; a type the zone never places takes neither.
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
        EditorFixture& f = *mF;
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
    std::vector<ObjectPlacement> objects() const {
        return *mF->window->session().document()->parts().objects;
    }

    std::unique_ptr<EditorFixture> mF;
};

int runObjectTypesTest(int argc, char** argv) {
    ObjectTypesTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "objecttypes_test.moc"
