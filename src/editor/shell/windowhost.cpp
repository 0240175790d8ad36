#include "editor/shell/windowhost.h"

#include "editor/shell/progressbar.h"

namespace orvex {

namespace {

constexpr const char* kBuildCaption = "Building the Project ...";

}  // namespace

WindowHost::WindowHost(QWidget* owner, QWidget* lockedWidget)
    : QObject(owner), mOwner(owner), mLocked(lockedWidget) {}

WindowHost::~WindowHost() = default;

void WindowHost::begin() {
    if (mDepth++ > 0) {
        return;
    }
    mProgress = std::make_unique<ProgressWindow>(mOwner, mLocked);
    emit progressStarted(mProgress.get());
}

void WindowHost::progress(Stage stage, std::int32_t done, std::int32_t total) {
    if (!mProgress) {
        return;
    }
    if (done == 0) {
        mProgress->setCaption(stageCaption(stage));
        return;
    }
    mProgress->setBarWidth(stageBarWidth(stage, done, total));
}

void WindowHost::buildStarted(const std::string& command, const std::string& reason) {
    begin();
    mProgress->setCaption(kBuildCaption);
    mProgress->appendOutput(command + "    (" + reason + ")\n");
}

void WindowHost::buildOutput(std::string_view piece) {
    if (mProgress) {
        mProgress->appendOutput(piece);
    }
}

void WindowHost::buildEnded(bool /*succeeded*/, const std::string& /*output*/) {
    end();
}

void WindowHost::end() {
    if (mDepth > 0 && --mDepth == 0) {
        mProgress.reset();
    }
}

}  // namespace orvex
