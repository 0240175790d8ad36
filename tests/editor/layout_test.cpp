// The main window: its controls, their design geometry, the menu and the resize rule.

#include <QLabel>
#include <QLayout>
#include <QMenu>

#include "editor/linewidget.h"
#include "editortestsupport.h"

namespace orvex::test {

namespace {

void setOuterSize(QWidget* window, QSize outer) {
    window->resize(outer - (window->frameGeometry().size() - window->size()));
    QCoreApplication::processEvents();
}

// The part of a map cell that can be seen: inside the form, left of VScroll2, above HScroll1.
QRect shownPart(const EditorFixture& f, int k) {
    QWidget* frame = f.child<QWidget>("MapaFase");
    const QRect open(0, 0, f.child<QWidget>("VScroll2")->x(), f.child<QWidget>("HScroll1")->y());
    return f.cell(k)->geometry() & open & frame->parentWidget()->rect().translated(-frame->pos());
}

}  // namespace

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void controlsAtTheirDesignPlaces() {
        EditorWindow window;
        window.layout()->activate();
        QCOMPARE(window.objectName(), QString("Orvex"));
        QCOMPARE(window.windowTitle(), QString("Orvex - v 1.00"));
        QCOMPARE(window.centralWidget()->size(), QSize(651, 458));
        const QList<std::pair<const char*, QRect>> design = {
            {"VScroll1", {68, 20, 17, 438}}, {"Picture1", {0, 20, 68, 438}},
            {"Picture2", {0, 0, 64, 16383}}, {"Combo1", {40, 0, 46, 21}},
            {"MapaFase", {86, 0, 582, 460}}, {"HScroll1", {0, 439, 546, 17}},
            {"VScroll2", {546, 0, 17, 439}}, {"Canto", {545, 438, 18, 18}},
            {"Line1", {0, 0, 81, 1}},        {"Label1", {0, 4, 41, 17}}};
        for (const auto& [name, geometry] : design) {
            QCOMPARE(window.findChild<QWidget*>(name)->geometry(), geometry);
        }
        const QList<std::tuple<const char*, Qt::Orientation, int>> bars = {
            {"VScroll1", Qt::Vertical, 128},
            {"HScroll1", Qt::Horizontal, 120},
            {"VScroll2", Qt::Vertical, 13}};
        for (const auto& [name, orientation, maximum] : bars) {
            auto* bar = window.findChild<QScrollBar*>(name);
            QCOMPARE(bar->orientation(), orientation);
            QCOMPARE(std::tuple(bar->minimum(), bar->maximum(), bar->singleStep(), bar->pageStep(),
                                bar->value(), bar->hasTracking()),
                     std::tuple(0, maximum, 1, 1, 0, false));
        }
        QCOMPARE(window.findChild<QWidget*>("HScroll1")->parentWidget()->objectName(),
                 QString("MapaFase"));
        QCOMPARE(window.findChild<QLabel*>("Label1")->text(), QString("Level:"));
        QCOMPARE(window.findChild<LineWidget*>("Line1")->colour(), QColor(128, 128, 128));
        QCOMPARE(window.findChildren<PictureCell*>("TileViewer").size(), 256);
        for (PictureCell* thumbnail : window.findChildren<PictureCell*>("TileViewer")) {
            QCOMPARE(thumbnail->geometry(), QRect(0, 64 * thumbnail->index(), 64, 64));
            QCOMPARE(thumbnail->parentWidget()->objectName(), QString("Picture2"));
        }
        QCOMPARE(window.findChildren<PictureCell*>("Mapa").size(), 36);
        for (PictureCell* cell : window.findChildren<PictureCell*>("Mapa")) {
            const int i = cell->index();
            QCOMPARE(cell->geometry(), QRect(128 * (i % 6), 128 * (i / 6), 128, 128));
        }
    }

    void menuAndLevelSelector() {
        EditorWindow window;
        QMenu* menu = window.findChild<QMenu*>("MenuFile");
        QCOMPARE(menu->title(), QString("File"));
        QStringList items;
        for (QAction* action : menu->actions()) {
            items << action->objectName() + "=" + action->text();
        }
        QCOMPARE(items, QStringList({"MenuOpen=Load Levels", "MenuSave=Save Level",
                                     "MenuExport=Export Level Image...", "MenuQuit=Quit",
                                     "esp=", "MenuAbout=About Orvex (N.O.V.)"}));
        QVERIFY(menu->actions().at(4)->isSeparator());
        auto* combo = window.findChild<QComboBox*>("Combo1");
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 20);
        QCOMPARE(combo->itemText(19), QString("20"));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QString("1"));
    }

    void resizeRuleLeavesTheMapOpenLeftOfAndAboveItsScrollBars() {
        EditorFixture f;
        QVERIFY(f.exposed);
        setOuterSize(f.window.get(), {658, 504});
        QCOMPARE(f.window->frameGeometry().size(), QSize(658, 504));
        QCOMPARE(f.child<QWidget>("MapaFase")->geometry(), QRect(86, 0, 622, 468));
        QCOMPARE(f.child<QWidget>("HScroll1")->geometry(), QRect(0, 439, 546, 17));
        QCOMPARE(f.child<QWidget>("VScroll2")->geometry(), QRect(545, 0, 17, 439));
        QCOMPARE(f.child<QWidget>("Picture1")->height(), 438);
        QCOMPARE(f.child<QWidget>("VScroll1")->height(), 438);
        QCOMPARE(f.child<QWidget>("Canto")->pos(), QPoint(544, 438));
        QWidget* frame = f.child<QWidget>("MapaFase");
        QCOMPARE(frame->childAt(544, 10), f.cell(4));  // the bars lie above the cells
        QCOMPARE(frame->childAt(545, 10), f.child<QWidget>("VScroll2"));
        QCOMPARE(frame->childAt(10, 439), f.child<QWidget>("HScroll1"));
        // 545 x 439 pixels: four whole columns and part of a fifth, three rows and part of one.
        QCOMPARE(shownPart(f, 4).size(), QSize(33, 128));
        QCOMPARE(shownPart(f, 18).size(), QSize(128, 55));
        QVERIFY(shownPart(f, 5).isEmpty() && shownPart(f, 24).isEmpty());

        setOuterSize(f.window.get(), {881, 833});
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(shownPart(f, k), f.cell(k)->geometry());
        }
    }

    void zeroOrNegativeSizesAreSkipped() {
        EditorFixture f;
        QVERIFY(f.exposed);
        setOuterSize(f.window.get(), {700, 520});
        setOuterSize(f.window.get(), {105, 60});
        if (f.window->frameGeometry().size() != QSize(105, 60)) {
            QSKIP("the platform does not allow a window this small");
        }
        // MapaFase 69 x 24 fits; the other sizes would be zero or negative and stay.
        QCOMPARE(f.child<QWidget>("MapaFase")->size(), QSize(69, 24));
        QCOMPARE(f.child<QWidget>("HScroll1")->geometry(), QRect(0, -5, 588, 17));
        QCOMPARE(f.child<QWidget>("VScroll2")->geometry(), QRect(-8, 0, 17, 455));
        QCOMPARE(f.child<QWidget>("Picture1")->height(), 454);
        QCOMPARE(f.child<QWidget>("Canto")->pos(), QPoint(-9, -6));
        setOuterSize(f.window.get(), {658, 504});
        QCOMPARE(f.child<QWidget>("VScroll2")->geometry(), QRect(545, 0, 17, 439));
    }
};

int runLayoutTest(int argc, char** argv) {
    LayoutTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "layout_test.moc"
