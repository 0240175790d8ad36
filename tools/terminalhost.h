#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "common/progress.h"

namespace orvex {

// How the tool answers a Yes/No question.
enum class Answering {
    Ask,  // print the question and read y/n from the input; anything else or EOF is No
    Yes,  // answer Yes without asking
    No,   // answer No without asking, and say so on the error stream
};

// The command-line tool's progress and questions. Progress goes to the error stream as one line
// that is redrawn in place ("\rExtracting 8x8 Tiles ... 45%"), and only when the shown
// percentage changes; with showProgress false (the error stream is not a terminal) nothing is
// shown. Questions go to the output stream.
class TerminalHost : public ProgressSink {
public:
    TerminalHost(std::istream& in, std::ostream& out, std::ostream& err, bool showProgress,
                 Answering answering);

    // Shows `label` instead of the stages' captions, e.g. "Compressing ..." for an encoder that
    // runs on its own. An empty label brings the captions back.
    void setLabel(std::string_view label) { mLabel = label; }
    // Shows a step of the tool's own at 0%, until the next progress report.
    void showStep(std::string_view caption);

    void begin() override;
    void progress(Stage stage, std::int32_t done, std::int32_t total) override;
    void end() override;

    bool askYesNo(std::string_view title, std::string_view text);

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
    std::int32_t mPercent = -1;
    std::int32_t mDepth = 0;
    bool mLineShown = false;
};

// The core's multi-line text on one line: line breaks become spaces.
[[nodiscard]] std::string oneLine(std::string_view text);

// The core's text with "\r\n" line breaks as the terminal's "\n".
[[nodiscard]] std::string terminalText(std::string_view text);

}  // namespace orvex
