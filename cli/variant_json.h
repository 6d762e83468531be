// Variants as JSON, the form in which the zolt command reads and prints them:
// always typed on output, {"vt": "I2", "v": 10}; typed or shorthand on input
// (a whole number is a Long, a Double when it does not fit; other numbers a
// Double; a string a String; true/false a Boolean; null Null; a list an
// array with lower bound 0).
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace zolt::cli {

using automation::Variant;
using json = nlohmann::ordered_json;  // keeps "vt" before "v"

// Arrays and objects nest at most this deep in what the command reads.
inline constexpr int kMaxNesting = 64;

// Reads a JSON text; a syntax error or nesting deeper than kMaxNesting raises
// std::invalid_argument.
json parse_json(std::string_view text);

// Typed JSON of a Variant.
json to_json(const Variant& value);
// A Variant from its typed JSON or the shorthand; a value that is neither
// raises std::invalid_argument. `connection` stands for
// {"vt": "DISPATCH", "v": "Connection"}.
Variant from_json(const json& value, const Variant& connection);

// Compact JSON text; invalid UTF-8 in texts is replaced rather than refused.
std::string dump(const json& value);

}  // namespace zolt::cli
