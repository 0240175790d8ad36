// The map view, the block selector and map editing on level 1 of the demo ROM.

#include "editortestsupport.h"

namespace orvex::test {

namespace {

qint64 pictureOf(PictureCell* element) {
    return element->picture().cacheKey();
}

// The picture of the block stored at (row, column) of the layout.
qint64 blockPicture(const EditorFixture& f, int row, int column) {
    return pictureOf(f.thumbnail(f.layout().at(std::size_t(256 * row + column))));
}

}  // namespace

class MapEditingTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        mF = std::make_unique<EditorFixture>();
        QVERIFY(mF->exposed);
        mF->open(false);
        QCOMPARE(mF->layout().size(), std::size_t{4096});
    }
    void cleanup() { mF.reset(); }

    void cellsShowTheLayoutFromTheOrigin() {
        for (int k = 0; k < 36; ++k) {
            QVERIFY(!mF->cell(k)->picture().isNull());
            QCOMPARE(pictureOf(mF->cell(k)), blockPicture(*mF, k / 6, k % 6));
        }
        mF->setOrigin(120, 10);
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(pictureOf(mF->cell(k)), blockPicture(*mF, 10 + k / 6, 120 + k % 6));
        }
        // At row 13 the grid rows 3 to 5 lie past the layout and keep their pictures.
        mF->child<QScrollBar>("VScroll2")->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(pictureOf(mF->cell(0)), blockPicture(*mF, 13, 120));
        QCOMPARE(pictureOf(mF->cell(35)), blockPicture(*mF, 15, 125));
    }

    void vscroll1StepsAre125Pixels() {
        QScrollBar* bar = mF->child<QScrollBar>("VScroll1");
        QWidget* viewport = mF->child<QWidget>("Picture1");
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(mF->child<QWidget>("Picture2")->y(), -125);
        QCOMPARE(mF->thumbnail(2)->mapTo(viewport, QPoint(0, 0)).y(), 3);
        bar->setValue(128);
        QCOMPARE(mF->child<QWidget>("Picture2")->y(), -16000);
        QCOMPARE(mF->thumbnail(250)->mapTo(viewport, QPoint(0, 0)).y(), 0);
    }

    void clicksStoreTheSelectedBlockWhereTheCellPoints() {
        QCOMPARE(mF->window->blockSelector().selectedBlock(), std::uint8_t{0});
        QTest::mouseClick(mF->thumbnail(255), Qt::LeftButton);
        QCOMPARE(mF->window->blockSelector().selectedBlock(), std::uint8_t{255});

        mF->setOrigin(10, 2);
        mF->place(5, 7);
        QCOMPARE(mF->layout()[779], std::uint8_t{5});
        QCOMPARE(pictureOf(mF->cell(7)), pictureOf(mF->thumbnail(5)));
        mF->setOrigin(0, 0);
        mF->place(6, 0);
        QCOMPARE(mF->layout()[0], std::uint8_t{6});
        mF->setOrigin(120, 10);
        mF->place(7, 35);
        QCOMPARE(mF->layout()[3965], std::uint8_t{7});

        mF->setOrigin(4, 13);
        const std::vector<std::uint8_t> before = mF->layout();
        mF->place(77, 20);  // grid row 3: layout row 16 does not exist
        QCOMPARE(mF->layout(), before);
        QCOMPARE(pictureOf(mF->cell(20)), pictureOf(mF->thumbnail(77)));
    }

    void mouseMovePreviewsTheSelectedBlock() {
        QTest::mouseClick(mF->thumbnail(200), Qt::LeftButton);
        QTest::mouseMove(mF->cell(14));
        QCOMPARE(pictureOf(mF->cell(14)), pictureOf(mF->thumbnail(200)));
        QTest::mouseMove(mF->cell(15));
        QCOMPARE(pictureOf(mF->cell(14)), blockPicture(*mF, 2, 2));
        QCOMPARE(pictureOf(mF->cell(15)), pictureOf(mF->thumbnail(200)));
        QVERIFY(!mF->window->session().hasUnsavedEdits());
    }

private:
    std::unique_ptr<EditorFixture> mF;
};

int runMapEditingTest(int argc, char** argv) {
    MapEditingTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "mapediting_test.moc"
