// Undo and redo of block placements, and the standard keys of the commands.

#include <QKeySequence>

#include "editortestsupport.h"

namespace orvex::test {

namespace {

// A block other than the one stored at `position` now.
int otherBlock(const EditorFixture& f, std::size_t position) {
    return (f.layout().at(position) + 1) % 256;
}

bool hasKey(QAction* action, const QKeySequence& key) {
    return action->shortcuts().contains(key);
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        QVERIFY(mF->exposed);
        mF->open(false);
        mF->setOrigin(0, 0);
    }
    void cleanup() { mF.reset(); }

    void undoingBackToTheSavedLayoutLeavesNothingUnsaved() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QVERIFY(!f.child<QAction>("MenuUndo")->isEnabled());
        const int first = otherBlock(f, 0);
        const int second = otherBlock(f, 1);
        f.place(first, 0);
        f.place(second, 1);
        f.place(second, 1);  // the same block again: no command
        QCOMPARE(f.window->undoStack().count(), 2);
        QVERIFY(f.window->session().hasUnsavedEdits());

        f.menu("MenuUndo");
        QCOMPARE(f.layout().at(1), loaded.at(1));
        QCOMPARE(f.cell(1)->picture().cacheKey(), f.thumbnail(loaded.at(1))->picture().cacheKey());
        f.menu("MenuUndo");
        QCOMPARE(f.layout(), loaded);
        QVERIFY(!f.window->session().hasUnsavedEdits());
        QVERIFY(!f.child<QAction>("MenuUndo")->isEnabled());
        QVERIFY(f.child<QAction>("MenuRedo")->isEnabled());

        f.menu("MenuRedo");
        QCOMPARE(f.layout().at(0), std::uint8_t(first));
        QCOMPARE(f.cell(0)->picture().cacheKey(), f.thumbnail(first)->picture().cacheKey());
        QVERIFY(f.window->session().hasUnsavedEdits());

        // A load clears the history; the question about the edit comes first.
        f.dialogs->yesNoCancel = {EditorDialogs::Answer::No};
        f.chooseLevel(1);
        QCOMPARE(f.window->undoStack().count(), 0);
        QVERIFY(!f.child<QAction>("MenuUndo")->isEnabled());
        QVERIFY(!f.child<QAction>("MenuRedo")->isEnabled());
    }

    void undoAfterASaveMakesTheLayoutUnsavedAgain() {
        EditorFixture& f = *mF;
        f.place(otherBlock(f, 7), 7);
        f.menu("MenuSave");
        QVERIFY(!f.window->session().hasUnsavedEdits());
        f.menu("MenuUndo");
        QVERIFY(f.window->session().hasUnsavedEdits());
        f.menu("MenuRedo");
        QVERIFY(!f.window->session().hasUnsavedEdits());
    }

    void commandsHaveTheStandardKeys() {
        EditorFixture& f = *mF;
        QCOMPARE(f.child<QAction>("MenuOpen")->shortcut(), QKeySequence(QKeySequence::Open));
        QCOMPARE(f.child<QAction>("MenuSave")->shortcut(), QKeySequence(QKeySequence::Save));
        QVERIFY(hasKey(f.child<QAction>("MenuQuit"), QKeySequence(Qt::CTRL | Qt::Key_Q)));
        QVERIFY(hasKey(f.child<QAction>("MenuUndo"), QKeySequence(QKeySequence::Undo)));
        QVERIFY(hasKey(f.child<QAction>("MenuRedo"), QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(
            hasKey(f.child<QAction>("MenuRedo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));

        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        const std::uint8_t loaded = f.layout().at(0);
        const int placed = otherBlock(f, 0);
        f.place(placed, 0);
        QTest::keyClick(f.window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.layout().at(0), loaded);
        QTest::keyClick(f.window.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.layout().at(0), std::uint8_t(placed));
        QTest::keyClick(f.window.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(f.window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.layout().at(0), std::uint8_t(placed));
        QTest::keyClick(f.window.get(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(f.dialogs->questions.last().text, QString("Save changes to level 1?"));
    }

private:
    std::unique_ptr<EditorFixture> mF;
};

int runUndoTest(int argc, char** argv) {
    UndoTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "undo_test.moc"
