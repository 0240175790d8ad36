#include "editor/map/mapanimation.h"

#include <QGuiApplication>
#include <algorithm>

namespace orvex {

namespace {

constexpr std::int64_t kFrameMicroseconds = 1'000'000 / 60;
// A window that fell behind (a slow repaint, a modal dialog) catches up this far and no more.
constexpr std::int64_t kMostFramesATick = 4;

}  // namespace

MapAnimation::MapAnimation(EditorSession& session, QObject* parent)
    : QObject(parent), mSession(session) {
    mTimer.setTimerType(Qt::PreciseTimer);
    mTimer.setInterval(16);
    connect(&mTimer, &QTimer::timeout, this, &MapAnimation::tick);
}

void MapAnimation::setRunning(bool running) {
    if (running == isRunning()) {
        return;
    }
    if (running) {
        mClock.start();
        mDueMicroseconds = 0;
        mTimer.start();
    } else {
        mTimer.stop();
        show(0);
    }
}

void MapAnimation::restart() {
    mClock.restart();
    mDueMicroseconds = 0;
    show(0);
}

void MapAnimation::tick() {
    mDueMicroseconds += mClock.nsecsElapsed() / 1000;
    mClock.restart();
    if (QGuiApplication::mouseButtons() != Qt::NoButton || !mSession.animates()) {
        mDueMicroseconds = 0;  // held still: an edit is under way
        return;
    }
    const std::int64_t frames = std::min(mDueMicroseconds / kFrameMicroseconds, kMostFramesATick);
    mDueMicroseconds = std::min(mDueMicroseconds - frames * kFrameMicroseconds, kFrameMicroseconds);
    advance(frames);
}

void MapAnimation::advance(std::int64_t frames) {
    for (std::int64_t i = 0; i < frames; ++i) {
        show(mSession.shownFrame() + 1);
    }
}

void MapAnimation::show(std::int64_t frame) {
    if (mSession.document() == nullptr || frame == mSession.shownFrame()) {
        return;
    }
    if (mSession.shownFrame() == 0) {
        emit leavingStart();
    }
    const EditorSession::AnimationStep step = mSession.showFrame(frame);
    if (!step.blocks.empty() || step.colours) {
        emit stepped(step);
    }
}

}  // namespace orvex
