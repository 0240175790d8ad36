#pragma once

#include <QString>
#include <string_view>

namespace orvex {

// The core speaks UTF-8 strings; the widgets want QString.
inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace orvex
