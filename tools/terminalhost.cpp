#include "terminalhost.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

namespace orvex {

namespace {

std::string_view stageCaption(Stage stage) {
    switch (stage) {
        case Stage::Tiles:
            return "Extracting 8x8 Tiles ...";
        case Stage::Chunks:
            return "Extracting 16x16 Tiles ...";
        case Stage::Blocks:
            return "Extracting 128x128 Tiles ...";
        case Stage::Drawing:
            return "Drawing Level Image ...";
        case Stage::Encoding:
            return "Compressing ...";
    }
    return {};
}

std::string lowerTrimmed(std::string text) {
    const auto isSpace = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(std::remove_if(text.begin(), text.end(), isSpace), text.end());
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string oneLine(std::string_view text) {
    std::string line;
    for (const char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
            continue;
        }
        line += c;
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

std::string terminalText(std::string_view text) {
    std::string result;
    for (const char c : text) {
        if (c != '\r') {
            result += c;
        }
    }
    return result;
}

TerminalHost::TerminalHost(std::istream& in, std::ostream& out, std::ostream& err,
                           bool showProgress, Answering answering)
    : mIn(in), mOut(out), mErr(err), mShowProgress(showProgress), mAnswering(answering) {}

void TerminalHost::begin() {
    ++mDepth;
}

void TerminalHost::showStep(std::string_view caption) {
    mCaption = caption;
    mPercent = 0;
    draw();
}

void TerminalHost::progress(Stage stage, std::int32_t done, std::int32_t total) {
    if (done == 0 || mCaption != stageCaption(stage)) {
        mCaption = stageCaption(stage);
        mPercent = -1;
    }
    const auto percent = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{100} * done / std::max(total, 1), 0, 100));
    if (percent == mPercent) {
        return;
    }
    mPercent = percent;
    draw();
}

void TerminalHost::end() {
    mDepth = std::max(mDepth - 1, 0);
    if (mDepth == 0) {
        clearLine();
    }
}

std::string TerminalHost::shownCaption() const {
    return mLabel.empty() ? mCaption : mLabel;
}

void TerminalHost::draw() {
    if (!mShowProgress) {
        return;
    }
    // The caption changes length between steps, so the rest of the line is erased as well.
    mErr << '\r' << shownCaption() << ' ' << mPercent << "%\x1b[K" << std::flush;
    mLineShown = true;
}

void TerminalHost::clearLine() {
    if (mLineShown) {
        mErr << "\r\x1b[K" << std::flush;
        mLineShown = false;
    }
}

bool TerminalHost::readAnswer() {
    std::string line;
    if (!std::getline(mIn, line)) {
        mOut << '\n';
        return false;
    }
    const std::string answer = lowerTrimmed(line);
    return answer == "y" || answer == "yes";
}

bool TerminalHost::askYesNo(std::string_view title, std::string_view text) {
    clearLine();
    switch (mAnswering) {
        case Answering::Yes:
            return true;
        case Answering::No:
            mErr << "orvex-tool: " << oneLine(text) << " Answered No.\n";
            return false;
        case Answering::Ask:
            break;
    }
    mOut << oneLine(title) << "\n" << terminalText(text) << "[y/N] " << std::flush;
    const bool yes = readAnswer();
    if (mPercent >= 0) {
        draw();
    }
    return yes;
}

}  // namespace orvex
