#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"

namespace orvex {

// How the tool's host answers the core's Yes/No questions.
enum class Answering {
    Ask,  // print the question and read y/n from the input; anything else or EOF is No
    Yes,  // answer Yes without asking
    No,   // answer No without asking, and say so on the error stream
};

// The command-line tool's Host. Progress goes to the error stream as one line that is redrawn
// in place ("\rExtracting 8x8 Tiles ... 45%"), and only when the shown percentage changes;
// with showProgress false (the error stream is not a terminal) nothing is shown. Messages go to
// the error stream, questions to the output stream.
class TerminalHost : public Host {
public:
    TerminalHost(std::istream& in, std::ostream& out, std::ostream& err, bool showProgress,
                 Answering answering);

    // Shows `label` instead of the core's captions, e.g. "Compressing" for an encoder whose
    // caption speaks of saving a level. An empty label brings the core's captions back.
    void setLabel(std::string_view label) { mLabel = label; }

    // Keeps the core's messages instead of printing them, for a command that reports the
    // same trouble in its own words (a layout that breaks off, say).
    void holdMessages() { mHoldMessages = true; }
    [[nodiscard]] const std::vector<std::string>& heldMessages() const { return mHeld; }

    void begin() override;
    void setCaption(std::string_view caption) override;
    void setBarWidth(double pixels) override;
    void end() override;

    bool askYesNo(std::string_view title, std::string_view text, bool defaultYes) override;
    void showMessage(std::string_view title, std::string_view text) override;

private:
    [[nodiscard]] std::string shownCaption() const;
    void draw();
    void clearLine();
    bool readAnswer();

    std::istream& mIn;
    std::ostream& mOut;
    std::ostream& mErr;
    bool mShowProgress;
    Answering mAnswering;
    std::string mLabel;
    std::string mCaption;
    double mScale = 305.0;
    std::int32_t mPercent = -1;
    std::int32_t mDepth = 0;
    bool mLineShown = false;
    bool mHoldMessages = false;
    std::vector<std::string> mHeld;
};

// The core's multi-line text on one line: line breaks become spaces.
[[nodiscard]] std::string oneLine(std::string_view text);

// The core's text with "\r\n" line breaks as the terminal's "\n".
[[nodiscard]] std::string terminalText(std::string_view text);

}  // namespace orvex
