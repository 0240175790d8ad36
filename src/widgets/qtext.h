#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

namespace orvex {

// The core speaks UTF-8 strings; the widgets want QString.
inline QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A number as the game's listings write it: "$" and `digits` upper-case hexadecimal digits.
inline QString dollarHex(std::int64_t value, int digits) {
    return "$" + QString::number(value, 16).toUpper().rightJustified(digits, '0');
}

}  // namespace orvex
