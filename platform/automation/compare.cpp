// Basic comparison of two Variants.
#include <optional>

#include "platform/automation/detail.h"
#include "platform/automation/variant.h"

namespace zolt::automation {

namespace {

bool is_whole(const Variant& v) {
    const VarType t = v.type();
    return t == VarType::I2 || t == VarType::I4 || t == VarType::I8 || t == VarType::Bool;
}

int64_t whole_of(const Variant& v) {
    switch (v.type()) {
    case VarType::I2: return v.i2();
    case VarType::I4: return v.i4();
    case VarType::I8: return v.i8();
    case VarType::Bool: return v.boolean() ? -1 : 0;
    default: return 0;  // Empty
    }
}

template <class T>
int three_way(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compare_numbers(const Variant& a, const Variant& b) {
    if ((is_whole(a) || a.is_empty()) && (is_whole(b) || b.is_empty()))
        return three_way(whole_of(a), whole_of(b));
    return three_way(to_double(a), to_double(b));
}

// <0, 0, >0, or no value when Null is on either side.
std::optional<int> compare(const Variant& left, const Variant& right) {
    Variant left_holder, right_holder;
    const Variant& a = plain_value(left, left_holder);
    const Variant& b = plain_value(right, right_holder);
    if (a.is_array() || b.is_array())
        throw AutomationError::type_mismatch();
    if (a.is_null() || b.is_null())
        return std::nullopt;
    if (a.is_text() || b.is_text()) {
        // Empty reads as "" against a text; a number is less than any text.
        if (!a.is_text() && !a.is_empty())
            return -1;
        if (!b.is_text() && !b.is_empty())
            return 1;
        const std::string& x = a.is_text() ? a.text() : std::string();
        const std::string& y = b.is_text() ? b.text() : std::string();
        return three_way(x.compare(y), 0);
    }
    return compare_numbers(a, b);
}

template <class Test>
Tri decide(const Variant& a, const Variant& b, Test test) {
    const std::optional<int> order = compare(a, b);
    if (!order)
        return Tri::Null;
    return test(*order) ? Tri::True : Tri::False;
}

}  // namespace

Tri equals(const Variant& a, const Variant& b) {
    return decide(a, b, [](int order) { return order == 0; });
}
Tri not_equals(const Variant& a, const Variant& b) {
    return decide(a, b, [](int order) { return order != 0; });
}
Tri less(const Variant& a, const Variant& b) {
    return decide(a, b, [](int order) { return order < 0; });
}
Tri greater(const Variant& a, const Variant& b) {
    return decide(a, b, [](int order) { return order > 0; });
}

}  // namespace zolt::automation
