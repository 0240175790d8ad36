#pragma once

#include <cstdint>
#include <string_view>

// How the core reports the progress of a long operation to whoever runs it: the editor window, the
// command-line tool or a test. The core never shows anything itself.

namespace orvex {

// The stages of the long operations: drawing a level's art (tiles, chunks, blocks), drawing a
// picture of a plane, and compressing data for a save.
enum class Stage { Tiles, Chunks, Blocks, Drawing, Encoding };

// Progress of a long operation. begin() and end() bracket one operation; within it each stage
// reports (stage, 0, total) when it starts and then (stage, done, total) as it goes, done rising
// towards total (a stage may report only some of its steps). How it is shown is the receiver's
// business.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void begin() {}
    virtual void progress(Stage /*stage*/, std::int32_t /*done*/, std::int32_t /*total*/) {}
    virtual void end() {}
};

// Calls begin() now and end() when it goes out of scope, also on an early return.
class ProgressScope {
public:
    explicit ProgressScope(ProgressSink& sink) : mSink(sink) { mSink.begin(); }
    ~ProgressScope() { mSink.end(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressSink& mSink;
};

}  // namespace orvex
