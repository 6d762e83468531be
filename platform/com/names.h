// Name matching of late-bound calls: method and parameter names are matched
// without regard to letter case.
#pragma once

#include <string_view>

#include "platform/com/dispatch.h"

namespace zolt::com {

// True when two ASCII names are equal ignoring letter case.
bool same_name(std::string_view a, std::string_view b);

// Position of a parameter of a method; -1 when the method has no such parameter.
DISPID parameter_position(const MethodInfo& method, std::string_view parameter_name);

}  // namespace zolt::com
