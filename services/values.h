// How the outside components read the values they are handed and write them
// as SQL literals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace zolt::services {

using automation::Variant;

// Empty, Null, or a text that is blank after trimming.
bool is_missing(const Variant& plain);

// The number a plain value stands for: a Long when it is whole and fits in
// 32 bits, otherwise a Double; none for missing values and texts that are not
// numbers. Arrays raise type mismatch.
std::optional<Variant> number_of(const Variant& plain);

// The decimal literal of a value ("15", "2.5"), none when it is missing;
// anything else that is not a number raises type mismatch.
std::optional<std::string> number_literal(const Variant& value);

// The parts of the date a value stands for (a Date or a date text), none
// when it is missing; anything else raises type mismatch.
std::optional<automation::DateParts> date_parts_of(const Variant& value);

// A date and time as a literal writes it: opening, "yyyy-mm-dd", separator,
// "hh:mm:ss", closing.
std::string timestamp_text(const automation::DateParts& parts, std::string_view opening, char separator,
                           std::string_view closing);

// A text in single quotes with every quote doubled.
std::string quoted(std::string_view text);

// The quoted text of a value, none when it is Empty or Null.
std::optional<std::string> text_literal(const Variant& value);

// The literal alone for an empty operator, otherwise the comparison that
// follows a column name: "= 15", or "IS NULL" when the literal is missing.
std::string comparison(const std::string& op, std::optional<std::string> literal);

}  // namespace zolt::services
