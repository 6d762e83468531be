#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

Variant SqlFormatterService::NumberValue(Variant value) {
    if (value.is_object())
        value = automation::object_value(value);
    if (value.type() == automation::VarType::I4)  // the usual value, answered as it is
        return value;
    return number_of(value).value_or(Variant::long_(0));
}

Variant SqlFormatterService::SqlDate(Variant value) {
    const auto parts = date_parts_of(value);
    return Variant(parts ? timestamp_text(*parts, "'", 'T', "'") : "NULL");
}

Variant SqlFormatterService::TextValue(Variant value) {
    Variant plain = automation::value_of(std::move(value));
    if (plain.is_text())
        return plain;  // moved out, not copied
    return Variant(plain.is_null() ? std::string() : automation::to_text(plain));
}

Variant SqlFormatterService::SqlNumber(Variant value) { return Variant(number_literal(value).value_or("NULL")); }

Variant SqlFormatterService::SqlText(Variant value) { return Variant(text_literal(value).value_or("NULL")); }

}  // namespace zolt::services
