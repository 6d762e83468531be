// Pieces the item methods share.
#include "items/common.h"

namespace zolt::component::items {

Variant shipping_date_text(const Variant& field) {
    if (automation::to_text(outside::formatter().TextValue(field)).empty())
        return Variant("");
    return Variant(automation::format(field, "dd/mm/yyyy"));
}

std::string number_literal(const Variant& value) {
    std::string no_operator;
    return automation::to_text(outside::writer().WriteNumber(value, no_operator));
}

std::string date_literal(const Variant& value) {
    std::string no_operator;
    return automation::to_text(outside::writer().WriteDate(value, no_operator));
}

bool record_item_operation(outside::KeyGenerator& keys, std::string& kind, int32_t operation, const Variant& user_text,
                           int32_t key, std::string& message, std::string& connection) {
    auto& formatter = outside::formatter();
    int32_t entity = kItemEntity;
    int32_t user_id = automation::to_long(formatter.NumberValue(user_text));
    int32_t written_key = automation::to_long(formatter.NumberValue(Variant(key)));
    int32_t unused = 0;
    return keys.RecordOperation(kind, entity, operation, user_id, written_key, unused, message, connection);
}

}  // namespace zolt::component::items
