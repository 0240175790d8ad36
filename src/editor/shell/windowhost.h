#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "common/progress.h"
#include "document/levelsource.h"
#include "windows/progresswindow.h"

namespace orvex {

// The core's progress while the editor runs: a progress window made for each operation, showing
// each stage's caption and bar width; and a project's build, its command and output shown in that
// window as it runs (one is made for a build that runs outside any other operation).
class WindowHost : public QObject, public ProgressSink, public BuildListener {
    Q_OBJECT

public:
    WindowHost(QWidget* owner, QWidget* lockedWidget);
    ~WindowHost() override;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    void begin() override;
    void progress(Stage stage, std::int32_t done, std::int32_t total) override;
    void end() override;

    void buildStarted(const std::string& command, const std::string& reason) override;
    void buildOutput(std::string_view piece) override;
    void buildEnded(bool succeeded, const std::string& output) override;

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
