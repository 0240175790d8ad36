// The level as the game shows it at its start, in the real window: the blocks Hill Top
// overwrites withheld from the block column, the underwater colours below the water line, the
// animation played and stopped, and the status line naming the tables an image lacks.

#include <QFile>
#include <QLabel>
#include <QTest>

#include "editor/map/mapanimation.h"
#include "editortestsupport.h"
#include "rom/starttables.h"

namespace orvex::test {

namespace {

constexpr int kHillTopLevel = 10;
constexpr int kAquaticRuinLevel = 12;

// The colour the art gives canvas point `at` (100%, the view at the level's top left cell
// `origin`), in the colours above or below the water.
QRgb expectedColour(const EditorFixture& f, QPoint at, bool underwater) {
    const MapCanvas& canvas = *f.canvas();
    const auto block = canvas.shownBlock(canvas.cellAt(at));
    const LevelArt& art = f.window->session().art();
    const QPoint level = canvas.levelPoint(at);
    const std::uint8_t index = art.blocks.pixel(*block, level.x() % 128, level.y() % 128);
    const ColourTable& colours = underwater ? *art.underwater : art.colours;
    return colours[index & 0x3F];
}

}  // namespace

class LevelStartTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        setOuterSize(mF->window.get(), QSize(1400, 1000));
    }
    void cleanup() { mF.reset(); }

    // Hill Top's overwritten blocks cannot be chosen, by click or by picking; other zones offer
    // every block.
    void hillTopsOverwrittenBlocksAreWithheld() {
        EditorFixture& f = *mF;
        f.open();
        BlockSelector& blocks = f.window->map().blockSelector();
        QVERIFY(!blocks.isWithheld(0x20));
        f.chooseLevel(kHillTopLevel);
        const LevelArt& art = f.window->session().art();
        QCOMPARE(art.hiddenBlocks.count(), 50u);
        QVERIFY(blocks.isWithheld(0x20) && blocks.isWithheld(0xF8) && !blocks.isWithheld(0x01));
        QVERIFY(!f.thumbnail(0x20)->isEnabled());
        QTest::mouseClick(f.thumbnail(1), Qt::LeftButton);
        QTest::mouseClick(f.thumbnail(0x20), Qt::LeftButton);
        blocks.pickBlock(0x21);
        QCOMPARE(f.selected(), 1);
        f.chooseLevel(0);
        QVERIFY(!blocks.isWithheld(0x20) && f.thumbnail(0x20)->isEnabled());
    }

    // With View > Water on, the rows from the water line down take the underwater colours, to
    // the row; off, the level's own.
    void belowTheWaterLineTheUnderwaterColoursAreDrawn() {
        EditorFixture& f = *mF;
        f.open();
        f.chooseLevel(kAquaticRuinLevel);
        const auto line = f.window->session().waterHeight();
        QVERIFY(line && f.window->session().art().underwater);
        f.setOrigin(0, *line / 128);
        const int top = *line % 128;  // the line's canvas row
        f.action("MenuWater")->setChecked(true);
        QApplication::processEvents();
        int differing = 0;
        for (int x = 1; x < 640; x += 7) {
            const QImage shown = f.canvas()->grab().toImage();
            const QPoint above(x, top - 2);  // above the line drawn at the water's edge
            const QPoint below(x, top);      // the line's own row is under water
            QCOMPARE(shown.pixel(above), expectedColour(f, above, false));
            QCOMPARE(shown.pixel(below), expectedColour(f, below, true));
            differing += expectedColour(f, below, true) != expectedColour(f, below, false);
            if (differing > 3) {
                break;
            }
        }
        QVERIFY(differing > 3);
        f.action("MenuWater")->setChecked(false);
        QApplication::processEvents();
        const QPoint below(1, top + 3);
        QCOMPARE(f.canvas()->grab().toImage().pixel(below), expectedColour(f, below, false));
    }

    // View > Animate has a key of its own and is off at first; frames change the animated
    // blocks on the map but not the thumbnails, and turning it off shows the level's start again.
    void animationPlaysTheScriptsAndStopsAtTheStart() {
        EditorFixture& f = *mF;
        f.open();
        QAction* animate = f.action("MenuAnimate");
        QVERIFY(animate->isCheckable() && !animate->isChecked());
        QCOMPARE(animate->shortcut(), QKeySequence(Qt::Key_A));
        auto* animation = f.window->findChild<MapAnimation*>();
        QVERIFY(animation != nullptr && f.window->session().animates());
        QList<std::int32_t> redrawn;
        connect(animation, &MapAnimation::stepped, this,
                [&redrawn](const EditorSession::AnimationStep& step) {
                    redrawn.append(QList<std::int32_t>(step.blocks.begin(), step.blocks.end()));
                });
        animate->setChecked(true);
        animation->advance(30);
        QCOMPARE(f.window->session().shownFrame(), 30);
        QVERIFY(!redrawn.isEmpty());
        const QImage thumbnail = f.thumbnail(redrawn.last())->picture().toImage();
        animate->setChecked(false);
        QCOMPARE(f.window->session().shownFrame(), 0);
        f.chooseLevel(0);
        QCOMPARE(thumbnail, f.thumbnail(redrawn.last())->picture().toImage());
    }

    // An image whose code no longer names Hill Top's extra art opens and draws; the status line
    // names what the picture lacks.
    void aMissingTableIsNamedInTheStatusLine() {
        EditorFixture& f = *mF;
        std::vector<std::uint8_t> image = demoRom().image;
        const LocatedStartTables located = locateStartTables(image, demoRom().profile);
        const StartTableReport& art = located.reports.front();
        QVERIFY(art.codeAt.has_value());
        image[static_cast<std::size_t>(*art.codeAt)] ^= 0xFF;
        QVERIFY(writeBytes(f.romPath, image));
        f.open();
        f.chooseLevel(kHillTopLevel);
        const QString note = f.child<QLabel>("StatusNote")->text();
        QVERIFY2(note.startsWith("Drawn without: ") && note.contains(text(art.name)),
                 qPrintable(note));
    }

private:
    std::unique_ptr<EditorFixture> mF;
};

int runLevelStartTest(int argc, char** argv) {
    LevelStartTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "levelstart_test.moc"
