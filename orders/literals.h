// Literals the order emulations write into inline SQL.
#pragma once

#include <cstdint>
#include <string>

#include "component/frame.h"

namespace zolt::component::orders {

// The bare literal of a value, each written with a fresh empty operator text.
inline std::string text_literal(const std::string& value) {
    std::string no_operator;
    return text(outside::writer().WriteText(Variant(value), no_operator));
}
inline std::string number_literal(int32_t value) {
    std::string no_operator;
    return text(outside::writer().WriteNumber(Variant(value), no_operator));
}

}  // namespace zolt::component::orders
