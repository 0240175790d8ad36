#include "terminalhost.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <istream>
#include <ostream>

#include "rom/levelsaver.h"

namespace orvex {

namespace {

constexpr double kLoadScale = 305.0;  // bar widths of loading and drawing
constexpr double kSaveScale = 317.0;  // bar widths of the encoders ("Saving Level...")

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

void TerminalHost::setCaption(std::string_view caption) {
    mCaption = caption;
    mScale = caption == kSavingCaption ? kSaveScale : kLoadScale;
    mPercent = -1;
}

void TerminalHost::setBarWidth(double pixels) {
    const double fraction = std::clamp(pixels / mScale, 0.0, 1.0);
    const auto percent = static_cast<std::int32_t>(std::floor(fraction * 100.0));
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

bool TerminalHost::askYesNo(std::string_view title, std::string_view text, bool /*defaultYes*/) {
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

void TerminalHost::showMessage(std::string_view /*title*/, std::string_view text) {
    if (mHoldMessages) {
        mHeld.push_back(oneLine(text));
        return;
    }
    clearLine();
    mErr << "orvex-tool: " << oneLine(text) << '\n';
    if (mPercent >= 0) {
        draw();
    }
}

}  // namespace orvex
