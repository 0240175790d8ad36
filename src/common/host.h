#pragma once

#include <string_view>

// What the core needs from whoever runs it: the editor window, the command-line tool or a test.
// The core never shows anything itself; it reports progress and asks questions through these.

namespace orvex {

// Progress of a long operation: a caption and the width in pixels of a bar whose full scale is
// about 305 (loading) or 317 (saving) pixels. begin() and end() bracket one operation.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void begin() {}
    virtual void setCaption(std::string_view /*caption*/) {}
    virtual void setBarWidth(double /*pixels*/) {}
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

// Questions and messages for the user.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A Yes/No question; returns true for Yes.
    virtual bool askYesNo(std::string_view title, std::string_view text, bool defaultYes) = 0;
    // A message with an OK button.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;
};

// Both at once: what a level load, a save or a ROM check talks to.
class Host : public ProgressSink, public Prompter {};

// A host that shows nothing and answers every question with its default answer reversed to the
// safe side: No. Useful for batch work where nothing may be written without being asked for.
class SilentHost : public Host {
public:
    bool askYesNo(std::string_view, std::string_view, bool) override { return false; }
    void showMessage(std::string_view, std::string_view) override {}
};

}  // namespace orvex
