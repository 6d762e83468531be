#include "services/implementations.h"
#include "services/values.h"

namespace zolt::services {

Variant LiteralWriterService::WriteDate(Variant value, std::string& op) {
    std::optional<std::string> literal;
    if (const auto date = date_of(value)) {
        // A written date is digits and separators, with no quote to double.
        literal = "{ts '";
        literal->append(automation::format(Variant(*date), "yyyy-mm-dd hh:nn:ss")).append("'}");
    }
    return Variant(comparison(op, std::move(literal)));
}

Variant LiteralWriterService::WriteNumber(Variant value, std::string& op) {
    return Variant(comparison(op, number_literal(value)));
}

Variant LiteralWriterService::WriteText(Variant value, std::string& op) {
    return Variant(comparison(op, text_literal(value)));
}

}  // namespace zolt::services
