// Lookups in the description of a dispatch interface.
#include "platform/com/dispatch.h"

#include <algorithm>

#include "platform/com/names.h"

namespace zolt::com {

// Names are compared letter case aside, ASCII letters only, as the C locale
// does; spelled out rather than through the locale, as a late-bound caller
// asks for every name on every call.
bool same_name(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return x == y || lower(x) == lower(y); });
}

const MethodInfo* InterfaceInfo::find(std::string_view method_name) const {
    auto found = std::ranges::find_if(methods, [&](const MethodInfo& m) { return same_name(m.name, method_name); });
    return found == methods.end() ? nullptr : &*found;
}

const MethodInfo* InterfaceInfo::find(DISPID dispid) const {
    auto found = std::ranges::find(methods, dispid, &MethodInfo::dispid);
    return found == methods.end() ? nullptr : &*found;
}

DISPID parameter_position(const MethodInfo& method, std::string_view parameter_name) {
    for (std::size_t i = 0; i < method.parameters.size(); ++i)
        if (same_name(method.parameters[i], parameter_name)) return static_cast<DISPID>(i);
    return -1;
}

}  // namespace zolt::com
