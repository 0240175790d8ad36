#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "common/host.h"
#include "editor/editordialogs.h"
#include "windows/progresswindow.h"

namespace orvex {

// The core's Host while the editor runs: progress goes to a progress window made for each
// operation, questions and messages go to the dialogs seam.
class WindowHost : public QObject, public Host {
    Q_OBJECT

public:
    WindowHost(QWidget* owner, QWidget* lockedWidget, EditorDialogs& dialogs);
    ~WindowHost() override;
    WindowHost(const WindowHost&) = delete;
    WindowHost& operator=(const WindowHost&) = delete;

    void begin() override;
    void setCaption(std::string_view caption) override;
    void setBarWidth(double pixels) override;
    void end() override;
    bool askYesNo(std::string_view title, std::string_view text, bool defaultYes) override;
    void showMessage(std::string_view title, std::string_view text) override;

    [[nodiscard]] ProgressWindow* progressWindow() const { return mProgress.get(); }

signals:
    // A progress window has just been shown, in its design state.
    void progressStarted(ProgressWindow* window);

private:
    QWidget* mOwner;
    QPointer<QWidget> mLocked;
    EditorDialogs& mDialogs;
    std::unique_ptr<ProgressWindow> mProgress;
    int mDepth = 0;
};

}  // namespace orvex
