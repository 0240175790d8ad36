#include "editor/windowhost.h"

#include "editor/uitext.h"

namespace orvex {

WindowHost::WindowHost(QWidget* owner, QWidget* lockedWidget, EditorDialogs& dialogs)
    : QObject(owner), mOwner(owner), mLocked(lockedWidget), mDialogs(dialogs) {}

WindowHost::~WindowHost() = default;

void WindowHost::begin() {
    if (mDepth++ > 0) {
        return;
    }
    mProgress = std::make_unique<ProgressWindow>(mOwner, mLocked);
    emit progressStarted(mProgress.get());
}

void WindowHost::setCaption(std::string_view caption) {
    if (mProgress) {
        mProgress->setCaption(caption);
    }
}

void WindowHost::setBarWidth(double pixels) {
    if (mProgress) {
        mProgress->setBarWidth(pixels);
    }
}

void WindowHost::end() {
    if (mDepth > 0 && --mDepth == 0) {
        mProgress.reset();
    }
}

bool WindowHost::askYesNo(std::string_view title, std::string_view text, bool defaultYes) {
    return mDialogs.askYesNo(toQString(title), toQString(text), defaultYes);
}

void WindowHost::showMessage(std::string_view title, std::string_view text) {
    mDialogs.showMessage(toQString(title), toQString(text));
}

}  // namespace orvex
