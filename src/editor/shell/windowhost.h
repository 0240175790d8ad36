#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "common/progress.h"
#include "windows/progresswindow.h"

namespace orvex {

// The core's progress while the editor runs: a progress window made for each operation, showing
// each stage's caption and bar width, and a build's output as it runs.
class WindowHost : public QObject, public ProgressSink {
    Q_OBJECT

public:
    WindowHost(QWidget* owner, QWidget* lockedWidget);
    ~WindowHost() override;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    void begin() override;
    void progress(Stage stage, std::int32_t done, std::int32_t total) override;
    void end() override;
    void output(std::string_view text) override;

    [[nodiscard]] ProgressWindow* progressWindow() const { return mProgress.get(); }

signals:
    // A progress window has just been shown, in its design state.
    void progressStarted(ProgressWindow* window);

private:
    QWidget* mOwner;
    QPointer<QWidget> mLocked;
    std::unique_ptr<ProgressWindow> mProgress;
    int mDepth = 0;
};

}  // namespace orvex
