#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>

#include "editor/shell/editorsession.h"

namespace orvex {

// Plays the level's animation scripts and palette cycles at the game's speed, 60 video frames a
// second, by asking the session to show each frame in turn. It holds still while a mouse button
// is down (an edit under way) and shows the level's start again when stopped.
class MapAnimation : public QObject {
    Q_OBJECT

public:
    explicit MapAnimation(EditorSession& session, QObject* parent = nullptr);

    void setRunning(bool running);
    [[nodiscard]] bool isRunning() const { return mTimer.isActive(); }
    // A new level, or the art drawn anew: its frame 0 is shown; a running animation goes on
    // from there.
    void restart();
    // Shows the next `frames` frames at once, as ticks of the clock would.
    void advance(std::int64_t frames = 1);

signals:
    // The session is about to show a frame other than the level's start: what should keep
    // showing the start is to be made now.
    void leavingStart();
    // The session now shows another frame; `step` says what changed.
    void stepped(const EditorSession::AnimationStep& step);

private:
    void tick();
    void show(std::int64_t frame);

    EditorSession& mSession;
    QTimer mTimer;
    QElapsedTimer mClock;
    std::int64_t mDueMicroseconds = 0;  // time played and not yet shown
};

}  // namespace orvex
