#include "windows/progresswindow.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QScrollBar>
#include <cmath>

#include "widgets/linewidget.h"
#include "widgets/qtext.h"
#include "windows/centerme.h"

namespace orvex {

namespace {

// The window with the output pane: the bar as before, the pane below it.
constexpr QSize kOutputWindowSize(640, 400);
constexpr QRect kOutputPane(8, 56, 624, 336);
constexpr int kOutputLines = 2000;

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    QFont font("Fixedsys");
    font.setPointSize(9);
    label->setFont(font);
    return label;
}

void makeLine(QWidget* parent, const char* name, QPoint from, QPoint to, QColor colour) {
    auto* line = new LineWidget(parent, from, to, colour);
    line->setObjectName(name);
}

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner, QWidget* lockedWidget)
    : QWidget(owner,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      mLocked(lockedWidget) {
    QCoreApplication::processEvents();
    setObjectName("Progresso");
    setWindowTitle(kProgressDesignCaption);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(369, 163);
    createFrame();
    createLabels();
    CenterMe(this);
    if (mLocked) {
        mLocked->setEnabled(false);
    }
    show();
}

ProgressWindow::~ProgressWindow() {
    if (mLocked) {
        mLocked->setEnabled(true);
    }
}

void ProgressWindow::createFrame() {
    mBar = new FilledShape(this, QColor(255, 0, 0), std::nullopt);
    mBar->setObjectName("ShpProgresso");
    mBar->setGeometry(32, 8, kProgressDesignBarWidth, 17);
    const QColor dark = QApplication::palette().color(QPalette::WindowText);
    makeLine(this, "Line3", {32, 8}, {334, 8}, dark);
    makeLine(this, "Line4", {32, 24}, {32, 8}, dark);
    makeLine(this, "Line1", {32, 24}, {336, 24}, Qt::white);
    makeLine(this, "Line2", {334, 24}, {334, 8}, Qt::white);
}

void ProgressWindow::createLabels() {
    makeLabel(this, "Label1", "0 %", QRect(24, 32, 33, 17));
    makeLabel(this, "Label2", "100 %", QRect(320, 32, 41, 17));
    mBufferedImage = new PictureBox(this);
    mBufferedImage->setObjectName("BufferedImage");
    mBufferedImage->setGeometry(120, 32, 128, 128);
}

void ProgressWindow::setCaption(std::string_view caption) {
    const QString text = toQString(caption);
    if (text == windowTitle()) {
        return;
    }
    setWindowTitle(text);
    emit captionChanged(text);
    mSinceEvents.start();
    QCoreApplication::processEvents();
}

// Pending events run so that the windows repaint and the commands that stay usable during a load
// get their turn, but no more often than a screen shows frames: a repaint for every pixel the bar
// grows would cost more than the load itself.
void ProgressWindow::runPendingEvents() {
    if (mSinceEvents.isValid() && mSinceEvents.elapsed() < kFrameMilliseconds) {
        return;
    }
    mSinceEvents.start();
    QCoreApplication::processEvents();
}

void ProgressWindow::setBarWidth(double pixels) {
    const auto width = static_cast<int>(std::lround(pixels));
    if (width == mBarWidth) {
        return;
    }
    mBarWidth = width;
    mBar->resize(std::max(width, 0), mBar->height());
    emit barWidthChanged(width);
    runPendingEvents();
}

void ProgressWindow::appendOutput(std::string_view piece) {
    if (!piece.empty()) {
        openOutputPane();
        QString text = mDecoder.decode(QByteArrayView(piece.data(), qsizetype(piece.size())));
        text.remove('\r');
        mOutput->moveCursor(QTextCursor::End);
        mOutput->insertPlainText(text);
        mOutput->verticalScrollBar()->setValue(mOutput->verticalScrollBar()->maximum());
        emit outputAppended(text);
    }
    runPendingEvents();
}

// The pane covers the picture, which a build has none of.
void ProgressWindow::openOutputPane() {
    if (mOutput != nullptr) {
        return;
    }
    setFixedSize(kOutputWindowSize);
    mOutput = new QPlainTextEdit(this);
    mOutput->setObjectName("BuildOutput");
    mOutput->setReadOnly(true);
    mOutput->setMaximumBlockCount(kOutputLines);
    mOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    mOutput->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    mOutput->setGeometry(kOutputPane);
    mOutput->show();
    CenterMe(this);
}

}  // namespace orvex
