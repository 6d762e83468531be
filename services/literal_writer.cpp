#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

Variant LiteralWriterService::WriteDate(Variant value, std::string& op) {
    std::optional<std::string> literal;
    if (const auto date = date_of(value))
        literal = "{ts " + quoted(automation::format(Variant(*date), "yyyy-mm-dd hh:nn:ss")) + "}";
    return Variant(comparison(op, literal));
}

Variant LiteralWriterService::WriteNumber(Variant value, std::string& op) {
    return Variant(comparison(op, number_literal(value)));
}

Variant LiteralWriterService::WriteText(Variant value, std::string& op) {
    return Variant(comparison(op, text_literal(value)));
}

}  // namespace zolt::services
