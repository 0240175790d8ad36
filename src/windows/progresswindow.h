#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <string_view>

#include "common/host.h"
#include "editor/filledshape.h"

namespace orvex {

inline constexpr const char* kProgressDesignCaption = "Orvex ...";
inline constexpr int kProgressDesignBarWidth = 9;

// Progresso: the small window in front of the editor while a level is loaded or saved. It
// lives for one operation: made at its start, it disables the locked widget (the map frame)
// and enables it again when it goes. The core drives it as its ProgressSink; pending events
// run only when the caption or the whole-pixel bar width changes, so a load stays fast.
class ProgressWindow : public QWidget, public ProgressSink {
    Q_OBJECT

public:
    ProgressWindow(QWidget* owner, QWidget* lockedWidget);
    ~ProgressWindow() override;
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void setCaption(std::string_view caption) override;
    void setBarWidth(double pixels) override;

    [[nodiscard]] int barWidth() const { return mBarWidth; }
    [[nodiscard]] QLabel* bufferedImage() const { return mBufferedImage; }

signals:
    void captionChanged(const QString& caption);
    void barWidthChanged(int width);

private:
    void createFrame();
    void createLabels();

    QPointer<QWidget> mLocked;
    FilledShape* mBar = nullptr;
    QLabel* mBufferedImage = nullptr;
    int mBarWidth = kProgressDesignBarWidth;
};

}  // namespace orvex
