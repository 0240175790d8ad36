// The progress window, the About window, CenterMe and the settings of the ROM file dialog.

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

#include "editor/filledshape.h"
#include "editor/linewidget.h"
#include "editor/qtdialogs.h"
#include "editortestsupport.h"
#include "windows/aboutwindow.h"
#include "windows/centerme.h"
#include "windows/progresswindow.h"

namespace orvex::test {

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void progressWindowDesignAndBar() {
        QWidget owner;
        QWidget locked;
        auto progress = std::make_unique<ProgressWindow>(&owner, &locked);
        QVERIFY(!locked.isEnabled() && progress->isVisible());
        QCOMPARE(progress->objectName(), QString("Progresso"));
        QCOMPARE(progress->windowTitle(), QString("Orvex ..."));
        QCOMPARE(progress->minimumSize(), QSize(369, 163));
        QCOMPARE(progress->maximumSize(), QSize(369, 163));
        QVERIFY(progress->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        auto* bar = progress->findChild<FilledShape*>("ShpProgresso");
        QCOMPARE(bar->geometry(), QRect(32, 8, 9, 17));
        QCOMPARE(bar->fillColour(), QColor(255, 0, 0));
        QStringList lines;
        for (const char* name : {"Line1", "Line2", "Line3", "Line4"}) {
            auto* line = progress->findChild<LineWidget*>(name);
            lines << QString("%1,%2-%3,%4")
                         .arg(line->from().x())
                         .arg(line->from().y())
                         .arg(line->to().x())
                         .arg(line->to().y());
        }
        QCOMPARE(lines, QStringList({"32,24-336,24", "334,24-334,8", "32,8-334,8", "32,24-32,8"}));
        QCOMPARE(progress->findChild<LineWidget*>("Line1")->colour(), QColor(Qt::white));
        QCOMPARE(progress->findChild<QLabel*>("Label1")->text(), QString("0 %"));
        QCOMPARE(progress->findChild<QLabel*>("Label2")->geometry(), QRect(320, 32, 41, 17));
        QCOMPARE(progress->findChild<QWidget*>("BufferedImage")->geometry(),
                 QRect(120, 32, 128, 128));

        QSignalSpy widths(progress.get(), &ProgressWindow::barWidthChanged);
        for (int tile = 0; tile <= 8192; ++tile) {
            progress->setBarWidth(305.0 * tile / 8192.0);
        }
        QCOMPARE(widths.size(), 306);  // events run once for each whole width 0..305
        QCOMPARE(bar->width(), 305);
        progress.reset();
        QVERIFY(locked.isEnabled());
    }

    void centerMeUsesTheScreenSize() {
        QWidget window;
        const QRect screen = window.screen()->geometry();
        window.resize(300, 200);
        CenterMe(&window);
        QCOMPARE(window.pos(), screen.topLeft() +
                                   QPoint((screen.width() - 300) / 2, (screen.height() - 200) / 2));
        window.resize(screen.width() + 200, screen.height() + 100);
        CenterMe(&window);
        QVERIFY(window.x() < screen.x() && window.y() < screen.y());
    }

    void aboutOpensModallyAndOkClosesIt() {
        EditorFixture f;
        QVERIFY(f.exposed);
        for (int opening = 0; opening < 2; ++opening) {
            QStringList seen;
            QTimer::singleShot(0, [&seen] {
                QWidget* about = QApplication::activeModalWidget();
                seen << about->objectName() << about->windowTitle()
                     << QString::number(about->width()) + "x" + QString::number(about->height());
                for (const char* name :
                     {"Label4", "Label3", "Label5", "Label6", "Label2", "Label1"}) {
                    auto* label = about->findChild<QLabel*>(name);
                    seen << label->text() + (label->font().bold() ? " (bold)" : "");
                    QVERIFY(label->width() >= label->sizeHint().width());
                }
                QTest::mouseClick(about->findChild<QPushButton*>("Command1"), Qt::LeftButton);
            });
            f.menu("MenuAbout");
            QCOMPARE(seen, QStringList({"About", "About Orvex ", "470x159",
                                        QString::fromUtf8("Programação e interface por:"),
                                        "Orvex developers (bold)",
                                        "Rotinas para os Tiles por:", "Orvex developers (bold)",
                                        QString::fromUtf8("Compressão e ROM por:"),
                                        "Orvex developers (bold)"}));
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
    }

    void romDialogSettings() {
        QFileDialog dialog;
        configureRomDialog(dialog);
        QCOMPARE(dialog.windowTitle(), QString("Select a Sonic 2 ROM..."));
        QCOMPARE(dialog.nameFilters(), QStringList({"Binary ROM (*.bin)", "All Files (*.*)"}));
        QCOMPARE(dialog.selectedNameFilter(), QString("Binary ROM (*.bin)"));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog.directory().absolutePath(),
                 QDir(QCoreApplication::applicationDirPath()).absolutePath());
        QVERIFY(!dialog.testOption(QFileDialog::ReadOnly));
    }
};

int runWindowsTest(int argc, char** argv) {
    WindowsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace orvex::test

#include "windows_test.moc"
