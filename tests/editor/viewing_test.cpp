// Picking a block from the map, the status line, the background plane and the level overview.

#include <QLabel>
#include <QStatusBar>

#include "editortestsupport.h"
#include "graphics/overview.h"
#include "windows/overviewwindow.h"

namespace orvex::test {

namespace {

void setOuterSize(QWidget* window, QSize outer) {
    window->resize(outer - (window->frameGeometry().size() - window->size()));
    QCoreApplication::processEvents();
}

// Whether all of `widget` lies inside the form (the central widget), clear of the status line.
bool wholeInForm(const EditorFixture& f, const char* name) {
    QWidget* widget = f.child<QWidget>(name);
    QWidget* form = f.window->centralWidget();
    const QRect inForm(widget->mapTo(form, QPoint(0, 0)), widget->size());
    return form->rect().contains(inForm) &&
           !QRect(form->mapTo(f.window.get(), inForm.topLeft()), inForm.size())
                .intersects(f.window->statusBar()->geometry());
}

bool thumbnailInView(const EditorFixture& f, int block) {
    QWidget* viewport = f.child<QWidget>("Picture1");
    const QRect shown(f.thumbnail(block)->mapTo(viewport, QPoint(0, 0)), QSize(64, 64));
    return viewport->rect().contains(shown);
}

QString pointerText(const EditorFixture& f) {
    return f.child<QLabel>("PointerInfo")->text();
}

QImage expectedOverview(const EditorFixture& f, Plane plane) {
    const LevelData& level = f.window->session().level();
    const Image small = renderOverview(makeMiniatures(level.blockPictures, kOverviewCellPixels),
                                       level.unpackedData, plane);
    return QImage(reinterpret_cast<const uchar*>(small.pixels().data()), small.width(),
                  small.height(), QImage::Format_RGB32)
        .copy();
}

QImage shownOverview(OverviewWindow* overview) {
    return overview->picture().toImage().convertToFormat(QImage::Format_RGB32);
}

}  // namespace

class ViewingTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        QVERIFY(mF->exposed);
        mF->open(false);
        mF->setOrigin(0, 0);
    }
    void cleanup() { mF.reset(); }

    void rightClickPicksTheBlockAndShowsItsThumbnail() {
        EditorFixture& f = *mF;
        QVERIFY(f.thumbnail(0)->isMarked());
        f.place(200, 8);
        f.place(3, 9);
        QTest::mouseClick(f.thumbnail(0), Qt::LeftButton);
        QVERIFY(f.thumbnail(0)->isMarked() && !f.thumbnail(3)->isMarked());
        const qsizetype commands = f.window->undoStack().count();

        QTest::mouseClick(f.cell(8), Qt::RightButton);
        QCOMPARE(f.window->blockSelector().selectedBlock(), std::uint8_t{200});
        QVERIFY(f.thumbnail(200)->isMarked() && !f.thumbnail(0)->isMarked());
        QVERIFY(thumbnailInView(f, 200));
        QCOMPARE(f.thumbnail(200)->grab().toImage().pixelColor(0, 0), kMarkColour);
        QCOMPARE(f.thumbnail(200)->grab().toImage().pixelColor(63, 32), kMarkColour);

        QTest::mouseClick(f.cell(9), Qt::RightButton);  // back up the strip
        QCOMPARE(f.window->blockSelector().selectedBlock(), std::uint8_t{3});
        QVERIFY(thumbnailInView(f, 3));
        f.setOrigin(0, 13);
        QTest::mouseClick(f.cell(30), Qt::RightButton);  // layout row 18 does not exist
        QCOMPARE(f.window->blockSelector().selectedBlock(), std::uint8_t{3});
        QCOMPARE(f.window->undoStack().count(), commands);  // picking stores nothing
        QCOMPARE(BlockSelector::scrollValueShowing(255, 0, 438), 128);
        QCOMPARE(BlockSelector::scrollValueShowing(6, 0, 438), 1);
        QCOMPARE(BlockSelector::scrollValueShowing(5, 0, 438), 0);
    }

    void statusLineTellsWhatIsUnderThePointer() {
        EditorFixture& f = *mF;
        QVERIFY(f.child<QStatusBar>("StatusLine") == f.window->statusBar());
        f.setOrigin(10, 2);
        QTest::mouseClick(f.thumbnail(5), Qt::LeftButton);
        QTest::mouseMove(f.cell(7));
        const auto at = [&f](int row, int column) {
            return QString("0x%1")
                .arg(f.layout().at(std::size_t(256 * row + column)), 2, 16, QChar('0'))
                .toUpper()
                .replace("0X", "0x");
        };
        QCOMPARE(pointerText(f), QString::fromUtf8("Row 3, column 11: block %1 \u2014 selected "
                                                   "block 0x05")
                                     .arg(at(3, 11)));
        QTest::mouseClick(f.cell(7), Qt::RightButton);
        QVERIFY(pointerText(f).endsWith("selected block " + at(3, 11)));
        f.menu("MenuBackground");
        QVERIFY(pointerText(f).startsWith("Row 3, column 139: block " + at(3, 139)));
        f.setOrigin(0, 13);
        QTest::mouseMove(f.cell(20), QPoint(10, 10));  // grid row 3 lies partly under HScroll1
        QVERIFY(pointerText(f).startsWith(QString::fromUtf8("Row 16, column 130: outside")));
    }

    void statusLineCoversNoControl() {
        EditorFixture& f = *mF;
        for (const QSize outer : {QSize(658, 504), QSize(881, 833), QSize(1500, 1200)}) {
            for (const int statusHeight : {0, 60}) {  // as it is, and a tall one
                f.window->statusBar()->setMinimumHeight(statusHeight);
                setOuterSize(f.window.get(), outer);
                for (const char* name : {"HScroll1", "VScroll2", "Canto", "VScroll1"}) {
                    QVERIFY2(
                        wholeInForm(f, name),
                        qPrintable(
                            QString("%1 at %2x%3").arg(name).arg(outer.width()).arg(statusHeight)));
                }
            }
        }
    }

    void backgroundPlaneEditsTheSecondHalfOfEachRow() {
        EditorFixture& f = *mF;
        const std::vector<std::uint8_t> loaded = f.layout();
        QScrollBar* across = f.child<QScrollBar>("HScroll1");
        QCOMPARE(across->maximum(), 122);
        f.setOrigin(122, 0);
        QCOMPARE(f.cell(5)->picture().cacheKey(), f.thumbnail(loaded[127])->picture().cacheKey());

        f.menu("MenuBackground");
        QVERIFY(f.child<QAction>("MenuBackground")->isChecked());
        QVERIFY(!f.child<QAction>("MenuForeground")->isChecked());
        QCOMPARE(f.window->plane(), Plane::Background);
        QCOMPARE(across->maximum(), 122);
        QCOMPARE(f.cell(5)->picture().cacheKey(), f.thumbnail(loaded[255])->picture().cacheKey());
        f.setOrigin(0, 0);
        for (int k = 0; k < 36; ++k) {
            const std::uint8_t block = loaded.at(std::size_t(256 * (k / 6) + 128 + k % 6));
            QCOMPARE(f.cell(k)->picture().cacheKey(), f.thumbnail(block)->picture().cacheKey());
        }
        const int placed = (loaded[128] + 1) % 256;
        f.place(placed, 0);
        std::vector<std::uint8_t> expected = loaded;
        expected[128] = std::uint8_t(placed);
        QCOMPARE(f.layout(), expected);
        QTest::mouseClick(f.cell(1), Qt::RightButton);
        QCOMPARE(f.window->blockSelector().selectedBlock(), loaded[129]);
        f.menu("MenuUndo");
        QCOMPARE(f.layout(), loaded);

        f.menu("MenuForeground");
        QCOMPARE(f.cell(0)->picture().cacheKey(), f.thumbnail(loaded[0])->picture().cacheKey());
    }

    void overviewFollowsTheLevelAndMovesTheView() {
        EditorFixture& f = *mF;
        f.menu("MenuOverview");
        auto* overview = f.child<OverviewWindow>("Overview");
        QVERIFY(overview != nullptr && overview->isVisible());
        QCOMPARE(overview->picture().size(), QSize(1024, 128));
        QCOMPARE(shownOverview(overview), expectedOverview(f, Plane::Foreground));

        f.setOrigin(10, 2);
        const QSize seen = f.window->mapFrame().visibleGridArea();
        QCOMPARE(overview->viewRect(),
                 QRectF(80, 16, seen.width() / 16.0, seen.height() / 16.0).toAlignedRect());
        const qint64 picture = overview->picture().cacheKey();
        f.setOrigin(40, 5);
        QCOMPARE(overview->picture().cacheKey(), picture);  // moving the view only repaints

        const auto click = [overview](int column, int row) {
            QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(8 * column + 3, 8 * row + 3));
        };
        click(100, 12);
        QCOMPARE(f.child<QScrollBar>("HScroll1")->value(), 100 - seen.width() / 128 / 2);
        QCOMPARE(f.child<QScrollBar>("VScroll2")->value(), 12 - seen.height() / 128 / 2);
        click(127, 15);
        QCOMPARE(f.child<QScrollBar>("HScroll1")->value(), 122);
        QCOMPARE(f.child<QScrollBar>("VScroll2")->value(), 13);
        click(0, 0);
        QCOMPARE(
            f.child<QScrollBar>("HScroll1")->value() + f.child<QScrollBar>("VScroll2")->value(), 0);

        f.place((f.layout()[0] + 1) % 256, 0);  // one cell patched in place
        QCOMPARE(shownOverview(overview), expectedOverview(f, Plane::Foreground));
        f.menu("MenuUndo");
        QCOMPARE(shownOverview(overview), expectedOverview(f, Plane::Foreground));
        f.menu("MenuBackground");
        QCOMPARE(shownOverview(overview), expectedOverview(f, Plane::Background));
        f.dialogs->yesNoCancel = {EditorDialogs::Answer::No};
        f.chooseLevel(3);
        QCOMPARE(f.layout(), demoRom().layoutData[3]);
        QCOMPARE(shownOverview(overview), expectedOverview(f, Plane::Background));
    }

private:
    std::unique_ptr<EditorFixture> mF;
};

int runViewingTest(int argc, char** argv) {
    ViewingTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "viewing_test.moc"
