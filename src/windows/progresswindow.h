#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <QWidget>
#include <string_view>

#include "widgets/filledshape.h"
#include "widgets/picturebox.h"

namespace orvex {

inline constexpr const char* kProgressDesignCaption = "Orvex ...";
inline constexpr int kProgressDesignBarWidth = 9;

// Progresso: the small window in front of the editor while a level is loaded or saved. It
// lives for one operation: made at its start, it disables the locked widget (the map frame)
// and enables it again when it goes. Pending events run when the caption changes and, at most
// once a screen frame, when the whole-pixel bar width does, so a load stays fast. A helper
// program's output (a project's build) opens a pane below the bar that shows its last lines.
class ProgressWindow : public QWidget {
    Q_OBJECT

public:
    ProgressWindow(QWidget* owner, QWidget* lockedWidget);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void setCaption(std::string_view caption);
    void setBarWidth(double pixels);
    // Adds a piece of the output (UTF-8, cut anywhere) to the pane, opened at the first piece;
    // an empty piece only lets the windows repaint.
    void appendOutput(std::string_view piece);

    // The pane, or null before any output.
    [[nodiscard]] QPlainTextEdit* outputPane() const { return mOutput; }

    [[nodiscard]] int barWidth() const { return mBarWidth; }
    // The picture of the block being drawn; a load leaves it to be made when the window
    // repaints, so of the many blocks drawn between two repaints only the last is made.
    [[nodiscard]] PictureBox* bufferedImage() const { return mBufferedImage; }

signals:
    void captionChanged(const QString& caption);
    void barWidthChanged(int width);
    // A piece of output went into the pane, as it shows it.
    void outputAppended(const QString& text);

private:
    void createFrame();
    void createLabels();
    void runPendingEvents();
    void openOutputPane();

    static constexpr qint64 kFrameMilliseconds = 16;

    QPointer<QWidget> mLocked;
    FilledShape* mBar = nullptr;
    PictureBox* mBufferedImage = nullptr;
    QPlainTextEdit* mOutput = nullptr;
    QStringDecoder mDecoder{QStringDecoder::Utf8};
    int mBarWidth = kProgressDesignBarWidth;
    QElapsedTimer mSinceEvents;
};

}  // namespace orvex
