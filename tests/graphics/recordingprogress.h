#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/host.h"

namespace orvex::test {

// Keeps every caption and bar width a decoder reports, in order.
class RecordingProgress : public ProgressSink {
public:
    void setCaption(std::string_view caption) override {
        captions.emplace_back(caption);
        if (widths.empty()) {
            captionBeforeFirstWidth = true;
        }
    }
    void setBarWidth(double pixels) override { widths.push_back(pixels); }

    [[nodiscard]] bool nonDecreasing() const {
        for (std::size_t i = 1; i < widths.size(); ++i) {
            if (widths[i] < widths[i - 1]) {
                return false;
            }
        }
        return true;
    }

    std::vector<std::string> captions;
    std::vector<double> widths;
    bool captionBeforeFirstWidth = false;
};

}  // namespace orvex::test
