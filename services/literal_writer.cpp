#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

Variant LiteralWriterService::WriteDate(Variant value, std::string& op) {
    std::optional<std::string> literal;
    if (const auto parts = date_parts_of(value))
        literal = timestamp_text(*parts, "{ts '", ' ', "'}");  // digits and separators: no quote to double
    return Variant(comparison(op, std::move(literal)));
}

Variant LiteralWriterService::WriteNumber(Variant value, std::string& op) {
    return Variant(comparison(op, number_literal(value)));
}

Variant LiteralWriterService::WriteText(Variant value, std::string& op) {
    return Variant(comparison(op, text_literal(value)));
}

}  // namespace zolt::services
