// Helpers shared by the sources of the automation layer; not part of its
// interface.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace zolt::automation::detail {

// Blanks that numeric and date texts may carry around them.
inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
std::string_view strip_blanks(std::string_view text);

// A finite double, or overflow (6).
double checked(double value);

// "dd/mm/yyyy", "dd/mm/yyyy hh:mm:ss", or "hh:mm:ss" on day zero.
std::string date_text(Date date);

}  // namespace zolt::automation::detail
